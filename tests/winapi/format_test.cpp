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
using Arg = std::variant<const wchar_t*, const char*, int, wint_t, long, long long, double,
                         long double, void*, std::nullptr_t>;

// The text of a pointer-wide value: `wide` on a 64-bit machine, `narrow` on a 32-bit one.
const wchar_t* ByPointerWidth(const wchar_t* wide, const wchar_t* narrow) {
  return sizeof(void*) == 8 ? wide : narrow;
}

// Formats with `arg` for each argument the format takes into `count` units, checking the guard
// units after.
std::pair<int, std::wstring> Format(const wchar_t* format, const Arg& arg,
                                    std::size_t count = 4096) {
  std::wstring buf = velut_test::GuardedBuffer(count, 16);
  const int n = std::visit(
      [&](auto v) {
        if constexpr (std::is_same_v<decltype(v), std::nullptr_t>)
          return ms_swprintf(&buf[0], count, format);
        else
          return ms_swprintf(&buf[0], count, format, v, v, v);
      },
      arg);
  EXPECT_EQ(velut_test::Guard(16), buf.substr(count)) << "past the end";
  return {n, buf.c_str()};
}

struct Row {
  const char* name;
  const wchar_t* format;
  Arg arg;
  const wchar_t* text;  // and its length, the result
};

template <std::size_t N>
void ExpectRows(const Row (&rows)[N]) {
  velut_test::ForEachRow(rows, [](const Row& row) {
    const std::wstring text = row.text;
    EXPECT_EQ(std::make_pair(static_cast<int>(text.size()), text), Format(row.format, row.arg));
  });
}

// %s and %c are wide, %S and %C narrow (UTF-8), unlike glibc; h narrows, l and w widen.
TEST(MsSwprintf, TextsAndCharacters) {
  const Row rows[] = {
      {"%s is wide", L"%s", L"w", L"w"},
      {"%S is narrow", L"%S", "n", L"n"},
      {"h narrows %s", L"%hs", "n", L"n"},
      {"l widens %S", L"%lS", L"w", L"w"},
      {"w widens %S", L"%wS", L"w", L"w"},
      {"a width pads on the left", L"%5s", L"abcd", L" abcd"},
      {"'-' pads on the right, a precision cuts", L"%-6.2s", L"abcd", L"ab    "},
      {"'0' pads a text with zeros", L"%04s", L"foo", L"0foo"},
      {"a null wide text", L"%8s", static_cast<const wchar_t*>(nullptr), L"  (null)"},
      {"a null narrow text", L"%-7S", static_cast<const char*>(nullptr), L"(null) "},
      {"each bad UTF-8 sequence gives U+FFFD", L"%hs", "a\xFF\xC0\xAF\xED\xA0\x80x\xC3",
       L"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDx\uFFFD"},
      {"a narrow width counts characters", L"%4hs", "\xC3\xA4\xC3\xB6", L"  \u00E4\u00F6"},
      {"a narrow precision counts characters", L"%.1hs", "\xC3\xA4\xC3\xB6", L"\u00E4"},
      {"%c is wide", L"%c", static_cast<wint_t>(0x1F600), L"\U0001F600"},
      {"%C keeps the low byte", L"%C", static_cast<wint_t>(0x17A), L"z"},
      {"l widens %C", L"%lC", static_cast<wint_t>(0x1F600), L"\U0001F600"}};
  ExpectRows(rows);
}

// Each size prefix reads its own width and drops the higher bits; the flags; '*'.
TEST(MsSwprintf, Integers) {
  const Row rows[] = {
      {"hh keeps 8 bits", L"%hhd", 0x1C8C8, L"-56"},
      {"h keeps 16 bits", L"%hu", 0x1C8C8, L"51400"},
      {"h keeps 16 bits with their sign", L"%hd", 0x1C8C8, L"-14136"},
      {"I32 reads 32 bits", L"%I32u", -1, L"4294967295"},
      {"ll reads 64 bits", L"%llx", 5000000000LL, L"12a05f200"},
      {"I64 reads 64 bits", L"%I64o", 5000000000LL, L"45201371000"},
      {"I alone reads a pointer's width", L"%Id", LONG_MIN,
       ByPointerWidth(L"-9223372036854775808", L"-2147483648")},
      {"'+' signs a positive number", L"%+d", 8, L"+8"},
      {"' ' puts a blank before it", L"% d", 8, L" 8"},
      {"%#x writes 0x", L"%#x", 8, L"0x8"},
      {"%#X writes 0X", L"%#X", 8, L"0X8"},
      {"%#o starts with 0", L"%#o", 8, L"010"},
      {"%#o of 0 is one 0", L"%#o", 0, L"0"},
      {"%#x of 0 has no prefix", L"%#x", 0, L"0"},
      {"%p: two upper-case digits a byte", L"%p", reinterpret_cast<void*>(0xABC),
       ByPointerWidth(L"0000000000000ABC", L"00000ABC")},
      {"%#p writes 0X", L"%#p", reinterpret_cast<void*>(0xABC),
       ByPointerWidth(L"0X0000000000000ABC", L"0X00000ABC")},
      {"a negative '*' width pads on the right", L"[%0*d]", -5, L"[-5   ]"},
      {"a negative '*' precision is none", L"%05.*d", -5, L"-0005"},
      {"a precision drops the 0 flag", L"[%05.*d]", 3, L"[  003]"},
      {"digits after '*' replace its width", L"[%*3d]", 7, L"[  7]"},
  };
  ExpectRows(rows);
}

// Zeros after the sign or 0x; %a rounds a half away from zero, %e to even.
TEST(MsSwprintf, FloatingPoint) {
  const Row rows[] = {
      {"'0' pads after the sign and 0x", L"%011.1a", -1.0, L"-0x001.0p+0"},
      {"infinity is padded with blanks", L"%08f", INFINITY, L"     inf"},
      {"'-' pads infinity on the right", L"%-+08e", INFINITY, L"+inf    "},
      {"the default NaN is indefinite", L"%g", -NAN, L"-nan(ind)"},
      {"the default NaN in upper case", L"%E", -NAN, L"-NAN(IND)"},
      {"%a writes all 13 digits", L"%A", 1.0, L"0X1.0000000000000P+0"},
      {"%a rounds a half of digit 0 away from zero", L"%#.1a", 1.03125, L"0x1.1p+0"},
      {"%a rounds a half of digit 2 away from zero", L"%#.1a", 1.15625, L"0x1.3p+0"},
      {"%a rounds a negative half away from zero", L"%.1a", -1.03125, L"-0x1.1p+0"},
      {"%e rounds a half to even, not away", L"%.0e", 2.5, L"2e+00"},
      {"a long double takes its own slot", L"%.1Lf", 2.25L, L"2.2"},
  };
  ExpectRows(rows);
}

// %n writes nothing; an unknown conversion stands as written and takes no argument.
TEST(MsSwprintf, UnknownConversionsStandAsWritten) {
  const Row rows[] = {
      {"%n writes nothing", L"a%nb", static_cast<void*>(nullptr), L"ab"},
      {"an unknown letter", L"%-08.3r", 7, L"%-08.3r"},
      {"an unknown size", L"%I128d", 7, L"%I128d"},
      {"its '*' takes no argument", L"%*y%d", 7, L"%*y7"},
      {"%% is a percent sign", L"100%%", nullptr, L"100%"},
      {"a '%' that ends the format", L"50%", nullptr, L"50%"},
  };
  ExpectRows(rows);
}

// An exact fit comes out whole; one unit less gives -1 and the text cut there.
TEST(MsSwprintf, BoundedOutput) {
  const std::tuple<const wchar_t*, Arg, const wchar_t*> fitting[] = {
      {L"abcdef", nullptr, L"abcdef"},   {L"%s", L"abcdef", L"abcdef"},
      {L"%hs", "\xC3\xA4z", L"\u00E4z"}, {L"%06d", -42, L"-00042"},
      {L"%08.2f", 1.5, L"00001.50"},     {L"%5c", static_cast<wint_t>(L'x'), L"    x"}};
  velut_test::ForEachRow(fitting, [](auto& format, auto& arg, auto& full) {
    const std::size_t len = std::wcslen(full);
    EXPECT_EQ(std::make_pair(static_cast<int>(len), std::wstring(full)),
              Format(format, arg, len + 1));
    EXPECT_EQ(std::make_pair(-1, std::wstring(full, len - 1)), Format(format, arg, len));
    EXPECT_EQ(std::make_pair(-1, std::wstring(full, 1)), Format(format, arg, 2));
  });
  const std::tuple<const wchar_t*, Arg> huge[] = {
      {L"%99999999999d", 1}, {L"%*d", INT_MIN}, {L"%2147483647hs", "x"}};
  for (const auto& [format, arg] : huge)
    for (const std::size_t count : {1, 64}) {
      SCOPED_TRACE(testing::Message() << format << " into " << count);
      const auto [n, text] = Format(format, arg, count);
      EXPECT_EQ(-1, n);
      EXPECT_EQ(count - 1, text.size());
    }
  EXPECT_EQ(std::make_pair(3, std::wstring(L"1.5")), Format(L"%.2147483647g", 1.5));
  const std::wstring tenth = L"0.1000000000000000055511151231257827021181583404541015625";
  EXPECT_EQ(tenth + std::wstring(42, L'0'), Format(L"%.1000f", 0.1, 100).second);
  EXPECT_EQ(L"1.5" + std::wstring(599, L'0'), Format(L"%.600f", 1.5).second)
      << "past a first buffer";
  EXPECT_EQ(L"1.5" + std::wstring(599, L'0'), Format(L"%.600Lf", 1.5L).second);
  EXPECT_EQ(std::make_pair(0, std::wstring()), Format(L"%s%.0s", L"", 1)) << "the terminator";
  EXPECT_EQ(-1, ms_swprintf(nullptr, 8, L"abc")) << "no buffer";
  wchar_t none = L'#';
  EXPECT_EQ(-1, ms_swprintf(&none, 0, L"")) << "no room";
  EXPECT_EQ(L'#', none) << "nothing written into no room";
  wchar_t b[8] = L"#";
  EXPECT_EQ(-1, ms_swprintf(b, 8, nullptr)) << "no format";
  EXPECT_EQ(L'\0', b[0]) << "no format: the buffer holds \"\"";
}

}  // namespace
