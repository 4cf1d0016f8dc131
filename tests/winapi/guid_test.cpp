// Null arguments; the GUID conversion tests and the convert fuzz target read the texts.
#include <gtest/gtest.h>

#include <WinAPI/Guid.h>

namespace {

TEST(Guid, NullArgumentsAndEmptyBlocks) {
  const GUID sample{};
  GUID g;
  EXPECT_EQ(StringFromCLSID(sample, nullptr), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromString(nullptr, &g), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromString(L"{00000000-0000-0000-0000-000000000000}", nullptr), E_INVALIDARG);
  void* block = CoTaskMemAlloc(0);  // a block even of no bytes
  EXPECT_NE(block, nullptr);
  CoTaskMemFree(block);
}

}  // namespace
