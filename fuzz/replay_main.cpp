// Runs a fuzz target's entry point once on every file of the corpus folders
// it is given, so that each test run replays what the fuzzer found, without
// libFuzzer or clang. A fault in the target shows as a crash, a failed check
// or a sanitizer report; a folder that cannot be read, or holds no input,
// fails the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    std::error_code error;
    std::vector<fs::path> files;
    for (const fs::directory_entry& e : fs::directory_iterator(argv[i], error))
      if (e.is_regular_file()) files.push_back(e.path());
    if (error) {
      std::fprintf(stderr, "replay: cannot read %s: %s\n", argv[i], error.message().c_str());
      return 2;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
      std::ifstream in(f, std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
      // A block of exactly the input's size, as libFuzzer passes it, so that
      // a read past its end is caught.
      const std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[bytes.size()]);
      std::copy(bytes.begin(), bytes.end(), data.get());
      fuzz::current_input = f.string();
      LLVMFuzzerTestOneInput(data.get(), bytes.size());
      ++runs;
    }
  }
  std::printf("replayed %zu inputs\n", runs);
  return runs != 0 ? 0 : 1;
}
