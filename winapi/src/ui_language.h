// The language in which string resources are read, and how well a
// language present in a library serves it.
#pragma once

#include <cstddef>
#include <string>

#include <WinAPI/Resource.h>

namespace velwin::detail {

// The LANGID of a locale name such as "de_DE.UTF-8" or "de-DE" given as
// [text, text + length); 0 when unknown, and for "C" and "POSIX".
LANGID LanguageOfLocaleName(const char* text, std::size_t length);

// The locale name of `lang` ("de-DE", "sr-Latn-RS", "de"); "" when unknown.
std::string LocaleNameOfLanguage(LANGID lang);

// The user's locale for one category ("LC_TIME", "LC_MESSAGES"): the value
// of the first of LC_ALL, that category and LANG that is set and not
// empty, read from the environment in one pass; null when none is.
const char* LocaleVariable(const char* category);

// The language lookups want now: the thread's, else the user's from the
// environment; 0 for no preference.
LANGID PreferredLanguage();

// Where a library's `present` language stands in the order of choice for
// `preferred` (0: no preference): 0 is tried first, kLanguageRanks - 1
// last. Languages of one rank are tried in ascending order.
constexpr int kLanguageRanks = 8;
int LanguageRank(LANGID preferred, LANGID present);

}  // namespace velwin::detail
