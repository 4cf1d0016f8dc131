// CTime over the C library's local time; GetDateFormat / GetTimeFormat.
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Time.h>

#include "support/rows.h"
#include "support/scoped_env.h"

namespace {

using velut_test::ScopedEnv;
using velut_test::ScopedTimeZone;
using velut_test::ScopedUserLocale;

// The fields of a time, "year-month-day hour:minute:second weekday".
std::string Fields(const CTime& t) {
  return std::to_string(t.GetYear()) + "-" + std::to_string(t.GetMonth()) + "-" +
         std::to_string(t.GetDay()) + " " + std::to_string(t.GetHour()) + ":" +
         std::to_string(t.GetMinute()) + ":" + std::to_string(t.GetSecond()) + " " +
         std::to_string(t.GetDayOfWeek());
}

TEST(CTime, FieldsAndSystemTime) {
  constexpr std::int64_t kAny = INT64_MIN;  // any time
  ScopedTimeZone tz(velut_test::kCentralEurope);
  struct Row {
    const char* name;
    int year, month, day, hour, minute, second, daylight;
    std::int64_t time;
    const char* fields;  // the start of Fields()
  };
  const Row rows[] = {
      {"summer: UTC+2", 2024, 5, 17, 8, 30, 0, -1, 1715927400, "2024-5-17 8:30:0 6"},
      {"winter: UTC+1", 2024, 1, 15, 12, 0, 0, 0, 1705316400, "2024-1-15 12:0:0 2"},
      {"claimed daylight time", 2024, 1, 15, 12, 0, 0, 1, 1705312800, "2024-1-15 11:0:0 2"},
      {"past 32 bits of seconds", 2038, 6, 1, 0, 0, 0, -1, 2158956000, "2038-6-1 0:0:0 3"},
      // Months at the ends of int carry whole years in 64 bits.
      {"month INT_MIN", 2024, INT_MIN, 17, 8, 30, 0, 0, kAny, "-178954947-4-17 8:30:0 "},
      {"month INT_MAX", 2024, INT_MAX, 17, 8, 30, 0, 0, kAny, "178958994-7-17 8:30:0 "},
      {"year beyond struct tm", INT_MAX, INT_MAX, 1, 0, 0, 0, 0, -1, ""},
      {"year below struct tm", INT_MIN, 5, 17, 8, 30, 0, 0, -1, ""},
      {"-1 is also a real time", 1970, 1, 1, 0, 59, 59, 0, -1, "1970-1-1 0:59:59 5"}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    const CTime t(row.year, row.month, row.day, row.hour, row.minute, row.second, row.daylight);
    if (row.time != kAny) {
      EXPECT_EQ(row.time, t.GetTime());
    }
    EXPECT_EQ(row.fields, Fields(t).substr(0, std::strlen(row.fields)));
  });
  struct tm tm {};
  EXPECT_EQ(CTime(INT64_MAX).GetYear(), -1);  // no local year fits an int
  EXPECT_EQ(CTime(INT64_MAX).GetLocalTm(&tm), nullptr);
  std::int64_t before, now;  // the clock's second, read again if it turned meanwhile
  do before = std::time(nullptr), now = CTime::GetCurrentTime().GetTime();
  while (before != std::time(nullptr));
  EXPECT_EQ(before, now);
  SYSTEMTIME st{};
  ASSERT_TRUE(CTime(2024, 5, 17, 8, 30, 15).GetAsSystemTime(st));
  EXPECT_EQ(std::vector<WORD>({st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour, st.wMinute,
                               st.wSecond, st.wMilliseconds}),
            std::vector<WORD>({2024, 5, 17, 5, 8, 30, 15, 0}));
  EXPECT_EQ(CTime(st).GetTime(), CTime(2024, 5, 17, 8, 30, 15).GetTime());
  GetLocalTime(&st);  // today, on the weekday CTime gives it
  EXPECT_EQ(st.wDayOfWeek + 1, CTime(st.wYear, st.wMonth, st.wDay, 12, 0, 0).GetDayOfWeek());
  SYSTEMTIME untouched = st;
  EXPECT_FALSE(CTime(int64_t{-20000000000}).GetAsSystemTime(untouched));   // year 1336
  EXPECT_FALSE(CTime(int64_t{1000000000000}).GetAsSystemTime(untouched));  // year 33658
  EXPECT_EQ(untouched.wYear, st.wYear);
}

SYSTEMTIME Date(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0) {
  SYSTEMTIME st{};
  st.wYear = y, st.wMonth = mo, st.wDay = d, st.wHour = h, st.wMinute = mi, st.wSecond = s;
  return st;
}

using FormatFunction = int (*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

// The text, or "<error N>".
std::wstring Text(FormatFunction format, DWORD flags, const SYSTEMTIME& st,
                  const wchar_t* picture = nullptr, LCID lcid = LOCALE_USER_DEFAULT) {
  wchar_t buf[256];
  SetLastError(0);
  const int n = format(lcid, flags, &st, picture, buf, 256);
  if (n == 0) return L"<error " + std::to_wstring(GetLastError()) + L">";
  EXPECT_EQ(format(lcid, flags, &st, picture, nullptr, 0), n);  // the size it asks for
  return std::wstring(buf).size() + 1 == static_cast<std::size_t>(n) ? buf : L"<wrong size>";
}

// The user's locale: the first of LC_ALL, LC_TIME, LANG set and not empty, installed or not.
TEST(GetDateFormat, LongDateInTheUsersLocale) {
  const std::string overlong = "de_DE@" + std::string(300, 'x');
  struct Row {
    const char* name;
    const char *lc_all, *lc_time, *lang;  // null: unset
    LCID lcid;                            // 0: LOCALE_USER_DEFAULT
    const wchar_t* text;
  };
  const Row rows[] = {
      {"LC_ALL first", "de_DE.UTF-8", "fr_FR.UTF-8", "es_ES", 0, L"Freitag, 17. Mai 2024"},
      {"an empty LC_ALL: LC_TIME", "", "fr_FR.UTF-8", "de_DE", 0, L"vendredi 17 mai 2024"},
      {"an empty LC_TIME: LANG (quotes in its pattern)", nullptr, "", "es_ES", 0,
       L"viernes, 17 de mayo de 2024"},
      {"no locale at all", nullptr, nullptr, nullptr, 0, L"Friday, May 17, 2024"},
      {"a language ICU lacks", "xx_YY.UTF-8", nullptr, nullptr, 0, L"Friday, May 17, 2024"},
      {"too long for ICU", overlong.c_str(), nullptr, nullptr, 0, L"Friday, May 17, 2024"},
      {"an explicit LCID", "en_US.UTF-8", nullptr, nullptr, 0x0407, L"Freitag, 17. Mai 2024"},
      {"invariant", "de_DE.UTF-8", nullptr, nullptr, LOCALE_INVARIANT, L"Friday, 17 May 2024"},
      {"system default", "de_DE.UTF-8", nullptr, nullptr, LOCALE_SYSTEM_DEFAULT,
       L"Freitag, 17. Mai 2024"},
      {"an unknown LCID", "de_DE.UTF-8", nullptr, nullptr, 0xF0F0F, L"<error 87>"}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    ScopedEnv a("LC_ALL", row.lc_all), t("LC_TIME", row.lc_time), l("LANG", row.lang);
    const LCID lcid = row.lcid != 0 ? row.lcid : LOCALE_USER_DEFAULT;
    EXPECT_EQ(row.text, Text(GetDateFormatW, DATE_LONGDATE, Date(2024, 5, 17), nullptr, lcid));
  });
}

TEST(GetDateFormat, KindsFlagsAndPictures) {
  ScopedUserLocale locale("de_DE.UTF-8");
  const SYSTEMTIME may7 = Date(2005, 5, 7);
  const std::tuple<DWORD, const wchar_t*, const wchar_t*> rows[] = {
      {0, nullptr, L"07.05.2005"},  // the short date shows the whole year
      {DATE_YEARMONTH, nullptr, L"Mai 2005"},
      {DATE_MONTHDAY, nullptr, L"7. Mai"},
      {DATE_LONGDATE | LOCALE_NOUSEROVERRIDE | DATE_USE_ALT_CALENDAR, nullptr,
       L"Samstag, 7. Mai 2005"},
      {DATE_LTRREADING, nullptr, L"\u200E07.05.2005"},
      {0, L"dddd, MMMM d / ddd MMM / g yyyy", L"Samstag, Mai 7 / Sa. Mai / n. Chr. 2005"},
      {0, L"d/M/yy y yyyyy", L"7/5/05 5 2005"},     // five y read as the full year
      {0, L"'It''s' d.''MM ''''", L"It's 7.05 '"},  // '' quotes a quote, or is an empty text
      {0, L"d \U0001F600 '\U0001F600''' d \x110000", L"7 \U0001F600 \U0001F600' 7 \xFFFD"},
      {0, L"d 'open", L"7 open"},     // an unclosed quote runs to the end
      {0, L"hh:mm tt", L"hh:mm tt"},  // time letters are text in a date picture
      {DATE_SHORTDATE | DATE_LONGDATE, nullptr, L"<error 1004>"},
      {0x100, nullptr, L"<error 1004>"},
      {DATE_LONGDATE, L"d", L"<error 1004>"}};  // a kind with a picture
  velut_test::ForEachRow(rows, [&](DWORD flags, const wchar_t* picture, const wchar_t* text) {
    EXPECT_EQ(Text(GetDateFormatW, flags, may7, picture), text);
  });
}

// Chakma digits are one wchar_t each; long texts come out whole; bad dates are refused.
TEST(GetDateFormat, TextsDatesAndBuffers) {
  {
    ScopedUserLocale locale("ccp_BD.UTF-8");
    EXPECT_EQ(Text(GetDateFormatW, 0, Date(2024, 5, 17), L"d/M/yy"),
              L"\U00011137\U0001113D/\U0001113B/\U00011138\U0001113A");
  }
  {
    ScopedUserLocale locale("ar_EG.UTF-8");  // written right to left
    EXPECT_EQ(Text(GetDateFormatW, DATE_AUTOLAYOUT, Date(2024, 5, 17))[0], L'\u200F');
  }
  ScopedUserLocale locale("en_US.UTF-8");
  const std::wstring words(300, L'w');  // past ICU's first buffer
  wchar_t big[512];
  const SYSTEMTIME st = Date(2024, 5, 17);
  EXPECT_EQ(GetDateFormatW(0, 0, &st, (L"'" + words + L"' d").c_str(), big, 512), 304);
  EXPECT_EQ(std::wstring(big), words + L" 17");
  SYSTEMTIME today;
  GetLocalTime(&today);
  const std::wstring expected = Text(GetDateFormatW, 0, today);
  EXPECT_EQ(int(expected.size()) + 1, GetDateFormatW(0, 0, nullptr, nullptr, big, 512)) << "today";
  EXPECT_EQ(expected, big) << "no date: today";
  for (const SYSTEMTIME& bad : {Date(2024, 13, 1), Date(2023, 2, 29), Date(1600, 12, 31)})
    EXPECT_EQ(Text(GetDateFormatW, 0, bad), L"<error 87>");
  EXPECT_EQ(Text(GetDateFormatW, 0, Date(2024, 2, 29)), L"2/29/2024");
  wchar_t buf[11];
  EXPECT_EQ(GetDateFormatW(0, 0, &st, L"yyyy-MM-dd", buf, -1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// A flag drops a picture's field with the separator before it (after, if the field is first);
// the text after it keeps only its blanks.
TEST(GetTimeFormat, StylesFlagsAndPictures) {
  const SYSTEMTIME morning = Date(0, 0, 0, 8, 30, 5);  // the date is not read
  const SYSTEMTIME afternoon = Date(2024, 5, 17, 14, 5, 9);
  const std::tuple<DWORD, SYSTEMTIME, const wchar_t*, const wchar_t*> rows[] = {
      {0, morning, nullptr, L"8:30:05\u202FAM"},
      {TIME_NOSECONDS, afternoon, nullptr, L"2:05\u202FPM"},
      {TIME_NOMINUTESORSECONDS | TIME_FORCE24HOURFORMAT, afternoon, nullptr, L"14"},
      {0, afternoon, L"hh:mm:ss tt|HH'h'mm dd", L"02:05:09 PM|14h05 dd"},
      {0, afternoon, L"H:m:s t", L"14:5:9 P"},
      {TIME_NOSECONDS, afternoon, L"ss:mm HH", L"05 14"},
      {TIME_NOMINUTESORSECONDS, afternoon, L"'at' HH:mm:ss", L"at 14"},
      {TIME_FORCE24HOURFORMAT, afternoon, L"hh:mm tt", L"14:05 PM"},  // the picture's tt stays
      {TIME_NOSECONDS, morning, L"h.@:m.@:s.@:tt", L"8.@:30AM"},      // the text after s goes too
      {TIME_NOTIMEMARKER, morning, L"h:mm t", L"8:30"},
      {0, Date(0, 0, 0, 24, 0, 0), nullptr, L"<error 87>"},
      {0x10, morning, nullptr, L"<error 1004>"},
      {LOCALE_NOUSEROVERRIDE, morning, L"HH", L"<error 1004>"}};
  ScopedUserLocale locale("en_US.UTF-8");
  velut_test::ForEachRow(rows, [](auto& flags, auto& st, auto& picture, auto& text) {
    EXPECT_EQ(Text(GetTimeFormatW, flags, st, picture), text);
  });
  wchar_t hour[4];  // a null time is the current local time
  EXPECT_EQ(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, L"HH", hour, 4), 3);
}

}  // namespace
