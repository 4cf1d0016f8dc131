// Character decoding and encoding shared by CFString and the XML parser,
// and compiled into libWinAPI as well: the one UTF-8 codec of the layers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <CoreFoundation/CFBase.h>

namespace velcf::detail {

// True for the Unicode scalar values: 0..0x10FFFF except the surrogates.
inline bool IsScalarValue(char32_t cp) { return cp < 0xD800 || (cp > 0xDFFF && cp <= 0x10FFFF); }

// True for the characters XML allows in a document: tab, LF, CR, and the
// scalar values from U+0020 except U+FFFE and U+FFFF.
inline bool IsXmlChar(char32_t cp) {
  if (cp < 0x20) return cp == 0x09 || cp == 0x0A || cp == 0x0D;
  return IsScalarValue(cp) && cp != 0xFFFE && cp != 0xFFFF;
}

// XML white space: space, tab, CR, LF.
inline bool IsXmlSpace(char32_t cp) { return cp == 0x20 || cp == 0x09 || cp == 0x0A || cp == 0x0D; }

// What the UTF-8 codec does with bytes that are no UTF-8 and with values
// that are no scalar value.
enum class Utf8Errors {
  kStop,     // refuse them: report the failure, consume and write nothing
  kReplace,  // U+FFFD in their place; a bad byte is consumed alone
};

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes one UTF-8 sequence from [p, end) (not empty) into cp and advances
// p past it. For anything but the shortest form of a scalar value: false,
// with p unchanged, under kStop; under kReplace, U+FFFD with p moved past
// the first byte, and true.
bool DecodeUtf8(const std::uint8_t*& p, const std::uint8_t* end, char32_t& cp,
                Utf8Errors errors = Utf8Errors::kStop);

// The character of a windows-1252 byte. The five bytes the code page leaves
// undefined map to the C1 controls of the same value, as Windows does.
char32_t DecodeWindowsLatin1(std::uint8_t byte);

// The windows-1252 byte of `cp`, or -1 when the code page has none.
int EncodeWindowsLatin1(char32_t cp);

// Appends the UTF-16 form of the scalar value `cp`.
inline void AppendUtf16(std::vector<UniChar>& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<UniChar>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<UniChar>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<UniChar>(0xDC00 + (cp & 0x3FF)));
  }
}

// Writes the UTF-8 form of `cp` at `out` (room for 4 bytes); returns the
// end of what it wrote. A `cp` that is no scalar value is refused under
// kStop (nothing written, null returned) and written as U+FFFD under
// kReplace.
inline char* WriteUtf8(char* out, char32_t cp, Utf8Errors errors = Utf8Errors::kStop) {
  if (!IsScalarValue(cp)) {
    if (errors == Utf8Errors::kStop) return nullptr;
    cp = kReplacementCharacter;
  }
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Appends the UTF-8 form of `cp`, with the errors of WriteUtf8; false, with
// nothing appended, when it refuses `cp`.
inline bool AppendUtf8(std::string& out, char32_t cp, Utf8Errors errors = Utf8Errors::kStop) {
  char bytes[4];
  char* end = WriteUtf8(bytes, cp, errors);
  if (end == nullptr) return false;
  out.append(bytes, end);
  return true;
}

// Writes the UTF-16 form of the scalar value `cp` at `out` (room for 2
// units); returns the end of what it wrote.
inline UniChar* WriteUtf16(UniChar* out, char32_t cp) {
  if (cp < 0x10000) {
    *out++ = static_cast<UniChar>(cp);
  } else {
    cp -= 0x10000;
    *out++ = static_cast<UniChar>(0xD800 + (cp >> 10));
    *out++ = static_cast<UniChar>(0xDC00 + (cp & 0x3FF));
  }
  return out;
}

}  // namespace velcf::detail
