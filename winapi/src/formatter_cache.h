// The ICU date formatters that GetDateFormat and GetTimeFormat use, kept
// per locale, kind of text, time flags and picture: ICU's formatters are
// slow to make and quick to use.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <unicode/udat.h>

#include <WinAPI/Types.h>

#include "time_pattern.h"

namespace velwin::detail {

// Owns a UDateFormat.
class Formatter {
 public:
  Formatter() = default;
  Formatter(UDateFormatStyle time, UDateFormatStyle date, const std::string& locale,
            const std::u16string& pattern, UErrorCode& st);
  ~Formatter();
  Formatter(const Formatter&) = delete;
  Formatter& operator=(const Formatter&) = delete;
  Formatter(Formatter&& other) noexcept;
  Formatter& operator=(Formatter&& other) noexcept;

  std::u16string Pattern(UErrorCode& st) const;

  // "" without a formatter (an empty pattern formats as nothing).
  std::u16string Format(UDate when, UErrorCode& st) const;

  // False when a date formatted comes out with fewer than `fields` fields
  // that are not empty: ICU makes such a formatter, and reports success,
  // when one of its own allocations fails while making it or at its first
  // use (it compiles its number formatters then). It must not be kept.
  bool FormatsEveryField(std::size_t fields) const;

 private:
  UDateFormat* f_ = nullptr;
};

// The texts a cached formatter makes.
enum class TextKind {
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
class CachedFormatter {
 public:
  CachedFormatter(std::string locale, TextKind kind, DWORD flags, const wchar_t* picture);

  bool Is(const std::string& locale, TextKind kind, DWORD flags, const wchar_t* picture) const;

  // Finds the pattern; false with `st` set when ICU fails.
  bool Prepare(UErrorCode& st);

  bool has_gap() const { return has_gap_; }
  bool right_to_left() const { return right_to_left_; }

  // The text of `when`, with `gap` in the picture's gap.
  std::u16string Format(UDate when, const std::u16string& gap, UErrorCode& st);

 private:
  struct Made {
    bool ready = false;
    std::u16string gap;
    Formatter formatter;
  };

  const std::string locale_;
  const TextKind kind_;
  const DWORD flags_;
  const std::wstring picture_;
  std::vector<Token> tokens_;
  bool has_gap_ = false;
  bool right_to_left_ = false;
  std::mutex mutex_;
  Made made_[2];
};

// The formatter for a locale, kind, time flags and picture, kept for the
// next call unless the picture is long; null with `st` set when ICU cannot
// make it. Safe from any number of threads.
std::shared_ptr<CachedFormatter> GetFormatter(const std::string& locale, TextKind kind, DWORD flags,
                                              const wchar_t* picture, UErrorCode& st);

}  // namespace velwin::detail
