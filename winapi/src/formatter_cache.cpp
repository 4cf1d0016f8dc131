// ICU's date formatters, made for GetDateFormat and GetTimeFormat and kept
// a bounded number at a time, the least recently used dropped first.
#include "formatter_cache.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <utility>

#include <unicode/udatpg.h>
#include <unicode/ufieldpositer.h>
#include <unicode/uloc.h>

namespace velwin::detail {
namespace {

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

// The locale's best pattern for a skeleton such as "yMMMM", made once.
std::vector<Token> MakeSkeletonPattern(const std::string& locale, const std::u16string& skeleton,
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

// The locale's best pattern for a skeleton. When one of its own allocations
// fails, ICU's pattern generator may report success with a wrong pattern
// (Turkish "y (ay: MMMM)" for "MMMM y"), which the cache would keep: the
// pattern is made twice and counts only when both agree, else the call
// fails for want of memory.
std::vector<Token> SkeletonPattern(const std::string& locale, const std::u16string& skeleton,
                                   UErrorCode& st) {
  std::vector<Token> tokens = MakeSkeletonPattern(locale, skeleton, st);
  if (U_FAILURE(st)) return {};
  const std::vector<Token> again = MakeSkeletonPattern(locale, skeleton, st);
  if (U_SUCCESS(st) && RenderPattern(again) != RenderPattern(tokens)) {
    st = U_MEMORY_ALLOCATION_ERROR;
  }
  return U_SUCCESS(st) ? tokens : std::vector<Token>();
}

// Pictures longer than this are translated for each call, not kept.
constexpr std::size_t kLongestKeptPicture = 256;

// The formatters in use, a bounded number, the least recently used dropped
// first. Safe from any number of threads.
class FormatterCache {
 public:
  std::shared_ptr<CachedFormatter> Get(const std::string& locale, TextKind kind, DWORD flags,
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
    auto entry = std::make_shared<CachedFormatter>(locale, kind, flags, picture);
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
  struct Kept {
    std::shared_ptr<CachedFormatter> entry;
    std::uint64_t used = 0;
  };

  std::mutex mutex_;
  std::uint64_t clock_ = 0;
  Kept kept_[32];
};

}  // namespace

Formatter::Formatter(UDateFormatStyle time, UDateFormatStyle date, const std::string& locale,
                     const std::u16string& pattern, UErrorCode& st) {
  static const char16_t kUtc[] = u"UTC";
  f_ = udat_open(time, date, locale.c_str(), reinterpret_cast<const UChar*>(kUtc), -1,
                 pattern.empty() ? nullptr : reinterpret_cast<const UChar*>(pattern.data()),
                 pattern.empty() ? -1 : static_cast<int32_t>(pattern.size()), &st);
}

Formatter::~Formatter() {
  if (f_ != nullptr) udat_close(f_);
}

Formatter::Formatter(Formatter&& other) noexcept : f_(std::exchange(other.f_, nullptr)) {}

Formatter& Formatter::operator=(Formatter&& other) noexcept {
  std::swap(f_, other.f_);
  return *this;
}

std::u16string Formatter::Pattern(UErrorCode& st) const {
  return ReadIcuText([this](UChar* buf, int32_t cap,
                            UErrorCode* s) { return udat_toPattern(f_, false, buf, cap, s); },
                     st);
}

std::u16string Formatter::Format(UDate when, UErrorCode& st) const {
  if (f_ == nullptr) return {};
  return ReadIcuText(
      [this, when](UChar* buf, int32_t cap, UErrorCode* s) {
        return udat_format(f_, when, buf, cap, nullptr, s);
      },
      st);
}

bool Formatter::FormatsEveryField(std::size_t fields) const {
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
    while (U_SUCCESS(st) && ufieldpositer_next(positions, &begin, &end) >= 0) shown += end > begin;
  }
  return U_SUCCESS(st) && shown >= fields;
}

CachedFormatter::CachedFormatter(std::string locale, TextKind kind, DWORD flags,
                                 const wchar_t* picture)
    : locale_(std::move(locale)),
      kind_(kind),
      flags_(flags),
      picture_(picture != nullptr ? picture : L"") {}

bool CachedFormatter::Is(const std::string& locale, TextKind kind, DWORD flags,
                         const wchar_t* picture) const {
  return kind == kind_ && flags == flags_ && locale == locale_ &&
         (picture == nullptr ? picture_.empty() : picture_ == picture);
}

bool CachedFormatter::Prepare(UErrorCode& st) {
  switch (kind_) {
    case TextKind::kShortDate:
      tokens_ = StylePattern(locale_, UDAT_NONE, UDAT_SHORT, st);
      // Short dates show the whole year, as Win32 locales do.
      for (Token& t : tokens_)
        if (t.letter == u'y' && t.count == 2) t.count = 1;
      break;
    case TextKind::kLongDate:
      tokens_ = StylePattern(locale_, UDAT_NONE, UDAT_FULL, st);
      break;
    case TextKind::kYearMonth:
      tokens_ = SkeletonPattern(locale_, u"yMMMM", st);
      break;
    case TextKind::kMonthDay:
      tokens_ = SkeletonPattern(locale_, u"MMMMd", st);
      break;
    case TextKind::kDatePicture:
    case TextKind::kTimePicture:
      tokens_ = TranslatePicture(picture_.c_str(), kind_ == TextKind::kDatePicture);
      break;
    case TextKind::kTime:
      tokens_ = StylePattern(locale_, UDAT_MEDIUM, UDAT_NONE, st);
      break;
    case TextKind::kMarker:
      tokens_.push_back(Token{u'a', 1, {}});
      break;
  }
  for (const Token& t : tokens_) has_gap_ = has_gap_ || t.letter == kGap;
  right_to_left_ = uloc_isRightToLeft(locale_.c_str()) != 0;
  return U_SUCCESS(st);
}

std::u16string CachedFormatter::Format(UDate when, const std::u16string& gap, UErrorCode& st) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Two gap texts are kept (a.m. and p.m., or two years).
  Made* made = &made_[0];
  if (!made->ready || (has_gap_ && made->gap != gap)) {
    std::swap(made_[0], made_[1]);
    if (!made->ready || (has_gap_ && made->gap != gap)) {
      std::vector<Token> tokens = tokens_;
      ApplyTimeFlags(tokens, flags_, kind_ == TextKind::kTimePicture);
      tokens = FillGaps(tokens, gap);
      const std::u16string pattern = RenderPattern(tokens);
      Formatter formatter;
      if (!pattern.empty()) formatter = Formatter(UDAT_PATTERN, UDAT_PATTERN, locale_, pattern, st);
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

std::shared_ptr<CachedFormatter> GetFormatter(const std::string& locale, TextKind kind, DWORD flags,
                                              const wchar_t* picture, UErrorCode& st) {
  // Never destroyed: a thread may format while the process exits.
  static FormatterCache* cache = new FormatterCache;
  return cache->Get(locale, kind, flags, picture, st);
}

}  // namespace velwin::detail
