// EscapeChar / RemoveEscapeChar against the insert-at-each-match scan
// (which shifts the tail once per escape, quadratic on dense input).
#include <string>

#include <benchmark/benchmark.h>

#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;

bool InSet(const Str& set, wchar_t c) { return set.find(c) != Str::npos; }

int TranscribedEscape(Str& text, const Str& chars, wchar_t escape) {
  int n = static_cast<int>(text.size()), count = 0;
  for (int i = 0; i < n; ++i)
    if (InSet(chars, text[i])) text.Insert(i, escape), ++i, ++n, ++count;
  return count;
}

int TranscribedRemove(Str& text, const Str& chars, wchar_t escape) {
  int n = static_cast<int>(text.size()), count = 0;
  for (int i = 0; i < n;) {
    if (InSet(chars, text[i]) && i >= 1 && text[i - 1] == escape &&
        !(i >= 2 && text[i - 2] == escape)) {
      text.Delete(i - 1, 1), --n, ++count;
      continue;
    }
    ++i;
  }
  return count;
}

// 64 KiB of text with a delimiter every ~8 units.
Str Sample() {
  Str s;
  for (int i = 0; s.size() < 64 * 1024; ++i) s += (i % 8 == 7) ? L',' : L'a' + i % 26;
  return s;
}

template <int (*Fn)(Str&, const Str&, wchar_t)>
void Escape(benchmark::State& state) {
  const Str input = Sample(), chars(L",;");
  for (auto _ : state) {
    Str s = input;
    benchmark::DoNotOptimize(Fn(s, chars, L'\\'));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(input.size() * sizeof(wchar_t)));
}

template <int (*Fn)(Str&, const Str&, wchar_t)>
void Unescape(benchmark::State& state) {
  Str input = Sample();
  VelUt::EscapeChar(input, L",;", L'\\');
  const Str chars(L",;");
  for (auto _ : state) {
    Str s = input;
    benchmark::DoNotOptimize(Fn(s, chars, L'\\'));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(input.size() * sizeof(wchar_t)));
}

BENCHMARK_TEMPLATE(Escape, VelUt::EscapeChar)->Name("EscapeChar/velut");
BENCHMARK_TEMPLATE(Escape, TranscribedEscape)->Name("EscapeChar/transcription");
BENCHMARK_TEMPLATE(Unescape, VelUt::RemoveEscapeChar)->Name("RemoveEscapeChar/velut");
BENCHMARK_TEMPLATE(Unescape, TranscribedRemove)->Name("RemoveEscapeChar/transcription");

}  // namespace
