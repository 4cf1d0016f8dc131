// UTF-8 in the layer: the codec of the XML tree (Unicode.h, compiled into
// this library too), and whole texts converted by the layer's two rules.
#pragma once

#include <string>
#include <string_view>

#include "Unicode.h"

namespace velwin::detail {

using velcf::detail::DecodeUtf8;
using velcf::detail::IsScalarValue;
using velcf::detail::kReplacementCharacter;
using velcf::detail::Utf8Errors;
using velcf::detail::WriteUtf8;

// What the whole-text conversions make of a byte that is no UTF-8 and of a
// unit that is no scalar value.
enum class Utf8Rule {
  kReplace,      // U+FFFD for either
  kEscapeBytes,  // a byte becomes the unit U+DC00 + byte (U+DC80..U+DCFF)
                 // and that unit the byte again; other units U+FFFD
};

// The units that stand for single bytes which are not UTF-8.
constexpr char32_t kFirstByteUnit = 0xDC80;
constexpr char32_t kLastByteUnit = 0xDCFF;

// The wide text of the UTF-8 `bytes`, one unit a code point.
std::wstring WideFromUtf8(std::string_view bytes, Utf8Rule rule);

// The UTF-8 form of the wide `text`.
std::string Utf8FromWide(std::wstring_view text, Utf8Rule rule);

}  // namespace velwin::detail
