// The size prefix of a printf or scanf conversion, Microsoft's spellings
// included; shared by the formatter, the scanner and FormatMessage.
#pragma once

namespace velwin::detail {

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

}  // namespace velwin::detail
