// swscanf_s: directives, sizes of numbers and texts, and how a scan ends.
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Strings.h>

#include "support/rows.h"

namespace {

// Into six ints; the convert fuzz target compares with glibc where glibc's scan is defined.
TEST(Swscanf, IntoInts) {
  const std::tuple<const wchar_t*, const wchar_t*, int, std::vector<int>> rows[] = {
      {L"0x1F 017 -0 0", L"%i %i %i %i", 4, {31, 15, 0, 0}},
      {L"0ff 0x 777 -1", L"%x %x %o %u", 1, {255}},  // "0x" is no number
      {L"777 -1", L"%o %u", 2, {0777, -1}},
      {L"12345", L"%3d%d", 2, {123, 45}},
      {L"1 2 3", L"%*d %d%n %d", 2, {2, 3, 3}},
      {L"50% x", L"%d%% %*d", 1, {50}},
      {L"", L"b%d", -1, {}},
      {L"q1", L"%q%d", 1, {1}}};  // a letter that is no conversion matches itself
  velut_test::ForEachRow(rows, [](auto& text, auto& format, auto& count, auto& fields) {
    std::vector<int> f(6);
    EXPECT_EQ(swscanf_s(text, format, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]), count);
    f.resize(fields.size());
    EXPECT_EQ(f, fields);
  });
  int a = 0;
  EXPECT_EQ(-1, swscanf_s(nullptr, L"%d", &a)) << "no text";
  EXPECT_EQ(-1, swscanf_s(L"1", nullptr)) << "no format";
  EXPECT_EQ(swscanf_s(L"1 2", L"%d %d", static_cast<int*>(nullptr), &a), 0);  // a null ends it
}

using Value =
    std::variant<signed char, unsigned char, short, unsigned short, int, unsigned, long,
                 unsigned long, long long, unsigned long long, float, double, long double, void*>;

// Each size prefix stores the low bits into its own type, and not a byte past it; floats take a
// point in any locale.
TEST(Swscanf, SizesFloatsAndPointers) {
  const std::tuple<const wchar_t*, const wchar_t*, Value> rows[] = {
      {L"300", L"%hhu", static_cast<unsigned char>(44)},
      {L"12345678", L"%2h0d", static_cast<short>(0x614E)},      // a last width of 0 is none
      {L"1234", L"%000h02d", static_cast<short>(12)},           // the last width counts
      {L"-1", L"%hu", static_cast<unsigned short>(USHRT_MAX)},  // negated modulo 2^16
      {L"fffffffffffffffff", L"%llx", ULLONG_MAX},
      {L"-3000000000", L"%I32d", 1294967296},
      {L"-2", L"%zd", static_cast<std::ptrdiff_t>(-2)},
      {L"6", L"%Iu", static_cast<std::size_t>(6)},
      {L"-7", L"%td", static_cast<std::ptrdiff_t>(-7)},
      {L"-8", L"%jd", static_cast<std::intmax_t>(-8)},
      {L"0x1p4", L"%lG", 16.0},
      {L"1,5", L"%lf", 1.0},
      {L"InFiNiTy", L"%lf", HUGE_VAL},
      {L"-2.5e-3", L"%Lf", static_cast<long double>(-2.5e-3)},  // with a double's precision
      {L"-46F174", L"%p",  // two's complement, as wide as a pointer
       reinterpret_cast<void*>(
           static_cast<std::uintptr_t>(sizeof(void*) == 8 ? 0xFFFFFFFFFFB90E8C : 0xFFB90E8C))},
      {L"+46F175", L"%p", reinterpret_cast<void*>(0x46F175)},
      {L"0x1A", L"%P", reinterpret_cast<void*>(0)}};  // plain hex digits: no "0x"
  velut_test::ForEachRow(rows, [](auto& text, auto& format, auto& stored) {
    std::visit(
        [&](auto expected) {
          decltype(expected) target[2] = {{}, expected};  // the second a guard
          EXPECT_EQ(swscanf_s(text, format, &target[0]), 1);
          EXPECT_EQ(target[0], expected);
          EXPECT_EQ(target[1], expected) << "the value after the target is overwritten";
        },
        stored);
  });
  float f = 0;
  double d = 0;
  EXPECT_EQ(swscanf_s(L"nan e5", L"%f %lf", &f, &d), 1);  // "e5" is no number, nor "1e"
  EXPECT_TRUE(std::isnan(f));
  EXPECT_EQ(swscanf_s(L"1e", L"%lf", &d), 0);
  EXPECT_EQ(swscanf_s(L"0xg", L"%lE", &d), 0);
  void* p = &p;
  EXPECT_EQ(swscanf_s(L"xyz", L"%p", &p), 0);
  EXPECT_EQ(p, &p);
}

// A text with its terminator.
template <typename C>
std::basic_string<C> Z(const C* text) {
  return std::basic_string<C>(text) + C(0);
}

struct TextRow {
  const char* name;
  const wchar_t *text, *format;
  unsigned size;  // of the array, in its units
  int count;
  std::variant<std::wstring, std::string> stored;
};

// A text takes its array's size in units (bytes if narrow); too small: emptied, scan ends.
TEST(Swscanf, TextsTakeTheirSize) {
  const TextRow rows[] = {
      {"a wide text", L"  abc def", L"%s", 8, 1, Z(L"abc")},
      {"one unit short", L"abcdefgh", L"%ls", 8, 0, Z(L"")},
      {"a width", L"abcdefgh", L"%7ws", 8, 1, Z(L"abcdefg")},
      {"l names a wide text", L"abc def", L"%lS", 8, 1, Z(L"abc")},
      {"UTF-8 bytes", L"\u00E9t\u00E9", L"%hs", 6, 1, Z("\xC3\xA9t\xC3\xA9")},
      {"five bytes and no room for the NUL", L"\u00E9t\u00E9", L"%S", 5, 0, Z("")},
      {"a character: no NUL", L"\u00E9", L"%C", 2, 1, std::string("\xC3\xA9#")},
      {"%c reads blanks too", L" ab", L"%c", 1, 1, std::wstring(L" #")},
      {"a set with ] and -", L"a-b]cz", L"%[]a-c-]", 8, 1, Z(L"a-b]c")},
      {"a negated set", L"hello world", L"%[^ ]", 8, 1, Z(L"hello")},
      {"a set that matches nothing", L"9", L"%[a-z]", 8, 0, std::wstring(L"#")}};
  velut_test::ForEachRow(rows, [](const TextRow& row) {
    const std::wstring format = row.format + std::wstring(L" %d");  // then a number
    std::visit(
        [&](const auto& expected) {
          std::decay_t<decltype(expected)> array(8, '#');
          int after = 7;  // never reached
          EXPECT_EQ(row.count, swscanf_s(row.text, format.c_str(), &array[0], row.size, &after));
          EXPECT_EQ(expected, array.substr(0, expected.size()));
          EXPECT_EQ(7, after) << "the number after is not read";
        },
        row.stored);
  });
}

}  // namespace
