// Version texts packed into 32-bit numbers.
#include <utility>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/rows.h"

namespace {

TEST(StringToVersion, Table) {
  const std::pair<const wchar_t*, unsigned int> rows[] = {
      {L"", 0x00000000},        {L"2.10", 0x0002000A},    {L"1.2.3.4", 0x000100EA},
      {L"70000.1", 0x11700001}, {L"1.70000", 0x00011170}, {L"-1.2", 0xFFFF0002},
  };
  velut_test::ForEachRow(rows, [](const wchar_t* text, unsigned int packed) {
    unsigned int version = 12345;
    EXPECT_EQ(VelUt::StringToVersion(text, version), *text != 0);
    EXPECT_EQ(version, packed);
  });
}

}  // namespace
