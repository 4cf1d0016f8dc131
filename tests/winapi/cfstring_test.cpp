// Wide text to a CFString's UTF-16 and back; units no character become U+FFFD.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/CFString.h>

#include "support/rows.h"

namespace {

TEST(CreateCFStringFromUTF32, UnitsAndReplacements) {
  const auto unit = [](long u) { return static_cast<wchar_t>(u); };
  const std::tuple<std::wstring, std::u16string> rows[] = {
      {L"a\u00E9\U0001F600\U0010FFFF", u"a\u00E9\U0001F600\U0010FFFF"},
      {{unit(0xD800), unit(0xDFFF), unit(0x110000), unit(-1)}, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {std::wstring(L"a\0b", 3), u"a"}};  // up to the first zero
  velut_test::ForEachRow(rows, [&](auto& text, auto& units) {
    CFStringRef s = CreateCFStringFromUTF32(text.c_str());
    std::u16string got;
    for (CFIndex i = 0; i < CFStringGetLength(s); ++i) got += CFStringGetCharacterAtIndex(s, i);
    EXPECT_EQ(got, units);
    CFRelease(s);
  });
  CFStringRef empty = CreateCFStringFromUTF32(nullptr);
  EXPECT_EQ(CFStringGetLength(empty), 0);
  CFRelease(empty);
}

TEST(CFString2CString, PairsAndLoneSurrogates) {
  const std::tuple<std::u16string, std::wstring> rows[] = {
      {u"a\u00E9\uFFFF\U0001F600", L"a\u00E9\uFFFF\U0001F600"},  // a pair joins
      {u"a\xD83D"
       u"b\xD83D",
       L"a\uFFFDb\uFFFD"},                                       // a lone high, also at the end
      {u"\xDE00\xD83D\xD83D\xDE00", L"\uFFFD\uFFFD\U0001F600"},  // a lone low, then a pair
      {std::u16string(u"a\0b", 3), std::wstring(L"a\0b", 3)}};   // a zero unit is kept
  velut_test::ForEachRow(rows, [&](auto& units, auto& text) {
    const std::vector<UniChar> chars(units.begin(), units.end());
    CFStringRef s =
        CFStringCreateWithCharacters(nullptr, chars.data(), static_cast<CFIndex>(chars.size()));
    std::wstring target = L"old text";
    EXPECT_TRUE(CFString2CString(s, target));
    EXPECT_EQ(target, text);
    CFRelease(s);
  });
  std::wstring target = L"old text";
  EXPECT_FALSE(CFString2CString(nullptr, target));
  EXPECT_EQ(target, L"");
}

}  // namespace
