// Text conversions: GUIDs, versions packed into numbers and date-time texts.
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/rows.h"
#include "support/scoped_env.h"

namespace {

TEST(IsZeroGuid, EveryByteCounts) {
  _GUID last{};
  EXPECT_TRUE(VelUt::IsZeroGuid(last));
  last.Data4[7] = 1;
  EXPECT_FALSE(VelUt::IsZeroGuid(last)) << "the last byte set";
}

// Null and a resource id read as the zero GUID (the tool's test checks texts).
TEST(StringToGuid, NullAndResourceIdGiveTheZeroGuid) {
  const _GUID zero{};
  const std::pair<const char*, const wchar_t*> rows[] = {
      {"null", nullptr}, {"a resource id", reinterpret_cast<const wchar_t*>(7)}};
  for (const auto& [what, text] : rows) {
    _GUID g;
    std::memset(&g, 0x55, sizeof g);
    EXPECT_EQ(0, VelUt::StringToGuid(text, g)) << what;
    EXPECT_EQ(0, std::memcmp(&g, &zero, sizeof g)) << "the GUID cleared for " << what;
  }
}

// Major and minor in the high and low 16 bits, each keeping its low 16 bits; "" is refused.
TEST(StringToVersion, PacksMajorAndMinorInto32Bits) {
  const std::tuple<const wchar_t*, bool, unsigned int> rows[] = {
      {L"", false, 0x00000000},       {L"2.10", true, 0x0002000A},
      {L"1.2.3.4", true, 0x000100EA}, {L"70000.1", true, 0x11700001},
      {L"1.70000", true, 0x00011170}, {L"-1.2", true, 0xFFFF0002},
  };
  velut_test::ForEachRow(rows, [](const wchar_t* text, bool read, unsigned int packed) {
    unsigned int version = 12345;
    EXPECT_EQ(read, VelUt::StringToVersion(text, version));
    EXPECT_EQ(packed, version);
  });
}

// The day, year and month are checked; the hour, minute and day of the month are not, nor what
// follows the seconds; a year too large keeps its low 32 bits (2024), as on Windows. 99 units fit
// the buffer, 100 not. The fuzz target checks the rest.
TEST(StringToTime, ChecksDayMonthAndYearOnly) {
  velut_test::ScopedTimeZone tz(velut_test::kCentralEurope);
  const std::pair<const wchar_t*, signed char> rows[] = {
      {L"1970-01-01T00:00:00", 1}, {L"2038-12-31T25:61:00", 1},   {L"2023-02-31T00:00:00Z", 1},
      {L"2024-05-17 08:30:00", 0}, {L"1969-12-31T23:59:59", 0},   {L"2039-01-01T00:00:00", 0},
      {L"2024-13-17T08:30:00", 0}, {L"4294969320-5-17T8:3:0", 1}, {L"", 0},
  };
  const auto check = [](const std::wstring& text, signed char result) {
    SCOPED_TRACE(testing::Message() << text.substr(0, 30) << " (" << text.size() << ")");
    CTime t(int64_t{777});
    EXPECT_EQ(result, VelUt::StringToTime(text, t));
    EXPECT_EQ(result == 0, t.GetTime() == 777) << "the time kept when the text is refused";
  };
  for (const auto& [text, result] : rows) check(text, result);
  const std::wstring day = L"2024-05-17T08:30:00";
  check(day + std::wstring(80, L'0'), 1);
  check(day + std::wstring(81, L'0'), 0);
  CTime t;  // local time, with daylight saving as the date has it
  ASSERT_EQ(1, VelUt::StringToTime(day, t));
  EXPECT_EQ(1715927400, t.GetTime());
}

}  // namespace
