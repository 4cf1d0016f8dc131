// The characters XML allows, over the text floor's coding, and the coding
// names the XML tree uses.
#pragma once

#include <textbase/unicode.h>

namespace velcf::detail {

using velut::textbase::AppendUtf16;
using velut::textbase::AppendUtf8;
using velut::textbase::DecodeUtf8;
using velut::textbase::DecodeWindowsLatin1;
using velut::textbase::EncodeWindowsLatin1;
using velut::textbase::IsScalarValue;
using velut::textbase::kReplacementCharacter;
using velut::textbase::Utf8Errors;
using velut::textbase::WriteUtf16;
using velut::textbase::WriteUtf8;

// True for the characters XML allows in a document: tab, LF, CR, and the
// scalar values from U+0020 except U+FFFE and U+FFFF.
inline bool IsXmlChar(char32_t cp) {
  if (cp < 0x20) return cp == 0x09 || cp == 0x0A || cp == 0x0D;
  return IsScalarValue(cp) && cp != 0xFFFE && cp != 0xFFFF;
}

// XML white space: space, tab, CR, LF.
inline bool IsXmlSpace(char32_t cp) { return cp == 0x20 || cp == 0x09 || cp == 0x0A || cp == 0x0D; }

}  // namespace velcf::detail
