// A warm string lookup in a resource DLL (loaded once, its string table
// indexed at load) against the cost of copying the same std::wstring, and
// against a lookup that walks the resource directory again every time.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <VelUt/VelUt.h>
#include <WinAPI/WinAPI.h>

#include "pe_image.h"

namespace {

// Built from tests/data/*.rc next to this program.
const wchar_t kStrings[] = VELUT_BENCH_DLL_DIR L"/bench_strings.dll";
const wchar_t kLanguages[] = VELUT_BENCH_DLL_DIR L"/bench_languages.dll";
constexpr UINT kLongId = 100;  // 27 characters, beyond the short-string buffer

class Loaded {
 public:
  explicit Loaded(const wchar_t* path) : h_(LoadLibraryW(path)) {
    if (h_ == nullptr) std::abort();
  }
  ~Loaded() { FreeLibrary(h_); }
  HMODULE get() const { return h_; }

 private:
  HMODULE h_;
};

void LookupThreadLanguage(benchmark::State& state) {
  Loaded lib(kStrings);
  SetThreadUILanguage(0x0409);
  for (auto _ : state) benchmark::DoNotOptimize(loadStringFromWin32ResourceDLL(lib.get(), kLongId));
  SetThreadUILanguage(0);
}

void LookupUserLanguage(benchmark::State& state) {
  Loaded lib(kStrings);
  SetThreadUILanguage(0);
  setenv("LANG", "de_DE.UTF-8", 1);  // read from the environment each time
  for (auto _ : state) benchmark::DoNotOptimize(loadStringFromWin32ResourceDLL(lib.get(), kLongId));
}

// The same from a library that holds the id in several languages, so that
// the language read from the environment decides the text.
void LookupUserLanguageOfSeveral(benchmark::State& state) {
  Loaded lib(kLanguages);
  SetThreadUILanguage(0);
  setenv("LANG", "de_AT.UTF-8", 1);
  for (auto _ : state) benchmark::DoNotOptimize(loadStringFromWin32ResourceDLL(lib.get(), 1));
}

// The id exists only in en-US; a German thread tries five languages first.
void LookupAfterFallbacks(benchmark::State& state) {
  Loaded lib(kLanguages);
  SetThreadUILanguage(0x0407);
  for (auto _ : state) benchmark::DoNotOptimize(loadStringFromWin32ResourceDLL(lib.get(), 3));
  SetThreadUILanguage(0);
}

void CopyWstring(benchmark::State& state) {
  Loaded lib(kStrings);
  const std::wstring text = loadStringFromWin32ResourceDLL(lib.get(), kLongId);
  for (auto _ : state) {
    std::wstring copy = text;
    benchmark::DoNotOptimize(copy);
  }
}

// What a reader without an index does: walk the directory for each lookup.
void LookupByRescanning(benchmark::State& state) {
  std::ifstream in(std::string(std::begin(kStrings), std::end(kStrings) - 1), std::ios::binary);
  const std::vector<std::uint8_t> image(std::istreambuf_iterator<char>(in), {});
  std::vector<velwin::detail::StringBlock> index;
  for (auto _ : state) {
    std::wstring text;
    velwin::detail::IndexStringTable(image.data(), image.size(), index);
    const std::uint8_t* units = nullptr;
    std::size_t count = 0;
    for (const auto& block : index)
      if (block.block == kLongId / 16 + 1 &&
          velwin::detail::LocateBlockString(image.data(), image.size(), block, kLongId % 16, units,
                                            count)) {
        velwin::detail::AppendUtf16(units, count, text);
        break;
      }
    benchmark::DoNotOptimize(text);
  }
}

// 10,000 string-table references to four ids of one DLL, its name written
// two ways, as an application resolves its labels; the DLL is looked for
// in the bench folder and English texts are wanted.
std::vector<VelUtResString> References() {
  SetDllDirectoryW(VELUT_BENCH_DLL_DIR);
  SetThreadUILanguage(0x0409);
  static const UINT kStringIds[] = {1, 17, 4000, kLongId};
  std::vector<VelUtResString> refs(10000);
  for (std::size_t i = 0; i < refs.size(); ++i)
    refs[i].Set(kStringIds[i % 4], i % 2 == 0 ? L"bench_strings" : L"Bench_Strings.DLL");
  return refs;
}

// The same references, each loaded once.
std::vector<VelUtResString> ResolvedReferences() {
  std::vector<VelUtResString> refs = References();
  for (auto& r : refs) r.LoadFromResource(0);
  return refs;
}

// Cold: the libraries are loaded (and their string tables indexed) again
// for every round, as at the first use in a process.
void ResolveCold(benchmark::State& state) {
  std::vector<VelUtResString> refs = References();
  for (auto _ : state) {
    VelUtResString::FreeLibraries();
    for (auto& r : refs) benchmark::DoNotOptimize(r.LoadFromResource(1));
  }
  VelUtResString::FreeLibraries();
  state.SetItemsProcessed(state.iterations() * static_cast<long>(refs.size()));
}

// Warm: the libraries stay cached; each reference is looked up again.
void ResolveWarm(benchmark::State& state) {
  std::vector<VelUtResString> refs = ResolvedReferences();
  for (auto _ : state)
    for (auto& r : refs) benchmark::DoNotOptimize(r.LoadFromResource(1));
  VelUtResString::FreeLibraries();
  state.SetItemsProcessed(state.iterations() * static_cast<long>(refs.size()));
}

// Warm, as tables really resolve: no thread language, so the language
// comes from LANG for every lookup, and the name given bare or with .dll.
void ResolveWarmFromLang(benchmark::State& state) {
  std::vector<VelUtResString> refs = ResolvedReferences();
  for (std::size_t i = 0; i < refs.size(); ++i)
    refs[i].mSrc = i % 2 == 0 ? L"bench_strings" : L"bench_strings.dll";
  SetThreadUILanguage(0);
  setenv("LANG", "de_DE.UTF-8", 1);
  for (auto& r : refs) r.LoadFromResource(1);  // warm: resolved once in this language
  for (auto _ : state)
    for (auto& r : refs) benchmark::DoNotOptimize(r.LoadFromResource(1));
  SetThreadUILanguage(0x0409);
  VelUtResString::FreeLibraries();
  state.SetItemsProcessed(state.iterations() * static_cast<long>(refs.size()));
}

// Copies the texts of `refs`, once per iteration: the floor of resolving them.
void CopyTexts(benchmark::State& state, const std::vector<VelUtResString>& refs) {
  for (auto _ : state)
    for (auto& r : refs) {
      CStdStr<wchar_t> copy = r.mText;
      benchmark::DoNotOptimize(copy);
    }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(refs.size()));
}

// The floor: copying the 10,000 resolved texts.
void CopyResolvedTexts(benchmark::State& state) {
  const std::vector<VelUtResString> refs = ResolvedReferences();
  VelUtResString::FreeLibraries();
  CopyTexts(state, refs);
}

// The floor of the LANG row: copying the texts it resolves.
void CopyTextsResolvedFromLang(benchmark::State& state) {
  std::vector<VelUtResString> refs = References();
  SetThreadUILanguage(0);
  setenv("LANG", "de_DE.UTF-8", 1);
  for (auto& r : refs) r.LoadFromResource(0);
  SetThreadUILanguage(0x0409);
  VelUtResString::FreeLibraries();
  CopyTexts(state, refs);
}

BENCHMARK(ResolveCold)->Name("LoadFromResource-10000/cold/velut")->Unit(benchmark::kMicrosecond);
BENCHMARK(ResolveWarm)->Name("LoadFromResource-10000/warm/velut")->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyResolvedTexts)
    ->Name("LoadFromResource-10000/warm/limit_copy_texts")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(ResolveWarmFromLang)
    ->Name("LoadFromResource-10000/warm-LANG/velut")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyTextsResolvedFromLang)
    ->Name("LoadFromResource-10000/warm-LANG/limit_copy_texts")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(LookupThreadLanguage)->Name("loadString/thread-language/velut");
BENCHMARK(CopyWstring)->Name("loadString/thread-language/limit_wstring_copy");
BENCHMARK(LookupUserLanguage)->Name("loadString/LANG/velut");
BENCHMARK(CopyWstring)->Name("loadString/LANG/limit_wstring_copy");
BENCHMARK(LookupUserLanguageOfSeveral)->Name("loadString/LANG-several-languages/velut");
BENCHMARK(CopyWstring)->Name("loadString/LANG-several-languages/limit_wstring_copy");
BENCHMARK(LookupAfterFallbacks)->Name("loadString/after-fallbacks/velut");
BENCHMARK(CopyWstring)->Name("loadString/after-fallbacks/limit_wstring_copy");
BENCHMARK(LookupByRescanning)->Name("loadString/rescan-directory");

}  // namespace
