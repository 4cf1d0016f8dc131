// swscanf_s: the directives, the sizes of text arguments, and how a scan
// ends.
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include <WinAPI/Strings.h>

namespace {

// The date-time pattern the library reads, as a table.
TEST(Swscanf, DateTimePattern) {
  struct Row {
    const wchar_t* text;
    int count;
    int fields[6];
  };
  const Row rows[] = {
      {L"2024-05-17T08:30:00", 6, {2024, 5, 17, 8, 30, 0}},
      {L"2024-5-7T8:3:0", 6, {2024, 5, 7, 8, 3, 0}},
      {L"  2024- 5- 7T 8: 3: 0Z", 6, {2024, 5, 7, 8, 3, 0}},  // %d skips blanks
      {L"+2024-05-17T08:30:00.5", 6, {2024, 5, 17, 8, 30, 0}},
      {L"-1-2-3T4:5:6", 6, {-1, 2, 3, 4, 5, 6}},
      {L"2024-05-17", 3, {2024, 5, 17, 0, 0, 0}},
      {L"2024-05-17 08:30:00", 3, {2024, 5, 17, 0, 0, 0}},  // blank for T
      {L"2024-05-17t08:30:00", 3, {2024, 5, 17, 0, 0, 0}},  // lower-case t
      {L"2024 -05", 1, {2024, 0, 0, 0, 0, 0}},              // no blank before '-'
      {L"x2024", 0, {0, 0, 0, 0, 0, 0}},
      {L"-", 0, {0, 0, 0, 0, 0, 0}},
      {L"", -1, {0, 0, 0, 0, 0, 0}},
      {L"   ", -1, {0, 0, 0, 0, 0, 0}},
      {L"2024-", 1, {2024, 0, 0, 0, 0, 0}},
      {L"99999999999-1-1T1:1:1", 6, {INT_MAX, 1, 1, 1, 1, 1}},
      {L"-99999999999-1-1T1:1:1", 6, {INT_MIN, 1, 1, 1, 1, 1}},
      {L"4294969320-1-1T1:1:1", 6, {INT_MAX, 1, 1, 1, 1, 1}},  // saturates, no wrap
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.text));
    int f[6] = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(swscanf_s(r.text, L"%d-%d-%dT%d:%d:%d", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]),
              r.count);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f[i], r.fields[i]) << "field " << i;
  }
}

TEST(Swscanf, Integers) {
  int i = 0;
  unsigned u = 0;
  EXPECT_EQ(swscanf_s(L"0x1F", L"%i", &i), 1);
  EXPECT_EQ(i, 31);
  EXPECT_EQ(swscanf_s(L"017", L"%i", &i), 1);
  EXPECT_EQ(i, 15);
  EXPECT_EQ(swscanf_s(L"-0", L"%i", &i), 1);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(swscanf_s(L"ff", L"%x", &u), 1);
  EXPECT_EQ(u, 255u);
  EXPECT_EQ(swscanf_s(L"0x", L"%x", &u), 0);
  EXPECT_EQ(swscanf_s(L"777", L"%o", &u), 1);
  EXPECT_EQ(u, 0777u);
  EXPECT_EQ(swscanf_s(L"-1", L"%u", &u), 1);
  EXPECT_EQ(u, UINT_MAX);
  EXPECT_EQ(swscanf_s(L"12345", L"%3d%d", &i, &u), 2);
  EXPECT_EQ(i, 123);
  EXPECT_EQ(u, 45u);
  short s = 0;
  signed char c = 0;
  long long ll = 0;
  EXPECT_EQ(swscanf_s(L"70000 200 9223372036854775807", L"%hd %hhd %lld", &s, &c, &ll), 3);
  EXPECT_EQ(s, SHRT_MAX);
  EXPECT_EQ(c, SCHAR_MAX);
  EXPECT_EQ(ll, LLONG_MAX);
  std::int64_t big = 0;
  EXPECT_EQ(swscanf_s(L"-42", L"%I64d", &big), 1);
  EXPECT_EQ(big, -42);
}

// Scans `text` with the one conversion `format` into a T that starts as
// `sentinel`; the value it holds afterwards, or `sentinel` when nothing was
// assigned.
template <typename T>
T ScanOne(const wchar_t* text, const wchar_t* format, T sentinel = T(42)) {
  T value = sentinel;
  const int n = swscanf_s(text, format, &value);
  EXPECT_EQ(n, 1) << "count";
  return value;
}

// Every size prefix stores into its own type, and a value beyond that type
// (or beyond 64 bits) saturates at its limit instead of wrapping.
TEST(Swscanf, SizePrefixesAndSaturation) {
  EXPECT_EQ(ScanOne<long long>(L"99999999999999999999", L"%lld"), LLONG_MAX);
  EXPECT_EQ(ScanOne<long long>(L"-99999999999999999999", L"%lld"), LLONG_MIN);
  EXPECT_EQ(ScanOne<unsigned long long>(L"99999999999999999999", L"%llu"), ULLONG_MAX);
  EXPECT_EQ(ScanOne<unsigned long long>(L"fffffffffffffffff", L"%llx"), ULLONG_MAX);
  EXPECT_EQ(ScanOne<long>(L"-9223372036854775809", L"%ld"), LONG_MIN);
  EXPECT_EQ(ScanOne<unsigned long>(L"123", L"%lu"), 123ul);
  EXPECT_EQ(ScanOne<unsigned char>(L"300", L"%hhu"), UCHAR_MAX);
  EXPECT_EQ(ScanOne<signed char>(L"-300", L"%hhd"), SCHAR_MIN);
  EXPECT_EQ(ScanOne<unsigned short>(L"-1", L"%hu"), USHRT_MAX);  // negated modulo 2^16
  EXPECT_EQ(ScanOne<std::intmax_t>(L"-5000000000", L"%jd"), -5000000000LL);
  EXPECT_EQ(ScanOne<std::size_t>(L"5000000000", L"%zu"), std::size_t{5000000000});
  EXPECT_EQ(ScanOne<std::ptrdiff_t>(L"-5000000000", L"%td"), std::ptrdiff_t{-5000000000});
  EXPECT_EQ(ScanOne<std::int32_t>(L"3000000000", L"%I32d"), INT32_MAX);
  EXPECT_EQ(ScanOne<std::int32_t>(L"-3000000000", L"%I32d"), INT32_MIN);
  EXPECT_EQ(ScanOne<std::ptrdiff_t>(L"-5000000000", L"%Id"), std::ptrdiff_t{-5000000000});
  EXPECT_EQ(ScanOne<std::uint64_t>(L"18446744073709551615", L"%I64u"), UINT64_MAX);
  EXPECT_EQ(ScanOne<int>(L"0x7fffffff", L"%x"), INT_MAX);
}

// %p reads a pointer in hexadecimal, with or without 0x.
TEST(Swscanf, Pointers) {
  struct Row {
    const wchar_t* text;
    std::uintptr_t value;
  };
  const Row rows[] = {
      {L"0000000000001234", 0x1234},
      {L"0xdeadBEEF", 0xDEADBEEF},
      {L"-1", UINTPTR_MAX},
      {L"1ffffffffffffffff", UINTPTR_MAX},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.text));
    void* p = nullptr;
    EXPECT_EQ(swscanf_s(r.text, L"%p", &p), 1);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p), r.value);
  }
  void* p = &p;
  EXPECT_EQ(swscanf_s(L"xyz", L"%p", &p), 0);
  EXPECT_EQ(p, &p);
}

TEST(Swscanf, FloatsUseAPoint) {
  float f = 0;
  double d = 0;
  EXPECT_EQ(swscanf_s(L"1.5 -2.25e2", L"%f %lf", &f, &d), 2);
  EXPECT_FLOAT_EQ(f, 1.5f);
  EXPECT_DOUBLE_EQ(d, -225.0);
  EXPECT_EQ(swscanf_s(L"inf nan", L"%lf %f", &d, &f), 2);
  EXPECT_TRUE(std::isinf(d));
  EXPECT_TRUE(std::isnan(f));
  EXPECT_EQ(swscanf_s(L"0x1p4", L"%lf", &d), 1);
  EXPECT_DOUBLE_EQ(d, 16.0);
  EXPECT_EQ(swscanf_s(L"1,5", L"%lf", &d), 1);
  EXPECT_DOUBLE_EQ(d, 1.0);
  EXPECT_EQ(swscanf_s(L"e5", L"%lf", &d), 0);
  EXPECT_EQ(swscanf_s(L"1e", L"%lf", &d), 0);
  // L reads into a long double, with the precision of a double.
  long double ld = 0;
  EXPECT_EQ(swscanf_s(L"-2.5e-3", L"%Lf", &ld), 1);
  EXPECT_EQ(ld, static_cast<long double>(-2.5e-3));
  EXPECT_EQ(swscanf_s(L"1.25 x", L"%Lg %Lg", &ld, &ld), 1);
  EXPECT_EQ(ld, 1.25L);
  EXPECT_EQ(swscanf_s(L"0x1.8p1", L"%La", &ld), 1);
  EXPECT_EQ(ld, 3.0L);
}

TEST(Swscanf, TextTakesItsSize) {
  wchar_t w[8] = L"?";
  EXPECT_EQ(swscanf_s(L"  abc def", L"%s", w, 8u), 1);
  EXPECT_EQ(std::wstring(w), L"abc");
  // Too small: the array is emptied and the scan ends there.
  int after = 7;
  EXPECT_EQ(swscanf_s(L"abcdefgh 5", L"%s %d", w, 8u, &after), 0);
  EXPECT_EQ(std::wstring(w), L"");
  EXPECT_EQ(after, 7);
  EXPECT_EQ(swscanf_s(L"abcdefgh", L"%7s", w, 8u), 1);
  EXPECT_EQ(std::wstring(w), L"abcdefg");

  char narrow[8] = "?";
  EXPECT_EQ(swscanf_s(L"\u00E9t\u00E9", L"%hs", narrow, 8u), 1);
  EXPECT_EQ(std::string(narrow), "\xC3\xA9t\xC3\xA9");
  // The size of a narrow array counts bytes of UTF-8: three characters
  // take five bytes and the terminator one more.
  EXPECT_EQ(swscanf_s(L"\u00E9t\u00E9 5", L"%S %d", narrow, 5u, &after), 0);
  EXPECT_EQ(std::string(narrow), "");
  EXPECT_EQ(after, 7);
  EXPECT_EQ(swscanf_s(L"\u00E9t\u00E9", L"%hs", narrow, 6u), 1);
  EXPECT_EQ(std::string(narrow), "\xC3\xA9t\xC3\xA9");
  char two[2] = {'x', 'x'};
  EXPECT_EQ(swscanf_s(L"\u00E9", L"%C", two, 2u), 1);  // %C takes a narrow array
  EXPECT_EQ(std::string(two, 2), "\xC3\xA9");
  EXPECT_EQ(swscanf_s(L"\u00E9", L"%hc", two, 1u), 0);  // two bytes do not fit one
  EXPECT_EQ(two[0], '\0');
  // l and w name the wide arrays, as without a prefix.
  wchar_t w2[8] = L"?";
  EXPECT_EQ(swscanf_s(L"wide text q", L"%ls %ws", w, 8u, w2, 8u), 2);
  EXPECT_EQ(std::wstring(w), L"wide");
  EXPECT_EQ(std::wstring(w2), L"text");
  EXPECT_EQ(swscanf_s(L"q", L"%wc", &w2[0], 1u), 1);
  EXPECT_EQ(w2[0], L'q');

  wchar_t c[3] = {L'x', L'x', L'x'};
  EXPECT_EQ(swscanf_s(L" ab", L"%c%c", &c[0], 1u, &c[1], 1u), 2);
  EXPECT_EQ(c[0], L' ');
  EXPECT_EQ(c[1], L'a');
  EXPECT_EQ(c[2], L'x');  // %c writes no terminator

  wchar_t set[8];
  EXPECT_EQ(swscanf_s(L"a-b]c9", L"%[]a-c-]", set, 8u), 1);
  EXPECT_EQ(std::wstring(set), L"a-b]c");
  EXPECT_EQ(swscanf_s(L"hello world", L"%[^ ]", set, 8u), 1);
  EXPECT_EQ(std::wstring(set), L"hello");
  EXPECT_EQ(swscanf_s(L"9", L"%[a-z]", set, 8u), 0);
}

template <typename T>
T* Null() {
  return nullptr;
}

// A null destination ends the scan at its field, which is not assigned;
// the field before it is.
TEST(Swscanf, NullDestinationEndsTheScan) {
  struct Row {
    const char* conversion;
    int (*scan)(int* first);
  };
  const Row rows[] = {
      {"%s", [](int* a) { return swscanf_s(L"7 abc", L"%d %s", a, Null<wchar_t>(), 16u); }},
      {"%hs", [](int* a) { return swscanf_s(L"7 abc", L"%d %hs", a, Null<char>(), 16u); }},
      {"%c", [](int* a) { return swscanf_s(L"7 abc", L"%d %c", a, Null<wchar_t>(), 1u); }},
      {"%[", [](int* a) { return swscanf_s(L"7 abc", L"%d %[a-z]", a, Null<wchar_t>(), 9u); }},
      {"%d", [](int* a) { return swscanf_s(L"7 8", L"%d %d", a, Null<int>()); }},
      {"%p", [](int* a) { return swscanf_s(L"7 8", L"%d %p", a, Null<void*>()); }},
      {"%lf", [](int* a) { return swscanf_s(L"7 8.5", L"%d %lf", a, Null<double>()); }},
      {"%n", [](int* a) { return swscanf_s(L"7 8", L"%d %n%d", a, Null<int>(), a); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.conversion);
    int first = 0;
    EXPECT_EQ(row.scan(&first), 1);
    EXPECT_EQ(first, 7);
  }
}

TEST(Swscanf, SuppressionCountAndLiterals) {
  int a = 0, b = 0, n = 0;
  EXPECT_EQ(swscanf_s(L"1 2 3", L"%*d %d%n %d", &a, &n, &b), 2);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(swscanf_s(L"50%", L"%d%%", &a), 1);
  EXPECT_EQ(swscanf_s(L"x", L"%*d"), 0);
  EXPECT_EQ(swscanf_s(L"a", L"b%d", &a), 0);
  EXPECT_EQ(swscanf_s(L"", L"b%d", &a), -1);
  EXPECT_EQ(swscanf_s(nullptr, L"%d", &a), -1);
  EXPECT_EQ(swscanf_s(L"1", nullptr), -1);
  EXPECT_EQ(swscanf_s(L"1", L"%q", &a), 0);  // unknown conversion ends the scan
}

}  // namespace
