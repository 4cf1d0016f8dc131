// Prefix tests of URL text, shared by the URL functions.
#pragma once

#include <locale>

#include <VelUt/StdStr.h>

namespace VelUt::detail {

// True when `text`, lowered unit by unit with the global locale as
// CStdStr::MakeLower lowers it, begins with `prefix` (lower case). Only
// the units the prefix spans are lowered.
inline bool LowerStartsWith(const CStdStr<wchar_t>& text, const wchar_t* prefix) {
  const auto& ctype = std::use_facet<std::ctype<wchar_t>>(std::locale());
  std::size_t i = 0;
  for (; prefix[i] != L'\0'; ++i)
    if (i >= text.size() || ctype.tolower(text[i]) != prefix[i]) return false;
  return true;
}

// True for a file URL: "file:/" or "file:\" in any letter case, at the
// start of the text.
inline bool IsFileUrl(const CStdStr<wchar_t>& text) {
  return LowerStartsWith(text, L"file:/") || LowerStartsWith(text, L"file:\\");
}

}  // namespace VelUt::detail
