// Character decoding and encoding shared by CFString and the XML parser.
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

// Decodes one UTF-8 sequence from [p, end) into cp and advances p past it.
// False, with p unchanged, for anything but the shortest form of a scalar
// value.
bool DecodeUtf8(const std::uint8_t*& p, const std::uint8_t* end, char32_t& cp);

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

// Appends the UTF-8 form of the scalar value `cp`.
void AppendUtf8(std::string& out, char32_t cp);

// The UTF-16 form of valid UTF-8 text (text already checked, such as the
// parser's); an invalid byte becomes U+FFFD.
std::vector<UniChar> Utf8ToUtf16(const char* text, std::size_t size);

}  // namespace velcf::detail
