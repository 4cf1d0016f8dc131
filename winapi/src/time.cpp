// CTime over mktime and localtime_r, and the local time as a _SYSTEMTIME.
#include <sys/time.h>

#include <climits>
#include <cstdint>
#include <ctime>

#include <WinAPI/Time.h>

namespace {

// The local time of `t`; false when it has none, a time beyond time_t
// among them (the build asks for a 64-bit time_t, but a C library without
// one would wrap it to another time).
bool LocalTm(std::int64_t t, struct tm& out) {
  const auto tt = static_cast<time_t>(t);
  if (static_cast<std::int64_t>(tt) != t) return false;
  return localtime_r(&tt, &out) != nullptr;
}

// One field of the local time, or -1.
template <typename F>
int LocalField(std::int64_t t, F field) {
  struct tm tm {};
  return LocalTm(t, tm) ? field(tm) : -1;
}

}  // namespace

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst) {
  // The month is carried into the year in 64 bits, as mktime would carry
  // it, so that no field overflows on the way; a year that struct tm
  // cannot hold has no time.
  const std::int64_t months = std::int64_t{year} * 12 + (std::int64_t{month} - 1);
  const std::int64_t tm_year = (months >= 0 ? months : months - 11) / 12 - 1900;
  if (tm_year < INT_MIN || tm_year > INT_MAX) {
    m_time = -1;
    return;
  }
  struct tm tm {};
  tm.tm_year = static_cast<int>(tm_year);
  tm.tm_mon = static_cast<int>(months - (tm_year + 1900) * 12);
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = dst;
  tm.tm_wday = -1;  // mktime sets it on success, also for the result -1
  const time_t t = mktime(&tm);
  m_time = tm.tm_wday == -1 ? -1 : static_cast<std::int64_t>(t);
}

CTime::CTime(const SYSTEMTIME& st, int dst)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, dst) {}

CTime CTime::GetCurrentTime() { return CTime(static_cast<std::int64_t>(std::time(nullptr))); }

int CTime::GetYear() const {
  return LocalField(m_time, [](const struct tm& t) { return t.tm_year + 1900; });
}
int CTime::GetMonth() const {
  return LocalField(m_time, [](const struct tm& t) { return t.tm_mon + 1; });
}
int CTime::GetDay() const {
  return LocalField(m_time, [](const struct tm& t) { return t.tm_mday; });
}
int CTime::GetHour() const {
  return LocalField(m_time, [](const struct tm& t) { return t.tm_hour; });
}
int CTime::GetMinute() const {
  return LocalField(m_time, [](const struct tm& t) { return t.tm_min; });
}
int CTime::GetSecond() const {
  return LocalField(m_time, [](const struct tm& t) { return t.tm_sec; });
}
int CTime::GetDayOfWeek() const {
  return LocalField(m_time, [](const struct tm& t) { return t.tm_wday + 1; });
}

struct tm* CTime::GetLocalTm(struct tm* out) const {
  if (out == nullptr) return nullptr;
  return LocalTm(m_time, *out) ? out : nullptr;
}

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const {
  struct tm tm {};
  if (!LocalTm(m_time, tm)) return false;
  const long long year = tm.tm_year + 1900LL;
  if (year < 1601 || year > 30827) return false;
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wDay = static_cast<WORD>(tm.tm_mday);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec);
  st.wMilliseconds = 0;
  return true;
}

void GetLocalTime(LPSYSTEMTIME st) {
  if (st == nullptr) return;
  struct timeval tv {};
  gettimeofday(&tv, nullptr);
  struct tm tm {};
  const time_t t = tv.tv_sec;
  localtime_r(&t, &tm);
  st->wYear = static_cast<WORD>(tm.tm_year + 1900);
  st->wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st->wDay = static_cast<WORD>(tm.tm_mday);
  st->wHour = static_cast<WORD>(tm.tm_hour);
  st->wMinute = static_cast<WORD>(tm.tm_min);
  st->wSecond = static_cast<WORD>(tm.tm_sec);
  st->wMilliseconds = static_cast<WORD>(tv.tv_usec / 1000);
}
