// Slow, obviously correct versions of the case-insensitive search and of
// duplicate removal, written straight from their definitions. The fuzz
// targets check the library's fast versions against them, and a benchmark
// takes its keys from here.
#pragma once

#include <cstddef>
#include <locale>
#include <string>
#include <vector>

#include <VelUt/VelUt.h>

namespace slowref {

inline wchar_t Fold(wchar_t c) {
  return std::use_facet<std::ctype<wchar_t>>(g_locale_classic).tolower(c);
}

// Whether `pattern` matches `text` at `at`, one folded unit at a time; a
// pattern running past the end never matches.
inline bool Matches(const std::wstring& text, std::size_t at, const std::wstring& pattern) {
  if (at + pattern.size() > text.size()) return false;
  for (std::size_t k = 0; k < pattern.size(); ++k)
    if (Fold(text[at + k]) != Fold(pattern[k])) return false;
  return true;
}

// FindNoCase over a text without NUL units: every position from `start`
// on is tried; a negative position tries position 0.
inline int Find(const std::wstring& text, const std::wstring& pattern, int start) {
  const int n = static_cast<int>(text.size());
  if (n < 1 || pattern.empty() || start >= n) return -1;
  for (int p = start; p < n; ++p)
    if (Matches(text, p < 0 ? 0 : static_cast<std::size_t>(p), pattern)) return p;
  return -1;
}

// ReplaceNoCase: at each position either a match is replaced and skipped
// or one unit is copied.
inline int Replace(std::wstring& target, const std::wstring& pattern,
                   const std::wstring& replacement) {
  if (pattern.empty()) return 0;
  std::wstring out;
  int count = 0;
  for (std::size_t p = 0; p < target.size();) {
    if (Matches(target, p, pattern)) {
      out += replacement;
      ++count;
      p += pattern.size();
    } else {
      out += target[p++];
    }
  }
  target = out;
  return count;
}

// The duplicate key of an entry: trimmed, then one trailing separator
// removed in a 1024-unit buffer read back up to its first NUL.
inline CStdStr<wchar_t> Key(const CStdStr<wchar_t>& entry) {
  CStdStr<wchar_t> key = entry;
  key.TrimLeft();
  key.TrimRight();
  PathRemoveBackslash(key.GetBuf(1024));
  key.RelBuf(-1);
  return key;
}

// RemoveDuplicates: an entry goes when an entry kept before it has a key
// that collates equal; the first such kept entry is the one that lost it.
inline int RemoveDuplicates(std::vector<std::wstring>& list) {
  std::vector<std::wstring> kept;
  std::vector<CStdStr<wchar_t>> keptKeys;
  std::vector<bool> lost;
  for (const std::wstring& entry : list) {
    const CStdStr<wchar_t> key = Key(CStdStr<wchar_t>(entry));
    std::size_t i = 0;
    while (i < keptKeys.size() && keptKeys[i].CollateNoCase(key.c_str()) != 0) ++i;
    if (i < keptKeys.size()) {
      lost[i] = true;
    } else {
      kept.push_back(entry);
      keptKeys.push_back(key);
      lost.push_back(false);
    }
  }
  list = kept;
  int count = 0;
  for (const bool l : lost) count += l ? 1 : 0;
  return count;
}

}  // namespace slowref
