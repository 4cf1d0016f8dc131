// URL recognition, file URLs to local paths, and the folder part of a
// location.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/global_locale.h"

namespace {

using Str = CStdStr<wchar_t>;
using test_support::AllocationFailure;

std::string Utf8(const std::wstring& s) {
  std::string out;
  for (const wchar_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out.size() > 80 ? out.substr(0, 80) + "..." : out;
}

// ------------------------------------------------------------ PreProcessUrl

TEST(PreProcessUrl, PrefixTable) {
  struct Row {
    const wchar_t* in;
    bool url;
    const wchar_t* out;
  };
  const Row rows[] = {
      {L"  www.ab.xx  ", true, L"http://www.ab.xx"},
      {L"WWW.Ab.XX", true, L"http://WWW.Ab.XX"},
      {L"ftp.ab.xx", true, L"ftp://ftp.ab.xx"},
      {L"FTP.ab.xx", true, L"ftp://FTP.ab.xx"},
      {L"www.a.b", false, L"www.a.b"},  // host prefixes need 8 units
      {L"www.ab.c", true, L"http://www.ab.c"},
      {L"www.ab", false, L"www.ab"},
      {L"https:", true, L"https:"},
      {L"HTTP://X", true, L"HTTP://X"},
      {L"http:/x", true, L"http:/x"},  // one slash is enough
      {L"file:/x", true, L"file:/x"},
      {L"ftp://", true, L"ftp://"},
      {L"http:", false, L"http:"},
      {L"mailto:", false, L"mailto:"},  // 7 units: rows 7 and 8 need 8
      {L"mailto:x", true, L"mailto:x"},
      {L"Gopher:/", true, L"Gopher:/"},
      {L"news:x", false, L"news:x"},
      {L"telnet://x", false, L"telnet://x"},
      {L"file:C:/a", false, L"file:C:/a"},
      {L"  C:\\dir\\a.txt ", false, L"C:\\dir\\a.txt"},
      {L" \t\n ", false, L""},
      {L"", false, L""},
      {L"\u0130TTP://x", false, L"\u0130TTP://x"},  // only A-Z fold
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.in));
    Str url(row.in);
    EXPECT_EQ(PreProcessUrl(url), row.url);
    EXPECT_EQ(url, row.out);
  }
}

// White space is that of the global locale: U+3000 is trimmed only where
// the locale says it is a space.
TEST(PreProcessUrl, TrimsWithTheGlobalLocale) {
  Str url(L"\u3000www.ab.xx");
  EXPECT_FALSE(PreProcessUrl(url));
  if (!velut_test::HasLocale("C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  EXPECT_TRUE(PreProcessUrl(url));
  EXPECT_EQ(url, L"http://www.ab.xx");
}

// Memory running out while the leading units are cut off is a false
// result, the text left trimmed; running out anywhere else (completing
// "www." with its scheme) reaches the caller, and the text stays trimmed.
TEST(PreProcessUrl, MemoryExhaustion) {
  for (const auto kind :
       {AllocationFailure::kMemoryException, AllocationFailure::kDravoMemoryException}) {
    struct Case {
      const wchar_t* text;
      int escapes;  // allocations outside the guard: the "www." completion
    };
    for (const Case c :
         {Case{L"  www.ab.xx ", 1}, Case{L"  mailto:someone ", 0}, Case{L" http://h/a ", 0}}) {
      const wchar_t* const text = c.text;
      Str trimmed(text);
      trimmed.TrimLeft();
      trimmed.TrimRight();
      int absorbed = 0;
      int escaped = 0;
      for (long n = 1;; ++n) {
        SCOPED_TRACE(testing::Message() << Utf8(text) << " kind " << kind << " allocation " << n);
        Str url(text);
        bool result = false;
        bool threw = false;
        bool fired;
        {
          AllocationFailure failure(n, kind);
          try {
            result = PreProcessUrl(url);
          } catch (CMemoryException* e) {
            e->Delete();
            threw = true;
          } catch (CDravoMemoryException* e) {
            e->Delete();
            threw = true;
          }
          fired = failure.Fired();
        }
        if (!fired) {
          EXPECT_TRUE(result);
          break;
        }
        EXPECT_EQ(url, trimmed);
        if (threw) {
          ++escaped;
        } else {
          EXPECT_FALSE(result);
          ++absorbed;
        }
      }
      EXPECT_GE(absorbed, 1);
      EXPECT_EQ(escaped, c.escapes);
    }
  }
}

// ------------------------------------------------------------ IsUrl, FixUrl

TEST(IsUrl, Table) {
  struct Row {
    const wchar_t* text;
    bool url;
  };
  const Row rows[] = {
      {L"file:///C:/a.txt", false},
      {L" FILE://x", false},
      {L"file:\\C:\\a.txt", false},
      {L"file:/C:/a.txt", true},
      {L"www.ab.xx", true},
      {L"mailto:x", true},
      {L"", false},
      {L"C:\\dir", false},
      {L"/home/u/a.txt", false},
      {L"http://h/file://x", true},
      {L"  https://h", true},
      {L"FiLe:\\\\srv", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.text));
    EXPECT_EQ(VelUt::IsUrl(row.text), row.url);
  }
  EXPECT_FALSE(VelUt::IsUrl(nullptr));
}

TEST(IsUrl, ExhaustionReachesTheCaller) {
  AllocationFailure failure(1, AllocationFailure::kMemoryException);
  bool threw = false;
  try {
    VelUt::IsUrl(L"http://host/a/b/c");
  } catch (CMemoryException* e) {
    e->Delete();
    threw = true;
  }
  EXPECT_TRUE(threw);
}

TEST(FixUrl, Table) {
  struct Row {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Row rows[] = {
      {L"http://host\\a\\b", L"http://host/a/b"},
      {L"www.ab.xx\\a", L"www.ab.xx/a"},  // no scheme added
      {L"file:///C:/dir/a.txt", L"C:\\dir\\a.txt"},
      {L"C:/dir/a.txt", L"C:/dir/a.txt"},
      {L"/home/u/a.txt", L"/home/u/a.txt"},
      {L"file:///C:/home/u", L"C:\\home\\u"},
      {L"  mailto:a\\b", L"  mailto:a/b"},  // the text itself is not trimmed
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.in));
    VelString url(row.in);
    EXPECT_TRUE(VelUt::FixUrl(url));
    EXPECT_EQ(std::wstring(url.c_str()), row.out);
  }
  VelString empty;
  EXPECT_FALSE(VelUt::FixUrl(empty));
  EXPECT_EQ(std::wstring(empty.c_str()), L"");
}

// An exception inside the conversion leaves the string as it was.
TEST(FixUrl, ExhaustionLeavesTheTextUnchanged) {
  const wchar_t* const text = L"file:///C:/some/folder/a.txt";
  int escaped = 0;
  for (long n = 1;; ++n) {
    SCOPED_TRACE(n);
    VelString url(text);
    bool fired;
    {
      AllocationFailure failure(n, AllocationFailure::kBadAlloc);
      try {
        VelUt::FixUrl(url);
      } catch (const std::bad_alloc&) {
        ++escaped;
        EXPECT_EQ(std::wstring(url.c_str()), text);
      }
      fired = failure.Fired();
    }
    if (!fired) {
      EXPECT_EQ(std::wstring(url.c_str()), L"C:\\some\\folder\\a.txt");
      break;
    }
  }
  EXPECT_GE(escaped, 2);
}

// ------------------------------------------------------------ UrlToPath

TEST(UrlToPath, Table) {
  struct Row {
    const wchar_t* url;
    const wchar_t* path;
  };
  const Row rows[] = {
      {L"file:///C:/dir/a%20b.txt", L"C:\\dir\\a%20b.txt"},  // no percent decoding
      {L"FILE:///C|/dir/a.txt", L"C:\\dir\\a.txt"},
      {L"file:/C:/a.txt", L"C:\\a.txt"},
      {L"file:C:/a.txt", L"file:C:/a.txt"},  // no file-URL prefix
      {L"file:\\C:\\a.txt", L"C:\\a.txt"},
      {L"file:\\\\C:\\a.txt", L"C:\\a.txt"},  // one backslash before a letter goes
      {L"file:\\\\server\\share", L"server\\share"},
      {L"file:\\\\1\\x", L"\\1\\x"},  // not before a digit
      {L"file://server/share/x", L"server\\share\\x"},
      {L"file:///", L""},
      {L"file:/", L""},
      {L"File:////a/b", L"a\\b"},
      // A Linux file URL loses its root with the leading slashes: the
      // path is relative to the current folder.
      {L"file:///home/u/a.txt", L"home\\u\\a.txt"},
      {L"http://h/a", L"http://h/a"},
      {L"C:\\a.txt", L"C:\\a.txt"},
      {L" file:///C:/a.txt", L" file:///C:/a.txt"},  // a leading blank
      {L"", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.url));
    VelString path(L"junk");
    EXPECT_TRUE(VelUt::UrlToPath(row.url, path));
    EXPECT_EQ(std::wstring(path.c_str()), row.path);
  }
  VelString path(L"junk");
  EXPECT_TRUE(VelUt::UrlToPath(nullptr, path));
  EXPECT_EQ(std::wstring(path.c_str()), L"");
}

// Beyond ASCII, the letter after a backslash is what the current locale
// calls alphabetic.
TEST(UrlToPath, LetterTestFollowsTheLocale) {
  VelString path;
  VelUt::UrlToPath(L"file:\\\\\u00E9t\u00E9\\x", path);
  EXPECT_EQ(std::wstring(path.c_str()), L"\\\u00E9t\u00E9\\x");
  if (!velut_test::HasLocale("C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  VelUt::UrlToPath(L"file:\\\\\u00E9t\u00E9\\x", path);
  EXPECT_EQ(std::wstring(path.c_str()), L"\u00E9t\u00E9\\x");
}

// The rest after the 6-unit prefix fits the 1024-unit working array up to
// 1023 units; a longer one gives "". Other texts of any length pass.
TEST(UrlToPath, WorkingArrayBound) {
  for (const std::size_t rest : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(rest);
    const std::wstring tail(rest - 1, L'a');  // the rest is "/" and the tail
    VelString path(L"junk");
    EXPECT_TRUE(VelUt::UrlToPath((L"file://" + tail).c_str(), path));
    EXPECT_EQ(std::wstring(path.c_str()), rest < 1024 ? tail : L"");
    const std::wstring plain = L"C:\\" + std::wstring(rest, L'p');
    EXPECT_TRUE(VelUt::UrlToPath(plain.c_str(), path));
    EXPECT_EQ(std::wstring(path.c_str()), plain);
  }
}

// ------------------------------------------------------------ GetPathFromUrl

TEST(GetPathFromUrl, Table) {
  struct Row {
    const wchar_t* url;
    const wchar_t* folder;
  };
  const Row rows[] = {
      {L"http://h/d/p.htm", L"http://h/d/"},
      {L"http://h/d/", L"http://h/"},  // the trailing slash goes first
      {L"http://h", L""},
      {L"http://h/", L""},
      {L"http://h\\d\\p.htm", L"http://h\\d\\"},
      {L"http://h/d\\p.htm", L"http://h/"},  // a slash anywhere wins
      {L"http://h/d\\/", L"http://h/"},      // one '/' then one '\\' go
      {L"http://h/d/\\", L"http://h/d/"},    // not in the other order
      {L"www.ab.xx/x/y.htm", L"www.ab.xx/x/"},
      {L"mailto:x", L""},
      {L"file:///C:/dir/a.txt", L"C:\\dir"},
      {L"C:/dir/a.txt", L"C:\\dir"},
      {L"file:/C:/dir/a.txt", L"file:/C:/dir/"},  // a URL: one slash
      {L"C:\\a.txt", L"C:\\"},
      {L"a.txt", L""},
      {L"/home/u/a.txt", L"\\home\\u"},
      {L"/home", L"\\"},
      {L"file:///C:/home/u/", L"C:\\home\\u"},
      {L"", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.url));
    EXPECT_EQ(std::wstring(VelUt::GetPathFromUrl(row.url).c_str()), row.folder);
  }
  EXPECT_EQ(std::wstring(VelUt::GetPathFromUrl(nullptr).c_str()), L"");
}

TEST(GetPathFromUrl, LongTexts) {
  for (const std::size_t length : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(length);
    const std::wstring folder = L"C:\\" + std::wstring(length - 9, L'f');
    EXPECT_EQ(std::wstring(VelUt::GetPathFromUrl((folder + L"\\a.txt").c_str()).c_str()), folder);
    const std::wstring web = L"http://h/" + std::wstring(length - 9, L'w');
    EXPECT_EQ(std::wstring(VelUt::GetPathFromUrl((web + L"/p").c_str()).c_str()), web + L"/");
    // A file URL whose rest does not fit the working array has no folder.
    const std::wstring file_url = L"file:///C:/" + std::wstring(length - 11, L'u') + L"/a";
    const std::wstring got = VelUt::GetPathFromUrl(file_url.c_str()).c_str();
    if (file_url.size() - 6 < 1024)
      EXPECT_EQ(got, L"C:\\" + std::wstring(length - 11, L'u'));
    else
      EXPECT_EQ(got, L"");
  }
}

}  // namespace
