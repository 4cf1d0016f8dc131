// The language of string lookups: locale names, thread and user languages, lookup order.
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "support/rows.h"
#include "support/scoped_env.h"
#include "winapi/resource_support.h"

namespace {

using velut_test::Library;
using velut_test::ScopedEnv;
using velut_test::TestDll;
using velut_test::ThreadLanguage;

TEST(LocaleNameToLCID, NamesInEveryForm) {
  // POSIX, Win32 and BCP 47 names in any case; a language alone or unknown region: neutral.
  const std::tuple<const wchar_t*, LCID> rows[] = {
      {L"de_AT.UTF-8", 0x0C07}, {L"de_DE.UTF-8@euro", 0x0407}, {L"sr_RS@latin", 0x241A},
      {L"es-419", 0x580A},      {L"zh-Hant", 0x7C04},          {L"zh-Hans-CN", 0x0804},
      {L"En-gB", 0x0809},       {L"fr.UTF-8", 0x000C},         {L"de_10", 0x0007},
      {L"zh", 0x7804}};
  velut_test::ForEachRow(
      rows, [&](auto& name, auto& lcid) { EXPECT_EQ(LocaleNameToLCID(name, 0), lcid); });
  for (const wchar_t* none : {L"C.UTF-8", L"POSIX", L"", L"xx_YY", L"d", L"de_", L"de__DE",
                              L"de DE", L"d\u00E9_DE", static_cast<const wchar_t*>(nullptr)})
    EXPECT_EQ(LocaleNameToLCID(none, 0), 0u) << "no language: " << none;
}

// A language has a neutral LCID of its own, each of its regions one of the same primary language.
TEST(LocaleNameToLCID, RegionsBelongToTheirLanguage) {
  std::map<LCID, std::wstring> neutrals;
  for (int n = 0; n < 26 * 26 * 27; ++n) {  // "aa".."zz", then "aaa".."zzz"
    std::wstring code{wchar_t(L'a' + n % 26), wchar_t(L'a' + n / 26 % 26)};
    if (n >= 26 * 26) code += wchar_t(L'a' + n / 676 - 1);
    const LCID neutral = LocaleNameToLCID(code.c_str(), 0);
    if (neutral == 0) continue;
    EXPECT_TRUE(neutrals.emplace(neutral, code).second) << code << " shares " << neutral;
    for (int r = 0; r < 26 * 26; ++r) {
      const std::wstring name = code + L'_' + wchar_t(L'A' + r % 26) + wchar_t(L'A' + r / 26);
      EXPECT_EQ(LocaleNameToLCID(name.c_str(), 0) & 0x3FF, neutral & 0x3FF) << name;
    }
  }
}

// Names by region, script and language alone; errors leave 0.
TEST(LCIDToLocaleName, NamesTheLanguageOrSaysWhyNot) {
  struct Row {
    const char* name;
    LCID lcid;
    int size;
    int result;
    std::wstring text;
    DWORD error;
  };
  const Row rows[] = {{"region", 0x0407, 16, 6, L"de-DE", 0},
                      {"script named where Windows names it", 0x241A, 16, 11, L"sr-Latn-RS", 0},
                      {"language alone", 0x0007, 16, 3, L"de", 0},
                      {"size 0 asks for the size", 0x0C07, 0, 6, L"", 0},
                      {"too small", 0x0407, 5, 0, L"", ERROR_INSUFFICIENT_BUFFER},
                      {"unknown", 0x0400, 16, 0, L"", ERROR_INVALID_PARAMETER},
                      {"beyond a LANGID", 0x10407, 16, 0, L"", ERROR_INVALID_PARAMETER}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    wchar_t name[16] = L"";
    SetLastError(0);
    EXPECT_EQ(row.result, LCIDToLocaleName(row.lcid, name, row.size, 0)) << "result";
    EXPECT_EQ(row.text, std::wstring(name)) << "name";
    EXPECT_EQ(row.error, GetLastError()) << "last error";
  });
}

// Every name it gives reads back as the same identifier.
TEST(LCIDToLocaleName, LocaleNameToLCIDReadsItBack) {
  wchar_t name[32];
  for (LCID lcid = 0; lcid <= 0xFFFF; ++lcid) {
    if (LCIDToLocaleName(lcid, name, 32, 0) == 0) continue;
    EXPECT_EQ(lcid, LocaleNameToLCID(name, 0)) << name;
  }
}

// tests/data/languages.rc says after each id which languages hold it.
TEST(LoadString, LanguageOrder) {
  const std::tuple<LANGID, UINT, const wchar_t*> rows[] = {
      {0x0C07, 1, L"Servus"},        // exact
      {0x0807, 5, L"Deutsch"},       // the language without a region,
      {0x0807, 1, L"Hallo"},         // then its default region,
      {0x0407, 2, L"Servus (2)"},    // then any region,
      {0x0407, 6, L"Gr\u00FCezi"},   // of several the lowest LANGID
      {0x0010, 4, L"Ciao (4)"},      // a language without region: its default region
      {0x0407, 3, L"Hello (3)"},     // the chosen block lacks the id: on to en-US
      {0x040C, 2, L"Hi (2)"},        // none of the language: neutral
      {0x040C, 7, L"user default"},  // a neutral language other than 0
      {0x0411, 4, L"Bonjour (4)"},   // nothing better: the lowest LANGID
      {0x0809, 1, L"Hello"},         // en-GB missing: en-US as its default region
      {0x0409, 8, L"Colour"},        // en-US missing: another English
      {0, 1, L"Hi"},                 // no preference: neutral first,
      {0, 3, L"Hello (3)"},          // then en-US,
      {0, 5, L"Deutsch"},            // then the lowest LANGID
      {0, 9, L""}};
  ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", nullptr);
  Library lib(TestDll("languages.dll"));
  velut_test::ForEachRow(rows, [&](auto& language, auto& id, auto& text) {
    ThreadLanguage in(language);
    EXPECT_EQ(lib.String(id), text);
  });
}

// No thread language: the first of LC_ALL, LC_MESSAGES, LANG set and not empty names it.
TEST(LoadString, UserLanguageFromEnvironment) {
  const std::tuple<const char*, const char*, const char*, const wchar_t*> rows[] = {
      // LC_ALL, LC_MESSAGES, LANG (null: unset); the text of id 1.
      {nullptr, nullptr, "de_AT", L"Servus"},
      {nullptr, "de_AT.UTF-8", "fr_FR.UTF-8", L"Servus"},  // the same language: the text kept
      {"de_DE.UTF-8", "de_AT.UTF-8", "fr_FR.UTF-8", L"Hallo"},
      {"", "", "fr_CA.UTF-8", L"Bonjour"},    // empty values do not count
      {"C", nullptr, "de_DE.UTF-8", L"Hi"}};  // C stops the search
  ThreadLanguage none(0);
  Library lib(TestDll("languages.dll"));
  velut_test::ForEachRow(rows, [&](auto& lc_all, auto& lc_messages, auto& lang, auto& text) {
    ScopedEnv all("LC_ALL", lc_all), messages("LC_MESSAGES", lc_messages), l("LANG", lang);
    EXPECT_EQ(lib.String(1), text);
  });
  // A putenv string read anew when it changes, its name or its value: LANG alone, then none.
  ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", nullptr);
  static char entry[] = "LANG=de_DE.UTF-8";
  ASSERT_EQ(putenv(entry), 0);
  EXPECT_EQ(lib.String(1), L"Hallo");
  std::memcpy(entry + 5, "fr", 2);  // LANG=fr_DE.UTF-8
  EXPECT_EQ(lib.String(1), L"Bonjour");
  entry[1] = 'C';  // LCNG=...: no longer a locale variable
  EXPECT_EQ(lib.String(1), L"Hi");
  unsetenv("LCNG");
}

// The thread's language beats the user's on its thread only; a new thread has none.
TEST(SetThreadUILanguage, BeatsTheEnvironmentOnItsThreadOnly) {
  ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "de_DE");
  Library lib(TestDll("languages.dll"));
  ThreadLanguage french(0x040C);
  EXPECT_EQ(lib.String(1), L"Bonjour");
  LANGID seen = 0xFFFF;
  std::wstring other;
  std::thread([&] {
    seen = GetThreadUILanguage();
    other = lib.String(1);
    EXPECT_EQ(SetThreadUILanguage(0x1234), 0x1234);
  }).join();
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(other, L"Hallo");
  EXPECT_EQ(GetThreadUILanguage(), 0x040C);
}

}  // namespace
