// Test support: environment variables, the user's locale and the time zone, for one scope.
#pragma once

#include <time.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace velut_test {

// Sets `name` to `value` (null: removes it) until the scope ends; not while threads run.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const char* value) { value ? setenv(name_.c_str(), value, 1) : unsetenv(name_.c_str()); }

  std::string name_;
  std::optional<std::string> old_;
};

// The user's locale as the layer reads it: LC_ALL, installed or not.
struct ScopedUserLocale {
  explicit ScopedUserLocale(const char* locale)
      : all("LC_ALL", locale), time("LC_TIME", nullptr), lang("LANG", nullptr) {}
  ScopedEnv all, time, lang;
};

// The local time zone: `tz`, a POSIX TZ text that needs no zone files.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) : env_(std::in_place, "TZ", tz) { tzset(); }
  ~ScopedTimeZone() { env_.reset(), tzset(); }

 private:
  std::optional<ScopedEnv> env_;
};

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";  // with daylight saving

}  // namespace velut_test
