#include "VelUtResString/library_calls.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include <WinAPI/WinAPI.h>

namespace velut_test {

LibraryCalls& Calls() {
  static LibraryCalls calls;
  return calls;
}

void ResetCalls() { Calls() = LibraryCalls(); }

namespace {
bool g_report_frees = false;
}  // namespace

void ReportFreesOnStderr() { g_report_frees = true; }

namespace {

template <typename Fn>
Fn Next(const char* mangled) {
  void* f = dlsym(RTLD_NEXT, mangled);
  if (f == nullptr) std::abort();
  return reinterpret_cast<Fn>(f);
}

}  // namespace
}  // namespace velut_test

HMODULE LoadLibrary(LPCWSTR name) {
  using Fn = HMODULE (*)(LPCWSTR);
  static const Fn real = velut_test::Next<Fn>("_Z11LoadLibraryPKw");
  auto& calls = velut_test::Calls();
  ++calls.total_loads;
  ++calls.loads[name ? name : L"(null)"];
  return real(name);
}

BOOL FreeLibrary(HMODULE module) {
  using Fn = BOOL (*)(HMODULE);
  static const Fn real = velut_test::Next<Fn>("_Z11FreeLibraryPv");
  if (velut_test::g_report_frees) std::fputs("FreeLibrary\n", stderr);
  auto& calls = velut_test::Calls();
  ++calls.total_frees;
  ++calls.frees[module];
  return real(module);
}
