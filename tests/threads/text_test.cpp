// Eight threads run the text utilities and CStdStr at once, each on its own
// data; under ThreadSanitizer (the tsan preset) this finds any state they
// share by accident. The global locale is read, never changed, meanwhile.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/global_locale.h"
#include "threads/run_threads.h"

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;

constexpr int kRounds = 300;

int Work(int id) {
  int wrong = 0;
  auto check = [&wrong](bool ok) { wrong += ok ? 0 : 1; };
  for (int round = 0; round < kRounds; ++round) {
    const std::wstring n = std::to_wstring(id * 1000 + round);

    Str line(L" a" + n + L" , 'b,c' ,, d ");
    StrList items;
    check(VelUt::ParseDelimitedString(line, L",", items,
                                      PDS_COLLAPSE_DELIMITERS | PDS_QUOTES | PDS_TRIM) != 0);
    check(items.GetCount() == 3 && items[0] == L"a" + n && items[1] == L"'b,c'");
    VelString joined;
    VelUt::MakeDelimitedString(items, joined, 1, L";");
    check(joined.compare((L"a" + n + L";'b,c';d").c_str()) == 0);

    Str escaped(L"x," + n + L";y");
    check(VelUt::EscapeChar(escaped, L",;", L'\\') == 2);
    check(VelUt::RemoveEscapeChar(escaped, L",;", L'\\') == 2 && escaped == L"x," + n + L";y");

    Str braces(L"f(a[" + n + L"], {b})");
    check(VelUt::MatchBraces(braces, 0, 0, 0) == 1);
    check(VelUt::FindMatchingChar(braces, 1, 0, 0) == static_cast<int>(braces.size()) - 1);

    Str text(L"Alpha BETA alpha " + n);
    check(VelUt::FindNoCase(text.c_str(), L"beta", 0) == 6);
    check(VelUt::ReplaceNoCase(text, L"ALPHA", L"g") == 2 && text == L"g BETA g " + n);

    StrList paths;
    paths.Add(L"C:\\Dir" + n + L"\\");
    paths.Add(L" c:\\dir" + n);
    paths.Add(L"D:\\other");
    check(VelUt::RemoveDuplicates(paths) == 1 && paths.GetCount() == 2);
    check(VelUt::FindInArray(L"d:\\OTHER", paths, 0) == 1);

    Str formatted;
    formatted.Format(L"%s-%d-%hs", Str(n), round, "z");
    check(formatted == n + L"-" + std::to_wstring(round) + L"-z");
    Str trimmed(L"  , " + n + L" ,");
    VelUt::TrimLeftChar(trimmed, L',');
    check(VelUt::TrimRightChar(trimmed, L',') == 1 && trimmed == n + L" ");
  }
  return wrong;
}

TEST(Threads, TextUtilitiesAtOnce) {
  // Set before the threads start: they only read the global locale.
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  EXPECT_EQ(velut_test::RunOnThreads(Work), 0);
}

}  // namespace
