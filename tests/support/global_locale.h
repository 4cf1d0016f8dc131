// Test support: switching the process's global locale for one test.
#pragma once

#include <locale>
#include <stdexcept>

namespace velut_test {

// Makes `name` the global locale and restores the previous one when the
// scope ends, however the test ends.
class ScopedGlobalLocale {
 public:
  explicit ScopedGlobalLocale(const char* name)
      : old_(std::locale::global(std::locale(name))) {}
  ~ScopedGlobalLocale() { std::locale::global(old_); }
  ScopedGlobalLocale(const ScopedGlobalLocale&) = delete;
  ScopedGlobalLocale& operator=(const ScopedGlobalLocale&) = delete;

 private:
  std::locale old_;
};

// True when the system has the locale `name` (C.UTF-8 on Debian).
inline bool HasLocale(const char* name) {
  try {
    std::locale l(name);
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

}  // namespace velut_test
