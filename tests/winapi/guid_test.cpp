// CLSIDFromString: the braced registry form, what Windows answers for the rest; the task allocator.
#include <cstring>
#include <utility>

#include <gtest/gtest.h>

#include <WinAPI/Guid.h>

namespace {

struct ClsidRow {
  const wchar_t* text;
  HRESULT result;
  DWORD data1;  // of the CLSID read, 0 when none is
  const char* name;
};

TEST(CLSIDFromString, BracedFormOnly) {
  const ClsidRow rows[] = {
      {L"{12345678-9abc-DEF0-0123-456789ABCDEF}", S_OK, 0x12345678, "either case"},
      {nullptr, S_OK, 0, "no text: the all-zero CLSID"},
      {L"12345678-9ABC-DEF0-0123-456789ABCDEF", CO_E_CLASSSTRING, 0, "braces required"},
      {L"{12345678-9ABC-DEF0-0123-456789ABCDEF} ", CO_E_CLASSSTRING, 0, "nothing after"}};
  for (const ClsidRow& row : rows) {
    CLSID clsid{7, 0, 0, {}};
    EXPECT_EQ(row.result, CLSIDFromString(row.text, &clsid)) << row.name;
    EXPECT_EQ(row.data1, clsid.Data1) << row.name;
  }
  EXPECT_EQ(E_INVALIDARG, CLSIDFromString(L"{}", nullptr)) << "no CLSID to write";
}

// Every size, 0 too, is a block of its own, writable to its end, that CoTaskMemFree takes
// (AddressSanitizer sees a wrong release).
TEST(CoTaskMemAlloc, BlocksOfEverySize) {
  const std::size_t sizes[] = {0, 1, 39 * sizeof(OLECHAR), 1 << 20};
  void* previous = nullptr;  // still held, so that each block is a new one
  for (const std::size_t size : sizes) {
    void* block = CoTaskMemAlloc(size);
    ASSERT_NE(nullptr, block) << size << " bytes";
    EXPECT_NE(previous, block) << "a new block of " << size << " bytes";
    std::memset(block, 0xA5, size);
    CoTaskMemFree(std::exchange(previous, block));
  }
  CoTaskMemFree(previous);
}

}  // namespace
