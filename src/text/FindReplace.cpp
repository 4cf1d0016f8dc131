// Case-insensitive search and replacement, folding with the classic locale.
#include <cstdint>
#include <cwchar>
#include <string>

#include <VelUt/FindReplace.h>

#include "platform/Layer.h"
#include "text/NoCaseSearch.h"
#include "text/TextPointer.h"

namespace VelUt {

int FindNoCase(const wchar_t* text, const wchar_t* pattern, int start) {
  if (!detail::IsTextPointer(pattern) || *pattern == L'\0') return -1;
  CStdStr<wchar_t> resource;
  if (!detail::IsTextPointer(text)) {
    resource = CStdStr<wchar_t>(text);  // null, or a string-resource id
    text = resource.c_str();
  }
  const detail::NoCaseSearcher searcher(pattern, std::wcslen(pattern));
  if (start < 0) {
    if (*text == L'\0') return -1;
    // Every negative position tries the match at 0 and reports itself.
    const std::size_t m = searcher.size();
    if (wcsnlen(text, m) == m && searcher.MatchAt(text, 0)) return start;
    start = 0;
  }
  // Only the units up to `start` are measured before the scan begins.
  const auto from = static_cast<std::size_t>(start);
  if (wcsnlen(text, from + 1) <= from) return -1;
  const std::size_t at = searcher.FindTerminated(text, from);
  return at == detail::kNotFound ? -1 : static_cast<int>(at);
}

int ReplaceNoCase(CStdStr<wchar_t>& target, const wchar_t* pattern, const wchar_t* replacement) {
  const CStdStr<wchar_t> what(pattern);
  if (what.empty() || target.empty()) return 0;
  if (!detail::IsTextPointer(replacement)) replacement = L"";
  const std::size_t r = std::wcslen(replacement);
  const detail::NoCaseSearcher searcher(what.data(), what.size());
  const std::size_t n = target.size(), m = what.size();
  std::size_t at = searcher.Find(target.data(), n, 0);
  if (at == detail::kNotFound) return 0;

  const auto begin = reinterpret_cast<std::uintptr_t>(target.data());
  const auto where = reinterpret_cast<std::uintptr_t>(replacement);
  const bool inside = where >= begin && where <= begin + n * sizeof(wchar_t);
  std::size_t done = 0;
  int count = 0;
  if (r <= m && !inside) {
    // The result is never longer than what has been read, so it is written
    // over the target itself: the unread text ahead of the scan stays as it
    // was, and nothing is allocated.
    wchar_t* t = target.data();
    std::size_t written = 0;
    for (; at != detail::kNotFound; at = searcher.Find(t, n, done)) {
      if (written != done) std::wmemmove(t + written, t + done, at - done);
      written += at - done;
      // A span in the middle of the text: resize() terminates the whole.
      std::wmemcpy(t + written, replacement, r);  // NOLINT(bugprone-not-null-terminated-result)
      written += r;
      done = at + m;
      ++count;
    }
    if (written != done) std::wmemmove(t + written, t + done, n - done);
    target.resize(written + (n - done));
    return count;
  }
  // A longer replacement, or one inside the target: the result is built on
  // the side from whole spans and replaces the target at the end, so the
  // target stays as it was if memory runs out.
  const wchar_t* text = target.data();
  std::wstring out;
  out.reserve(n + n / 4);
  for (; at != detail::kNotFound; at = searcher.Find(text, n, done)) {
    out.append(text + done, at - done);
    out.append(replacement, r);
    done = at + m;
    ++count;
  }
  out.append(text + done, n - done);
  static_cast<std::wstring&>(target) = std::move(out);
  return count;
}

}  // namespace VelUt
