// CTime over the C library's local time, and GetDateFormat /
// GetTimeFormat with their locales, flags, pictures and buffers.
#include <climits>
#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Time.h>

#include "support/scoped_env.h"

namespace {

using velut_test::ScopedEnv;
using velut_test::ScopedTimeZone;
using velut_test::ScopedUserLocale;

// ---------------------------------------------------------------- CTime

TEST(CTime, FieldsInUtc) {
  ScopedTimeZone tz("UTC0");
  const CTime t(2024, 5, 17, 8, 30, 0);
  EXPECT_EQ(t.GetTime(), 1715934600);
  EXPECT_EQ(t.GetYear(), 2024);
  EXPECT_EQ(t.GetMonth(), 5);
  EXPECT_EQ(t.GetDay(), 17);
  EXPECT_EQ(t.GetHour(), 8);
  EXPECT_EQ(t.GetMinute(), 30);
  EXPECT_EQ(t.GetSecond(), 0);
  EXPECT_EQ(t.GetDayOfWeek(), 6);  // Friday
  EXPECT_EQ(CTime().GetTime(), 0);
  EXPECT_EQ(CTime(int64_t{1715934600}), t);
}

TEST(CTime, GetCurrentTimeIsNow) {
  const std::int64_t before = std::time(nullptr);
  const std::int64_t now = CTime::GetCurrentTime().GetTime();
  const std::int64_t after = std::time(nullptr);
  EXPECT_GE(now, before);
  EXPECT_LE(now, after);
}

TEST(CTime, DaylightFlagAsMktimeReadsIt) {
  ScopedTimeZone tz(velut_test::kCentralEurope);
  // Summer: -1 finds daylight-saving time (UTC+2).
  EXPECT_EQ(CTime(2024, 5, 17, 8, 30, 0, -1).GetTime(), 1715927400);
  // Winter: standard time (UTC+1); claiming daylight time moves it an hour.
  const CTime standard(2024, 1, 15, 12, 0, 0, 0);
  const CTime daylight(2024, 1, 15, 12, 0, 0, 1);
  EXPECT_EQ(standard.GetTime(), 1705316400);
  EXPECT_EQ(standard.GetTime() - daylight.GetTime(), 3600);
  EXPECT_EQ(daylight.GetHour(), 11);
}

TEST(CTime, FieldsCarryOver) {
  ScopedTimeZone tz("UTC0");
  struct Row {
    int y, mo, d, h, mi, s;
    int ey, emo, ed, eh, emi;
  };
  const Row rows[] = {
      {2024, 5, 17, 25, 0, 0, 2024, 5, 18, 1, 0},
      {2023, 2, 31, 0, 0, 0, 2023, 3, 3, 0, 0},
      {2024, 2, 31, 0, 0, 0, 2024, 3, 2, 0, 0},
      {2024, 5, 17, 8, 61, 0, 2024, 5, 17, 9, 1},
      {2024, 12, 31, 23, 59, 60, 2025, 1, 1, 0, 0},
      {2024, 13, 1, 0, 0, 0, 2025, 1, 1, 0, 0},
      {2024, 1, 0, 0, 0, 0, 2023, 12, 31, 0, 0},
      // Months at the ends of int carry whole years, without overflow.
      {2024, INT_MIN, 17, 8, 30, 0, -178954947, 4, 17, 8, 30},
      {2024, INT_MAX, 17, 8, 30, 0, 178958994, 7, 17, 8, 30},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message()
                 << r.y << "-" << r.mo << "-" << r.d << " " << r.h << ":" << r.mi << ":" << r.s);
    const CTime t(r.y, r.mo, r.d, r.h, r.mi, r.s);
    EXPECT_EQ(t.GetYear(), r.ey);
    EXPECT_EQ(t.GetMonth(), r.emo);
    EXPECT_EQ(t.GetDay(), r.ed);
    EXPECT_EQ(t.GetHour(), r.eh);
    EXPECT_EQ(t.GetMinute(), r.emi);
  }
}

TEST(CTime, UnrepresentableFieldsGiveMinusOne) {
  ScopedTimeZone tz("UTC0");
  EXPECT_EQ(CTime(INT_MAX, INT_MAX, 1, 0, 0, 0).GetTime(), -1);  // the year overflows int
  EXPECT_EQ(CTime(INT_MIN, 5, 17, 8, 30, 0).GetTime(), -1);
  EXPECT_EQ(CTime(INT_MIN, INT_MIN, 17, 8, 30, 0).GetTime(), -1);
  // A time whose local year does not fit an int has no fields.
  EXPECT_EQ(CTime(INT64_MAX).GetYear(), -1);
  struct tm tm {};
  EXPECT_EQ(CTime(INT64_MAX).GetLocalTm(&tm), nullptr);
  // -1 itself is a real time, one second before the epoch.
  EXPECT_EQ(CTime(1969, 12, 31, 23, 59, 59).GetTime(), -1);
  EXPECT_EQ(CTime(1969, 12, 31, 23, 59, 59).GetYear(), 1969);
}

TEST(CTime, GetAsSystemTime) {
  ScopedTimeZone tz(velut_test::kCentralEurope);
  SYSTEMTIME st{};
  ASSERT_TRUE(CTime(2024, 5, 17, 8, 30, 15).GetAsSystemTime(st));
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wMonth, 5);
  EXPECT_EQ(st.wDay, 17);
  EXPECT_EQ(st.wDayOfWeek, 5);
  EXPECT_EQ(st.wHour, 8);
  EXPECT_EQ(st.wMinute, 30);
  EXPECT_EQ(st.wSecond, 15);
  EXPECT_EQ(st.wMilliseconds, 0);
  EXPECT_EQ(CTime(st).GetTime(), CTime(2024, 5, 17, 8, 30, 15).GetTime());

  SYSTEMTIME untouched{};
  untouched.wYear = 7;
  EXPECT_FALSE(CTime(int64_t{-20000000000}).GetAsSystemTime(untouched));   // year 1336
  EXPECT_FALSE(CTime(int64_t{1000000000000}).GetAsSystemTime(untouched));  // year 33658
  EXPECT_EQ(untouched.wYear, 7);
}

// ---------------------------------------------------------------- formats

SYSTEMTIME Date(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0) {
  SYSTEMTIME st{};
  st.wYear = y;
  st.wMonth = mo;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = mi;
  st.wSecond = s;
  return st;
}

std::wstring DateText(DWORD flags, const SYSTEMTIME& st, const wchar_t* picture = nullptr,
                      LCID lcid = LOCALE_USER_DEFAULT) {
  wchar_t buf[256];
  const int n = GetDateFormatW(lcid, flags, &st, picture, buf, 256);
  return n > 0 ? std::wstring(buf) : L"<error " + std::to_wstring(GetLastError()) + L">";
}

std::wstring TimeText(DWORD flags, const SYSTEMTIME& st, const wchar_t* picture = nullptr,
                      LCID lcid = LOCALE_USER_DEFAULT) {
  wchar_t buf[256];
  const int n = GetTimeFormatW(lcid, flags, &st, picture, buf, 256);
  return n > 0 ? std::wstring(buf) : L"<error " + std::to_wstring(GetLastError()) + L">";
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

TEST(GetDateFormat, LongDateNamesTheLocalesMonth) {
  const SYSTEMTIME st = Date(2024, 5, 17);
  struct Row {
    const char* locale;
    const wchar_t* weekday;
    const wchar_t* month;
  };
  // fr_FR and ja_JP are not installed here: the layer needs only ICU.
  const Row rows[] = {
      {"de_DE.UTF-8", L"Freitag", L"Mai"},
      {"fr_FR.UTF-8", L"vendredi", L"mai"},
      {"en_US.UTF-8", L"Friday", L"May"},
      {"es_ES", L"viernes", L"mayo"},
      {"C.UTF-8", L"Friday", L"May"},
      {"xx_YY.UTF-8", L"Friday", L"May"},  // a language ICU does not know
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.locale);
    ScopedUserLocale locale(r.locale);
    const std::wstring text = DateText(DATE_LONGDATE, st);
    EXPECT_TRUE(Contains(text, r.weekday)) << text;
    EXPECT_TRUE(Contains(text, r.month)) << text;
    EXPECT_TRUE(Contains(text, L"17")) << text;
    EXPECT_TRUE(Contains(text, L"2024")) << text;
  }
}

TEST(GetDateFormat, LocaleVariablesInOrder) {
  const SYSTEMTIME st = Date(2024, 5, 17);
  {
    ScopedEnv all("LC_ALL", "de_DE.UTF-8"), time("LC_TIME", "fr_FR.UTF-8"), lang("LANG", "es_ES");
    EXPECT_TRUE(Contains(DateText(DATE_LONGDATE, st), L"Mai"));
  }
  {
    ScopedEnv all("LC_ALL", ""), time("LC_TIME", "fr_FR.UTF-8"), lang("LANG", "de_DE");
    EXPECT_TRUE(Contains(DateText(DATE_LONGDATE, st), L"vendredi"));
  }
  {
    ScopedEnv all("LC_ALL", nullptr), time("LC_TIME", ""), lang("LANG", "de_DE");
    EXPECT_TRUE(Contains(DateText(DATE_LONGDATE, st), L"Freitag"));
  }
  {
    ScopedEnv all("LC_ALL", nullptr), time("LC_TIME", nullptr), lang("LANG", nullptr);
    EXPECT_TRUE(Contains(DateText(DATE_LONGDATE, st), L"Friday"));
  }
}

TEST(GetDateFormat, Kinds) {
  ScopedUserLocale locale("de_DE.UTF-8");
  const SYSTEMTIME st = Date(2024, 5, 7);
  EXPECT_EQ(DateText(DATE_SHORTDATE, st), L"07.05.2024");  // the whole year
  EXPECT_EQ(DateText(0, st), DateText(DATE_SHORTDATE, st));
  EXPECT_TRUE(Contains(DateText(DATE_YEARMONTH, st), L"Mai 2024"));
  const std::wstring monthDay = DateText(DATE_MONTHDAY, st);
  EXPECT_TRUE(Contains(monthDay, L"Mai")) << monthDay;
  EXPECT_FALSE(Contains(monthDay, L"2024")) << monthDay;
  // Flags with no effect here.
  EXPECT_EQ(DateText(DATE_LONGDATE | LOCALE_NOUSEROVERRIDE | DATE_USE_ALT_CALENDAR, st),
            DateText(DATE_LONGDATE, st));
}

TEST(GetDateFormat, ReadingMarks) {
  const SYSTEMTIME st = Date(2024, 5, 17);
  {
    ScopedUserLocale locale("en_US.UTF-8");
    const std::wstring plain = DateText(DATE_SHORTDATE, st);
    EXPECT_EQ(DateText(DATE_SHORTDATE | DATE_LTRREADING, st), L"\u200E" + plain);
    EXPECT_EQ(DateText(DATE_SHORTDATE | DATE_RTLREADING, st), L"\u200F" + plain);
    EXPECT_EQ(DateText(DATE_SHORTDATE | DATE_AUTOLAYOUT, st), plain);
  }
  {
    ScopedUserLocale locale("ar_EG.UTF-8");
    const std::wstring text = DateText(DATE_SHORTDATE | DATE_AUTOLAYOUT, st);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text[0], L'\u200F');
  }
}

TEST(GetDateFormat, Pictures) {
  ScopedUserLocale locale("en_US.UTF-8");
  const SYSTEMTIME st = Date(2005, 5, 7);
  struct Row {
    const wchar_t* picture;
    const wchar_t* text;
  };
  const Row rows[] = {
      {L"dd'.'MM'.'yyyy", L"07.05.2005"},
      {L"d/M/yy", L"7/5/05"},
      {L"y", L"5"},
      {L"dddd, MMMM d", L"Saturday, May 7"},
      {L"ddd MMM", L"Sat May"},
      {L"'It''s' d", L"It's 7"},
      {L"d.''MM", L"7.'05"},  // '' outside quotes is a quote too
      {L"d''MM", L"7'05"},
      {L"''''", L"''"},
      {L"d'''x'''", L"7'x'"},
      {L"d \U0001F600", L"7 \U0001F600"},  // beyond the BMP, as it stands
      {L"'\U0001F600''' d", L"\U0001F600' 7"},
      {L"d \x110000", L"7 \xFFFD"},  // no character at all
      {L"'d ''y'' M' d", L"d 'y' M 7"},
      {L"d 'open", L"7 open"},     // an unclosed quote runs to the end
      {L"hh:mm tt", L"hh:mm tt"},  // time letters are text in a date picture
      {L"g yyyy", L"AD 2005"},
      {L"", L""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.picture));
    wchar_t buf[64];
    const int n = GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, r.picture, buf, 64);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::wstring(buf), r.text);
  }
}

// "y" is the year without century and without a leading zero, "yy" with
// it; five or more y read as the full year.
TEST(GetDateFormat, YearPictures) {
  ScopedUserLocale locale("en_US.UTF-8");
  struct Row {
    WORD year;
    const wchar_t* picture;
    const wchar_t* text;
  };
  const Row rows[] = {
      {2010, L"y", L"10"},       {2000, L"y", L"0"},        {2000, L"yy", L"00"},
      {1999, L"y/yy", L"99/99"}, {1999, L"yyyyy", L"1999"}, {1601, L"yyy", L"1601"},
      {2024, L"'y' y", L"y 24"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.year << " " << std::wstring(r.picture));
    EXPECT_EQ(DateText(0, Date(r.year, 5, 7), r.picture), r.text);
  }
}

// A result longer than the formatter's first buffer comes out whole.
TEST(GetDateFormat, LongLiteral) {
  ScopedUserLocale locale("en_US.UTF-8");
  const std::wstring words(200, L'w');
  const std::wstring picture = L"'" + words + L"' d";
  const SYSTEMTIME st = Date(2024, 5, 17);
  wchar_t buf[256];
  ASSERT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, picture.c_str(), nullptr, 0), 204);
  ASSERT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, picture.c_str(), buf, 256), 204);
  EXPECT_EQ(std::wstring(buf), words + L" 17");
}

// Digits outside the Basic Multilingual Plane (Chakma) come out as one
// wchar_t each, not as UTF-16 surrogate pairs.
TEST(GetDateFormat, CharactersBeyondTheBmp) {
  ScopedUserLocale locale("ccp_BD.UTF-8");
  const SYSTEMTIME st = Date(2024, 5, 17);
  EXPECT_EQ(DateText(0, st, L"d/M/yy"), L"\U00011137\U0001113D/\U0001113B/\U00011138\U0001113A");
  const std::wstring text = DateText(DATE_SHORTDATE, st);
  EXPECT_TRUE(Contains(text, L"\U00011138\U00011136\U00011138\U0001113A")) << text.size();
  for (const wchar_t c : text) EXPECT_FALSE(c >= 0xD800 && c <= 0xDFFF) << std::hex << c;
}

// A locale name too long for ICU reads as the default English.
TEST(GetDateFormat, OverlongLocaleName) {
  const std::string name = "de_DE@" + std::string(300, 'x');
  ScopedUserLocale locale(name.c_str());
  EXPECT_TRUE(Contains(DateText(DATE_LONGDATE, Date(2024, 5, 17)), L"Friday"));
}

TEST(GetDateFormat, Lcids) {
  ScopedUserLocale locale("en_US.UTF-8");
  const SYSTEMTIME st = Date(2024, 5, 17);
  EXPECT_TRUE(Contains(DateText(DATE_LONGDATE, st, nullptr, 0x0407), L"Mai"));
  EXPECT_TRUE(Contains(DateText(DATE_LONGDATE, st, nullptr, 0x040C), L"mai"));
  EXPECT_TRUE(Contains(DateText(DATE_LONGDATE, st, nullptr, LOCALE_INVARIANT), L"May"));
  EXPECT_TRUE(Contains(DateText(DATE_LONGDATE, st, nullptr, LOCALE_SYSTEM_DEFAULT), L"Friday"));
  EXPECT_EQ(DateText(DATE_LONGDATE, st, nullptr, 0xF0F0F), L"<error 87>");
}

// A call that must fail, and the last error it must leave.
struct FailureRow {
  const char* what;
  DWORD flags;
  SYSTEMTIME st;
  const wchar_t* picture;
  DWORD error;
};

using FormatFunction = int (*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

void ExpectFailures(FormatFunction format, std::initializer_list<FailureRow> rows) {
  for (const FailureRow& r : rows) {
    SCOPED_TRACE(r.what);
    wchar_t buf[64];
    SetLastError(0);
    EXPECT_EQ(format(LOCALE_USER_DEFAULT, r.flags, &r.st, r.picture, buf, 64), 0);
    EXPECT_EQ(GetLastError(), r.error);
  }
}

TEST(GetDateFormat, Failures) {
  ScopedUserLocale locale("en_US.UTF-8");
  const SYSTEMTIME good = Date(2024, 2, 29);
  ExpectFailures(
      GetDateFormatW,
      {
          {"two kinds", DATE_SHORTDATE | DATE_LONGDATE, good, nullptr, ERROR_INVALID_FLAGS},
          {"two layouts", DATE_LTRREADING | DATE_RTLREADING, good, nullptr, ERROR_INVALID_FLAGS},
          {"layout and auto", DATE_LTRREADING | DATE_AUTOLAYOUT, good, nullptr,
           ERROR_INVALID_FLAGS},
          {"unknown flag", 0x100, good, nullptr, ERROR_INVALID_FLAGS},
          {"kind with picture", DATE_LONGDATE, good, L"d", ERROR_INVALID_FLAGS},
          {"no override with picture", LOCALE_NOUSEROVERRIDE, good, L"d", ERROR_INVALID_FLAGS},
          {"month 13", 0, Date(2024, 13, 1), nullptr, ERROR_INVALID_PARAMETER},
          {"month 0", 0, Date(2024, 0, 1), nullptr, ERROR_INVALID_PARAMETER},
          {"29 February 2023", 0, Date(2023, 2, 29), nullptr, ERROR_INVALID_PARAMETER},
          {"day 0", 0, Date(2024, 1, 0), nullptr, ERROR_INVALID_PARAMETER},
          {"year 1600", 0, Date(1600, 1, 1), nullptr, ERROR_INVALID_PARAMETER},
      });
}

TEST(GetDateFormat, BufferSizes) {
  ScopedUserLocale locale("en_US.UTF-8");
  const SYSTEMTIME st = Date(2024, 5, 17);
  const wchar_t* picture = L"yyyy-MM-dd";
  EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, picture, nullptr, 0), 11);
  wchar_t buf[11];
  EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, picture, buf, 11), 11);
  EXPECT_EQ(std::wstring(buf), L"2024-05-17");
  SetLastError(0);
  EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, picture, buf, 10), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, picture, buf, -1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, picture, nullptr, 5), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, nullptr, 0), 0);  // today
}

TEST(GetTimeFormat, StylesAndFlags) {
  const SYSTEMTIME morning = Date(0, 0, 0, 8, 30, 5);  // the date is not read
  const SYSTEMTIME afternoon = Date(2024, 5, 17, 14, 5, 9);
  {
    ScopedUserLocale locale("en_US.UTF-8");
    const std::wstring text = TimeText(0, morning);
    EXPECT_EQ(text.substr(0, 7), L"8:30:05") << text;
    EXPECT_TRUE(Contains(text, L"AM")) << text;
    EXPECT_TRUE(Contains(TimeText(0, afternoon), L"PM"));
    EXPECT_EQ(TimeText(LOCALE_NOUSEROVERRIDE, morning), text);
    EXPECT_EQ(TimeText(TIME_NOTIMEMARKER, morning), L"8:30:05");
    EXPECT_EQ(TimeText(TIME_FORCE24HOURFORMAT, afternoon), L"14:05:09");
    EXPECT_EQ(TimeText(TIME_NOSECONDS | TIME_NOTIMEMARKER, afternoon), L"2:05");
    EXPECT_EQ(TimeText(TIME_NOMINUTESORSECONDS | TIME_FORCE24HOURFORMAT, afternoon), L"14");
    const std::wstring noSeconds = TimeText(TIME_NOSECONDS, afternoon);
    EXPECT_EQ(noSeconds.substr(0, 4), L"2:05") << noSeconds;
    EXPECT_TRUE(Contains(noSeconds, L"PM")) << noSeconds;
  }
  {
    ScopedUserLocale locale("de_DE.UTF-8");
    EXPECT_EQ(TimeText(0, morning), L"08:30:05");
    EXPECT_EQ(TimeText(TIME_NOSECONDS, morning), L"08:30");
    EXPECT_EQ(TimeText(TIME_NOMINUTESORSECONDS, morning), L"08");
  }
}

TEST(GetTimeFormat, Pictures) {
  ScopedUserLocale locale("en_US.UTF-8");
  const SYSTEMTIME st = Date(2024, 5, 17, 14, 5, 9);
  EXPECT_EQ(TimeText(0, st, L"hh:mm:ss tt"), L"02:05:09 PM");
  EXPECT_EQ(TimeText(0, st, L"H:m:s t"), L"14:5:9 P");
  EXPECT_EQ(TimeText(0, Date(2024, 5, 17, 8, 5, 9), L"H:m:s t"), L"8:5:9 A");  // same picture
  EXPECT_EQ(TimeText(0, st, L"HH'h'mm"), L"14h05");
  EXPECT_EQ(TimeText(0, st, L"dd HH"), L"dd 14");  // date letters are text here
  EXPECT_EQ(TimeText(TIME_NOSECONDS, st, L"HH:mm:ss"), L"14:05");
}

// The flags drop a field with the separator that joins it to the rest:
// the one before it, or the one after it when the field comes first.
TEST(GetTimeFormat, FlagsRemoveFieldsFromPictures) {
  ScopedUserLocale locale("en_US.UTF-8");
  const SYSTEMTIME st = Date(2024, 5, 17, 14, 5, 9);
  struct Row {
    DWORD flags;
    const wchar_t* picture;
    const wchar_t* text;
  };
  const Row rows[] = {
      {TIME_NOSECONDS, L"ss:mm HH", L"05 14"},
      {TIME_NOSECONDS, L"HHss", L"14"},
      {TIME_NOSECONDS, L"ss", L""},
      {TIME_NOMINUTESORSECONDS, L"mm:ss HH", L"14"},
      {TIME_NOMINUTESORSECONDS, L"'at' HH:mm:ss", L"at 14"},
      {TIME_NOTIMEMARKER, L"tt hh:mm", L"02:05"},
      {TIME_FORCE24HOURFORMAT, L"hh:mm tt", L"14:05"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.flags << " " << std::wstring(r.picture));
    EXPECT_EQ(TimeText(r.flags, st, r.picture), r.text);
  }
}

// A null time is the current local time.
TEST(GetTimeFormat, NullTimeIsNow) {
  ScopedUserLocale locale("en_US.UTF-8");
  SYSTEMTIME before{}, after{};
  wchar_t buf[16];
  GetLocalTime(&before);
  ASSERT_EQ(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, L"HH", buf, 16), 3);
  GetLocalTime(&after);
  const int hour = std::stoi(std::wstring(buf));
  EXPECT_TRUE(hour == before.wHour || hour == after.wHour) << hour;
}

TEST(GetTimeFormat, Failures) {
  ScopedUserLocale locale("en_US.UTF-8");
  SYSTEMTIME ms = Date(2024, 1, 1);
  ms.wMilliseconds = 1000;
  ExpectFailures(GetTimeFormatW,
                 {
                     {"hour 24", 0, Date(2024, 1, 1, 24, 0, 0), nullptr, ERROR_INVALID_PARAMETER},
                     {"minute 60", 0, Date(2024, 1, 1, 0, 60, 0), nullptr, ERROR_INVALID_PARAMETER},
                     {"second 60", 0, Date(2024, 1, 1, 0, 0, 60), nullptr, ERROR_INVALID_PARAMETER},
                     {"milliseconds 1000", 0, ms, nullptr, ERROR_INVALID_PARAMETER},
                     {"unknown flag", 0x10, Date(2024, 1, 1), nullptr, ERROR_INVALID_FLAGS},
                     {"no override with picture", LOCALE_NOUSEROVERRIDE, Date(2024, 1, 1), L"HH",
                      ERROR_INVALID_FLAGS},
                 });
}

}  // namespace
