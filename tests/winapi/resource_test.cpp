// String lookups in resource DLLs made by windres and ld: ids across
// blocks, texts beyond ASCII and beyond the BMP, 32- and 64-bit images,
// the choice of language, and lookups racing with loads and frees.
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "winapi/resource_support.h"

namespace {

using restest::Library;
using restest::LocaleEnvironment;
using restest::TestDll;
using restest::ThreadLanguage;

const char* const kStringDlls[] = {"strings64.dll", "strings32.dll"};

TEST(LoadString, IdsAcrossBlocksAndTexts) {
  struct Row {
    UINT id;
    std::wstring text;  // "" for a missing id
  };
  const Row rows[] = {
      {0, L"zero"},
      {1, L"one"},
      {2, L""},  // a gap inside a block that exists
      {14, L""},
      {15, L"fifteen"},
      {16, L"sixteen"},
      {17, L"seventeen"},
      {18, L""},
      {31, L""},
      {32, L""},  // a block that does not exist
      {3999, L""},
      {4000, L"four thousand"},
      {4001, L""},
      {65534, L""},
      {65535, L"the last id"},
      {65536, L""},  // no string id is that large
      {65536 + 1, L""},
      {0xFFFFFFFF, L""},
      {100, L"Gr\u00FC\u00DFe aus K\u00F6ln \u2013 \u00ABcaf\u00E9\u00BB \u00BD \u2211"},
      {102,
       L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC, \u0440\u0443\u0441\u0441\u043A"
       L"\u0438\u0439, \u65E5\u672C\u8A9E, \uD55C\uAD6D\uC5B4, \u05E2\u05D1\u05E8\u05D9"
       L"\u05EA"},
      {108, L"tab\there \"quoted\""},
      // Surrogate pairs join into one character; lone halves become U+FFFD.
      {101, L"\U0001F600 grinning, \U0001D11E clef"},
      {103, L"lone \uFFFD high"},
      {104, L"\uFFFD lone low, a high at the end \uFFFD"},
      {105, L"pair \U0001F600 written as escapes"},
      // Zero units inside are kept, those at the end dropped.
      {106, std::wstring(L"inner\0zero", 10)},
      {107, L"terminated"},
  };
  for (const char* dll : kStringDlls) {
    Library lib(TestDll(dll));
    ASSERT_NE(lib.get(), nullptr) << dll;
    for (const Row& row : rows) {
      SCOPED_TRACE(testing::Message() << dll << " id " << row.id);
      EXPECT_EQ(lib.String(row.id), row.text);
    }
  }
}

TEST(LoadString, CharacterBeyondTheBmpIsOneUnit) {
  Library lib(TestDll("strings32.dll"));
  const std::wstring grin = lib.String(101);
  ASSERT_FALSE(grin.empty());
  EXPECT_EQ(grin[0], static_cast<wchar_t>(0x1F600));
  EXPECT_EQ(grin[1], L' ');
}

TEST(LoadString, LastErrorOfFailedLookups) {
  Library lib(TestDll("strings64.dll"));
  ASSERT_NE(lib.get(), nullptr);

  for (int twice = 0; twice < 2; ++twice) {  // also when the answer is kept
    SetLastError(0);
    EXPECT_EQ(lib.String(2), L"");
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  }

  SetLastError(0);
  EXPECT_EQ(lib.String(1), L"one");
  EXPECT_EQ(GetLastError(), 0u);  // success leaves it alone

  SetLastError(0);
  EXPECT_EQ(loadStringFromWin32ResourceDLL(nullptr, 1), L"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  int not_a_library = 0;
  SetLastError(0);
  EXPECT_EQ(loadStringFromWin32ResourceDLL(&not_a_library, 1), L"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(LoadString, FreedHandleReadsNothing) {
  const HMODULE h = LoadLibraryW(restest::Wide(TestDll("strings64.dll")).c_str());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(loadStringFromWin32ResourceDLL(h, 1), L"one");
  ASSERT_TRUE(FreeLibrary(h));
  SetLastError(0);
  EXPECT_EQ(loadStringFromWin32ResourceDLL(h, 1), L"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(LoadString, LibraryWithoutStringTable) {
  Library lib(TestDll("nostrings.dll"));
  ASSERT_NE(lib.get(), nullptr);
  for (UINT id : {0u, 1u, 15u, 16u, 4000u, 65535u}) {
    SCOPED_TRACE(id);
    SetLastError(0);
    EXPECT_EQ(lib.String(id), L"");
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  }
}

// languages.rc holds (see its comment):
//   1: en-US de-DE de-AT fr-FR neutral   2: de-AT en-US neutral
//   3: en-US fr-FR                       4: fr-FR it-IT
//   5: de de-AT                          6: de-CH de-AT
//   7: 0x0400 en-GB                      8: en-GB es-ES
//   20: neutral
TEST(LoadString, LanguageOrder) {
  struct Row {
    LANGID lang;  // the thread's language; 0: none (and no environment)
    UINT id;
    const wchar_t* text;
    const char* why;
  };
  const Row rows[] = {
      {0x0407, 1, L"Hallo", "exact"},
      {0x0C07, 1, L"Servus", "exact"},
      {0x040C, 1, L"Bonjour", "exact"},
      {0x0409, 1, L"Hello", "exact"},
      {0x0C07, 5, L"\u00D6sterreichisch", "exact"},
      {0x0807, 5, L"Deutsch", "same language without a region"},
      {0x0407, 5, L"Deutsch", "without a region before another region"},
      {0x0807, 1, L"Hallo", "the default region before the others"},
      {0x0C0C, 1, L"Bonjour", "the default region"},
      {0x0010, 4, L"Ciao (4)", "a language without region finds its default region"},
      {0x0407, 2, L"Servus (2)", "any region of the language"},
      {0x0407, 6, L"Gr\u00FCezi", "of several regions the lowest LANGID"},
      {0x0407, 3, L"Hello (3)", "the chosen block lacks the id: on to en-US"},
      {0x040C, 2, L"Hi (2)", "no French: neutral"},
      {0x0411, 1, L"Hi", "no Japanese: neutral"},
      {0x0407, 20, L"neutral only", "no German: neutral"},
      {0x040C, 7, L"user default", "a neutral language other than 0"},
      {0x0411, 4, L"Bonjour (4)", "nothing better: the lowest LANGID"},
      {0x0407, 8, L"Colour", "nothing better: the lowest LANGID"},
      {0x0809, 1, L"Hello", "en-GB missing: en-US as its default region"},
      {0x0409, 8, L"Colour", "en-US missing: another English"},
      {0, 1, L"Hi", "no preference: neutral first"},
      {0, 3, L"Hello (3)", "no preference: then en-US"},
      {0, 4, L"Bonjour (4)", "no preference: then the lowest LANGID"},
      {0, 5, L"Deutsch", "no preference: then the lowest LANGID"},
      {0, 9, L"", "missing in every language"},
  };
  LocaleEnvironment env;
  Library lib(TestDll("languages.dll"));
  ASSERT_NE(lib.get(), nullptr);
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << "lang 0x" << row.lang << std::dec << " id "
                                    << row.id << ": " << row.why);
    ThreadLanguage lang(row.lang);
    EXPECT_EQ(lib.String(row.id), row.text);
  }
}

TEST(LoadString, UserLanguageFromEnvironment) {
  struct Row {
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    const wchar_t* text;  // of id 1
  };
  const Row rows[] = {
      {nullptr, nullptr, "de_DE.UTF-8", L"Hallo"},
      {nullptr, nullptr, "de_AT.UTF-8", L"Servus"},
      {nullptr, nullptr, "de_AT", L"Servus"},
      {nullptr, nullptr, "de_CH.ISO-8859-1", L"Hallo"},
      {nullptr, nullptr, "fr_CA.UTF-8", L"Bonjour"},
      {nullptr, nullptr, "ja_JP.UTF-8", L"Hi"},
      {nullptr, nullptr, "en_US.UTF-8", L"Hello"},
      {nullptr, "de_AT.UTF-8", "fr_FR.UTF-8", L"Servus"},
      {"de_DE.UTF-8", "de_AT.UTF-8", "fr_FR.UTF-8", L"Hallo"},
      {"", "", "fr_FR.UTF-8", L"Bonjour"},  // empty values do not count
      {"", "de_AT", nullptr, L"Servus"},
      {"C", nullptr, "de_DE.UTF-8", L"Hi"},  // C stops the search: no preference
      {"POSIX", nullptr, "de_DE.UTF-8", L"Hi"},
      {nullptr, nullptr, "C.UTF-8", L"Hi"},
      {nullptr, nullptr, "klingon", L"Hi"},
      {nullptr, nullptr, nullptr, L"Hi"},
  };
  LocaleEnvironment env;
  ThreadLanguage none(0);
  Library lib(TestDll("languages.dll"));
  ASSERT_NE(lib.get(), nullptr);
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << "LC_ALL=" << (row.lc_all ? row.lc_all : "(unset)")
                 << " LC_MESSAGES=" << (row.lc_messages ? row.lc_messages : "(unset)")
                 << " LANG=" << (row.lang ? row.lang : "(unset)"));
    LocaleEnvironment::Set("LC_ALL", row.lc_all);
    LocaleEnvironment::Set("LC_MESSAGES", row.lc_messages);
    LocaleEnvironment::Set("LANG", row.lang);
    EXPECT_EQ(lib.String(1), row.text);
  }
}

// A variable put with putenv changes when its string does: the next lookup
// reads the new value, whether its name or only its value is touched.
TEST(LoadString, PutenvStringChangedInPlace) {
  LocaleEnvironment env;
  ThreadLanguage none(0);
  Library lib(TestDll("languages.dll"));
  ASSERT_NE(lib.get(), nullptr);
  static char entry[] = "LANG=de_DE.UTF-8";
  ASSERT_EQ(putenv(entry), 0);
  EXPECT_EQ(lib.String(1), L"Hallo");
  std::memcpy(entry + 5, "fr", 2);  // LANG=fr_DE.UTF-8
  EXPECT_EQ(lib.String(1), L"Bonjour");
  entry[1] = 'C';  // LCNG=...: no longer a locale variable
  EXPECT_EQ(lib.String(1), L"Hi");
  unsetenv("LCNG");
}

TEST(LoadString, ThreadLanguageBeatsEnvironmentOnItsThreadOnly) {
  LocaleEnvironment env;
  LocaleEnvironment::Set("LANG", "de_DE.UTF-8");
  ThreadLanguage none(0);
  Library lib(TestDll("languages.dll"));
  ASSERT_NE(lib.get(), nullptr);
  {
    ThreadLanguage french(0x040C);
    EXPECT_EQ(lib.String(1), L"Bonjour");
  }
  EXPECT_EQ(lib.String(1), L"Hallo");

  std::wstring other_thread;
  std::thread t([&] {
    SetThreadUILanguage(0x0C07);
    other_thread = lib.String(1);
  });
  t.join();
  EXPECT_EQ(other_thread, L"Servus");
  EXPECT_EQ(GetThreadUILanguage(), 0);
  EXPECT_EQ(lib.String(1), L"Hallo");
}

// Lookups on one thread while others load and free the same library: the
// library stays mapped while one load is outstanding, and nothing is read
// after the last free (ASan and TSan builds watch this).
TEST(LoadString, LookupsRaceWithLoadsAndFrees) {
  const std::wstring path = restest::Wide(TestDll("strings64.dll"));
  Library held(path);
  ASSERT_NE(held.get(), nullptr);
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> churn;
  for (int t = 0; t < 2; ++t) {
    churn.emplace_back([&] {
      while (!stop) {
        const HMODULE h = LoadLibraryW(path.c_str());
        if (h != held.get()) ++wrong;
        if (loadStringFromWin32ResourceDLL(h, 4000) != L"four thousand") ++wrong;
        FreeLibrary(h);
      }
    });
  }
  for (int i = 0; i < 20000; ++i) {
    if (held.String(65535) != L"the last id") ++wrong;
  }
  stop = true;
  for (std::thread& t : churn) t.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
