// Resource-library tests: the test DLLs, one load, guards for the thread language and DLL folder.
#pragma once

#include <string>

#include <WinAPI/Resource.h>

#include "support/text.h"

namespace velut_test {

// A DLL built from tests/data/*.rc, as path text.
inline std::wstring TestDll(const char* name) {
  return velut_test::Wide(std::string(VELUT_TEST_DLL_DIR) + "/" + name);
}

// One load of a library, freed at the end of the scope.
class Library {
 public:
  explicit Library(const std::wstring& name) : handle_(LoadLibraryW(name.c_str())) {}
  ~Library() {
    if (handle_ != nullptr) FreeLibrary(handle_);
  }
  HMODULE get() const { return handle_; }
  std::wstring String(UINT id) const { return loadStringFromWin32ResourceDLL(handle_, id); }

 private:
  HMODULE handle_;
};

// The calling thread's language for the scope.
class ThreadLanguage {
 public:
  explicit ThreadLanguage(LANGID lang) : saved_(GetThreadUILanguage()) {
    SetThreadUILanguage(lang);
  }
  ~ThreadLanguage() { SetThreadUILanguage(saved_); }

 private:
  LANGID saved_;
};

// The DLL folder for the scope; the default search comes back after.
struct DllDirectory {
  explicit DllDirectory(const std::wstring& folder) { SetDllDirectoryW(folder.c_str()); }
  ~DllDirectory() { SetDllDirectoryW(nullptr); }
};

}  // namespace velut_test
