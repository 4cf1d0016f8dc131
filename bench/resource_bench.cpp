// A warm string lookup in a resource DLL (loaded once, its string table
// indexed at load) against the cost of copying the same std::wstring, and
// against a lookup that walks the resource directory again every time.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

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
  setenv("LANG", "de_DE.UTF-8", 1);  // read from the environment each time
  for (auto _ : state) benchmark::DoNotOptimize(loadStringFromWin32ResourceDLL(lib.get(), kLongId));
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
    for (const auto& block : index)
      if (block.block == kLongId / 16 + 1 &&
          velwin::detail::ReadBlockString(image.data(), image.size(), block, kLongId % 16, text))
        break;
    benchmark::DoNotOptimize(text);
  }
}

BENCHMARK(LookupThreadLanguage)->Name("loadString/thread-language");
BENCHMARK(LookupUserLanguage)->Name("loadString/LANG");
BENCHMARK(LookupAfterFallbacks)->Name("loadString/after-fallbacks");
BENCHMARK(CopyWstring)->Name("wstring-copy");
BENCHMARK(LookupByRescanning)->Name("loadString/rescan-directory");

}  // namespace
