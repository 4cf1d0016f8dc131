// The layer's string helpers and its UTF-8 conversions.
#include <cerrno>
#include <climits>
#include <memory>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Strings.h>

#include "support/boundary.h"
#include "support/rows.h"
#include "support/text.h"

namespace {

TEST(MsWtoi, SaturatesAtTheEndsOfInt) {
  // Saturates at the ends of int.
  const std::tuple<const wchar_t*, int> rows[] = {
      {L" \t\r4x", 4},           {L"+-7", 0}, {L"2147483647", INT_MAX}, {L"2147483648", INT_MAX},
      {L"-2147483648", INT_MIN}, {nullptr, 0}};
  velut_test::ForEachRow(rows,
                         [](const wchar_t* text, int value) { EXPECT_EQ(ms_wtoi(text), value); });
  errno = 0;
  EXPECT_EQ(INT_MIN, ms_wtoi(L"-2147483649"));
  EXPECT_EQ(ERANGE, errno) << "an overflow sets errno";
}

// Copies what fits with its terminator, else empties the destination; none past `size`.
TEST(WcscpyS, CopiesWhatFitsOrEmpties) {
  const std::tuple<const wchar_t*, std::size_t, errno_t, const wchar_t*> rows[] = {
      {L"\u00E9\U0001F600c", 4, 0, L"\u00E9\U0001F600c"},  // exact fit
      {L"abc", 3, ERANGE, L""},                            // one unit short for the terminator
      {nullptr, 4, EINVAL, L""},
      {L"abc", 0, EINVAL, L"\uFFFF\uFFFF\uFFFF\uFFFF"}};  // size 0: nothing written
  velut_test::ForEachRow(rows, [](auto& src, auto& size, auto& result, auto& dest) {
    std::wstring buffer = velut_test::GuardedBuffer(size, 4);
    errno = 0;
    EXPECT_EQ(wcscpy_s(&buffer[0], size, src), result);
    EXPECT_EQ(errno, result) << "errno is set to the code returned";
    EXPECT_EQ(buffer.c_str(), std::wstring(dest));
    EXPECT_EQ(velut_test::Guard(4), buffer.substr(size)) << "past the size";
  });
  EXPECT_EQ(wcscpy_s(nullptr, 5, L"abc"), EINVAL);
  struct {
    wchar_t dest[4];
    wchar_t guard = velut_test::kGuardUnit;
  } s;
  EXPECT_EQ(wcscpy_s(s.dest, L"abc"), 0);  // the array's own size
  EXPECT_EQ(wcscpy_s(s.dest, L"abcd"), ERANGE);
  EXPECT_EQ(velut_test::kGuardUnit, s.guard) << "past the array";
}

// A copy of the text in a buffer of its own, released with delete[]; null for null.
TEST(Wcsdup, CopiesIntoANewBuffer) {
  EXPECT_EQ(nullptr, _wcsdup(nullptr)) << "null for null";
  for (const wchar_t* text : {L"", L"a", L"a\u00E9\U0001F600"}) {
    const std::unique_ptr<wchar_t[]> copy(_wcsdup(text));
    ASSERT_NE(nullptr, copy) << "a copy of \"" << text << "\"";
    EXPECT_NE(text, copy.get()) << "a new buffer";
    EXPECT_EQ(std::wstring(text), copy.get()) << "the units and the terminator";
  }
}

TEST(CharNextW, OneUnitNeverPastTheEnd) {
  const wchar_t text[] = L"a\U0001F600";
  EXPECT_EQ(CharNextW(text + 1), text + 2);  // one unit per character
  EXPECT_EQ(CharNextW(text + 2), text + 2);  // not past the end
  EXPECT_EQ(CharNextW(nullptr), nullptr);
}

// Bad UTF-8: one U+FFFD a byte, or an escape unit that gives it back; a non-character: U+FFFD.
TEST(Utf8, DecodeAndEncode) {
  const std::tuple<std::string, std::wstring> decoded[] = {
      {"\x80\xFE\xFF\xC0\xAF\xE0\x80\xAF", std::wstring(8, L'\uFFFD')},
      {"\xED\xA0\x80\xF4\x90\x80\x80", std::wstring(7, L'\uFFFD')},
      {"\xC3"
       "a\xE4\xB8",
       L"\uFFFDa\uFFFD\uFFFD"}};  // cut short
  velut_test::ForEachRow(decoded, [](auto& bytes, auto& wide) {
    wchar_t out[16];
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out, 16);
    EXPECT_EQ(std::wstring(out, n > 0 ? n : 0), wide);
    EXPECT_EQ(velut_test::Utf8(velut_test::Wide(bytes)), bytes);
  });
  const auto unit = [](long u) { return static_cast<wchar_t>(u); };
  EXPECT_EQ(velut_test::Utf8({unit(0xD800), unit(0x110000), unit(-1)}),
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

struct ConversionRow {
  const char* name;
  UINT code_page, flags;
  const char* bytes;        // MultiByteToWideChar of these, or when null
  const wchar_t* wide;      // WideCharToMultiByte of this
  int count, room, result;  // room -1: a null buffer said to hold 8
  DWORD error;
};

// A negative count counts the NUL; flags 0 or *_ERR_INVALID_CHARS (the fuzz target checks both
// against the codec); a size query writes nothing, too small a room fails; UTF-8 only.
TEST(Utf8, CountsRoomAndParameters) {
  constexpr UINT kUtf8 = CP_UTF8;
  constexpr DWORD kInvalid = ERROR_INVALID_PARAMETER, kShort = ERROR_INSUFFICIENT_BUFFER;
  const ConversionRow rows[] = {
      {"fits with its NUL", kUtf8, 0, "a\xC3\xA9", nullptr, -1, 3, 3, 0},
      {"no room for the NUL", kUtf8, 0, "a\xC3\xA9", nullptr, -1, 2, 0, kShort},
      {"wide size query", kUtf8, 0, nullptr, L"a\u00E9", -1, 0, 4, 0},
      {"wide, needs 1 + 3", kUtf8, 0, nullptr, L"a\u20AC", 2, 3, 0, kShort},
      {"only UTF-8", 1252, 0, "abc", nullptr, -1, 8, 0, kInvalid},
      {"only UTF-8, wide", 1252, 0, nullptr, L"abc", -1, 0, 0, kInvalid},
      {"any negative count reads to the NUL", kUtf8, 0, "abc", nullptr, -2, 8, 4, 0},
      {"a count of 0", kUtf8, 0, "abc", nullptr, 0, 8, 0, kInvalid},
      {"a count of 0, wide", kUtf8, 0, nullptr, L"abc", 0, 0, 0, kInvalid},
      {"a null buffer with room", kUtf8, 0, "abc", nullptr, -1, -1, 0, kInvalid},
      {"a null buffer with room, wide", kUtf8, 0, nullptr, L"abc", -1, -1, 0, kInvalid},
      {"MB_PRECOMPOSED", kUtf8, 1, "abc", nullptr, -1, 8, 0, ERROR_INVALID_FLAGS},
      {"WC_COMPOSITECHECK", kUtf8, 0x200, nullptr, L"abc", -1, 8, 0, ERROR_INVALID_FLAGS}};
  velut_test::ForEachRow(rows, [](const ConversionRow& row) {
    std::wstring out = velut_test::Guard(8);
    SetLastError(0);
    const bool null = row.room == -1;
    EXPECT_EQ(row.result,
              row.bytes != nullptr
                  ? MultiByteToWideChar(row.code_page, row.flags, row.bytes, row.count,
                                        null ? nullptr : &out[0], null ? 8 : row.room)
                  : WideCharToMultiByte(row.code_page, row.flags, row.wide, row.count,
                                        null ? nullptr : reinterpret_cast<char*>(&out[0]),
                                        null ? 8 : row.room, nullptr, nullptr));
    EXPECT_EQ(row.error, GetLastError());
    // Bytes written: none for a size query, at most the room.
    const std::size_t kept = null ? 0 : row.room * (row.bytes ? sizeof(wchar_t) : 1);
    const auto bytes = [](const std::wstring& w) {
      return std::string(reinterpret_cast<const char*>(w.data()), 32);
    };
    EXPECT_EQ(bytes(velut_test::Guard(8)).substr(kept), bytes(out).substr(kept));
  });
  BOOL used = FALSE;  // UTF-8 has no default character
  EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, L"a", 1, nullptr, 0, nullptr, &used)) << "used";
}

}  // namespace
