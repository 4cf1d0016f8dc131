// The layer's GUID text: StringFromCLSID's form and what CLSIDFromString
// accepts.
#include <cstring>
#include <cwchar>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <WinAPI/Guid.h>

namespace {

const GUID kSample = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

std::wstring ToText(const GUID& g) {
  wchar_t* text = nullptr;
  EXPECT_EQ(StringFromCLSID(g, &text), S_OK);
  std::wstring s = text != nullptr ? text : L"";
  CoTaskMemFree(text);
  return s;
}

TEST(StringFromCLSID, BracedUpperCase) {
  EXPECT_EQ(ToText(kSample), L"{12345678-9ABC-DEF0-0123-456789ABCDEF}");
  EXPECT_EQ(ToText(GUID{}), L"{00000000-0000-0000-0000-000000000000}");
  const GUID ones = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}};
  EXPECT_EQ(ToText(ones), L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}");
  EXPECT_EQ(StringFromCLSID(kSample, nullptr), E_INVALIDARG);
}

TEST(CLSIDFromString, AcceptsOnlyTheBracedForm) {
  struct Row {
    const wchar_t* text;
    bool ok;
  };
  const Row rows[] = {
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEF}", true},
      {L"{12345678-9abc-def0-0123-456789abcdef}", true},
      {L"{12345678-9aBc-DeF0-0123-456789AbCdEf}", true},
      {L"12345678-9ABC-DEF0-0123-456789ABCDEF", false},     // no braces
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEF", false},    // no closing brace
      {L"12345678-9ABC-DEF0-0123-456789ABCDEF}", false},    // no opening brace
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEF}x", false},  // text after it
      {L"{12345678-9ABC-DEF0-0123-456789ABCDE}", false},    // a digit short
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEF0}", false},  // a digit too many
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEG}", false},   // not hexadecimal
      {L"{12345678 9ABC-DEF0-0123-456789ABCDEF}", false},   // blank for a hyphen
      {L"{ 2345678-9ABC-DEF0-0123-456789ABCDEF}", false},   // blank for a digit
      {L"{+2345678-9ABC-DEF0-0123-456789ABCDEF}", false},   // sign
      {L"{123456789ABC-DEF0-0123-456789ABCDEF0}", false},   // hyphen moved
      {L"(12345678-9ABC-DEF0-0123-456789ABCDEF)", false},
      {L"{12345678-9ABC-DEF0-0123-456789ABCD\uFF25F}", false},  // fullwidth E
      {L"", false},
      {L"{}", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.text));
    GUID g;
    std::memset(&g, 0xAA, sizeof g);
    const HRESULT hr = CLSIDFromString(r.text, &g);
    if (r.ok) {
      EXPECT_EQ(hr, S_OK);
      EXPECT_EQ(std::memcmp(&g, &kSample, sizeof g), 0);
    } else {
      EXPECT_EQ(hr, CO_E_CLASSSTRING);
      const GUID zero{};
      EXPECT_EQ(std::memcmp(&g, &zero, sizeof g), 0) << "left all zero";
    }
  }
}

TEST(CLSIDFromString, NullArguments) {
  GUID g;
  EXPECT_EQ(CLSIDFromString(nullptr, &g), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromString(L"{12345678-9ABC-DEF0-0123-456789ABCDEF}", nullptr), E_INVALIDARG);
}

// The text ends early: the reader stops at the terminator.
TEST(CLSIDFromString, ShortBufferIsNotOverread) {
  const std::wstring prefix = L"{12345678-9ABC-DEF0-0123-456789ABCDEF}";
  for (std::size_t n = 0; n < prefix.size(); ++n) {
    SCOPED_TRACE(n);
    auto* exact = new wchar_t[n + 1];
    std::wmemcpy(exact, prefix.data(), n);
    exact[n] = L'\0';
    GUID g;
    EXPECT_EQ(CLSIDFromString(exact, &g), CO_E_CLASSSTRING);
    delete[] exact;
  }
}

TEST(StringFromCLSID, RoundTripsRandomIdentifiers) {
  std::mt19937_64 rng(20240517);
  for (int i = 0; i < 2000; ++i) {
    GUID g;
    unsigned char bytes[sizeof g];
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(rng());
    std::memcpy(&g, bytes, sizeof g);
    const std::wstring text = ToText(g);
    ASSERT_EQ(text.size(), 38u);
    GUID back;
    ASSERT_EQ(CLSIDFromString(text.c_str(), &back), S_OK) << i;
    ASSERT_EQ(std::memcmp(&g, &back, sizeof g), 0) << i;
  }
}

TEST(CoTaskMem, AllocAndFree) {
  void* p = CoTaskMemAlloc(0);
  EXPECT_NE(p, nullptr);
  CoTaskMemFree(p);
  CoTaskMemFree(nullptr);
}

}  // namespace
