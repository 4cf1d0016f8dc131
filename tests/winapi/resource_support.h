// Shared by the resource-library tests: where the test DLLs are, file and
// folder helpers, and guards that put back what a test changes (the
// environment, the thread's language, the DLL folder, the current folder).
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Resource.h>
#include <WinAPI/Strings.h>

#include "support/temp_folder.h"

namespace restest {

namespace fs = std::filesystem;

// A DLL built from tests/data/*.rc.
inline fs::path TestDll(const char* name) { return fs::path(VELUT_TEST_DLL_DIR) / name; }

inline std::wstring Wide(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

inline std::wstring Wide(const fs::path& path) { return Wide(path.string()); }

inline std::vector<unsigned char> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Writes a new file (an old one is removed first: truncating a file in
// place makes some file systems flush it, which is slow in a loop).
inline void WriteBytes(const fs::path& path, const unsigned char* data, std::size_t size) {
  std::error_code ignored;
  fs::remove(path, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
  WriteBytes(path, bytes.data(), bytes.size());
}

// A fresh folder, removed with its content at the end of the scope.
using TempDir = velut_test::TempFolder;

// Clears LC_ALL, LC_MESSAGES and LANG for the scope and puts them back.
class LocaleEnvironment {
 public:
  LocaleEnvironment() {
    for (int i = 0; i < 3; ++i) {
      if (const char* v = std::getenv(kNames[i])) saved_[i] = v;
      unsetenv(kNames[i]);
    }
  }
  ~LocaleEnvironment() {
    for (int i = 0; i < 3; ++i) {
      if (saved_[i]) {
        setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }
  LocaleEnvironment(const LocaleEnvironment&) = delete;
  LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

  // Sets (value non-null) or removes one of the three variables.
  static void Set(const char* name, const char* value) {
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }

 private:
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::optional<std::string> saved_[3];
};

// Restores the calling thread's language.
class ThreadLanguage {
 public:
  explicit ThreadLanguage(LANGID lang) : saved_(GetThreadUILanguage()) {
    SetThreadUILanguage(lang);
  }
  ~ThreadLanguage() { SetThreadUILanguage(saved_); }
  ThreadLanguage(const ThreadLanguage&) = delete;
  ThreadLanguage& operator=(const ThreadLanguage&) = delete;

 private:
  LANGID saved_;
};

// Sets the DLL folder for the scope; the default search comes back after.
class DllDirectory {
 public:
  explicit DllDirectory(const std::wstring& folder) { SetDllDirectoryW(folder.c_str()); }
  ~DllDirectory() { SetDllDirectoryW(nullptr); }
  DllDirectory(const DllDirectory&) = delete;
  DllDirectory& operator=(const DllDirectory&) = delete;
};

// Changes the current folder for the scope.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const fs::path& folder) : saved_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~CurrentDirectory() {
    std::error_code ignored;
    fs::current_path(saved_, ignored);
  }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  fs::path saved_;
};

// One load of a library, freed at the end of the scope.
class Library {
 public:
  explicit Library(const wchar_t* name) : handle_(LoadLibraryW(name)) {}
  explicit Library(const std::wstring& name) : Library(name.c_str()) {}
  explicit Library(const fs::path& path) : Library(Wide(path)) {}
  ~Library() {
    if (handle_ != nullptr) FreeLibrary(handle_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  HMODULE get() const { return handle_; }
  std::wstring String(UINT id) const { return loadStringFromWin32ResourceDLL(handle_, id); }

 private:
  HMODULE handle_;
};

}  // namespace restest
