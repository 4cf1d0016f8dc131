// CreateCFStringFromUTF32 and CFString2CString: wide text to CFString and
// back.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/CFString.h>

namespace {

std::u16string Units(CFStringRef s) {
  std::u16string out;
  for (CFIndex i = 0; i < CFStringGetLength(s); ++i) {
    out.push_back(CFStringGetCharacterAtIndex(s, i));
  }
  return out;
}

TEST(CreateCFStringFromUTF32, Table) {
  struct Row {
    const char* name;
    std::wstring text;
    std::u16string units;
  };
  const Row rows[] = {
      {"empty", L"", u""},
      {"ASCII", L"abc", u"abc"},
      {"BMP", L"\u00E9\u20AC\uFFFD", u"\u00E9\u20AC\uFFFD"},
      {"non-BMP", L"a\U0001F600b", u"a\U0001F600b"},
      {"last code point", L"\U0010FFFF", u"\U0010FFFF"},
      {"high surrogate unit", std::wstring(1, static_cast<wchar_t>(0xD800)), u"\uFFFD"},
      {"low surrogate unit", std::wstring(1, static_cast<wchar_t>(0xDFFF)), u"\uFFFD"},
      {"beyond Unicode", std::wstring(1, static_cast<wchar_t>(0x110000)), u"\uFFFD"},
      {"negative", std::wstring(1, static_cast<wchar_t>(-1)), u"\uFFFD"},
      {"stops at zero", std::wstring(L"a\0b", 3), u"a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CFStringRef s = CreateCFStringFromUTF32(row.text.c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Units(s), row.units);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFRelease(s);
  }
  CFStringRef empty = CreateCFStringFromUTF32(nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(CFStringGetLength(empty), 0);
  CFRelease(empty);
}

TEST(CFString2CString, Table) {
  struct Row {
    const char* name;
    std::u16string units;
    std::wstring expected;
  };
  const Row rows[] = {
      {"empty", u"", L""},
      {"BMP", u"a\u00E9\uFFFF", L"a\u00E9\uFFFF"},
      {"pair joins", u"\U0001F600\U00010000", L"\U0001F600\U00010000"},
      {"lone high",
       std::u16string(u"a\xD83D"
                      "b"),
       L"a\uFFFDb"},
      {"lone low", std::u16string(u"\xDE00"), L"\uFFFD"},
      {"high at the end", std::u16string(u"a\xD83D"), L"a\uFFFD"},
      {"swapped pair", std::u16string(u"\xDE00\xD83D"), L"\uFFFD\uFFFD"},
      {"two highs then low", std::u16string(u"\xD83D\xD83D\xDE00"), L"\uFFFD\U0001F600"},
      {"zero unit kept", std::u16string(u"a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<UniChar> units(row.units.begin(), row.units.end());
    CFStringRef s =
        CFStringCreateWithCharacters(nullptr, units.data(), static_cast<CFIndex>(units.size()));
    std::wstring target = L"old text";
    EXPECT_TRUE(CFString2CString(s, target));
    EXPECT_EQ(target, row.expected);
    CFRelease(s);
  }
  std::wstring target = L"old text";
  EXPECT_FALSE(CFString2CString(nullptr, target));
  EXPECT_EQ(target, L"");
}

TEST(CFString2CString, RoundTrip) {
  const std::wstring text = L"Gr\u00FC\u00DFe \U0001F44B \u4E16\u754C \U0010FFFF";
  CFStringRef s = CreateCFStringFromUTF32(text.c_str());
  std::wstring back;
  EXPECT_TRUE(CFString2CString(s, back));
  EXPECT_EQ(back, text);
  CFRelease(s);
}

}  // namespace
