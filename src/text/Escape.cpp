// Escape characters and one-character trimming at the ends of a text.
#include <string>
#include <utility>

#include <VelUt/Escape.h>

#include "core/UnitSet.h"
#include "text/EscapeRule.h"

namespace {

// The units of `chars`, an embedded NUL included.
VelUt::detail::UnitSet SetOf(const CStdStr<wchar_t>& chars) {
  return VelUt::detail::UnitSet(chars.data(), chars.data() + chars.size());
}

}  // namespace

namespace VelUt {

int EscapeChar(CStdStr<wchar_t>& text, const CStdStr<wchar_t>& chars, wchar_t escape) {
  if (text.empty() || chars.empty()) return 0;
  // Build the result once rather than inserting into the middle per match;
  // the inserted escapes are never examined, exactly as in a left-to-right
  // scan that steps over them.
  const VelUt::detail::UnitSet set = SetOf(chars);
  std::wstring out;
  int count = 0;
  for (const wchar_t c : text) {
    if (set.Contains(c)) {
      if (count == 0) out.reserve(text.size() + text.size() / 8 + 1);
      out.push_back(escape);
      ++count;
    }
    out.push_back(c);
  }
  if (count != 0) text.assign(std::move(out));
  return count;
}

int RemoveEscapeChar(CStdStr<wchar_t>& text, const CStdStr<wchar_t>& chars, wchar_t escape) {
  if (text.empty() || escape == 0 || chars.empty()) return 0;
  // The scan reads the text as it stands after earlier removals. `out`
  // holds that text up to the scan position, so the escape rule looks at
  // the last two units written; a removal drops the last unit written and
  // the found character is examined again at its new place.
  const VelUt::detail::UnitSet set = SetOf(chars);
  std::wstring out;
  out.reserve(text.size());
  int count = 0;
  for (const wchar_t c : text) {
    for (;;) {
      if (!VelUt::detail::IsEscaped(out.data(), out.size(), escape) || !set.Contains(c)) break;
      out.pop_back();
      ++count;
    }
    out.push_back(c);
  }
  if (count != 0) text.assign(std::move(out));
  return count;
}

signed char TrimLeftChar(CStdStr<wchar_t>& text, wchar_t ch) {
  text.TrimLeft();
  if (!text.empty() && text[0] == ch) {
    text.Delete(0, 1);
    text.TrimLeft();
  }
  return 1;
}

signed char TrimRightChar(CStdStr<wchar_t>& text, wchar_t ch) {
  text.TrimRight();
  if (!text.empty() && text.back() == ch) {
    text.Delete(static_cast<int>(text.size()) - 1, 1);
    return 1;
  }
  return 0;
}

}  // namespace VelUt
