// UTF-8 decoding and encoding shared by the layer's conversions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velwin::detail {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point from [p, end) and advances p past it. A byte that
// does not start a valid, shortest-form sequence of a scalar value yields
// U+FFFD and is consumed alone.
char32_t DecodeUtf8(const unsigned char*& p, const unsigned char* end);

// Encodes `cp` (replaced by U+FFFD when it is no scalar value) into out,
// which has room for 4 bytes; returns the number of bytes.
int EncodeUtf8(char32_t cp, char* out);

// True for the Unicode scalar values: 0..0x10FFFF except the surrogates.
inline bool IsScalarValue(std::uint32_t cp) {
  return cp < 0xD800 || (cp > 0xDFFF && cp <= 0x10FFFF);
}

}  // namespace velwin::detail
