// Test support: the user's locale as the layer reads it from the
// environment, set for one scope.
#pragma once

#include "support/scoped_env.h"

namespace velut_test {

// Sets LC_ALL to `locale` and clears LC_TIME and LANG, whether or not the
// system has that locale installed.
class ScopedUserLocale {
 public:
  explicit ScopedUserLocale(const char* locale)
      : all_("LC_ALL", locale), time_("LC_TIME", nullptr), lang_("LANG", nullptr) {}

 private:
  ScopedEnv all_;
  ScopedEnv time_;
  ScopedEnv lang_;
};

}  // namespace velut_test
