// Date-time text: the numeric form "2024-05-17T08:30:00" read into a CTime,
// and a CTime written for the user's locale.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>
#include <WinAPI/Time.h>

namespace VelUt {

// StringToTime: reads `text` with the pattern "%d-%d-%dT%d:%d:%d" (year,
// month, day, a capital T, hour, minute, second; each field a decimal
// number after optional white space and sign, of any width) as a local
// time, and sets `time`. Characters after the seconds are ignored. Returns
// 1, or 0 with `time` untouched when the text is empty, has 100 characters
// or more, does not give six fields, or has a day outside 1-31, a year
// outside 1970-2038 or a month outside 1-12 (tested in that order). Hour,
// minute and second are not tested, nor the day against the month: CTime
// carries them over (31 February is in March).
//
// Example:
//   StringToTime(L"2024-05-17T08:30:00Z", t) -> 1, t is 17 May 2024 08:30:00
//   StringToTime(L"2024-5-7T8:3:0", t)       -> 1
//   StringToTime(L"2024-05-17 08:30:00", t)  -> 0 (no T)
//   StringToTime(L"1969-12-31T23:59:59", t)  -> 0 (year)
VELUT_API signed char StringToTime(const CStdStr<wchar_t>& text, CTime& time);

// FormatDateTimeForUserLocale: the local date of `time` in the long date
// format of the user's locale, a blank, and its time in the locale's own
// time format (see WinAPI/Time.h for where the locale comes from). A part
// the layer cannot write is left empty; the blank is always there.
//
// Example (LANG=de_DE.UTF-8): 17 May 2024 08:30 ->
//   L"Freitag, 17. Mai 2024 08:30:00"
VELUT_API CStdStr<wchar_t> FormatDateTimeForUserLocale(const CTime& time);

}  // namespace VelUt
