// The layer's GUID text: StringFromCLSID's form and what CLSIDFromString
// accepts.
#include <cstring>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <WinAPI/Guid.h>

namespace {

const GUID kSample = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

TEST(StringFromCLSID, BracedUpperCase) {
  const GUID ones = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}};
  for (const auto& [guid, text] :
       {std::tuple<GUID, std::wstring>{kSample, L"{12345678-9ABC-DEF0-0123-456789ABCDEF}"},
        {ones, L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"}}) {
    SCOPED_TRACE(text);
    wchar_t* got = nullptr;
    EXPECT_EQ(StringFromCLSID(guid, &got), S_OK);
    EXPECT_EQ(got, text);
    CoTaskMemFree(got);
  }
  EXPECT_EQ(StringFromCLSID(kSample, nullptr), E_INVALIDARG);
  void* block = CoTaskMemAlloc(0);  // a block even of no bytes
  EXPECT_NE(block, nullptr);
  CoTaskMemFree(block);
}

// Only the braced form, in either letter case; a refused text leaves the
// GUID all zero.
TEST(CLSIDFromString, AcceptsOnlyTheBracedForm) {
  const std::tuple<const wchar_t*, HRESULT> rows[] = {
      {L"{12345678-9aBc-DeF0-0123-456789AbCdEf}", S_OK},
      {L"12345678-9ABC-DEF0-0123-456789ABCDEF", CO_E_CLASSSTRING},         // no braces
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEF}x", CO_E_CLASSSTRING},      // text after it
      {L"{12345678-9ABC-DEF0-0123-456789ABCDE}", CO_E_CLASSSTRING},        // a digit short
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEG}", CO_E_CLASSSTRING},       // not hexadecimal
      {L"{12345678 9ABC-DEF0-0123-456789ABCDEF}", CO_E_CLASSSTRING},       // a blank for a hyphen
      {L"{123456789ABC-DEF0-0123-456789ABCDEF0}", CO_E_CLASSSTRING},       // a hyphen moved
      {L"{12345678-9ABC-DEF0-0123-456789ABCD\uFF25F}", CO_E_CLASSSTRING},  // fullwidth E
      {L"", CO_E_CLASSSTRING},
      {nullptr, E_INVALIDARG}};
  for (const auto& [text, result] : rows) {
    SCOPED_TRACE(testing::Message() << (text ? text : L"(null)"));
    GUID g;
    std::memset(&g, 0xAA, sizeof g);
    EXPECT_EQ(CLSIDFromString(text, &g), result);
    const GUID expected = result == S_OK ? kSample : GUID{};
    EXPECT_EQ(std::memcmp(&g, &expected, sizeof g), 0);
  }
  EXPECT_EQ(CLSIDFromString(L"{12345678-9ABC-DEF0-0123-456789ABCDEF}", nullptr), E_INVALIDARG);
}

}  // namespace
