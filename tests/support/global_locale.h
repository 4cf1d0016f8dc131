// Test support: switching the process's global locale for one scope.
#pragma once

#include <locale>
#include <stdexcept>

namespace velut_test {

// Makes the named locale global until destruction, then restores the one
// that was global before, however the test ends. ok() is false (and
// nothing changes) when the system lacks that locale.
class ScopedGlobalLocale {
 public:
  explicit ScopedGlobalLocale(const char* name) {
    try {
      previous_ = std::locale::global(std::locale(name));
      ok_ = true;
    } catch (const std::runtime_error&) {
    }
  }
  ~ScopedGlobalLocale() {
    if (ok_) std::locale::global(previous_);
  }
  ScopedGlobalLocale(const ScopedGlobalLocale&) = delete;
  ScopedGlobalLocale& operator=(const ScopedGlobalLocale&) = delete;

  bool ok() const { return ok_; }

 private:
  std::locale previous_;
  bool ok_ = false;
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
