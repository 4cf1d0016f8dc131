// The reader of XML references: character references ("&#38;",
// "&#x26;"), the five predefined entities and references to other
// entities, which the builder keeps as nodes of their own.
#pragma once

#include <string_view>

namespace velcf::detail {

// What a reference stands for.
enum class Reference { kCharacter, kEntity, kMalformed };

// True for the bytes that may start a name (any byte of a character
// beyond ASCII among them) and for those that may continue one.
inline bool IsNameStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}
inline bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Reads the reference that starts at the '&' at p, in text that ends with
// a zero byte. For a character reference or a predefined entity, sets cp;
// for another entity, sets name. Sets next past the ';' unless the
// reference is malformed (no ';', no digits or name, or a character XML
// does not allow).
// Example:
//   ReadReference("&#x41;") -> kCharacter, cp 'A'
//   ReadReference("&amp;")  -> kCharacter, cp '&', name "amp"
//   ReadReference("&nbsp;") -> kEntity, name "nbsp"
//   ReadReference("&#0;")   -> kMalformed
Reference ReadReference(const unsigned char* p, char32_t& cp, std::string_view& name,
                        const unsigned char*& next);

}  // namespace velcf::detail
