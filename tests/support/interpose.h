// Test support: a program's own definition of a library function, and the library's.
#pragma once

#include <dlfcn.h>

#include <cstdlib>

namespace velut_test {

// The definition that the program's `own` hides from the libraries: the next
// one the dynamic linker finds under the same symbol. The symbol's name comes
// from the linker, so it follows the function's signature. Aborts when none.
template <typename Function>
Function* Next(Function* own) {
  Dl_info info{};
  void* next = dladdr(reinterpret_cast<void*>(own), &info) != 0 && info.dli_sname != nullptr
                   ? dlsym(RTLD_NEXT, info.dli_sname)
                   : nullptr;
  if (next == nullptr || next == reinterpret_cast<void*>(own)) std::abort();
  return reinterpret_cast<Function*>(next);
}

}  // namespace velut_test
