// ParseDelimitedString against its step-by-step transcription and against
// boost::algorithm::split, on 1 Mi units of items of about 8 units, with
// and without quoted items.
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include <VelUt/VelUt.h>

#include "../tests/reference/delimited_transcription.h"

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;

// Items of 4 to 12 letters cut by commas; with `quoted`, every fourth item
// is a quoted stretch holding a comma of its own.
const Str& Sample(bool quoted) {
  static const Str texts[2] = {
      [] {
        std::mt19937 rng(1);
        Str s;
        for (int k = 0; s.size() < (1u << 20); ++k) {
          for (int n = 4 + static_cast<int>(rng() % 9); n > 0; --n) s += L'a' + rng() % 26;
          s += L',';
        }
        return s;
      }(),
      [] {
        std::mt19937 rng(2);
        Str s;
        for (int k = 0; s.size() < (1u << 20); ++k) {
          const int n = 4 + static_cast<int>(rng() % 9);
          if (k % 4 == 3) {
            const wchar_t q = k % 8 == 3 ? L'"' : L'\'';
            s += q;
            for (int i = 0; i < n - 2; ++i) s += (i == (n - 2) / 2 ? L',' : L'a' + rng() % 26);
            s += q;
          } else {
            for (int i = 0; i < n; ++i) s += L'a' + rng() % 26;
          }
          s += L',';
        }
        return s;
      }(),
  };
  return texts[quoted ? 1 : 0];
}

using ParseFn = signed char (*)(const Str&, const Str&, StrList&, int);

template <ParseFn Parse>
void Run(benchmark::State& state) {
  const Str& text = Sample(state.range(0) != 0);
  const Str delimiters(L",");
  const int flags = static_cast<int>(state.range(1));
  StrList items;  // reused, so every call also frees the previous result
  for (auto _ : state) {
    benchmark::DoNotOptimize(Parse(text, delimiters, items, flags));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(text.size()));
  state.counters["items"] = items.GetCount();
}

// Out of line so that profiles can measure one call of it.
[[gnu::noinline]] void BoostSplit(std::vector<std::wstring>& items, const std::wstring& text) {
  boost::algorithm::split(items, text, boost::algorithm::is_any_of(L","));
}

void Boost(benchmark::State& state) {
  const std::wstring& text = Sample(state.range(0) != 0);
  std::vector<std::wstring> items;
  for (auto _ : state) {
    BoostSplit(items, text);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(text.size()));
  state.counters["items"] = static_cast<double>(items.size());
}

// Arguments: quoted sample (0 or 1), flags (0 or PDS_QUOTES).
void Cases(benchmark::internal::Benchmark* b) {
  b->ArgNames({"quoted", "flags"});
  for (int quoted : {0, 1})
    for (int flags : {0, PDS_QUOTES}) b->Args({quoted, flags});
}

BENCHMARK_TEMPLATE(Run, VelUt::ParseDelimitedString)->Name("Parse/velut")->Apply(Cases);
BENCHMARK_TEMPLATE(Run, transcription::ParseDelimitedString)
    ->Name("Parse/transcription")
    ->Apply(Cases);
BENCHMARK(Boost)->Name("Parse/boost_split")->ArgNames({"quoted"})->Arg(0)->Arg(1);

}  // namespace
