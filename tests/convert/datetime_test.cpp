// Date-time text: the texts StringToTime accepts and rejects, and the
// display text for the user's locale.
#include <cstdint>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/locale_env.h"
#include "support/time_zone.h"

namespace {

using velut_test::ScopedTimeZone;
using velut_test::ScopedUserLocale;

TEST(StringToTime, Accepted) {
  ScopedTimeZone tz(velut_test::kCentralEurope);
  struct Row {
    const wchar_t* text;
    int y, mo, d, h, mi, s;
  };
  const Row rows[] = {
      {L"2024-05-17T08:30:00", 2024, 5, 17, 8, 30, 0},
      {L"2024-05-17T08:30:00Z", 2024, 5, 17, 8, 30, 0},
      {L"2024-05-17T08:30:00.250", 2024, 5, 17, 8, 30, 0},
      {L"2024-05-17T08:30:00+02:00", 2024, 5, 17, 8, 30, 0},
      {L"2024-5-7T8:3:0", 2024, 5, 7, 8, 3, 0},
      {L" 2024-05-17T 08:30:00", 2024, 5, 17, 8, 30, 0},
      {L"1970-01-01T00:00:00", 1970, 1, 1, 0, 0, 0},
      {L"2038-12-31T23:59:59", 2038, 12, 31, 23, 59, 59},
      {L"2024-01-31T12:00:00", 2024, 1, 31, 12, 0, 0},
      // Passing the checks, carried over by CTime.
      {L"2024-05-17T25:00:00", 2024, 5, 18, 1, 0, 0},
      {L"2024-05-17T08:61:00", 2024, 5, 17, 9, 1, 0},
      {L"2023-02-31T00:00:00", 2023, 3, 3, 0, 0, 0},
      {L"2024-05-17T-1:00:00", 2024, 5, 16, 23, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.text));
    CTime t;
    ASSERT_EQ(VelUt::StringToTime(r.text, t), 1);
    EXPECT_EQ(t.GetYear(), r.y);
    EXPECT_EQ(t.GetMonth(), r.mo);
    EXPECT_EQ(t.GetDay(), r.d);
    EXPECT_EQ(t.GetHour(), r.h);
    EXPECT_EQ(t.GetMinute(), r.mi);
    EXPECT_EQ(t.GetSecond(), r.s);
  }
  // Local time: 08:30 in Central European summer time is 06:30 UTC.
  CTime t;
  ASSERT_EQ(VelUt::StringToTime(L"2024-05-17T08:30:00", t), 1);
  EXPECT_EQ(t.GetTime(), 1715927400);
}

TEST(StringToTime, Rejected) {
  const std::wstring hundred = L"2024-05-17T08:30:00" + std::wstring(81, L'0');
  const std::wstring ninetyNine = L"2024-05-17T08:30:00" + std::wstring(80, L'0');
  const std::wstring rejected[] = {
      L"",
      L"2024-05-17",
      L"2024-05-17 08:30:00",
      L"2024-05-17t08:30:00",
      L"2024/05/17T08:30:00",
      L"2024-05-17T08.30.00",
      L"2024-05-17T08:30",
      L"T08:30:00",
      L"1969-12-31T23:59:59",
      L"2039-01-01T00:00:00",
      L"2024-00-17T08:30:00",
      L"2024-13-17T08:30:00",
      L"2024-05-00T08:30:00",
      L"2024-05-32T08:30:00",
      L"4294969320-05-17T08:30:00",  // no wrap-around into the range
      hundred,
      std::wstring(L"\0"
                   L"2024-05-17T08:30:00",
                   20),
  };
  for (const std::wstring& text : rejected) {
    SCOPED_TRACE(testing::Message() << text.substr(0, 30) << " (" << text.size() << ")");
    CTime t(int64_t{777});
    EXPECT_EQ(VelUt::StringToTime(text, t), 0);
    EXPECT_EQ(t.GetTime(), 777);
  }
  CTime t;
  EXPECT_EQ(VelUt::StringToTime(ninetyNine, t), 1);  // 99 units still fit
}

// The order of the checks: the day first, then the year, then the month;
// all must pass, so the order shows only in which fails, not in the result.
TEST(StringToTime, BoundariesOfEachField) {
  struct Row {
    const wchar_t* text;
    signed char result;
  };
  const Row rows[] = {
      {L"1970-06-15T00:00:00", 1}, {L"2038-06-15T00:00:00", 1}, {L"1969-06-15T00:00:00", 0},
      {L"2039-06-15T00:00:00", 0}, {L"2000-01-01T00:00:00", 1}, {L"2000-12-31T00:00:00", 1},
      {L"2000-00-01T00:00:00", 0}, {L"2000-13-01T00:00:00", 0}, {L"2000-06-00T00:00:00", 0},
      {L"2000-06-31T00:00:00", 1}, {L"2000-06-32T00:00:00", 0}, {L"-2000-06-15T00:00:00", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.text));
    CTime t;
    EXPECT_EQ(VelUt::StringToTime(r.text, t), r.result);
  }
}

// Structure, not one ICU version's exact words: the long date (with the
// locale's month name and the year), one blank, the time.
TEST(FormatDateTimeForUserLocale, DateBlankTimeInTheUsersLocale) {
  ScopedTimeZone tz("UTC0");
  CTime t;
  ASSERT_EQ(VelUt::StringToTime(L"2024-05-17T08:30:05", t), 1);
  struct Row {
    const char* locale;
    const wchar_t* month;
    const wchar_t* weekday;
  };
  const Row rows[] = {
      {"de_DE.UTF-8", L"Mai", L"Freitag"},
      {"fr_FR.UTF-8", L"mai", L"vendredi"},
      {"en_US.UTF-8", L"May", L"Friday"},
      {"it_IT", L"maggio", L"venerdì"},
  };
  const std::wregex shape(L"(.*2024[^ ]*) (.*8[:.]30[:.]05.*)");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.locale);
    ScopedUserLocale locale(r.locale);
    const CStdStr<wchar_t> text = VelUt::FormatDateTimeForUserLocale(t);
    std::wsmatch m;
    ASSERT_TRUE(std::regex_match(text, m, shape)) << std::string(text.begin(), text.end());
    const std::wstring date = m[1];
    EXPECT_NE(date.find(r.month), std::wstring::npos);
    EXPECT_NE(date.find(r.weekday), std::wstring::npos);
    EXPECT_NE(date.find(L"17"), std::wstring::npos);
    // The date is the layer's long date and the time its own time format.
    wchar_t expected_date[256];
    SYSTEMTIME st{};
    ASSERT_TRUE(t.GetAsSystemTime(st));
    ASSERT_GT(GetDateFormat(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, expected_date, 256),
              0);
    EXPECT_EQ(date, expected_date);
  }
}

TEST(FormatDateTimeForUserLocale, GermanIsTwentyFourHours) {
  ScopedTimeZone tz("UTC0");
  ScopedUserLocale locale("de_DE.UTF-8");
  CTime t;
  ASSERT_EQ(VelUt::StringToTime(L"2024-05-17T20:30:05", t), 1);
  const CStdStr<wchar_t> text = VelUt::FormatDateTimeForUserLocale(t);
  EXPECT_EQ(text.Right(9), L" 20:30:05");
}

}  // namespace
