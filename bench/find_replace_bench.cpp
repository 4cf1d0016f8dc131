// FindNoCase / ReplaceNoCase against the described position-by-position
// scan (a piece of the text copied for every position tried) and against
// Boost's ifind_first / ireplace_all, on 1 MiB texts (262,144 wide units):
// one with the pattern only at its end, one with the pattern every ~200
// units.
#include <cstddef>
#include <cwchar>
#include <locale>
#include <random>
#include <string>

#include <benchmark/benchmark.h>
#include <boost/algorithm/string/find.hpp>
#include <boost/algorithm/string/replace.hpp>

#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;

// ------------------------------------------------ the described algorithm

// The contenders are kept out of line so that bench/instructions.sh can
// count each one's instructions on its own.

bool TranscribedMatch(const Str& text, int p, const Str& pattern) {
  const Str piece = text.Mid(p, static_cast<int>(pattern.size()));
  if (piece.size() != pattern.size()) return false;
  for (std::size_t k = 0; k < piece.size(); ++k)
    if (std::tolower(piece[k], g_locale_classic) != std::tolower(pattern[k], g_locale_classic))
      return false;
  return true;
}

__attribute__((noinline)) int TranscribedFind(const wchar_t* text, const wchar_t* pattern,
                                              int start) {
  const Str t(text), pat(pattern);
  const int length = static_cast<int>(t.size());
  if (length < 1 || pat.empty() || start >= length) return -1;
  for (int p = start; p < length; ++p)
    if (TranscribedMatch(t, p, pat)) return p;
  return -1;
}

__attribute__((noinline)) int TranscribedReplace(Str& target, const wchar_t* pattern,
                                                 const wchar_t* replacement) {
  const Str pat(pattern);
  if (pat.empty()) return 0;
  const int length = static_cast<int>(target.size());
  Str result;
  int count = 0;
  for (int p = 0; p < length;) {
    if (TranscribedMatch(target, p, pat)) {
      ssadd(result, replacement);
      ++count;
      p += static_cast<int>(pat.size());
    } else {
      result += target[p];
      ++p;
    }
  }
  target.clear();
  target += result;
  return count;
}

// ------------------------------------------------------------ the inputs

constexpr std::size_t kUnits = 1u << 18;  // 1 MiB of wchar_t
const wchar_t kPattern[] = L"Needle";
const wchar_t kReplacement[] = L"Pin";

// Mixed-case prose with no occurrence of the pattern; `every` > 0 puts the
// pattern in, in varying case, about every `every` units, otherwise once
// at the very end.
std::wstring Text(std::size_t every) {
  static const wchar_t* const kWords[] = {
      L"Lorem",       L"ipsum",        L"dolor",      L"sit",       L"amet",
      L"consectetur", L"adipiscing",   L"elit",       L"sed",       L"do",
      L"eiusmod",     L"tempor",       L"incididunt", L"ut",        L"labore",
      L"et",          L"dolore",       L"magna",      L"aliqua",    L"Ut",
      L"enim",        L"ad",           L"minim",      L"veniam",    L"quis",
      L"nostrud",     L"exercitation", L"ullamco",    L"laboris",   L"nisi",
      L"aliquip",     L"ex",           L"ea",         L"commodo",   L"consequat",
      L"Duis",        L"aute",         L"irure",      L"in",        L"reprehenderit",
      L"voluptate",   L"velit",        L"esse",       L"cillum",    L"eu",
      L"fugiat",      L"nulla",        L"pariatur",   L"Excepteur", L"sint",
      L"occaecat"};
  static const wchar_t* const kNeedles[] = {L"needle", L"NEEDLE", L"nEeDlE", L"Needle"};
  std::mt19937 rng(42);
  std::wstring s;
  s.reserve(kUnits + 16);
  std::size_t next = every ? every / 2 + rng() % every : static_cast<std::size_t>(-1);
  while (s.size() < kUnits - 6) {
    if (s.size() >= next) {
      s += kNeedles[rng() % 4];
      next = s.size() + every / 2 + rng() % every;
    } else {
      std::wstring w = kWords[rng() % (sizeof kWords / sizeof kWords[0])];
      if (rng() % 8 == 0) w[0] = static_cast<wchar_t>(std::toupper(w[0], std::locale::classic()));
      s += w;
    }
    s += (rng() % 10 == 0) ? L", " : L" ";
  }
  s.resize(kUnits - 6, L' ');
  s += every ? L"xxxxxx" : L"NEEDLE";
  return s;
}

const std::wstring& EndText() {
  static const std::wstring text = Text(0);
  return text;
}
const std::wstring& DenseText() {
  static const std::wstring text = Text(200);
  return text;
}

// ---------------------------------------------------------- the contenders

__attribute__((noinline)) int BoostFind(const wchar_t* text, const wchar_t* pattern, int start) {
  const wchar_t* from = text + start;
  auto range = boost::make_iterator_range(from, from + std::wcslen(from));
  const auto r = boost::algorithm::ifind_first(range, pattern, g_locale_classic);
  return r.empty() ? -1 : static_cast<int>(r.begin() - text);
}

__attribute__((noinline)) int BoostReplace(Str& target, const wchar_t* pattern,
                                           const wchar_t* replacement) {
  // ireplace_all reports no count; the count is not part of the race.
  boost::algorithm::ireplace_all(static_cast<std::wstring&>(target), pattern, replacement,
                                 g_locale_classic);
  return 0;
}

template <const std::wstring& (*Input)(), int (*Fn)(const wchar_t*, const wchar_t*, int)>
void Find(benchmark::State& state) {
  const std::wstring& text = Input();
  for (auto _ : state) benchmark::DoNotOptimize(Fn(text.c_str(), kPattern, 0));
  state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size() * sizeof(wchar_t)));
}

// Replacing the pattern by itself in upper case leaves a text of the same
// shape behind, so every iteration does the same work on the same string.
// Every occurrence in turn, each search starting just after the last one.
template <const std::wstring& (*Input)(), int (*Fn)(const wchar_t*, const wchar_t*, int)>
void FindAll(benchmark::State& state) {
  const std::wstring& text = Input();
  for (auto _ : state) {
    int found = 0;
    for (int at = Fn(text.c_str(), kPattern, 0); at >= 0; at = Fn(text.c_str(), kPattern, at + 1))
      ++found;
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size() * sizeof(wchar_t)));
}

template <const std::wstring& (*Input)(), int (*Fn)(Str&, const wchar_t*, const wchar_t*)>
void Replace(benchmark::State& state) {
  Str target(Input());
  for (auto _ : state) benchmark::DoNotOptimize(Fn(target, kPattern, kReplacement));
  state.SetBytesProcessed(state.iterations() * static_cast<long>(target.size() * sizeof(wchar_t)));
}

BENCHMARK_TEMPLATE(Find, EndText, VelUt::FindNoCase)->Name("FindNoCase/end/velut");
BENCHMARK_TEMPLATE(Find, EndText, TranscribedFind)->Name("FindNoCase/end/transcription");
BENCHMARK_TEMPLATE(Find, EndText, BoostFind)->Name("FindNoCase/end/boost_ifind_first");
BENCHMARK_TEMPLATE(FindAll, DenseText, VelUt::FindNoCase)->Name("FindNoCase/every200_all/velut");
BENCHMARK_TEMPLATE(FindAll, DenseText, TranscribedFind)
    ->Name("FindNoCase/every200_all/transcription");
BENCHMARK_TEMPLATE(FindAll, DenseText, BoostFind)
    ->Name("FindNoCase/every200_all/boost_ifind_first");
BENCHMARK_TEMPLATE(Replace, EndText, VelUt::ReplaceNoCase)->Name("ReplaceNoCase/end/velut");
BENCHMARK_TEMPLATE(Replace, EndText, TranscribedReplace)->Name("ReplaceNoCase/end/transcription");
BENCHMARK_TEMPLATE(Replace, EndText, BoostReplace)->Name("ReplaceNoCase/end/boost_ireplace_all");
BENCHMARK_TEMPLATE(Replace, DenseText, VelUt::ReplaceNoCase)->Name("ReplaceNoCase/every200/velut");
BENCHMARK_TEMPLATE(Replace, DenseText, TranscribedReplace)
    ->Name("ReplaceNoCase/every200/transcription");
BENCHMARK_TEMPLATE(Replace, DenseText, BoostReplace)
    ->Name("ReplaceNoCase/every200/boost_ireplace_all");

}  // namespace
