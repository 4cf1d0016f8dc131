// Test support: a fixed local time zone for one scope.
#pragma once

#include <ctime>
#include <optional>

#include "support/scoped_env.h"

namespace velut_test {

// Makes `tz` (a POSIX TZ text such as "UTC0" or
// "CET-1CEST,M3.5.0,M10.5.0/3", which needs no zone files) the local time
// zone, and restores the previous one when the scope ends.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    env_.emplace("TZ", tz);
    tzset();
  }
  ~ScopedTimeZone() {
    env_.reset();
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<ScopedEnv> env_;
};

// Central European time with its daylight-saving rule.
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

}  // namespace velut_test
