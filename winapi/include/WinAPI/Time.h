// Calendar time: the MFC time value CTime, the Win32 record _SYSTEMTIME,
// and date and time texts in the user's locale.
//
// Date and time texts come from ICU. The user's locale is the first
// non-empty value of LC_ALL, LC_TIME and LANG ("de_DE.UTF-8" is German
// (Germany) whether or not the system has that locale installed); "C",
// "POSIX", no value at all, values that name no locale and languages ICU
// does not know read as English (United States, POSIX variant). Before
// its first use of ICU the layer sets ICU's own default locale, once, to
// the user's locale so decided, so that ICU never reads the environment
// itself (some ICU versions crash on a value that names no locale).
//
// Unlike Win32, where Linux forces it: Linux keeps neither Windows' locale
// data nor a user's regional overrides, so the locale comes from the
// environment as above, the default formats are ICU's (CLDR's: "8:30:00"
// then U+202F then "AM" in English), and LOCALE_NOUSEROVERRIDE changes
// nothing. CTime's local time is the C library's, with the TZ rules.
//
// Threads: GetDateFormatW and GetTimeFormatW may run in any number of
// threads at once. Every call reads LC_ALL, LC_TIME and LANG, even one
// with an explicit LCID, so no thread may call setenv or putenv while
// another formats.
#pragma once

#include <cstdint>
#include <ctime>

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// _SYSTEMTIME: a date and time by fields. wDayOfWeek counts from Sunday
// (0). Win32: SYSTEMTIME.
struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
typedef _SYSTEMTIME SYSTEMTIME;
typedef _SYSTEMTIME* LPSYSTEMTIME;

// CTime: a point in time as seconds since 1970-01-01 00:00:00 UTC, read
// and built in local time (the TZ rules of the C library). MFC: CTime.
class VELWIN_API CTime {
 public:
  // The time 0 (1970-01-01 00:00:00 UTC).
  CTime() = default;
  // The time `time`, in seconds since 1970-01-01 00:00:00 UTC.
  explicit CTime(std::int64_t time) : m_time(time) {}

  // The local time of the fields, as mktime reads them: `dst` 1 for
  // daylight-saving time, 0 for standard time, -1 to let the time-zone
  // rules decide. Fields out of their range carry over (hour 25 is 01:00
  // of the next day, 31 February is 2 or 3 March); a time in a
  // daylight-saving gap moves as mktime moves it. When mktime cannot
  // represent the fields the time is -1.
  //
  // Example: CTime(2024, 5, 17, 8, 30, 0).GetHour() -> 8
  CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);

  // The local time of a _SYSTEMTIME's fields (its day of week and
  // milliseconds are ignored).
  explicit CTime(const SYSTEMTIME& st, int dst = -1);

  // The current time.
  static CTime GetCurrentTime();

  // The time in seconds since 1970-01-01 00:00:00 UTC.
  std::int64_t GetTime() const { return m_time; }

  // Fields of the local time: year, month 1-12, day 1-31, hour 0-23,
  // minute, second, day of week 1 (Sunday) to 7. Each is -1 when the time
  // has no local representation (its year does not fit an int, or the C
  // library's time_t cannot hold it).
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;

  // GetLocalTm: fills `out` with the local time and returns it; null when
  // the time has no local representation.
  struct tm* GetLocalTm(struct tm* out) const;

  // GetAsSystemTime: fills `st` with the local time (milliseconds 0).
  // False, with `st` untouched, when the local year lies outside
  // 1601-30827, the range of _SYSTEMTIME.
  bool GetAsSystemTime(SYSTEMTIME& st) const;

  bool operator==(const CTime& o) const { return m_time == o.m_time; }
  bool operator!=(const CTime& o) const { return m_time != o.m_time; }
  bool operator<(const CTime& o) const { return m_time < o.m_time; }
  bool operator>(const CTime& o) const { return m_time > o.m_time; }
  bool operator<=(const CTime& o) const { return m_time <= o.m_time; }
  bool operator>=(const CTime& o) const { return m_time >= o.m_time; }

 private:
  std::int64_t m_time = 0;
};

// GetLocalTime: the current local date and time. Win32: GetLocalTime.
VELWIN_API void GetLocalTime(LPSYSTEMTIME st);

typedef DWORD LCID;

// Locales: the user's, the system's (both the one described at the top of
// this header), and the invariant one (English, no region).
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_INVARIANT = 0x007F;

// Flags of GetDateFormat.
constexpr DWORD DATE_SHORTDATE = 0x00000001;
constexpr DWORD DATE_LONGDATE = 0x00000002;
constexpr DWORD DATE_USE_ALT_CALENDAR = 0x00000004;
constexpr DWORD DATE_YEARMONTH = 0x00000008;
constexpr DWORD DATE_LTRREADING = 0x00000010;
constexpr DWORD DATE_RTLREADING = 0x00000020;
constexpr DWORD DATE_AUTOLAYOUT = 0x00000040;
constexpr DWORD DATE_MONTHDAY = 0x00000080;
// Flags of GetTimeFormat.
constexpr DWORD TIME_NOMINUTESORSECONDS = 0x00000001;
constexpr DWORD TIME_NOSECONDS = 0x00000002;
constexpr DWORD TIME_NOTIMEMARKER = 0x00000004;
constexpr DWORD TIME_FORCE24HOURFORMAT = 0x00000008;
// Flags of both.
constexpr DWORD LOCALE_NOUSEROVERRIDE = 0x80000000;
constexpr DWORD LOCALE_USE_CP_ACP = 0x40000000;

// GetDateFormatW: writes the date of `date` (null: today) for `locale`
// into `out`, which holds `size` units, terminator included. With `size`
// 0 nothing is written and the units needed are returned. Returns the
// units written, terminator included, or 0 with the last error set:
// ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_FLAGS,
// ERROR_INVALID_PARAMETER (a date outside 1601-30827 or not in the
// calendar, an unknown LCID, a negative size, a null `out` with a size),
// or ERROR_NOT_ENOUGH_MEMORY when memory runs out (in ICU too: the next
// call tries again).
//
// `locale`: LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT (both the user's
// locale, see above), LOCALE_INVARIANT or any LCID that ICU maps.
// `flags`: one of DATE_SHORTDATE (also the default), DATE_LONGDATE (ICU's
// full date style), DATE_YEARMONTH, DATE_MONTHDAY; at most one of
// DATE_LTRREADING, DATE_RTLREADING (a U+200E / U+200F mark in front) and
// DATE_AUTOLAYOUT (a U+200F mark for right-to-left locales);
// LOCALE_NOUSEROVERRIDE, DATE_USE_ALT_CALENDAR and LOCALE_USE_CP_ACP are
// accepted and change nothing, since there are no user overrides here and
// the calendar is the locale's own. `format`, when not null, is a Win32
// date picture (d dd ddd dddd, M MM MMM MMMM, y yy yyyy, g gg, text in
// single quotes, anything else as it stands); the format flags must then
// be absent. Inside quoted text "''" is one quote; outside it, "''" is an
// empty quoted text ("''''" -> "'"). Win32: GetDateFormatW.
//
// Example (LANG=de_DE.UTF-8, 17 May 2024):
//   DATE_LONGDATE -> L"Freitag, 17. Mai 2024", returns 22
//   format L"dd'.'MM'.'yyyy" -> L"17.05.2024"
VELWIN_API int GetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format,
                              LPWSTR out, int size);

// GetTimeFormatW: writes the time of `time` (null: now) for `locale`, as
// GetDateFormatW writes dates. Without `format` the time is ICU's medium
// time style of the locale. `flags`: TIME_NOSECONDS, TIME_NOMINUTESORSECONDS,
// TIME_NOTIMEMARKER (no AM/PM), TIME_FORCE24HOURFORMAT (hours 0-23; no
// AM/PM unless the picture asks for one with t or tt), LOCALE_NOUSEROVERRIDE
// (accepted, no effect; not with `format`). `format`: a Win32 time picture
// (h hh H HH m mm s ss t tt, text in single quotes as in GetDateFormatW).
// A flag that removes a field of the picture also removes the text before
// it (after it, when the field comes first), and the text after it but its
// blanks: "h.@:m.@:s.@:tt" with TIME_NOSECONDS -> "8.@:56AM".
// The hour, minute, second and milliseconds are checked
// (ERROR_INVALID_PARAMETER beyond 23:59:59.999); the date is not read.
// Win32: GetTimeFormatW.
//
// Example (LANG=en_US.UTF-8, 08:30:00):
//   flags 0 -> L"8:30:00\u202FAM";  TIME_FORCE24HOURFORMAT -> L"8:30:00"
VELWIN_API int GetTimeFormatW(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format,
                              LPWSTR out, int size);

// GetDateFormat / GetTimeFormat: the wide functions, as the Win32 headers
// name them for Unicode builds.
inline int GetDateFormat(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format,
                         LPWSTR out, int size) {
  return GetDateFormatW(locale, flags, date, format, out, size);
}
inline int GetTimeFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format,
                         LPWSTR out, int size) {
  return GetTimeFormatW(locale, flags, time, format, out, size);
}
