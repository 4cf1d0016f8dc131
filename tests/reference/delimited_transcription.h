// ParseDelimitedString transcribed step by step from its description: one
// character appended to the current item at a time, the delimiter set
// searched for every character, and a copy of each item stored. It is the
// baseline of the benchmark and the oracle of the fuzz target, never part
// of the library.
#pragma once

#include <VelUt/VelUt.h>

namespace transcription {

// Kept out of line so that profiles can measure one call of it.
[[gnu::noinline]] inline signed char ParseDelimitedString(
    const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& delimiters,
    CStdContainer<CStdStr<wchar_t>, std::vector>& items, int flags) {
  if (!(flags & PDS_COLLAPSE_DELIMITERS)) flags &= ~PDS_SKIP_EMPTY;
  items.RemoveAll();
  const int n = static_cast<int>(text.size());
  bool open = !(flags & PDS_COLLAPSE_DELIMITERS);
  bool inDouble = false, inSingle = false;
  CStdStr<wchar_t> current;
  auto isDelimiter = [&](wchar_t c) { return delimiters.find(c) != std::wstring::npos; };
  auto store = [&] {
    if (flags & PDS_TRIM) {
      current.TrimLeft();
      current.TrimRight();
    }
    if ((flags & PDS_SKIP_EMPTY) && current.empty()) return;
    items.Add(current);
    current.erase();
  };
  try {
    int i = 0;
    bool atEnd = n == 0;
    if (!atEnd && (flags & PDS_COLLAPSE_DELIMITERS)) {
      while (i < n && isDelimiter(text[i])) ++i;
      atEnd = i == n;
    }
    for (; !atEnd && i < n; ++i) {
      const wchar_t c = text[i];
      if ((flags & PDS_QUOTES) && c == L'"') {
        inDouble = !inDouble;
        current += c;
        open = true;
      } else if ((flags & PDS_QUOTES) && c == L'\'' && !inDouble) {
        inSingle = !inSingle;
        current += c;
        open = true;
      } else if (inDouble || inSingle || !isDelimiter(c)) {
        current += c;
        open = true;
      } else {
        if (open) store();
        open = true;
        if (flags & PDS_COLLAPSE_DELIMITERS) {
          int j = i + 1;
          while (j < n && isDelimiter(text[j])) ++j;
          open = false;
          atEnd = j == n;
          i = j - 1;
        }
      }
    }
    if (inDouble || inSingle || open || !current.empty()) store();
  } catch (CMemoryException* e) {
    current.erase();
    e->Delete();
  }
  return items.IsEmpty() ? 0 : 1;
}

}  // namespace transcription
