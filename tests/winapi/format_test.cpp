// ms_swprintf / ms_vswprintf: Microsoft's wide printf conventions, bounded output.
#include <climits>
#include <cmath>
#include <cwchar>
#include <string>
#include <tuple>
#include <variant>

#include <gtest/gtest.h>

#include <WinAPI/Strings.h>

#include "support/boundary.h"
#include "support/rows.h"

namespace {

// One argument of any type a conversion takes.
using Arg = std::variant<const wchar_t*, const char*, int, wint_t, long long, double, long double,
                         void*, std::nullptr_t>;

// Formats with `arg` for each conversion into `count` units, checking the guard units after.
std::pair<int, std::wstring> Format(const wchar_t* format, const Arg& arg,
                                    std::size_t count = 4096) {
  std::wstring buf = velut_test::GuardedBuffer(count, 16);
  const int n = std::visit(
      [&](auto v) {
        if constexpr (std::is_same_v<decltype(v), std::nullptr_t>)
          return ms_swprintf(&buf[0], count, format);
        else
          return ms_swprintf(&buf[0], count, format, v, v, v, v, v, v, v, v, v, v);
      },
      arg);
  EXPECT_EQ(velut_test::Guard(16), buf.substr(count)) << "past the end";
  return {n, buf.c_str()};
}

TEST(MsSwprintf, Conversions) {
  const std::tuple<const wchar_t*, Arg, const wchar_t*> rows[] = {
      // Texts: %s %ls %ws %lS %wS are wide, %hs %S %hS narrow UTF-8, unlike glibc.
      {L"%s|%ls|%ws|%lS|%wS", L"w", L"w|w|w|w|w"},
      {L"%hs|%S|%hS", "n", L"n|n|n"},
      {L"[%5s][%-5s][%2s][%.0s][%-6.2s]", L"abcd", L"[ abcd][abcd ][abcd][][ab    ]"},
      {L"[%8s]|%ls", static_cast<const wchar_t*>(nullptr), L"[  (null)]|(null)"},
      {L"[%-7S]|%hs", static_cast<const char*>(nullptr), L"[(null) ]|(null)"},
      {L"%hs", "a\xFF\xC0\xAF\xED\xA0\x80x\xC3", L"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDx\uFFFD"},
      {L"[%4hs][%.2hs]", "\xC3\xA4\xC3\xB6\xC3\xBC", L"[ \u00E4\u00F6\u00FC][\u00E4\u00F6]"},
      // Characters: %c %lc %wc %lC %wC wide, %hc %C %hC narrow.
      {L"%c%lc%wc%lC%wC[%3c]", static_cast<wint_t>(0x1F600),
       L"\U0001F600\U0001F600\U0001F600"
       L"\U0001F600\U0001F600[  \U0001F600]"},
      {L"%hc%C%hC[%-3C]", static_cast<wint_t>(0x17A), L"zzz[z  ]"},
      // Integers: each size prefix reads its own width and drops the rest.
      {L"%hhd %hhu %hd %hu", 0x1C8C8, L"-56 200 -14136 51400"},
      {L"%I32u %I32x %u", -1, L"4294967295 ffffffff 4294967295"},
      {L"%lu %ju %llx %I64o", 5000000000LL, L"5000000000 5000000000 12a05f200 45201371000"},
      {L"%+d|% d|%#x|%#X|%#o", 8, L"+8| 8|0x8|0X8|010"},
      {L"%d|%#o|%#x", 0, L"0|0|0"},
      {L"%I64d %Id %jd %zd %ld|%i", -9000000000LL,
       L"-9000000000 -9000000000 -9000000000 -9000000000 -9000000000|-410065408"},
      {L"%p|%#p", reinterpret_cast<void*>(0xABC), L"0000000000000ABC|0X0000000000000ABC"},
      {L"[%04s][%-04s]", L"foo", L"[0foo][foo ]"},  // '0' pads texts and characters too
      // '*': a negative width left-aligns, a negative precision is none; a precision drops 0.
      {L"[%*d][%0*d][%.*d][%05.*d]", -5, L"[-5   ][-5   ][-5][-0005]"},
      {L"[%05.*d][%*.*d]", 3, L"[  003][003]"},
      {L"[% *2d][%*3d]", 7, L"[ 7][  7]"},  // digits after '*' replace its width
      // Floating point: zeros after the sign or 0x, blanks for inf and nan.
      {L"[%010.1a][%011.1a]", -1.0, L"[-0x01.0p+0][-0x001.0p+0]"},
      {L"[%08f][%-+08f][%08e]", INFINITY, L"[     inf][+inf    ][     inf]"},
      {L"[%08F]", NAN, L"[     NAN]"},
      {L"%f|%E|%g", -NAN, L"-nan(ind)|-NAN(IND)|-nan(ind)"},          // the default NaN: indefinite
      {L"%a|%A", 1.0, L"0x1.0000000000000p+0|0X1.0000000000000P+0"},  // all 13 digits
      {L"%.1Lf %.2Lf", 2.25L, L"2.2 2.25"},  // a long double takes its own slot
      // %n writes nothing; an unknown conversion is copied and takes no argument, nor its '*'.
      {L"a%nb%hnc%llnd", static_cast<void*>(nullptr), L"abcd"},
      {L"%y%k|%5k|%-08.3r|%lv|%I128d|%\u00E9|%*y|%.*y|%d", 7,
       L"%y%k|%5k|%-08.3r|%lv|%I128d|%\u00E9|%*y|%.*y|7"},
      {L"100%% %%d 50%", nullptr, L"100% %d 50%"}};
  velut_test::ForEachRow(rows, [](auto& format, auto& arg, auto& text) {
    EXPECT_EQ(Format(format, arg),
              std::make_pair(static_cast<int>(std::wcslen(text)), std::wstring(text)));
  });
}

// An exact fit comes out whole; one unit less gives -1 and the text cut there.
TEST(MsSwprintf, BoundedOutput) {
  const std::tuple<const wchar_t*, Arg, const wchar_t*> fitting[] = {
      {L"abcdef", nullptr, L"abcdef"},   {L"%s", L"abcdef", L"abcdef"},
      {L"%hs", "\xC3\xA4z", L"\u00E4z"}, {L"%06d", -42, L"-00042"},
      {L"%08.2f", 1.5, L"00001.50"},     {L"%5c", static_cast<wint_t>(L'x'), L"    x"}};
  velut_test::ForEachRow(fitting, [](auto& format, auto& arg, auto& full) {
    const std::size_t len = std::wcslen(full);
    EXPECT_EQ(Format(format, arg, len + 1),
              std::make_pair(static_cast<int>(len), std::wstring(full)));
    EXPECT_EQ(Format(format, arg, len), std::make_pair(-1, std::wstring(full, len - 1)));
    EXPECT_EQ(Format(format, arg, 2), std::make_pair(-1, std::wstring(full, 1)));
  });
  const std::tuple<const wchar_t*, Arg> huge[] = {
      {L"%99999999999d", 1}, {L"%*d", INT_MIN}, {L"%2147483647hs", "x"}};
  for (const auto& [format, arg] : huge)
    for (const std::size_t count : {1, 64}) {
      SCOPED_TRACE(testing::Message() << format << " into " << count);
      const auto [n, text] = Format(format, arg, count);
      EXPECT_EQ(n, -1);
      EXPECT_EQ(text.size(), count - 1);
    }
  EXPECT_EQ(Format(L"%.2147483647g", 1.5), std::make_pair(3, std::wstring(L"1.5")));
  const std::wstring tenth = L"0.1000000000000000055511151231257827021181583404541015625";
  EXPECT_EQ(Format(L"%.1000f", 0.1, 100).second, tenth + std::wstring(42, L'0'));
  EXPECT_EQ(Format(L"%.600f", 1.5).second,
            L"1.5" + std::wstring(599, L'0'));  // past a first buffer
  EXPECT_EQ(Format(L"%.600Lf", 1.5L).second, L"1.5" + std::wstring(599, L'0'));
  EXPECT_EQ(Format(L"%s%.0s", L"", 1), std::make_pair(0, std::wstring()));  // only the terminator
  EXPECT_EQ(ms_swprintf(nullptr, 8, L"abc"), -1);
  wchar_t none = L'#';
  EXPECT_EQ(ms_swprintf(&none, 0, L""), -1);
  EXPECT_EQ(none, L'#');
  wchar_t b[8] = L"#";
  EXPECT_EQ(ms_swprintf(b, 8, nullptr), -1);
  EXPECT_EQ(b[0], L'\0');
}

}  // namespace
