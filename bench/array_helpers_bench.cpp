// RemoveDuplicates against the described pairwise removal (fresh keys for
// both entries of every comparison) on path lists of 1,000, 5,000 and
// 20,000 entries, 10% of them duplicates that differ in case, blanks or a
// trailing backslash; and SortArray against the swapping Shell sort and
// std::sort.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <VelUt/VelUt.h>

// The described key of an entry (trim, 1024-unit buffer, PathRemoveBackslash).
#include "../tests/reference/slow_reference.h"

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;

// ------------------------------------------------ the described algorithm

int TranscribedRemoveDuplicates(StrList& list) {
  int count = 0;
  for (int i = 0; i < list.GetCount(); ++i) {
    const Str key = slowref::Key(list[i]);
    bool removed = false;
    for (int j = i + 1; j < list.GetCount();) {
      if (key.CollateNoCase(slowref::Key(list[j]).c_str()) == 0) {
        list.RemoveAt(static_cast<unsigned int>(j));
        removed = true;
      } else {
        ++j;
      }
    }
    if (removed) ++count;
  }
  return count;
}

void TranscribedSort(CArray<unsigned int, unsigned int>& values) {
  const int n = values.GetSize();
  for (int gap = n / 2; gap > 0; gap /= 2)
    for (int i = gap; i < n; ++i)
      for (int j = i - gap; j >= 0 && values[j] > values[j + gap]; j -= gap)
        std::swap(values[j], values[j + gap]);
}

void StdSort(CArray<unsigned int, unsigned int>& values) {
  std::sort(values.GetData(), values.GetData() + values.GetSize());
}

// ------------------------------------------------------------ the inputs

// `n` Windows-style paths; every tenth is a variant of an earlier one in
// another case, with blanks around it, or with a trailing backslash.
StrList Paths(int n) {
  static const wchar_t* const kRoots[] = {L"C:\\Program Files\\", L"D:\\Data\\",
                                          L"C:\\Users\\Public\\", L"E:\\Builds\\"};
  std::mt19937 rng(static_cast<unsigned>(n));
  StrList list;
  std::vector<std::wstring> made;
  for (int i = 0; i < n; ++i) {
    std::wstring p;
    if (i % 10 == 9 && !made.empty()) {
      p = made[rng() % made.size()];
      switch (rng() % 3) {
        case 0:
          for (wchar_t& c : p)
            if (c >= L'a' && c <= L'z' && rng() % 2) c = static_cast<wchar_t>(c - 32);
          break;
        case 1:
          p = L"  " + p + L"\t";
          break;
        default:
          p += L'\\';
      }
    } else {
      p = kRoots[rng() % 4];
      p += L"Vendor" + std::to_wstring(rng() % 50) + L"\\Product" + std::to_wstring(rng() % 1000) +
           L"\\module" + std::to_wstring(i) + L".dll";
      made.push_back(p);
    }
    list.Add(Str(p));
  }
  return list;
}

// No user counter here: the CSV report, which bench/table.sh reads, stops
// the program when interleaved benchmarks differ in their counters.
template <int (*Fn)(StrList&)>
void Dedupe(benchmark::State& state) {
  const StrList input = Paths(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    StrList list = input;
    state.ResumeTiming();
    benchmark::DoNotOptimize(Fn(list));
    benchmark::DoNotOptimize(list);
  }
}

template <void (*Fn)(CArray<unsigned int, unsigned int>&)>
void Sort(benchmark::State& state) {
  std::mt19937 rng(5);
  CArray<unsigned int, unsigned int> input;
  for (int i = 0; i < state.range(0); ++i) input.Add(rng());
  for (auto _ : state) {
    state.PauseTiming();
    CArray<unsigned int, unsigned int> values = input;
    state.ResumeTiming();
    Fn(values);
    benchmark::DoNotOptimize(values.GetData());
  }
}

BENCHMARK_TEMPLATE(Dedupe, VelUt::RemoveDuplicates)
    ->Name("RemoveDuplicates/velut")
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond);
// The pairwise version takes minutes at 20,000 entries; its growth shows
// at the two smaller sizes.
BENCHMARK_TEMPLATE(Dedupe, TranscribedRemoveDuplicates)
    ->Name("RemoveDuplicates/transcription")
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_TEMPLATE(Sort, VelUt::SortArray)
    ->Name("SortArray/velut")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Sort, TranscribedSort)
    ->Name("SortArray/transcription")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Sort, StdSort)
    ->Name("SortArray/std_sort")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
