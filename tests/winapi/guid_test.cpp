// The layer's GUID text: StringFromCLSID's form and what CLSIDFromString
// accepts.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include <WinAPI/Guid.h>

namespace {

const GUID kSample = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

TEST(StringFromCLSID, BracedUpperCase) {
  const GUID ones = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}};
  struct Row {
    GUID guid;
    const wchar_t* text;
  };
  const Row rows[] = {{kSample, L"{12345678-9ABC-DEF0-0123-456789ABCDEF}"},
                      {GUID{}, L"{00000000-0000-0000-0000-000000000000}"},
                      {ones, L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    wchar_t* text = nullptr;
    EXPECT_EQ(StringFromCLSID(r.guid, &text), S_OK);
    EXPECT_EQ(std::wstring(text), r.text);
    CoTaskMemFree(text);
  }
  EXPECT_EQ(StringFromCLSID(kSample, nullptr), E_INVALIDARG);
  void* block = CoTaskMemAlloc(0);  // a block even of no bytes
  EXPECT_NE(block, nullptr);
  CoTaskMemFree(block);
}

// Only the braced form, in either letter case; a refused text leaves the
// GUID all zero.
TEST(CLSIDFromString, AcceptsOnlyTheBracedForm) {
  struct Row {
    const wchar_t* text;
    HRESULT result;
  };
  const Row rows[] = {
      {L"{12345678-9abc-def0-0123-456789abcdef}", S_OK},
      {L"{12345678-9aBc-DeF0-0123-456789AbCdEf}", S_OK},
      {L"12345678-9ABC-DEF0-0123-456789ABCDEF", CO_E_CLASSSTRING},         // no braces
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEF", CO_E_CLASSSTRING},        // no closing brace
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEF}x", CO_E_CLASSSTRING},      // text after it
      {L"{12345678-9ABC-DEF0-0123-456789ABCDE}", CO_E_CLASSSTRING},        // a digit short
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEG}", CO_E_CLASSSTRING},       // not hexadecimal
      {L"{12345678 9ABC-DEF0-0123-456789ABCDEF}", CO_E_CLASSSTRING},       // blank for a hyphen
      {L"{+2345678-9ABC-DEF0-0123-456789ABCDEF}", CO_E_CLASSSTRING},       // sign
      {L"{123456789ABC-DEF0-0123-456789ABCDEF0}", CO_E_CLASSSTRING},       // hyphen moved
      {L"{12345678-9ABC-DEF0-0123-456789ABCD\uFF25F}", CO_E_CLASSSTRING},  // fullwidth E
      {L"", CO_E_CLASSSTRING},
      {nullptr, E_INVALIDARG}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << (r.text ? r.text : L"(null)"));
    GUID g;
    std::memset(&g, 0xAA, sizeof g);
    EXPECT_EQ(CLSIDFromString(r.text, &g), r.result);
    const GUID expected = r.result == S_OK ? kSample : GUID{};
    EXPECT_EQ(std::memcmp(&g, &expected, sizeof g), 0);
  }
  EXPECT_EQ(CLSIDFromString(L"{12345678-9ABC-DEF0-0123-456789ABCDEF}", nullptr), E_INVALIDARG);
}

}  // namespace
