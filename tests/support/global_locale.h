// Test support: the process's global locale switched for one scope.
#pragma once

#include <locale>
#include <stdexcept>

namespace velut_test {

// True when the system has the locale `name` (C.UTF-8 on Debian).
inline bool HasLocale(const char* name) {
  try {
    return static_cast<void>(std::locale(name)), true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

// Makes the locale `name` global until the scope ends; ok() is false, and
// nothing changes, when the system lacks it.
class ScopedGlobalLocale {
 public:
  explicit ScopedGlobalLocale(const char* name) : ok_(HasLocale(name)) {
    if (ok_) previous_ = std::locale::global(std::locale(name));
  }
  ~ScopedGlobalLocale() {
    if (ok_) std::locale::global(previous_);
  }
  ScopedGlobalLocale(const ScopedGlobalLocale&) = delete;
  ScopedGlobalLocale& operator=(const ScopedGlobalLocale&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
  std::locale previous_;
};

}  // namespace velut_test
