// GUID text: the zero test, the braces, the four accepted forms, and round
// trips.
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

namespace {

const _GUID kSample = {
    0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

bool Same(const _GUID& a, const _GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(IsZeroGuid, AllSixteenBytes) {
  _GUID g{};
  EXPECT_EQ(VelUt::IsZeroGuid(g), 1);
  for (std::size_t i = 0; i < sizeof g; ++i) {
    SCOPED_TRACE(i);
    _GUID one{};
    reinterpret_cast<unsigned char*>(&one)[i] = 1;
    EXPECT_EQ(VelUt::IsZeroGuid(one), 0);
  }
}

TEST(GuidToString, WithAndWithoutBraces) {
  const CStdStr<wchar_t> braced = VelUt::GuidToString(kSample, 1);
  EXPECT_EQ(braced, L"{12345678-9ABC-DEF0-0123-456789ABCDEF}");
  EXPECT_EQ(VelUt::GuidToString(kSample, 0), braced.Mid(1, 36));
  EXPECT_EQ(VelUt::GuidToString(kSample, -7), braced);  // any non-zero value
  EXPECT_EQ(VelUt::GuidToString(_GUID{}, 0), L"00000000-0000-0000-0000-000000000000");
}

TEST(StringToGuid, TheFourBraceForms) {
  const wchar_t* forms[] = {
      L"{12345678-9ABC-DEF0-0123-456789ABCDEF}",
      L"12345678-9abc-def0-0123-456789abcdef",
      L"{12345678-9ABC-DEF0-0123-456789ABCDEF",
      L"12345678-9ABC-DEF0-0123-456789ABCDEF}",
  };
  for (const wchar_t* text : forms) {
    SCOPED_TRACE(testing::Message() << std::wstring(text));
    _GUID g;
    std::memset(&g, 0x55, sizeof g);
    EXPECT_EQ(VelUt::StringToGuid(text, g), 1);
    EXPECT_TRUE(Same(g, kSample));
  }
}

TEST(StringToGuid, MalformedTextsFail) {
  const wchar_t* texts[] = {
      L"",
      L"{",
      L"}",
      L"{}",
      L"12345678-9ABC-DEF0-0123-456789ABCDE",    // 35 characters
      L"12345678-9ABC-DEF0-0123-456789ABCDEF0",  // 37
      L"12345678-9ABC-DEF0-0123-456789ABCDEG",   // not a digit
      L"12345678-9ABC-DEF0-0123 456789ABCDEF",   // blank for a hyphen
      L" 12345678-9ABC-DEF0-0123-456789ABCDEF",  // leading blank stays inside
      L"12345678-9ABC-DEF0-0123-456789ABCDEF ",  // trailing blank
      L"{12345678-9ABC-DEF0-0123-456789ABCDEF}}",
      L"{{12345678-9ABC-DEF0-0123-456789ABCDEF}",
      L"1234567-89ABC-DEF0-0123-456789ABCDEF",  // hyphen moved
      L"+2345678-9ABC-DEF0-0123-456789ABCDEF",
      L"not a guid at all",
  };
  for (const wchar_t* text : texts) {
    SCOPED_TRACE(testing::Message() << std::wstring(text));
    _GUID g;
    std::memset(&g, 0x55, sizeof g);
    EXPECT_EQ(VelUt::StringToGuid(text, g), 0);
    EXPECT_EQ(VelUt::IsZeroGuid(g), 1);
  }
}

TEST(StringToGuid, NullAndResourceIds) {
  _GUID g;
  std::memset(&g, 0x55, sizeof g);
  EXPECT_EQ(VelUt::StringToGuid(nullptr, g), 0);
  EXPECT_EQ(VelUt::IsZeroGuid(g), 1);
  // 7 is a string-resource id; no resource module holds it, so the text
  // is empty.
  std::memset(&g, 0x55, sizeof g);
  EXPECT_EQ(VelUt::StringToGuid(reinterpret_cast<const wchar_t*>(7), g), 0);
  EXPECT_EQ(VelUt::IsZeroGuid(g), 1);
}

TEST(StringToGuid, RoundTripsRandomIdentifiers) {
  std::mt19937_64 rng(42);
  for (int i = 0; i < 1000; ++i) {
    _GUID g;
    for (std::size_t k = 0; k < sizeof g; ++k)
      reinterpret_cast<unsigned char*>(&g)[k] = static_cast<unsigned char>(rng());
    for (const signed char braces : {0, 1}) {
      const CStdStr<wchar_t> text = VelUt::GuidToString(g, braces);
      ASSERT_EQ(text.size(), braces ? 38u : 36u);
      _GUID back;
      ASSERT_EQ(VelUt::StringToGuid(text.c_str(), back), 1) << i;
      ASSERT_TRUE(Same(g, back)) << i;
    }
  }
}

}  // namespace
