// CreateCFStringFromUTF32 and CFString2CString: wide text to the UTF-16 of
// a CFString and back.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/CFString.h>

namespace {

TEST(CreateCFStringFromUTF32, Table) {
  struct Row {
    const char* name;
    std::wstring text;
    std::u16string units;
  };
  const Row rows[] = {
      {"empty", L"", u""},
      {"BMP", L"a\u00E9\uFFFD", u"a\u00E9\uFFFD"},
      {"beyond the BMP", L"\U0001F600\U0010FFFF", u"\U0001F600\U0010FFFF"},
      {"surrogate units", std::wstring{static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xDFFF)},
       u"\uFFFD\uFFFD"},
      {"beyond Unicode", std::wstring{static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)},
       u"\uFFFD\uFFFD"},
      {"stops at zero", std::wstring(L"a\0b", 3), u"a"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CFStringRef s = CreateCFStringFromUTF32(r.text.c_str());
    std::u16string units(static_cast<std::size_t>(CFStringGetLength(s)), u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
      units[i] = CFStringGetCharacterAtIndex(s, static_cast<CFIndex>(i));
    EXPECT_EQ(units, r.units);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFRelease(s);
  }
  CFStringRef empty = CreateCFStringFromUTF32(nullptr);
  EXPECT_EQ(CFStringGetLength(empty), 0);
  CFRelease(empty);
}

TEST(CFString2CString, Table) {
  struct Row {
    const char* name;
    std::u16string units;
    std::wstring text;
  };
  const Row rows[] = {
      {"empty", u"", L""},
      {"BMP", u"a\u00E9\uFFFF", L"a\u00E9\uFFFF"},
      {"pairs join", u"\U0001F600\U00010000", L"\U0001F600\U00010000"},
      {"lone high",
       std::u16string(u"a\xD83D"
                      u"b"),
       L"a\uFFFDb"},
      {"high at the end", std::u16string(u"a\xD83D"), L"a\uFFFD"},
      {"swapped pair", std::u16string(u"\xDE00\xD83D"), L"\uFFFD\uFFFD"},
      {"two highs then a low", std::u16string(u"\xD83D\xD83D\xDE00"), L"\uFFFD\U0001F600"},
      {"zero unit kept", std::u16string(u"a\0b", 3), std::wstring(L"a\0b", 3)}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::vector<UniChar> units(r.units.begin(), r.units.end());
    CFStringRef s =
        CFStringCreateWithCharacters(nullptr, units.data(), static_cast<CFIndex>(units.size()));
    std::wstring target = L"old text";
    EXPECT_TRUE(CFString2CString(s, target));
    EXPECT_EQ(target, r.text);
    CFRelease(s);
  }
  std::wstring target = L"old text";
  EXPECT_FALSE(CFString2CString(nullptr, target));
  EXPECT_EQ(target, L"");
}

}  // namespace
