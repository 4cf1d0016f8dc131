// Date-time text through the layer's swscanf_s, CTime and locale formats.
#include <VelUt/DateTime.h>

#include "platform/Layer.h"

namespace VelUt {

signed char StringToTime(const CStdStr<wchar_t>& text, CTime& time) {
  if (static_cast<int>(text.size()) < 1) return 0;
  wchar_t buffer[100];
  buffer[0] = L'\0';
  wcscpy_s(buffer, 100, text.c_str());  // too long a text leaves it empty
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (swscanf_s(buffer, L"%d-%d-%dT%d:%d:%d", &year, &month, &day, &hour, &minute, &second) != 6)
    return 0;
  if (day < 1 || day > 31) return 0;
  if (year < 1970 || year > 2038) return 0;
  if (month < 1 || month > 12) return 0;
  time = CTime(year, month, day, hour, minute, second, -1);
  return 1;
}

CStdStr<wchar_t> FormatDateTimeForUserLocale(const CTime& time) {
  SYSTEMTIME st{};
  time.GetAsSystemTime(st);
  CStdStr<wchar_t> date;
  GetDateFormat(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, date.GetBuf(1024), 1024);
  date.RelBuf(-1);
  CStdStr<wchar_t> clock;
  GetTimeFormat(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, &st, nullptr, clock.GetBuf(1024), 1024);
  clock.RelBuf(-1);
  CStdStr<wchar_t> text;
  text.Fmt(L"%s %s", date.c_str(), clock.c_str());
  return text;
}

}  // namespace VelUt
