// The layer's string helpers, UTF-8 conversions, per-thread last error and
// the classic locale object.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iterator>
#include <locale>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Locale.h>
#include <WinAPI/Strings.h>

#include "support/global_locale.h"

namespace {

// ---------------------------------------------------------------- ms_wtoi

TEST(MsWtoi, Table) {
  struct Row {
    const wchar_t* text;
    int expected;
  };
  const Row rows[] = {
      {L"0", 0},
      {L"42", 42},
      {L"  42abc", 42},
      {L"\t\n\v\f\r 7", 7},
      {L"-7", -7},
      {L"+7", 7},
      {L"-0", 0},
      {L"007", 7},
      {L"12 34", 12},
      {L"1e5", 1},
      {L"0x10", 0},
      {L"x1", 0},
      {L"", 0},
      {L"   ", 0},
      {L"-", 0},
      {L"+", 0},
      {L"+-7", 0},
      {L"--7", 0},
      {L"- 7", 0},
      {L"2147483647", INT_MAX},
      {L"2147483648", INT_MAX},
      {L"99999999999999999999999999", INT_MAX},
      {L"  +4294967296", INT_MAX},
      {L"-2147483647", -INT_MAX},
      {L"-2147483648", INT_MIN},
      {L"-2147483649", INT_MIN},
      {L"-99999999999999999999999999", INT_MIN},
      {L"000000000000000000000000000012", 12},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ms_wtoi(row.text), row.expected);
  }
  EXPECT_EQ(ms_wtoi(nullptr), 0);
}

// -------------------------------------------------------------- wcscpy_s

constexpr wchar_t kFill = L'#';

TEST(WcscpyS, CopiesTextThatFits) {
  struct Row {
    const wchar_t* src;
    std::size_t size;
  };
  const Row rows[] = {
      {L"", 1},     {L"", 5},
      {L"a", 2},    {L"abc", 4},  // exact fit: three units and the terminator
      {L"abc", 10}, {L"\u00E9\U0001F600", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.src << " into " << row.size);
    std::vector<wchar_t> dest(row.size + 4, kFill);
    EXPECT_EQ(wcscpy_s(dest.data(), row.size, row.src), 0);
    EXPECT_STREQ(dest.data(), row.src);
    for (std::size_t i = row.size; i < dest.size(); ++i)
      EXPECT_EQ(dest[i], kFill) << "unit " << i << " past the destination";
  }
}

TEST(WcscpyS, RefusesTextThatDoesNotFit) {
  struct Row {
    const wchar_t* src;
    std::size_t size;
  };
  const Row rows[] = {
      {L"a", 1},
      {L"abc", 3},  // one unit short for the terminator
      {L"abcdef", 3},
      {L"abcdefghijklmnopqrstuvwxyz", 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.src << " into " << row.size);
    std::vector<wchar_t> dest(row.size + 4, kFill);
    EXPECT_EQ(wcscpy_s(dest.data(), row.size, row.src), ERANGE);
    EXPECT_EQ(dest[0], L'\0');
    for (std::size_t i = row.size; i < dest.size(); ++i)
      EXPECT_EQ(dest[i], kFill) << "unit " << i << " past the destination";
  }
}

TEST(WcscpyS, InvalidArguments) {
  EXPECT_EQ(wcscpy_s(nullptr, 5, L"abc"), EINVAL);
  EXPECT_EQ(wcscpy_s(nullptr, 0, nullptr), EINVAL);

  wchar_t dest[4] = {kFill, kFill, kFill, kFill};
  EXPECT_EQ(wcscpy_s(dest, 0, L"abc"), EINVAL);
  EXPECT_EQ(dest[0], kFill);  // size 0: nothing written

  EXPECT_EQ(wcscpy_s(dest, 4, nullptr), EINVAL);
  EXPECT_EQ(dest[0], L'\0');  // null source: the destination becomes ""
  EXPECT_EQ(dest[1], kFill);
}

TEST(WcscpyS, ArrayOverloadUsesTheArraySize) {
  struct {
    wchar_t dest[4];
    wchar_t guard[4];
  } s;
  std::fill(std::begin(s.guard), std::end(s.guard), kFill);

  EXPECT_EQ(wcscpy_s(s.dest, L"abc"), 0);
  EXPECT_STREQ(s.dest, L"abc");

  EXPECT_EQ(wcscpy_s(s.dest, L"abcd"), ERANGE);
  EXPECT_EQ(s.dest[0], L'\0');

  EXPECT_EQ(wcscpy_s(s.dest, nullptr), EINVAL);
  EXPECT_EQ(s.dest[0], L'\0');

  for (wchar_t c : s.guard) EXPECT_EQ(c, kFill);
}

// ---------------------------------------------------------------- _wcsdup

TEST(Wcsdup, NullGivesNull) { EXPECT_EQ(_wcsdup(nullptr), nullptr); }

TEST(Wcsdup, CopiesIntoNewStorage) {
  const wchar_t* const texts[] = {L"", L"a", L"hello \u00E9\U0001F600"};
  for (const wchar_t* text : texts) {
    SCOPED_TRACE(text);
    wchar_t* copy = _wcsdup(text);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, text);
    EXPECT_STREQ(copy, text);
    copy[0] = L'Z';  // writable, and independent of the original
    EXPECT_NE(text[0], L'Z');
    delete[] copy;
  }
}

// -------------------------------------------------------------- CharNextW

TEST(CharNextW, Steps) {
  const wchar_t text[] = L"a\U0001F600b";
  EXPECT_EQ(CharNextW(text), text + 1);
  EXPECT_EQ(CharNextW(text + 1), text + 2);  // one unit per code point
  EXPECT_EQ(CharNextW(text + 2), text + 3);
  EXPECT_EQ(CharNextW(text + 3), text + 3);  // stays on the terminator
  const wchar_t* empty = L"";
  EXPECT_EQ(CharNextW(empty), empty);
  EXPECT_EQ(CharNextW(nullptr), nullptr);
}

// --------------------------------------------------------------- UTF-8

std::wstring Decode(const std::string& bytes) {
  const int count = static_cast<int>(bytes.size());
  const int need = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), count, nullptr, 0);
  if (need == 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(need), L'#');
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), count, &out[0], need);
  EXPECT_EQ(n, need);
  return out;
}

std::string Encode(const std::wstring& text) {
  const int count = static_cast<int>(text.size());
  const int need =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
  if (need == 0) return std::string();
  std::string out(static_cast<std::size_t>(need), '#');
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), count, &out[0], need, nullptr, nullptr);
  EXPECT_EQ(n, need);
  return out;
}

TEST(Utf8, RoundTrips) {
  struct Row {
    const char* name;
    std::wstring wide;
    std::string utf8;
  };
  const Row rows[] = {
      {"ascii", L"abc", "abc"},
      {"two bytes", L"\u00E9\u07FF", "\xC3\xA9\xDF\xBF"},
      {"three bytes", L"\u0800\u4E2D\uFFFD\uFFFF",
       "\xE0\xA0\x80\xE4\xB8\xAD\xEF\xBF\xBD\xEF\xBF\xBF"},
      {"around the surrogates", L"\uD7FF\uE000", "\xED\x9F\xBF\xEE\x80\x80"},
      {"four bytes", L"\U00010000\U0001F600\U0010FFFF",
       "\xF0\x90\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},
      {"embedded nul", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
      {"mixed", L"x\u00E9\u4E2D\U0001F600y", "x\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80y"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Encode(row.wide), row.utf8);
    EXPECT_EQ(Decode(row.utf8), row.wide);
    EXPECT_EQ(Decode(Encode(row.wide)), row.wide);
  }
}

TEST(Utf8, InvalidSequencesDecodeToReplacement) {
  struct Row {
    const char* name;
    std::string bytes;
    std::wstring expected;
  };
  const Row rows[] = {
      {"lone continuation",
       "a\x80"
       "b",
       L"a\uFFFD"
       L"b"},
      {"invalid byte FF", "\xFF", L"\uFFFD"},
      {"invalid byte FE",
       "\xFE"
       "a",
       L"\uFFFD"
       L"a"},
      {"lead F5", "\xF5\x80\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"overlong 2", "\xC0\xAF", L"\uFFFD\uFFFD"},
      {"overlong 2 (C1)", "\xC1\xBF", L"\uFFFD\uFFFD"},
      {"overlong 3", "\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD"},
      {"overlong 4", "\xF0\x80\x80\xAF", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"high surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
      {"low surrogate", "\xED\xBF\xBF", L"\uFFFD\uFFFD\uFFFD"},
      {"surrogate pair as CESU-8", "\xED\xA0\xBD\xED\xB8\x80",
       L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"cut at the end", "ab\xC3", L"ab\uFFFD"},
      {"lead then ascii",
       "\xC3"
       "a",
       L"\uFFFD"
       L"a"},
      {"valid after invalid", "\xFF\xC3\xA9", L"\uFFFD\u00E9"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Decode(row.bytes), row.expected);
  }
}

TEST(Utf8, InvalidUnitsEncodeToReplacement) {
  struct Row {
    const char* name;
    std::wstring wide;
  };
  const Row rows[] = {
      {"high surrogate", std::wstring(1, static_cast<wchar_t>(0xD800))},
      {"low surrogate", std::wstring(1, static_cast<wchar_t>(0xDFFF))},
      {"beyond U+10FFFF", std::wstring(1, static_cast<wchar_t>(0x110000))},
      {"negative unit", std::wstring(1, static_cast<wchar_t>(-1))},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Encode(row.wide), "\xEF\xBF\xBD");
    EXPECT_EQ(Encode(L"a" + row.wide + L"b"),
              "a\xEF\xBF\xBD"
              "b");
  }
}

TEST(Utf8, SizeQueries) {
  // -1 counts up to and with the NUL; an explicit count does not add one.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3\xA9", -1, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3\xA9", 3, nullptr, 0), 2);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "", -1, nullptr, 0), 1);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", -1, nullptr, 0), 2);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a\u00E9", -1, nullptr, 0, nullptr, nullptr), 4);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a\u00E9", 2, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"", -1, nullptr, 0, nullptr, nullptr), 1);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\U0001F600\u4E2D", -1, nullptr, 0, nullptr, nullptr),
            8);
}

TEST(Utf8, MinusOneCopiesTheTerminator) {
  wchar_t wide[4] = {L'#', L'#', L'#', L'#'};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xC3\xA9z", -1, wide, 4), 3);
  EXPECT_STREQ(wide, L"\u00E9z");
  EXPECT_EQ(wide[3], L'#');

  char narrow[6] = {'#', '#', '#', '#', '#', '#'};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u00E9z", -1, narrow, 6, nullptr, nullptr), 4);
  EXPECT_STREQ(narrow, "\xC3\xA9z");
  EXPECT_EQ(narrow[4], '#');
}

TEST(Utf8, InsufficientBuffer) {
  {
    struct Row {
      const char* name;
      const char* utf8;
      int count;
      int room;  // one unit fewer than needed
    };
    const Row rows[] = {
        {"terminator does not fit", "abc", -1, 3},
        {"last unit does not fit", "abc", 3, 2},
        {"two characters into one", "\xC3\xA9\xC3\xA9", 4, 1},
        {"replacement does not fit", "a\xFF", 2, 1},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      wchar_t out[8];
      std::fill(std::begin(out), std::end(out), L'#');
      SetLastError(ERROR_SUCCESS);
      EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, row.utf8, row.count, out, row.room), 0);
      EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
      for (int i = row.room; i < 8; ++i) EXPECT_EQ(out[i], L'#') << "unit " << i;

      // One more unit of room is enough.
      EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, row.utf8, row.count, out, row.room + 1),
                row.room + 1);
    }
  }
  {
    struct Room {
      char bytes[8];
    };
    struct Row2 {
      const char* name;
      const wchar_t* wide;
      int count;
      int room;
    };
    const Row2 rows[] = {
        {"terminator does not fit", L"abc", -1, 3},  {"last unit does not fit", L"abc", 3, 2},
        {"multi-byte unit cut", L"a\u20AC", 2, 3},  // needs 1 + 3
        {"four-byte unit cut", L"\U0001F600", 1, 3}, {"two-byte unit cut", L"\u00E9", 1, 1},
    };
    for (const Row2& row : rows) {
      SCOPED_TRACE(row.name);
      Room r;
      std::memset(r.bytes, '#', sizeof r.bytes);
      SetLastError(ERROR_SUCCESS);
      EXPECT_EQ(
          WideCharToMultiByte(CP_UTF8, 0, row.wide, row.count, r.bytes, row.room, nullptr, nullptr),
          0);
      EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
      for (int i = row.room; i < 8; ++i) EXPECT_EQ(r.bytes[i], '#') << "byte " << i;

      // One more byte of room is enough.
      const int need =
          WideCharToMultiByte(CP_UTF8, 0, row.wide, row.count, nullptr, 0, nullptr, nullptr);
      EXPECT_EQ(need, row.room + 1);
      EXPECT_EQ(
          WideCharToMultiByte(CP_UTF8, 0, row.wide, row.count, r.bytes, need, nullptr, nullptr),
          need);
    }
  }
}

TEST(Utf8, InvalidParameters) {
  wchar_t wide[8];
  char narrow[8];
  struct Row {
    const char* name;
    UINT code_page;
    int count;
    bool null_text;
    bool null_out;
  };
  const Row rows[] = {
      {"code page 1252", 1252, -1, false, false},
      {"code page 0", 0, -1, false, false},
      {"UTF-7", 65000, -1, false, false},
      {"null text", CP_UTF8, -1, true, false},
      {"count below -1", CP_UTF8, -2, false, false},
      {"null output with room", CP_UTF8, -1, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(row.code_page, 0, row.null_text ? nullptr : "abc", row.count,
                                  row.null_out ? nullptr : wide, 8),
              0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(WideCharToMultiByte(row.code_page, 0, row.null_text ? nullptr : L"abc", row.count,
                                  row.null_out ? nullptr : narrow, 8, nullptr, nullptr),
              0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  // A wrong code page is refused for size queries too.
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Utf8, UsedDefaultIsCleared) {
  BOOL used = TRUE;
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"ok", -1, out, 8, nullptr, &used), 3);
  EXPECT_EQ(used, FALSE);
}

// ------------------------------------------------------------ last error

TEST(LastError, IsPerThread) {
  SetLastError(1234);
  DWORD seen_at_start = 999;
  DWORD seen_after_set = 0;
  std::thread worker([&] {
    seen_at_start = GetLastError();
    SetLastError(ERROR_ACCESS_DENIED);
    seen_after_set = GetLastError();
  });
  worker.join();
  EXPECT_EQ(seen_at_start, ERROR_SUCCESS);
  EXPECT_EQ(seen_after_set, ERROR_ACCESS_DENIED);
  EXPECT_EQ(GetLastError(), 1234u);

  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

// ------------------------------------------------------- classic locale

void ExpectClassicFacet(const std::locale& loc) {
  const auto& ct = std::use_facet<std::ctype<wchar_t>>(loc);
  struct LowerRow {
    wchar_t in;
    wchar_t out;
  };
  const LowerRow lower[] = {
      {L'A', L'a'},           {L'Z', L'z'},           {L'M', L'm'},
      {L'a', L'a'},           {L'@', L'@'},           {L'[', L'['},
      {L'0', L'0'},           {L'\u00C0', L'\u00C0'}, {L'\u00C4', L'\u00C4'},
      {L'\u0391', L'\u0391'}, {L'\u0410', L'\u0410'}, {L'\uFF21', L'\uFF21'},
  };
  for (const LowerRow& row : lower) {
    SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(row.in));
    EXPECT_EQ(ct.tolower(row.in), row.out);
  }
  struct SpaceRow {
    wchar_t c;
    bool space;
  };
  const SpaceRow space[] = {
      {L'\t', true},   {L'\n', true},   {L'\v', true},   {L'\f', true}, {L'\r', true},
      {L' ', true},    {L'\b', false},  {0x0E, false},   {0x1C, false}, {0x1F, false},
      {L'!', false},   {L'a', false},   {0x85, false},   {0xA0, false}, {0x1680, false},
      {0x2000, false}, {0x2028, false}, {0x3000, false}, {0, false},
  };
  for (const SpaceRow& row : space) {
    SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(row.c));
    EXPECT_EQ(ct.is(std::ctype_base::space, row.c), row.space);
  }
}

TEST(LocaleClassic, LowersOnlyAsciiAndKnowsOnlyAsciiSpace) { ExpectClassicFacet(g_locale_classic); }

TEST(LocaleClassic, DoesNotFollowTheGlobalLocale) {
  if (!velut_test::HasLocale("C.UTF-8")) GTEST_SKIP() << "C.UTF-8 is not installed";
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");

  // The global locale really changed: it now lowers beyond ASCII and knows
  // more spaces.
  const auto& global = std::use_facet<std::ctype<wchar_t>>(std::locale());
  ASSERT_EQ(global.tolower(L'\u00C0'), L'\u00E0');
  ASSERT_TRUE(global.is(std::ctype_base::space, static_cast<wchar_t>(0x3000)));

  ExpectClassicFacet(g_locale_classic);
}

}  // namespace
