// The entry point every fuzz target shares: it runs the case an input
// chooses, and reports a failed check with the case and the input.
#include <cstdio>
#include <cstdlib>

#include "fuzz_input.h"

namespace {

const char* current_case = "";

}  // namespace

std::string fuzz::current_input;

void fuzz::Check(bool ok, const char* file, int line, const char* condition) {
  if (ok) return;
  std::fprintf(stderr, "%s:%d: fuzz case %s: %s\n", file, line, current_case, condition);
  if (!current_input.empty()) std::fprintf(stderr, "input: %s\n", current_input.c_str());
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::size_t n = fuzz::kCases.size();
  const fuzz::Case& chosen = fuzz::kCases[n == 1 ? 0 : in.Byte() % n];
  current_case = chosen.name;
  chosen.run(in);
  return 0;
}
