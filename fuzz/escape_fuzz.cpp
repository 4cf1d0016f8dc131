// EscapeChar and RemoveEscapeChar against a literal transcription of the
// insert/delete scans, and the round trip where it must hold.
#include <cstdint>
#include <cstdlib>

#include <VelUt/VelUt.h>

#include "fuzz_input.h"

namespace {

using Str = CStdStr<wchar_t>;

bool InSet(const Str& set, wchar_t c) { return set.find(c) != Str::npos; }

int SlowEscape(Str& text, const Str& chars, wchar_t escape) {
  int n = static_cast<int>(text.size()), count = 0;
  if (n == 0) return 0;
  for (int i = 0; i < n; ++i) {
    if (InSet(chars, text[i])) {
      text.Insert(i, escape);
      ++i, ++n, ++count;
    }
  }
  return count;
}

int SlowRemove(Str& text, const Str& chars, wchar_t escape) {
  int n = static_cast<int>(text.size()), count = 0;
  if (n == 0) return 0;
  for (int i = 0; i < n;) {
    const bool escaped =
        escape != 0 && i >= 1 && text[i - 1] == escape && !(i >= 2 && text[i - 2] == escape);
    if (InSet(chars, text[i]) && escaped) {
      text.Delete(i - 1, 1);
      --n, ++count;
      continue;  // the next character now stands at i
    }
    ++i;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const wchar_t escape = in.Unit();
  const Str chars(in.Text(4));
  const Str text(in.Text(200));

  Str fast = text, slow = text;
  if (VelUt::EscapeChar(fast, chars, escape) != SlowEscape(slow, chars, escape) || fast != slow)
    std::abort();
  Str back = fast, slow_back = slow;
  if (VelUt::RemoveEscapeChar(back, chars, escape) != SlowRemove(slow_back, chars, escape) ||
      back != slow_back)
    std::abort();

  // The round trip holds when the escape is not in the set and no escape
  // stands directly before a character of the set.
  bool clean = escape != 0 && !InSet(chars, escape);
  for (std::size_t i = 1; clean && i < text.size(); ++i)
    if (text[i - 1] == escape && InSet(chars, text[i])) clean = false;
  if (clean && back != text) std::abort();

  Str removed = text, slow_removed = text;
  if (VelUt::RemoveEscapeChar(removed, chars, escape) != SlowRemove(slow_removed, chars, escape) ||
      removed != slow_removed)
    std::abort();
  return 0;
}
