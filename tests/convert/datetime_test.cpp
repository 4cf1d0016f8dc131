// Date-time text: what StringToTime accepts, and the display for the user.
#include <cstdint>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/scoped_env.h"

namespace {

// The day, year and month are checked; the hour, minute and day of the month
// are not, nor what follows the seconds. 99 units fit the buffer, 100 not. The
// fuzz target checks the rest against a transcription.
TEST(StringToTime, Table) {
  velut_test::ScopedTimeZone tz(velut_test::kCentralEurope);
  const std::pair<const wchar_t*, signed char> rows[] = {
      {L"1970-01-01T00:00:00", 1}, {L"2038-12-31T25:61:00", 1},   {L"2023-02-31T00:00:00Z", 1},
      {L"2024-05-17 08:30:00", 0}, {L"1969-12-31T23:59:59", 0},   {L"2039-01-01T00:00:00", 0},
      {L"2024-13-17T08:30:00", 0}, {L"4294969320-5-17T8:3:0", 0}, {L"", 0},
  };
  const auto check = [](const std::wstring& text, signed char result) {
    SCOPED_TRACE(testing::Message() << text.substr(0, 30) << " (" << text.size() << ")");
    CTime t(int64_t{777});
    EXPECT_EQ(VelUt::StringToTime(text, t), result);
    EXPECT_EQ(t.GetTime() == 777, result == 0);
  };
  for (const auto& [text, result] : rows) check(text, result);
  const std::wstring day = L"2024-05-17T08:30:00";
  check(day + std::wstring(80, L'0'), 1);
  check(day + std::wstring(81, L'0'), 0);
  CTime t;  // local time, with daylight saving as the date has it
  ASSERT_EQ(VelUt::StringToTime(day, t), 1);
  EXPECT_EQ(t.GetTime(), 1715927400);
}

// The long date, one blank, the time, in the user's language.
TEST(FormatDateTimeForUserLocale, LongDateBlankTime) {
  velut_test::ScopedTimeZone tz("UTC0");
  velut_test::ScopedUserLocale locale("de_DE.UTF-8");
  CTime t;
  ASSERT_EQ(VelUt::StringToTime(L"2024-05-17T20:30:05", t), 1);
  EXPECT_EQ(VelUt::FormatDateTimeForUserLocale(t), L"Freitag, 17. Mai 2024 20:30:05");
}

}  // namespace
