// The GUID functions' refusals of null arguments; the text forms are pinned
// by the GUID conversion tests and read against a model by the convert fuzz target.
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
