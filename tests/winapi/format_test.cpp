// ms_swprintf / ms_vswprintf: Microsoft's wide printf conventions, bounded
// output and refusal of oversized requests.
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Strings.h>

namespace {

constexpr std::size_t kBig = 4096;

struct Result {
  int n;
  std::wstring text;
};

// Formats into a roomy buffer.
template <typename... Args>
Result Fmt(const wchar_t* format, Args... args) {
  std::vector<wchar_t> buf(kBig, L'#');
  const int n = ms_swprintf(buf.data(), buf.size(), format, args...);
  return {n, std::wstring(buf.data())};
}

// What glibc's swprintf makes of the same format; used for the conversions
// where both conventions agree (numbers).
template <typename... Args>
std::wstring Glibc(const wchar_t* format, Args... args) {
  std::vector<wchar_t> buf(kBig, L'#');
  const int n = std::swprintf(buf.data(), buf.size(), format, args...);
  EXPECT_GE(n, 0) << "glibc could not format the reference text";
  return std::wstring(buf.data());
}

// A buffer whose declared size is followed by guard units that the
// formatter must never touch.
class Guarded {
 public:
  static constexpr std::size_t kGuard = 16;
  static constexpr wchar_t kFill = static_cast<wchar_t>(0x2603);

  explicit Guarded(std::size_t count) : count_(count), buf_(count + kGuard, kFill) {}

  wchar_t* data() { return buf_.data(); }
  std::size_t count() const { return count_; }
  std::wstring text() const { return std::wstring(buf_.data()); }

  bool GuardsIntact() const {
    for (std::size_t i = count_; i < buf_.size(); ++i)
      if (buf_[i] != kFill) return false;
    return true;
  }
  bool Untouched() const {
    for (wchar_t c : buf_)
      if (c != kFill) return false;
    return true;
  }

 private:
  std::size_t count_;
  std::vector<wchar_t> buf_;
};

int VFormat(wchar_t* buffer, std::size_t count, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = ms_vswprintf(buffer, count, format, args);
  va_end(args);
  return n;
}

// ---------------------------------------------------------------- texts

TEST(MsSwprintf, DocumentedExamples) {
  wchar_t b[16];
  EXPECT_EQ(ms_swprintf(b, 16, L"%s-%d", L"x", 5), 3);
  EXPECT_STREQ(b, L"x-5");
  EXPECT_EQ(ms_swprintf(b, 4, L"%s", L"abcdef"), -1);
  EXPECT_STREQ(b, L"abc");
}

TEST(MsSwprintf, PlainTextAndPercent) {
  EXPECT_EQ(Fmt(L"").n, 0);
  EXPECT_EQ(Fmt(L"").text, L"");
  const Result r = Fmt(L"100%% sure %%d");
  EXPECT_EQ(r.text, L"100% sure %d");
  EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
  // Units beyond the BMP and beyond Latin-1 pass through untouched.
  EXPECT_EQ(Fmt(L"\u00E9\u4E2D\U0001F600").text, L"\u00E9\u4E2D\U0001F600");
}

TEST(MsSwprintf, WideTextConversions) {
  struct Row {
    const wchar_t* format;
    const wchar_t* arg;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"%s", L"abc", L"abc"},
      {L"%ls", L"abc", L"abc"},
      {L"%ws", L"abc", L"abc"},
      {L"%lS", L"abc", L"abc"},
      {L"%wS", L"abc", L"abc"},
      {L"%s", L"\u00C4\u4E2D\U0001F600", L"\u00C4\u4E2D\U0001F600"},
      {L"[%5s]", L"ab", L"[   ab]"},
      {L"[%-5s]", L"ab", L"[ab   ]"},
      {L"[%2s]", L"abcd", L"[abcd]"},
      {L"[%.2s]", L"abcd", L"[ab]"},
      {L"[%.0s]", L"abcd", L"[]"},
      {L"[%6.2s]", L"abcd", L"[    ab]"},
      {L"[%-6.2s]", L"abcd", L"[ab    ]"},
      {L"[%.9s]", L"abcd", L"[abcd]"},
      {L"[%s]", L"", L"[]"},
      {L"[%3s]", L"", L"[   ]"},
      {L"%s", nullptr, L"(null)"},
      {L"%ls", nullptr, L"(null)"},
      {L"%ws", nullptr, L"(null)"},
      {L"[%8s]", nullptr, L"[  (null)]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    const Result r = Fmt(row.format, row.arg);
    EXPECT_EQ(r.text, row.expected);
    EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
  }
}

TEST(MsSwprintf, NarrowTextConversionsDecodeUtf8) {
  struct Row {
    const wchar_t* format;
    const char* arg;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"%hs", "abc", L"abc"},
      {L"%S", "abc", L"abc"},
      {L"%hS", "abc", L"abc"},
      {L"%hs", "", L""},
      {L"%hs", "\xC3\x84rger", L"\u00C4rger"},
      {L"%S", "\xE4\xB8\xAD", L"\u4E2D"},
      {L"%hs", "\xF0\x9F\x98\x80!", L"\U0001F600!"},
      // Invalid bytes each become U+FFFD.
      {L"%hs",
       "a\xFF"
       "b",
       L"a\uFFFD"
       L"b"},
      {L"%hs",
       "a\x80"
       "b",
       L"a\uFFFD"
       L"b"},
      {L"%hs", "\xC0\xAF", L"\uFFFD\uFFFD"},                      // overlong '/'
      {L"%hs", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},            // surrogate D800
      {L"%hs", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // > U+10FFFF
      {L"%hs", "x\xC3", L"x\uFFFD"},                              // cut at the end
      // Width and precision count characters, not bytes.
      {L"[%4hs]", "\xC3\xA4", L"[   \u00E4]"},
      {L"[%-4hs]", "\xC3\xA4", L"[\u00E4   ]"},
      {L"[%.2hs]", "\xC3\xA4\xC3\xB6\xC3\xBC", L"[\u00E4\u00F6]"},
      {L"[%5.1S]", "\xE4\xB8\xAD\xE6\x96\x87", L"[    \u4E2D]"},
      {L"%hs", nullptr, L"(null)"},
      {L"%S", nullptr, L"(null)"},
      {L"[%-7S]", nullptr, L"[(null) ]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    SCOPED_TRACE(row.arg ? row.arg : "(null argument)");
    const Result r = Fmt(row.format, row.arg);
    EXPECT_EQ(r.text, row.expected);
    EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
  }
}

TEST(MsSwprintf, MixedNarrowAndWideTexts) {
  // Unlike glibc, plain %s is wide and %S narrow.
  const Result r = Fmt(L"%s|%S|%hs|%ls", L"w1", "n1", "n2", L"w2");
  EXPECT_EQ(r.text, L"w1|n1|n2|w2");
  EXPECT_EQ(r.n, 11);
}

TEST(MsSwprintf, CharacterConversions) {
  // Wide characters: %c %lc %wc %lC %wC.
  EXPECT_EQ(Fmt(L"%c", static_cast<wint_t>(L'\u4E2D')).text, L"\u4E2D");
  EXPECT_EQ(Fmt(L"%lc", static_cast<wint_t>(L'\u00E9')).text, L"\u00E9");
  EXPECT_EQ(Fmt(L"%wc", static_cast<wint_t>(L'\u00E9')).text, L"\u00E9");
  EXPECT_EQ(Fmt(L"%lC", static_cast<wint_t>(L'\u4E2D')).text, L"\u4E2D");
  EXPECT_EQ(Fmt(L"%wC", static_cast<wint_t>(L'\u4E2D')).text, L"\u4E2D");
  EXPECT_EQ(Fmt(L"%c", static_cast<wint_t>(0x1F600)).text, L"\U0001F600");
  // Narrow characters: %hc %C.
  EXPECT_EQ(Fmt(L"%hc", 'A').text, L"A");
  EXPECT_EQ(Fmt(L"%C", 'z').text, L"z");
  EXPECT_EQ(Fmt(L"%hC", 'q').text, L"q");
  // Padding.
  EXPECT_EQ(Fmt(L"[%3c]", static_cast<wint_t>(L'x')).text, L"[  x]");
  EXPECT_EQ(Fmt(L"[%-3C]", 'y').text, L"[y  ]");
  // Three characters, three arguments: each one consumed exactly once.
  const Result r = Fmt(L"%c%C%c", static_cast<wint_t>(L'a'), 'b', static_cast<wint_t>(L'c'));
  EXPECT_EQ(r.text, L"abc");
  EXPECT_EQ(r.n, 3);
}

// ------------------------------------------------------------- integers

TEST(MsSwprintf, IntegersAgreeWithGlibc) {
  const wchar_t* const formats[] = {
      L"%d",    L"%i",     L"%5d",    L"%-5d|",   L"%05d",    L"%+d",    L"% d",
      L"%+ d",  L"%-+6d|", L"%.3d",   L"%8.3d",   L"%-8.3d|", L"%08.3d", L"%-05d|",
      L"%+05d", L"% 05d",  L"%.0d",   L"%5.0d",   L"%+.0d",   L"%u",     L"%10u",
      L"%o",    L"%#o",    L"%#.0o",  L"%#5o",    L"%#.4o",   L"%x",     L"%X",
      L"%#x",   L"%#X",    L"%#010x", L"%#-10x|", L"%#.6x",   L"%010X",  L"%.0x",
      L"%#.0x", L"%+u",    L"% x",    L"%1d",     L"%+5.3i",  L"%x%%",   L"<%12d>"};
  const int values[] = {0, 1, -1, 7, -7, 42, 255, -255, 8, 4096, 123456, -123456, INT_MAX, INT_MIN};
  for (const wchar_t* format : formats) {
    for (int v : values) {
      SCOPED_TRACE(testing::Message() << "format " << format << " value " << v);
      const Result r = Fmt(format, v);
      EXPECT_EQ(r.text, Glibc(format, v));
      EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
    }
  }
}

TEST(MsSwprintf, SizedIntegersAgreeWithGlibc) {
  struct Row {
    const wchar_t* ms;     // with the Microsoft size prefix
    const wchar_t* glibc;  // the same conversion as glibc spells it
  };
  const Row rows[] = {
      {L"%lld", L"%lld"},        {L"%I64d", L"%lld"},       {L"%I64i", L"%lli"},
      {L"%I64u", L"%llu"},       {L"%I64x", L"%llx"},       {L"%I64X", L"%llX"},
      {L"%I64o", L"%llo"},       {L"%+25I64d", L"%+25lld"}, {L"%-25I64d|", L"%-25lld|"},
      {L"%025I64d", L"%025lld"}, {L"%#I64x", L"%#llx"},     {L"%ld", L"%ld"},
      {L"%lu", L"%lu"},          {L"%jd", L"%jd"},          {L"%ju", L"%ju"},
      {L"%zd", L"%zd"},          {L"%zu", L"%zu"},          {L"%zx", L"%zx"},
      {L"%td", L"%td"},          {L"%Id", L"%td"},          {L"%Iu", L"%zu"},
      {L"%IX", L"%zX"},          {L"%llx", L"%llx"},        {L"%.20lld", L"%.20lld"},
  };
  const long long values[] = {
      0, 1, -1, LLONG_MAX, LLONG_MIN, INT_MAX + 1LL, INT_MIN - 1LL, 0x123456789abcdefLL};
  for (const Row& row : rows) {
    for (long long v : values) {
      SCOPED_TRACE(testing::Message() << "format " << row.ms << " value " << v);
      const Result r = Fmt(row.ms, v);
      EXPECT_EQ(r.text, Glibc(row.glibc, v));
      EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
    }
  }
}

TEST(MsSwprintf, NarrowSizesTruncateTheArgument) {
  struct Row {
    const wchar_t* format;
    int value;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"%hhd", 300, L"44"},
      {L"%hhd", 200, L"-56"},
      {L"%hhu", 257, L"1"},
      {L"%hhu", -1, L"255"},
      {L"%hhx", 0x1234, L"34"},
      {L"%hd", 70000, L"4464"},
      {L"%hd", 40000, L"-25536"},
      {L"%hu", 65537, L"1"},
      {L"%hu", -1, L"65535"},
      {L"%hX", 0x12345, L"2345"},
      {L"%I32d", -1, L"-1"},
      {L"%I32u", -1, L"4294967295"},
      {L"%I32x", INT_MIN, L"80000000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "format " << row.format << " value " << row.value);
    const Result r = Fmt(row.format, row.value);
    EXPECT_EQ(r.text, row.expected);
    EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
  }
}

TEST(MsSwprintf, SizedArgumentsAreConsumedWhole) {
  // A following argument is read correctly only if each size prefix takes
  // exactly its own argument.
  const std::int64_t big = INT64_C(-9000000000);
  const std::int32_t small = -5;
  const std::size_t sz = SIZE_MAX;
  const std::ptrdiff_t diff = -3;
  const Result r = Fmt(L"%I64d %I32d %Iu %Id %d", big, small, sz, diff, 9);
  EXPECT_EQ(r.text, L"-9000000000 -5 18446744073709551615 -3 9");
}

TEST(MsSwprintf, StarWidthAndPrecision) {
  struct Row {
    const wchar_t* format;
    int star;
    int value;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"[%*d]", 5, 42, L"[   42]"},
      {L"[%*d]", -5, 42, L"[42   ]"},   // negative width: left-aligned
      {L"[%0*d]", -5, 42, L"[42   ]"},  // ... and never zero padded
      {L"[%-*d]", 5, 42, L"[42   ]"},
      {L"[%*d]", 0, 42, L"[42]"},
      {L"[%.*d]", 4, 42, L"[0042]"},
      {L"[%.*d]", -1, 42, L"[42]"},  // negative precision: none given
      {L"[%.*d]", -1, 0, L"[0]"},    // ... so 0 still prints one digit
      {L"[%.*d]", 0, 0, L"[]"},
      {L"[%05.*d]", -1, 42, L"[00042]"},  // no precision: the 0 flag applies
      {L"[%05.*d]", 2, 42, L"[   42]"},   // a precision turns the 0 flag off
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "format " << row.format << " star " << row.star);
    const Result r = Fmt(row.format, row.star, row.value);
    EXPECT_EQ(r.text, row.expected);
    EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
  }

  EXPECT_EQ(Fmt(L"[%*.*d]", 6, 3, 7).text, L"[   007]");
  EXPECT_EQ(Fmt(L"[%*.*d]", -6, 3, 7).text, L"[007   ]");
  EXPECT_EQ(Fmt(L"[%.*s]", -2, L"abc").text, L"[abc]");
  EXPECT_EQ(Fmt(L"[%.*s]", 2, L"abc").text, L"[ab]");
  EXPECT_EQ(Fmt(L"[%*s]", -4, L"ab").text, L"[ab  ]");
  EXPECT_EQ(Fmt(L"[%.*f]", -1, 1.5).text, L"[1.500000]");
  EXPECT_EQ(Fmt(L"[%*.*f]", 7, 2, -1.5).text, L"[  -1.50]");
}

TEST(MsSwprintf, PointerIsSixteenUpperCaseHexDigits) {
  EXPECT_EQ(Fmt(L"%p", reinterpret_cast<void*>(0x1234abcdULL)).text, L"000000001234ABCD");
  EXPECT_EQ(Fmt(L"%p", static_cast<void*>(nullptr)).text, L"0000000000000000");
  EXPECT_EQ(Fmt(L"%p", reinterpret_cast<void*>(UINTPTR_MAX)).text, L"FFFFFFFFFFFFFFFF");
  // No 0x prefix, even with '#'.
  EXPECT_EQ(Fmt(L"%#p", reinterpret_cast<void*>(0xABCULL)).text, L"0000000000000ABC");
  const Result r = Fmt(L"%p|%d", reinterpret_cast<void*>(0xFULL), 3);
  EXPECT_EQ(r.text, L"000000000000000F|3");
  EXPECT_EQ(r.n, 18);
}

// --------------------------------------------------------- floating point

TEST(MsSwprintf, FloatsAgreeWithGlibc) {
  const wchar_t* const formats[] = {
      L"%f",     L"%.0f",  L"%#.0f",   L"%10.3f", L"%-10.3f|", L"%010.3f", L"%+010.3f", L"% 010.3f",
      L"%+f",    L"% f",   L"%F",      L"%+F",    L"%012F",    L"%e",      L"%.2E",     L"%012e",
      L"%-12e|", L"%+.0e", L"%#.0e",   L"%g",     L"%#g",      L"%.3g",    L"%G",       L"%010g",
      L"%+g",    L"%.0g",  L"%a",      L"%A",     L"%.2a",     L"%015a",   L"%+015a",   L"%-15A|",
      L"%.0a",   L"%#.0a", L"%20.10f", L"%.15g"};
  const double values[] = {
      0.0,     -0.0,        1.5,         -1.5, 0.1,    2.5,      3.14159265358979, 1e300,
      -1e-300, 123456789.0, 0.000123456, 1e21, 5e-324, INFINITY, -INFINITY,        NAN};
  for (const wchar_t* format : formats) {
    for (double v : values) {
      SCOPED_TRACE(testing::Message() << "format " << format << " value " << v);
      const Result r = Fmt(format, v);
      EXPECT_EQ(r.text, Glibc(format, v));
      EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
    }
  }
}

TEST(MsSwprintf, LongDoubleAgreesWithGlibc) {
  const wchar_t* const formats[] = {L"%Lf", L"%.3Le", L"%Lg", L"%015.4Lf", L"%-12LG|", L"%La"};
  const long double values[] = {0.0L, -2.75L, 1e-10L, 1.0e4000L};
  for (const wchar_t* format : formats) {
    for (long double v : values) {
      SCOPED_TRACE(testing::Message()
                   << "format " << format << " value " << static_cast<double>(v));
      const Result r = Fmt(format, v);
      EXPECT_EQ(r.text, Glibc(format, v));
      EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
    }
  }
  // The argument after a long double is read from the right place.
  EXPECT_EQ(Fmt(L"%.1Lf %d", 2.25L, 8).text, L"2.2 8");
}

TEST(MsSwprintf, FloatPadding) {
  struct Row {
    const wchar_t* format;
    double value;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"[%08.2f]", -1.5, L"[-0001.50]"},  // zeros go after the sign
      {L"[%+08.2f]", 1.5, L"[+0001.50]"},
      {L"[% 08.2f]", 1.5, L"[ 0001.50]"},
      {L"[%8.2f]", -1.5, L"[   -1.50]"},
      {L"[%-8.2f]", -1.5, L"[-1.50   ]"},
      {L"[%-08.2f]", -1.5, L"[-1.50   ]"},  // '-' wins over '0'
      {L"[%012.1e]", -25.0, L"[-00002.5e+01]"},
      {L"[%010.1a]", 1.0, L"[0x001.0p+0]"},  // zeros go after 0x
      {L"[%011.1a]", -1.0, L"[-0x001.0p+0]"},
      {L"[%08f]", INFINITY, L"[     inf]"},  // inf and nan get spaces
      {L"[%08f]", -INFINITY, L"[    -inf]"},
      {L"[%+08f]", INFINITY, L"[    +inf]"},
      {L"[%08F]", NAN, L"[     NAN]"},
      {L"[%-08f]", INFINITY, L"[inf     ]"},
      {L"[%08e]", INFINITY, L"[     inf]"},
      {L"[%2f]", 1.0, L"[1.000000]"},  // a narrow width cuts nothing
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    const Result r = Fmt(row.format, row.value);
    EXPECT_EQ(r.text, row.expected);
    EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
  }
}

TEST(MsSwprintf, LongFloatFitsWhenTheBufferIsLargeEnough) {
  // Longer than any fixed scratch buffer a formatter might use.
  const Result r = Fmt(L"%.400f|%d", 1e300, 5);
  EXPECT_EQ(r.text, Glibc(L"%.400f|%d", 1e300, 5));
  EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
  EXPECT_GT(r.n, 700);
}

// -------------------------------------------- %n and unknown conversions

TEST(MsSwprintf, PercentNIsRefused) {
  int target = 1234;
  const Result r = Fmt(L"ab%ncd%d", &target, 5);
  EXPECT_EQ(r.text, L"abcd5");  // the pointer was consumed, not printed
  EXPECT_EQ(r.n, 5);
  EXPECT_EQ(target, 1234);

  short small = 77;
  long long wide = 88;
  const Result sized = Fmt(L"x%hny%llnz%s", &small, &wide, L"!");
  EXPECT_EQ(sized.text, L"xyz!");
  EXPECT_EQ(small, 77);
  EXPECT_EQ(wide, 88);
}

TEST(MsSwprintf, UnknownConversionsAreCopied) {
  struct Row {
    const wchar_t* format;
    const wchar_t* expected;
  };
  // Each row ends in %d and is given 7 and 8: the unknown conversion
  // before it must take no argument, so the %d prints 7.
  const Row rows[] = {
      {L"%y%d", L"%y7"},
      {L"%k|%d", L"%k|7"},
      {L"%5k|%d", L"%5k|7"},
      {L"%-08.3r|%d", L"%-08.3r|7"},
      {L"%lv|%d", L"%lv|7"},
      {L"%I128d|%d", L"%I128d|7"},  // I is size_t; "128d" is text
      {L"%\u00E9|%d", L"%\u00E9|7"},
      {L"%*y|%d", L"%*y|7"},
      {L"%.*y|%d", L"%.*y|7"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    const Result r = Fmt(row.format, 7, 8);
    EXPECT_EQ(r.text, row.expected);
    EXPECT_EQ(r.n, static_cast<int>(r.text.size()));
  }
  // A lone '%' at the end is kept.
  EXPECT_EQ(Fmt(L"50%").text, L"50%");
  EXPECT_EQ(Fmt(L"%").text, L"%");
}

// ------------------------------------------------------ bounds and errors

TEST(MsSwprintf, NullAndEmptyArguments) {
  Guarded g(8);
  EXPECT_EQ(ms_swprintf(g.data(), g.count(), nullptr), -1);
  EXPECT_EQ(g.data()[0], L'\0');
  EXPECT_TRUE(g.GuardsIntact());

  EXPECT_EQ(ms_swprintf(nullptr, 8, L"abc"), -1);
  EXPECT_EQ(ms_swprintf(nullptr, 0, L"abc"), -1);

  Guarded none(0);
  EXPECT_EQ(ms_swprintf(none.data(), 0, L"abc"), -1);
  EXPECT_EQ(ms_swprintf(none.data(), 0, L""), -1);
  EXPECT_EQ(ms_swprintf(none.data(), 0, nullptr), -1);
  EXPECT_TRUE(none.Untouched());
}

TEST(MsSwprintf, CountOneHoldsOnlyTheTerminator) {
  Guarded empty(1);
  EXPECT_EQ(ms_swprintf(empty.data(), 1, L""), 0);
  EXPECT_EQ(empty.data()[0], L'\0');
  EXPECT_TRUE(empty.GuardsIntact());

  Guarded g(1);
  EXPECT_EQ(ms_swprintf(g.data(), 1, L"a"), -1);
  EXPECT_EQ(g.data()[0], L'\0');
  EXPECT_TRUE(g.GuardsIntact());

  Guarded h(1);
  EXPECT_EQ(ms_swprintf(h.data(), 1, L"%d", 5), -1);
  EXPECT_EQ(h.data()[0], L'\0');
  EXPECT_TRUE(h.GuardsIntact());

  // Conversions that produce nothing still fit.
  Guarded k(1);
  EXPECT_EQ(ms_swprintf(k.data(), 1, L"%s%hs%.0d", L"", "", 0), 0);
  EXPECT_EQ(k.data()[0], L'\0');
  EXPECT_TRUE(k.GuardsIntact());
}

TEST(MsSwprintf, FitAndOverflowAtTheBoundary) {
  // Each row's text is formatted into exactly len + 1 units (fits) and
  // into len units (one short).
  struct Row {
    const char* name;
    int (*format)(wchar_t*, std::size_t);
    const wchar_t* full;
  };
  const Row rows[] = {
      {"literal", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"abcdef"); },
       L"abcdef"},
      {"wide text", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%s", L"abcdef"); },
       L"abcdef"},
      {"narrow text",
       [](wchar_t* b, std::size_t n) {
         return ms_swprintf(b, n, L"%hs",
                            "\xC3\xA4"
                            "bcdef");
       },
       L"\u00E4"
       L"bcdef"},
      {"integer", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%d", -12345); },
       L"-12345"},
      {"padded integer", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%6d", 42); },
       L"    42"},
      {"left integer", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%-6d", 42); },
       L"42    "},
      {"zero integer", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%06d", -42); },
       L"-00042"},
      {"float", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%.3f", -1.25); },
       L"-1.250"},
      {"padded float", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%08.2f", 1.5); },
       L"00001.50"},
      {"char",
       [](wchar_t* b, std::size_t n) {
         return ms_swprintf(b, n, L"%5c", static_cast<wint_t>(L'x'));
       },
       L"    x"},
      {"percent", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"ab%%"); }, L"ab%"},
      {"mixed", [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%s=%d;", L"k", 10); },
       L"k=10;"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::wstring full = row.full;
    const std::size_t len = full.size();

    Guarded fits(len + 1);
    EXPECT_EQ(row.format(fits.data(), fits.count()), static_cast<int>(len));
    EXPECT_EQ(fits.text(), full);
    EXPECT_TRUE(fits.GuardsIntact());

    Guarded shy(len);
    EXPECT_EQ(row.format(shy.data(), shy.count()), -1);
    EXPECT_EQ(shy.text(), full.substr(0, len - 1));
    EXPECT_TRUE(shy.GuardsIntact());

    Guarded tiny(2);
    EXPECT_EQ(row.format(tiny.data(), tiny.count()), -1);
    EXPECT_EQ(tiny.text(), full.substr(0, 1));
    EXPECT_TRUE(tiny.GuardsIntact());
  }
}

TEST(MsSwprintf, TruncatedFloatIsAPrefixOfTheFullText) {
  Guarded g(100);
  EXPECT_EQ(ms_swprintf(g.data(), g.count(), L"%.1000f", 0.1), -1);
  EXPECT_TRUE(g.GuardsIntact());
  EXPECT_EQ(g.text(), Glibc(L"%.1000f", 0.1).substr(0, 99));
}

TEST(MsSwprintf, HugeWidthOrPrecisionFailsWithinTheBuffer) {
  struct Row {
    const char* name;
    int (*format)(wchar_t*, std::size_t);
  };
  const Row rows[] = {
      {"%2147483647d",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%2147483647d", 1); }},
      {"%-2147483647d",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%-2147483647d", 1); }},
      {"%02147483647d",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%02147483647d", 1); }},
      {"%99999999999d",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%99999999999d", 1); }},
      {"%.2147483647d",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%.2147483647d", 1); }},
      {"%*d INT_MIN",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%*d", INT_MIN, 1); }},
      {"%*d INT_MAX",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%*d", INT_MAX, 1); }},
      {"%.*d INT_MAX",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%.*d", INT_MAX, 1); }},
      {"%2147483647s",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%2147483647s", L"x"); }},
      {"%*s INT_MIN",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%*s", INT_MIN, L"x"); }},
      {"%2147483647hs",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%2147483647hs", "x"); }},
      {"%2147483647c",
       [](wchar_t* b, std::size_t n) {
         return ms_swprintf(b, n, L"%2147483647c", static_cast<wint_t>(L'x'));
       }},
      {"%2147483647p",
       [](wchar_t* b, std::size_t n) {
         return ms_swprintf(b, n, L"%2147483647p", static_cast<void*>(nullptr));
       }},
      {"%.2147483647f",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%.2147483647f", 1.0); }},
      {"%.2147483647e",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%.2147483647e", 1.0); }},
      {"%#.2147483647g",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%#.2147483647g", 1.0); }},
      {"%.2147483647a",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%.2147483647a", 1.0); }},
      {"%.2147483647Lf",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%.2147483647Lf", 1.0L); }},
      {"%2147483647f",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%2147483647f", 1.0); }},
      {"%02147483647f",
       [](wchar_t* b, std::size_t n) { return ms_swprintf(b, n, L"%02147483647f", -1.0); }},
      {"%*.*f INT_MIN",
       [](wchar_t* b, std::size_t n) {
         return ms_swprintf(b, n, L"%*.*f", INT_MIN, INT_MAX, 1.0);
       }},
  };
  const auto start = std::chrono::steady_clock::now();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (std::size_t count : {std::size_t{1}, std::size_t{2}, std::size_t{64}}) {
      SCOPED_TRACE(testing::Message() << "count " << count);
      Guarded g(count);
      EXPECT_EQ(row.format(g.data(), g.count()), -1);
      EXPECT_TRUE(g.GuardsIntact());
      EXPECT_EQ(g.text().size(), count - 1);
    }
  }
  // Each call is bounded by the buffer, not by the requested width.
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST(MsSwprintf, HugeGPrecisionKeepsTheShortForm) {
  // %g drops trailing zeros, so a huge precision on 1.5 still fits.
  wchar_t b[16];
  EXPECT_EQ(ms_swprintf(b, 16, L"%.2147483647g", 1.5), 3);
  EXPECT_STREQ(b, L"1.5");
}

TEST(MsSwprintf, VaListVariant) {
  wchar_t b[32];
  EXPECT_EQ(VFormat(b, 32, L"%s %hs %d %.1f", L"w", "n", -3, 0.25), 10);
  EXPECT_STREQ(b, L"w n -3 0.2");
  EXPECT_EQ(VFormat(b, 3, L"%d", 12345), -1);
  EXPECT_STREQ(b, L"12");
}

}  // namespace
