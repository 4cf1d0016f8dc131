// GUID text: the zero test, the braces, and the forms StringToGuid completes.
#include <cstring>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

namespace {

TEST(Guid, Table) {
  const _GUID zero{},
      sample = {0x12345678, 0x9ABC, 0xDEF0, {1, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  _GUID last{};
  last.Data4[7] = 1;
  EXPECT_EQ(VelUt::IsZeroGuid(zero) * 2 + VelUt::IsZeroGuid(last), 2);
  EXPECT_EQ(VelUt::GuidToString(sample, -7), L"{12345678-9ABC-DEF0-0123-456789ABCDEF}");
  EXPECT_EQ(VelUt::GuidToString(sample, 0), L"12345678-9ABC-DEF0-0123-456789ABCDEF");
  // Only missing braces are added (the fuzz target checks the rest); no
  // text, or a resource id, gives 0.
  const wchar_t* const texts[] = {
      L"12345678-9abc-def0-0123-456789abcdef", L"{12345678-9ABC-DEF0-0123-456789ABCDEF",
      L"{{12345678-9ABC-DEF0-0123-456789ABCDEF}", nullptr, reinterpret_cast<const wchar_t*>(7)};
  for (const wchar_t* const& text : texts) {
    const bool valid = &text - texts < 2;
    SCOPED_TRACE(testing::Message() << "row " << &text - texts);
    _GUID g;
    std::memset(&g, 0x55, sizeof g);
    EXPECT_EQ(VelUt::StringToGuid(text, g), valid);
    EXPECT_EQ(std::memcmp(&g, valid ? &sample : &zero, sizeof g), 0);
  }
}

}  // namespace
