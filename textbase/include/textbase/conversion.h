// The grammar of a printf or scanf conversion that the formatter, the
// scanner and FormatMessage's inserts read alike: the size prefix,
// Microsoft's spellings included, the counts, the whole printf conversion
// after its '%', and the one rule for the width of a text.
#pragma once

#include <algorithm>

namespace velut::textbase {

enum class Size {
  kNone,
  kChar,        // hh
  kShort,       // h
  kLong,        // l
  kLongLong,    // ll
  kInt32,       // I32
  kInt64,       // I64
  kIntMax,      // j
  kSizeT,       // z, and I alone
  kPtrDiff,     // t
  kLongDouble,  // L
  kWide         // w
};

// Reads the size prefix at `p` and moves `p` past it; kNone, with `p`
// unmoved, when there is none.
inline Size ReadSize(const wchar_t*& p) {
  switch (*p) {
    case L'h':
      ++p;
      if (*p == L'h') return ++p, Size::kChar;
      return Size::kShort;
    case L'l':
      ++p;
      if (*p == L'l') return ++p, Size::kLongLong;
      return Size::kLong;
    case L'L':
      return ++p, Size::kLongDouble;
    case L'j':
      return ++p, Size::kIntMax;
    case L'z':
      return ++p, Size::kSizeT;
    case L't':
      return ++p, Size::kPtrDiff;
    case L'w':
      return ++p, Size::kWide;
    case L'I':
      if (p[1] == L'6' && p[2] == L'4') return p += 3, Size::kInt64;
      if (p[1] == L'3' && p[2] == L'2') return p += 3, Size::kInt32;
      return ++p, Size::kSizeT;
    default:
      return Size::kNone;
  }
}

// The one text-width rule of %s %S %c %C (and scanf's %[) in the wide
// functions: 'h' names a narrow text, 'l' and 'w' a wide one; without a
// size the lower-case letter is wide and the upper-case one narrow.
inline bool IsNarrowText(Size size, wchar_t letter) {
  if (size == Size::kShort) return true;
  if (size == Size::kLong || size == Size::kWide) return false;
  return letter == L'S' || letter == L'C';
}

// Reads the decimal digits at `p` as a count (a width or a precision) and
// moves `p` past them; 0 when there are none. Past kCountLimit the count
// stays there, far beyond what any conversion formats.
constexpr unsigned long long kCountLimit = 1ULL << 40;
inline unsigned long long ReadCount(const wchar_t*& p) {
  unsigned long long n = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p)
    n = std::min<unsigned long long>(n * 10 + static_cast<unsigned>(*p - L'0'), kCountLimit);
  return n;
}

// A printf conversion as written after its '%'.
struct PrintfConversion {
  bool left = false;              // '-'
  bool plus = false;              // '+'
  bool space = false;             // ' '
  bool alt = false;               // '#'
  bool zero = false;              // '0'
  bool star_width = false;        // '*': the width is the next argument
  bool star_precision = false;    // ".*": so is the precision
  bool has_precision = false;     // a '.' was written
  bool width_after_star = false;  // digits after the '*' replace its width
  unsigned long long width = 0;
  unsigned long long precision = 0;  // 0 also for a '.' without digits
  Size size = Size::kNone;
  wchar_t letter = 0;  // the conversion letter as it stands; 0: the text ended
};

// Reads the flags, width, precision, size prefix and letter of a printf
// conversion at `p` (just after its '%'), in that order, and leaves `p` at
// the letter. The letter is not judged. With `stars` false, as in
// FormatMessage's inserts, a '*' is no count and so stands as the letter.
inline void ReadPrintfConversion(const wchar_t*& p, PrintfConversion& c, bool stars) {
  for (;; ++p) {
    if (*p == L'-')
      c.left = true;
    else if (*p == L'+')
      c.plus = true;
    else if (*p == L' ')
      c.space = true;
    else if (*p == L'#')
      c.alt = true;
    else if (*p == L'0')
      c.zero = true;
    else
      break;
  }
  if (stars && *p == L'*') {
    ++p;
    c.star_width = true;
    // Microsoft's printf takes digits after the '*' too: they replace the
    // width the argument gave ("% *2d").
    if (*p >= L'0' && *p <= L'9') {
      c.width_after_star = true;
      c.width = ReadCount(p);
    }
  } else {
    c.width = ReadCount(p);
  }
  if (*p == L'.') {
    ++p;
    c.has_precision = true;
    if (stars && *p == L'*') {
      ++p;
      c.star_precision = true;
    } else {
      c.precision = ReadCount(p);
    }
  }
  c.size = ReadSize(p);
  c.letter = *p;
}

}  // namespace velut::textbase
