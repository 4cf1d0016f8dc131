// GetDateFormat and GetTimeFormat over ICU. Dates and times are formatted
// from their fields alone: the fields become an instant in UTC and ICU
// formats that instant in UTC, so no time zone ever shifts them. The
// formatters are kept in formatter_cache; the locales found for the
// environment are kept here.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>

#include <unicode/udat.h>
#include <unicode/uenum.h>
#include <unicode/uloc.h>
#include <unicode/ures.h>

#include <WinAPI/Error.h>
#include <WinAPI/Time.h>

#include <textbase/unicode.h>

#include "formatter_cache.h"
#include "time_pattern.h"
#include "ui_language.h"

namespace {

using velwin::detail::CachedFormatter;
using velwin::detail::GetFormatter;
using velwin::detail::kTimePatternFlags;
using velwin::detail::TextKind;

// ------------------------------------------------------------ calendar

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1970-01-01 to the given proleptic Gregorian date.
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// ------------------------------------------------------------ locales

// The ICU locale for the environment's value `value` (null: none).
std::string LocaleOfVariable(const char* value) {
  std::string name = value != nullptr ? value : "";
  const std::string base = name.substr(0, name.find_first_of(".@"));
  if (base.empty() || base == "C" || base == "POSIX") return "en_US_POSIX";
  return name;
}

// The languages ICU has data for. ICU itself remembers a failure of its
// list of available locales for good (uloc_countAvailable then answers 0),
// so the list is read from ICU's resource index, and kept only once read
// in full. Throws std::bad_alloc when it cannot be read: the next call
// tries again.
const std::set<std::string>& AvailableLanguages() {
  static std::mutex mutex;
  static const std::set<std::string>* kept = nullptr;
  std::lock_guard<std::mutex> lock(mutex);
  if (kept != nullptr) return *kept;
  auto languages = std::make_unique<std::set<std::string>>();
  UErrorCode st = U_ZERO_ERROR;
  // Closed however the loop ends, an insertion's std::bad_alloc included.
  const std::unique_ptr<UEnumeration, void (*)(UEnumeration*)> locales(
      ures_openAvailableLocales(nullptr, &st), &uenum_close);
  while (U_SUCCESS(st)) {
    const char* name = uenum_next(locales.get(), nullptr, &st);
    if (name == nullptr || U_FAILURE(st)) break;
    char lang[ULOC_LANG_CAPACITY];
    UErrorCode s = U_ZERO_ERROR;
    uloc_getLanguage(name, lang, sizeof lang, &s);
    if (U_SUCCESS(s) && s != U_STRING_NOT_TERMINATED_WARNING) languages->insert(lang);
  }
  // No language at all is ICU's data failing to load, never the answer.
  if (U_FAILURE(st) || languages->empty()) throw std::bad_alloc();
  kept = languages.release();  // never freed: a thread may format at exit
  return *kept;
}

// True when ICU has data for the language of `locale`; otherwise ICU
// would fall back to its own default locale, which depends on the process.
bool KnownLanguage(const char* locale) {
  const std::set<std::string>& languages = AvailableLanguages();
  char lang[ULOC_LANG_CAPACITY];
  UErrorCode st = U_ZERO_ERROR;
  uloc_getLanguage(locale, lang, sizeof lang, &st);
  return U_SUCCESS(st) && st != U_STRING_NOT_TERMINATED_WARNING && languages.count(lang) != 0;
}

// The ICU locale id for `lcid` (`variable`: the environment's locale for
// the user's); false for an LCID ICU does not know.
bool FindLocale(LCID lcid, const char* variable, std::string& out) {
  std::string name;
  if (lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT || lcid == 0) {
    name = LocaleOfVariable(variable);
  } else if (lcid == LOCALE_INVARIANT) {
    name = "en_001";
  } else {
    char buf[ULOC_FULLNAME_CAPACITY];
    UErrorCode st = U_ZERO_ERROR;
    const int32_t n = uloc_getLocaleForLCID(lcid, buf, sizeof buf, &st);
    if (U_FAILURE(st) || n <= 0 || st == U_STRING_NOT_TERMINATED_WARNING) return false;
    name = buf;
  }
  char canon[ULOC_FULLNAME_CAPACITY];
  UErrorCode st = U_ZERO_ERROR;
  uloc_canonicalize(name.c_str(), canon, sizeof canon, &st);
  if (U_FAILURE(st) || st == U_STRING_NOT_TERMINATED_WARNING) {
    out = "en_US_POSIX";
    return true;
  }
  out = KnownLanguage(canon) ? canon : "en_US_POSIX";
  return true;
}

// The locales found for the environment, a bounded number, the least
// recently used dropped first. Safe from any number of threads.
class FoundLocales {
 public:
  // The ICU locale for `lcid`, the environment's `variable` standing for
  // the user's; false for an LCID ICU does not know.
  bool Locale(LCID lcid, const char* variable, std::string& out) {
    const bool user = lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT || lcid == 0;
    const std::string value = user && variable != nullptr ? variable : "";
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (Found& f : found_) {
        if (f.used != 0 && f.lcid == lcid && f.value == value) {
          f.used = ++clock_;
          out = f.locale;
          return f.known;
        }
      }
    }
    const bool known = FindLocale(lcid, user ? variable : nullptr, out);
    std::lock_guard<std::mutex> lock(mutex_);
    Found& slot = *std::min_element(std::begin(found_), std::end(found_),
                                    [](const Found& a, const Found& b) { return a.used < b.used; });
    slot = Found{lcid, value, out, known, ++clock_};
    return known;
  }

 private:
  struct Found {
    LCID lcid = 0;
    std::string value;
    std::string locale;
    bool known = false;
    std::uint64_t used = 0;  // 0: empty
  };

  std::mutex mutex_;
  std::uint64_t clock_ = 0;
  Found found_[8];
};

// Hands ICU a default locale of our choosing before its first use here.
// Left to itself, ICU builds its default from LANG and the LC_ variables
// on the first formatter it makes, and some versions (ICU 76) crash on
// values that name no locale; the locale we decide for the user is one ICU
// reads safely. Done once: ICU's default matters to no answer of ours,
// since every call names its locale.
void SetIcuDefaultLocale() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::string locale;
    if (!FindLocale(LOCALE_USER_DEFAULT, velwin::detail::LocaleVariable("LC_TIME"), locale))
      locale = "en_US_POSIX";
    UErrorCode st = U_ZERO_ERROR;
    uloc_setDefault(locale.c_str(), &st);
    if (U_FAILURE(st)) {
      st = U_ZERO_ERROR;
      uloc_setDefault("en_US_POSIX", &st);
    }
  });
}

// The ICU locale for `lcid`, the user's read from LC_ALL, LC_TIME, LANG.
bool ResolveLocale(LCID lcid, std::string& out) {
  SetIcuDefaultLocale();
  // Never destroyed: a thread may format while the process exits.
  static FoundLocales* locales = new FoundLocales;
  return locales->Locale(lcid, velwin::detail::LocaleVariable("LC_TIME"), out);
}

// ------------------------------------------------------------ results

std::wstring FromUtf16(const std::u16string& s) {
  std::wstring out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();)
    out.push_back(static_cast<wchar_t>(
        velut::textbase::DecodeUtf16([&s](std::size_t k) { return s[k]; }, i, s.size())));
  return out;
}

int Fail(DWORD code) {
  SetLastError(code);
  return 0;
}

int FailIcu(UErrorCode st) {
  return Fail(st == U_MEMORY_ALLOCATION_ERROR ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_PARAMETER);
}

// Copies `text` with its terminator into the caller's buffer, as the
// Win32 formatting functions do.
int Deliver(const std::wstring& text, LPWSTR out, int size) {
  const long long need = static_cast<long long>(text.size()) + 1;
  if (size == 0) return static_cast<int>(need);
  if (need > size) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(out, text.c_str(), static_cast<std::size_t>(need) * sizeof(wchar_t));
  return static_cast<int>(need);
}

bool BadBuffer(LPWSTR out, int size) { return size < 0 || (size > 0 && out == nullptr); }

}  // namespace

// ------------------------------------------------------------ formatting

int GetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR out,
                   int size) try {
  if (BadBuffer(out, size)) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD kinds = DATE_SHORTDATE | DATE_LONGDATE | DATE_YEARMONTH | DATE_MONTHDAY;
  const DWORD layouts = DATE_LTRREADING | DATE_RTLREADING | DATE_AUTOLAYOUT;
  const DWORD known =
      kinds | layouts | DATE_USE_ALT_CALENDAR | LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP;
  const auto bits = [](DWORD v) { return __builtin_popcount(v); };
  if ((flags & ~known) != 0 || bits(flags & kinds) > 1 || bits(flags & layouts) > 1 ||
      (format != nullptr && (flags & (kinds | LOCALE_NOUSEROVERRIDE)) != 0))
    return Fail(ERROR_INVALID_FLAGS);

  SYSTEMTIME now{};
  if (date == nullptr) {
    GetLocalTime(&now);
    date = &now;
  }
  if (date->wYear < 1601 || date->wYear > 30827 || date->wMonth < 1 || date->wMonth > 12 ||
      date->wDay < 1 || date->wDay > DaysInMonth(date->wYear, date->wMonth))
    return Fail(ERROR_INVALID_PARAMETER);
  std::string loc;
  if (!ResolveLocale(locale, loc)) return Fail(ERROR_INVALID_PARAMETER);
  const UDate when =
      static_cast<UDate>(DaysFromCivil(date->wYear, date->wMonth, date->wDay)) * U_MILLIS_PER_DAY;

  const TextKind kind = format != nullptr          ? TextKind::kDatePicture
                        : (flags & DATE_LONGDATE)  ? TextKind::kLongDate
                        : (flags & DATE_YEARMONTH) ? TextKind::kYearMonth
                        : (flags & DATE_MONTHDAY)  ? TextKind::kMonthDay
                                                   : TextKind::kShortDate;
  UErrorCode st = U_ZERO_ERROR;
  const std::shared_ptr<CachedFormatter> entry = GetFormatter(loc, kind, 0, format, st);
  if (entry == nullptr) return FailIcu(st);
  std::u16string year;
  if (entry->has_gap()) {
    const std::string y = std::to_string(date->wYear % 100);
    year.assign(y.begin(), y.end());
  }
  std::wstring text = FromUtf16(entry->Format(when, year, st));
  if (U_FAILURE(st)) return FailIcu(st);

  const bool rtl =
      (flags & DATE_RTLREADING) || ((flags & DATE_AUTOLAYOUT) && entry->right_to_left());
  if (rtl)
    text.insert(text.begin(), L'\u200F');
  else if (flags & DATE_LTRREADING)
    text.insert(text.begin(), L'\u200E');
  return Deliver(text, out, size);
} catch (const std::bad_alloc&) {
  return Fail(ERROR_NOT_ENOUGH_MEMORY);
}

int GetTimeFormatW(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR out,
                   int size) try {
  if (BadBuffer(out, size)) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD known = TIME_NOMINUTESORSECONDS | TIME_NOSECONDS | TIME_NOTIMEMARKER |
                      TIME_FORCE24HOURFORMAT | LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP;
  if ((flags & ~known) != 0 || (format != nullptr && (flags & LOCALE_NOUSEROVERRIDE)))
    return Fail(ERROR_INVALID_FLAGS);

  SYSTEMTIME now{};
  if (time == nullptr) {
    GetLocalTime(&now);
    time = &now;
  }
  if (time->wHour > 23 || time->wMinute > 59 || time->wSecond > 59 || time->wMilliseconds > 999)
    return Fail(ERROR_INVALID_PARAMETER);
  std::string loc;
  if (!ResolveLocale(locale, loc)) return Fail(ERROR_INVALID_PARAMETER);
  const UDate when =
      ((time->wHour * 60.0 + time->wMinute) * 60.0 + time->wSecond) * 1000.0 + time->wMilliseconds;

  UErrorCode st = U_ZERO_ERROR;
  const std::shared_ptr<CachedFormatter> entry =
      GetFormatter(loc, format != nullptr ? TextKind::kTimePicture : TextKind::kTime,
                   flags & kTimePatternFlags, format, st);
  if (entry == nullptr) return FailIcu(st);
  std::u16string initial;
  if (entry->has_gap()) {
    const std::shared_ptr<CachedFormatter> marker =
        GetFormatter(loc, TextKind::kMarker, 0, nullptr, st);
    if (marker == nullptr) return FailIcu(st);
    initial = marker->Format(when, u"", st);
    if (U_FAILURE(st)) return FailIcu(st);
    initial.resize(initial.empty() ? 0 : 1);
  }
  const std::wstring text = FromUtf16(entry->Format(when, initial, st));
  if (U_FAILURE(st)) return FailIcu(st);
  return Deliver(text, out, size);
} catch (const std::bad_alloc&) {
  return Fail(ERROR_NOT_ENOUGH_MEMORY);
}
