#include "paths/layer_hooks.h"

#include <dlfcn.h>

#include <cstdlib>

#include <WinAPI/File.h>

namespace velut_test {

std::function<void(const wchar_t* created)> g_after_temp_file_name;

}  // namespace velut_test

UINT GetTempFileName(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR buffer) {
  using Fn = UINT (*)(LPCWSTR, LPCWSTR, UINT, LPWSTR);
  static const Fn real = [] {
    void* f = dlsym(RTLD_NEXT, "_Z15GetTempFileNamePKwS0_jPw");
    if (f == nullptr) std::abort();
    return reinterpret_cast<Fn>(f);
  }();
  const UINT number = real(path, prefix, unique, buffer);
  if (number != 0 && unique == 0 && velut_test::g_after_temp_file_name)
    velut_test::g_after_temp_file_name(buffer);
  return number;
}
