// GetDateFormat and GetTimeFormat over ICU. Dates and times are formatted
// from their fields alone: the fields become an instant in UTC and ICU
// formats that instant in UTC, so no time zone ever shifts them. ICU's
// formatters are slow to make and quick to use, so they are kept, per
// locale, kind of text and picture.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <unicode/udat.h>
#include <unicode/udatpg.h>
#include <unicode/uenum.h>
#include <unicode/ufieldpositer.h>
#include <unicode/uloc.h>
#include <unicode/ures.h>

#include <WinAPI/Error.h>
#include <WinAPI/Time.h>

#include <textbase/unicode.h>

#include "time_pattern.h"
#include "ui_language.h"

namespace {

using velwin::detail::ApplyTimeFlags;
using velwin::detail::FillGaps;
using velwin::detail::kGap;
using velwin::detail::kTimePatternFlags;
using velwin::detail::ParsePattern;
using velwin::detail::RenderPattern;
using velwin::detail::Token;
using velwin::detail::TranslatePicture;

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

// ------------------------------------------------------------ ICU calls

// Calls an ICU function that writes UTF-16 text into a buffer and returns
// the length it needs (`call(buffer, capacity, status)`); grows the buffer
// once when it was too small. "" when `st` already holds a failure or the
// call fails, which it records in `st`.
template <typename Call>
std::u16string ReadIcuText(Call call, UErrorCode& st) {
  UChar small[256];
  std::u16string out;
  for (int attempt = 0; attempt < 2 && U_SUCCESS(st); ++attempt) {
    UErrorCode s = U_ZERO_ERROR;
    UChar* buffer = attempt == 0 ? small : reinterpret_cast<UChar*>(&out[0]);
    const int32_t capacity = attempt == 0 ? 256 : static_cast<int32_t>(out.size());
    const int32_t n = call(buffer, capacity, &s);
    if (s == U_BUFFER_OVERFLOW_ERROR && attempt == 0) {
      out.assign(static_cast<std::size_t>(n) + 1, u'\0');
      continue;
    }
    st = s;
    if (U_FAILURE(s)) break;
    if (attempt == 0) return std::u16string(reinterpret_cast<const char16_t*>(small), n);
    out.resize(static_cast<std::size_t>(n));
    return out;
  }
  return {};
}

// Owns a UDateFormat.
class Formatter {
 public:
  Formatter() = default;
  Formatter(UDateFormatStyle time, UDateFormatStyle date, const std::string& locale,
            const std::u16string& pattern, UErrorCode& st) {
    static const char16_t kUtc[] = u"UTC";
    f_ = udat_open(time, date, locale.c_str(), reinterpret_cast<const UChar*>(kUtc), -1,
                   pattern.empty() ? nullptr : reinterpret_cast<const UChar*>(pattern.data()),
                   pattern.empty() ? -1 : static_cast<int32_t>(pattern.size()), &st);
  }
  ~Formatter() {
    if (f_ != nullptr) udat_close(f_);
  }
  Formatter(const Formatter&) = delete;
  Formatter& operator=(const Formatter&) = delete;
  Formatter(Formatter&& other) noexcept : f_(std::exchange(other.f_, nullptr)) {}
  Formatter& operator=(Formatter&& other) noexcept {
    std::swap(f_, other.f_);
    return *this;
  }

  std::u16string Pattern(UErrorCode& st) const {
    return ReadIcuText([this](UChar* buf, int32_t cap,
                              UErrorCode* s) { return udat_toPattern(f_, false, buf, cap, s); },
                       st);
  }

  // "" without a formatter (an empty pattern formats as nothing).
  std::u16string Format(UDate when, UErrorCode& st) const {
    if (f_ == nullptr) return {};
    return ReadIcuText(
        [this, when](UChar* buf, int32_t cap, UErrorCode* s) {
          return udat_format(f_, when, buf, cap, nullptr, s);
        },
        st);
  }

  // False when a date formatted comes out with fewer than `fields` fields
  // that are not empty: ICU makes such a formatter, and reports success,
  // when one of its own allocations fails while making it or at its first
  // use (it compiles its number formatters then). It must not be kept.
  bool FormatsEveryField(std::size_t fields) const {
    UErrorCode st = U_ZERO_ERROR;
    const std::unique_ptr<UFieldPositionIterator, void (*)(UFieldPositionIterator*)> iterator(
        ufieldpositer_open(&st), &ufieldpositer_close);
    UFieldPositionIterator* const positions = iterator.get();
    std::size_t shown = fields;
    // A few times: ICU compiles a number formatter at its third use.
    for (int use = 0; use < 4 && U_SUCCESS(st) && shown >= fields && fields != 0; ++use) {
      std::u16string text(256, u'\0');
      const int32_t n =
          udat_formatForFields(f_, 0, reinterpret_cast<UChar*>(&text[0]), 256, positions, &st);
      if (st == U_BUFFER_OVERFLOW_ERROR) {  // a long picture
        st = U_ZERO_ERROR;
        text.resize(static_cast<std::size_t>(n) + 1);
        udat_formatForFields(f_, 0, reinterpret_cast<UChar*>(&text[0]), n + 1, positions, &st);
      }
      shown = 0;
      int32_t begin = 0;
      int32_t end = 0;
      while (U_SUCCESS(st) && ufieldpositer_next(positions, &begin, &end) >= 0)
        shown += end > begin;
    }
    return U_SUCCESS(st) && shown >= fields;
  }

 private:
  UDateFormat* f_ = nullptr;
};

// The locale's pattern for a date or time style, as tokens.
std::vector<Token> StylePattern(const std::string& locale, UDateFormatStyle time,
                                UDateFormatStyle date, UErrorCode& st) {
  Formatter f(time, date, locale, u"", st);
  std::vector<Token> tokens = U_SUCCESS(st) ? ParsePattern(f.Pattern(st)) : std::vector<Token>();
  // A date style with hours, or a time style with a year, is ICU's last
  // resort ("yMMdd hh:mm a"): what a failed allocation of its own leads to,
  // reported as success.
  const char16_t foreign = time == UDAT_NONE ? u'h' : u'y';
  for (const Token& t : tokens)
    if (t.letter == foreign) st = U_MEMORY_ALLOCATION_ERROR;
  return U_SUCCESS(st) ? tokens : std::vector<Token>();
}

// The locale's best pattern for a skeleton such as "yMMMM".
std::vector<Token> SkeletonPattern(const std::string& locale, const std::u16string& skeleton,
                                   UErrorCode& st) {
  // Closed also when a text's allocation throws.
  const std::unique_ptr<UDateTimePatternGenerator, void (*)(UDateTimePatternGenerator*)> owned(
      udatpg_open(locale.c_str(), &st), &udatpg_close);
  if (U_FAILURE(st)) return {};
  UDateTimePatternGenerator* const g = owned.get();
  const std::u16string out = ReadIcuText(
      [g, &skeleton](UChar* buf, int32_t cap, UErrorCode* s) {
        return udatpg_getBestPattern(g, reinterpret_cast<const UChar*>(skeleton.data()),
                                     static_cast<int32_t>(skeleton.size()), buf, cap, s);
      },
      st);
  return U_SUCCESS(st) ? ParsePattern(out) : std::vector<Token>();
}

// ------------------------------------------------------------ formatters

// The texts a cached formatter makes.
enum class Kind {
  kShortDate,
  kLongDate,
  kYearMonth,
  kMonthDay,
  kDatePicture,
  kTime,
  kTimePicture,
  kMarker
};

// ICU's formatter for one locale and one kind of text (with its picture and
// time flags), made once and kept. The tokens are fixed when it is made;
// the formatter itself is made on first use and again when a picture's gap
// needs another text, and is used by one thread at a time.
class Entry {
 public:
  Entry(std::string locale, Kind kind, DWORD flags, const wchar_t* picture)
      : locale_(std::move(locale)),
        kind_(kind),
        flags_(flags),
        picture_(picture != nullptr ? picture : L"") {}

  bool Is(const std::string& locale, Kind kind, DWORD flags, const wchar_t* picture) const {
    return kind == kind_ && flags == flags_ && locale == locale_ &&
           (picture == nullptr ? picture_.empty() : picture_ == picture);
  }

  // Finds the pattern; false with `st` set when ICU fails.
  bool Prepare(UErrorCode& st) {
    switch (kind_) {
      case Kind::kShortDate:
        tokens_ = StylePattern(locale_, UDAT_NONE, UDAT_SHORT, st);
        // Short dates show the whole year, as Win32 locales do.
        for (Token& t : tokens_)
          if (t.letter == u'y' && t.count == 2) t.count = 1;
        break;
      case Kind::kLongDate:
        tokens_ = StylePattern(locale_, UDAT_NONE, UDAT_FULL, st);
        break;
      case Kind::kYearMonth:
        tokens_ = SkeletonPattern(locale_, u"yMMMM", st);
        break;
      case Kind::kMonthDay:
        tokens_ = SkeletonPattern(locale_, u"MMMMd", st);
        break;
      case Kind::kDatePicture:
      case Kind::kTimePicture:
        tokens_ = TranslatePicture(picture_.c_str(), kind_ == Kind::kDatePicture);
        break;
      case Kind::kTime:
        tokens_ = StylePattern(locale_, UDAT_MEDIUM, UDAT_NONE, st);
        break;
      case Kind::kMarker:
        tokens_.push_back(Token{u'a', 1, {}});
        break;
    }
    for (const Token& t : tokens_) has_gap_ = has_gap_ || t.letter == kGap;
    right_to_left_ = uloc_isRightToLeft(locale_.c_str()) != 0;
    return U_SUCCESS(st);
  }

  bool has_gap() const { return has_gap_; }
  bool right_to_left() const { return right_to_left_; }

  // The text of `when`, with `gap` in the picture's gap.
  std::u16string Format(UDate when, const std::u16string& gap, UErrorCode& st) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Two gap texts are kept (a.m. and p.m., or two years).
    Made* made = &made_[0];
    if (!made->ready || (has_gap_ && made->gap != gap)) {
      std::swap(made_[0], made_[1]);
      if (!made->ready || (has_gap_ && made->gap != gap)) {
        std::vector<Token> tokens = tokens_;
        ApplyTimeFlags(tokens, flags_, kind_ == Kind::kTimePicture);
        tokens = FillGaps(tokens, gap);
        const std::u16string pattern = RenderPattern(tokens);
        Formatter formatter;
        if (!pattern.empty())
          formatter = Formatter(UDAT_PATTERN, UDAT_PATTERN, locale_, pattern, st);
        const auto fields = static_cast<std::size_t>(std::count_if(
            tokens.begin(), tokens.end(), [](const Token& t) { return t.letter != 0; }));
        if (U_SUCCESS(st) && !formatter.FormatsEveryField(fields)) st = U_MEMORY_ALLOCATION_ERROR;
        if (U_FAILURE(st)) return {};
        made->formatter = std::move(formatter);
        made->gap = gap;
        made->ready = true;
      }
    }
    return made->formatter.Format(when, st);
  }

 private:
  struct Made {
    bool ready = false;
    std::u16string gap;
    Formatter formatter;
  };

  const std::string locale_;
  const Kind kind_;
  const DWORD flags_;
  const std::wstring picture_;
  std::vector<Token> tokens_;
  bool has_gap_ = false;
  bool right_to_left_ = false;
  std::mutex mutex_;
  Made made_[2];
};

// Pictures longer than this are translated for each call, not kept.
constexpr std::size_t kLongestKeptPicture = 256;

// The formatters in use and the locales found for the environment, a
// bounded number of each, the least recently used dropped first. Safe
// from any number of threads.
class Formatters {
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

  // The formatter for a locale, kind, time flags and picture; null with
  // `st` set when ICU cannot make it.
  std::shared_ptr<Entry> Get(const std::string& locale, Kind kind, DWORD flags,
                             const wchar_t* picture, UErrorCode& st) {
    const bool keep = picture == nullptr || std::wcslen(picture) <= kLongestKeptPicture;
    if (keep) {
      std::lock_guard<std::mutex> lock(mutex_);
      for (Kept& k : kept_) {
        if (k.entry != nullptr && k.entry->Is(locale, kind, flags, picture)) {
          k.used = ++clock_;
          return k.entry;
        }
      }
    }
    auto entry = std::make_shared<Entry>(locale, kind, flags, picture);
    if (!entry->Prepare(st)) return nullptr;
    if (!keep) return entry;
    std::lock_guard<std::mutex> lock(mutex_);
    for (Kept& k : kept_) {
      // Made meanwhile by another thread: one of them is kept.
      if (k.entry != nullptr && k.entry->Is(locale, kind, flags, picture)) return k.entry;
    }
    Kept& slot = *std::min_element(std::begin(kept_), std::end(kept_),
                                   [](const Kept& a, const Kept& b) { return a.used < b.used; });
    slot = Kept{entry, ++clock_};
    return entry;
  }

 private:
  struct Found {
    LCID lcid = 0;
    std::string value;
    std::string locale;
    bool known = false;
    std::uint64_t used = 0;  // 0: empty
  };
  struct Kept {
    std::shared_ptr<Entry> entry;
    std::uint64_t used = 0;
  };

  std::mutex mutex_;
  std::uint64_t clock_ = 0;
  Found found_[8];
  Kept kept_[32];
};

// Never destroyed: a thread may format while the process exits.
Formatters& Cache() {
  static Formatters* cache = new Formatters;
  return *cache;
}

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
  return Cache().Locale(lcid, velwin::detail::LocaleVariable("LC_TIME"), out);
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

  const Kind kind = format != nullptr          ? Kind::kDatePicture
                    : (flags & DATE_LONGDATE)  ? Kind::kLongDate
                    : (flags & DATE_YEARMONTH) ? Kind::kYearMonth
                    : (flags & DATE_MONTHDAY)  ? Kind::kMonthDay
                                               : Kind::kShortDate;
  UErrorCode st = U_ZERO_ERROR;
  const std::shared_ptr<Entry> entry = Cache().Get(loc, kind, 0, format, st);
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
  const std::shared_ptr<Entry> entry =
      Cache().Get(loc, format != nullptr ? Kind::kTimePicture : Kind::kTime,
                  flags & kTimePatternFlags, format, st);
  if (entry == nullptr) return FailIcu(st);
  std::u16string initial;
  if (entry->has_gap()) {
    const std::shared_ptr<Entry> marker = Cache().Get(loc, Kind::kMarker, 0, nullptr, st);
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
