// The entry point every fuzz target shares: it runs the case an input
// chooses, and reports a broken rule with the case and the input.
#include <cstdio>
#include <cstdlib>

#include "fuzz_input.h"

namespace {

const char* current_case = "";

}  // namespace

std::string fuzz::current_input;

void fuzz::Check(bool ok, const char* rule) {
  if (ok) return;
  std::fprintf(stderr, "fuzz case %s broke a rule: %s\n", current_case, rule);
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
