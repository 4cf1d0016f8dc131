// Test support: the process's global locale switched for one scope.
#pragma once

#include <locale>
#include <stdexcept>

namespace velut_test {

// Makes the locale `name` global until the scope ends; ok() is false, and
// nothing changes, when the system lacks it.
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

}  // namespace velut_test
