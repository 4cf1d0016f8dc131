// StringFromCLSID's braced upper-case form and what CLSIDFromString accepts
// (the convert fuzz target checks the reading against a model).
#include <cstring>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <WinAPI/Guid.h>

namespace {

const GUID kSample = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

TEST(StringFromCLSID, BracedUpperCase) {
  wchar_t* got = nullptr;
  EXPECT_EQ(StringFromCLSID(kSample, &got), S_OK);
  EXPECT_EQ(std::wstring(got), L"{12345678-9ABC-DEF0-0123-456789ABCDEF}");
  CoTaskMemFree(got);
  EXPECT_EQ(StringFromCLSID(kSample, nullptr), E_INVALIDARG);
  void* block = CoTaskMemAlloc(0);  // a block even of no bytes
  EXPECT_NE(block, nullptr);
  CoTaskMemFree(block);
}

// A refused text leaves the GUID all zero.
TEST(CLSIDFromString, AcceptsOnlyTheBracedForm) {
  const std::tuple<const wchar_t*, HRESULT> rows[] = {
      {L"{12345678-9aBc-DeF0-0123-456789AbCdEf}", S_OK},
      {L"12345678-9ABC-DEF0-0123-456789ABCDEF", CO_E_CLASSSTRING},
      {L"{12345678-9ABC-DEF0-0123-456789ABCD\uFF25F}", CO_E_CLASSSTRING},  // fullwidth E
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
