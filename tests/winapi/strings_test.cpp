// The layer's string helpers, its UTF-8 conversions and the per-thread
// last error.
#include <cerrno>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Strings.h>

namespace {

TEST(MsWtoi, Table) {
  struct Row {
    const wchar_t* text;
    int value;
  };
  const Row rows[] = {{L"42", 42},
                      {L"  42abc", 42},
                      {L"\t\n\v\f\r 7", 7},
                      {L"-7", -7},
                      {L"+7", 7},
                      {L"x1", 0},
                      {L"", 0},
                      {L"-", 0},
                      {L"+-7", 0},
                      {L"- 7", 0},
                      {L"2147483647", INT_MAX},
                      {L"2147483648", INT_MAX},
                      {L"99999999999999999999999999", INT_MAX},
                      {L"-2147483648", INT_MIN},
                      {L"-2147483649", INT_MIN},
                      {L"-99999999999999999999999999", INT_MIN},
                      {L"000000000000000000000000000012", 12}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(ms_wtoi(r.text), r.value);
  }
  EXPECT_EQ(ms_wtoi(nullptr), 0);
}

// Copies what fits with its terminator; otherwise empties the destination.
// Nothing past `size` units is written.
TEST(WcscpyS, Table) {
  struct Row {
    const wchar_t* src;
    std::size_t size;
    errno_t result;
    const wchar_t* dest;  // the text afterwards
  };
  const Row rows[] = {{L"", 1, 0, L""},
                      {L"abc", 4, 0, L"abc"},  // exact fit
                      {L"\u00E9\U0001F600", 3, 0, L"\u00E9\U0001F600"},
                      {L"abc", 3, ERANGE, L""},  // one unit short for the terminator
                      {L"abcdefghij", 4, ERANGE, L""},
                      {nullptr, 4, EINVAL, L""},
                      {L"abc", 0, EINVAL, L"####"}};  // size 0: nothing written
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << (r.src ? r.src : L"(null)") << " into " << r.size);
    std::wstring dest(r.size + 4, L'#');
    EXPECT_EQ(wcscpy_s(&dest[0], r.size, r.src), r.result);
    EXPECT_EQ(std::wstring(dest.c_str()), r.dest);
    EXPECT_EQ(dest.substr(r.size), L"####");
  }
  EXPECT_EQ(wcscpy_s(nullptr, 5, L"abc"), EINVAL);
  struct {
    wchar_t dest[4];
    wchar_t guard = L'#';
  } s;
  EXPECT_EQ(wcscpy_s(s.dest, L"abc"), 0);  // the array's own size
  EXPECT_EQ(wcscpy_s(s.dest, L"abcd"), ERANGE);
  EXPECT_EQ(s.guard, L'#');
}

TEST(Wcsdup, CopiesIntoNewStorage) {
  EXPECT_EQ(_wcsdup(nullptr), nullptr);
  for (const wchar_t* text : {L"", L"hello \u00E9\U0001F600"}) {
    wchar_t* copy = _wcsdup(text);
    EXPECT_NE(copy, text);
    EXPECT_EQ(std::wstring(copy), text);
    delete[] copy;
  }
}

TEST(CharNextW, OneUnitPerCharacterAndNotPastTheEnd) {
  const wchar_t text[] = L"a\U0001F600";
  EXPECT_EQ(CharNextW(text + 1), text + 2);
  EXPECT_EQ(CharNextW(text + 2), text + 2);
  EXPECT_EQ(CharNextW(nullptr), nullptr);
}

std::wstring Decode(const std::string& bytes) {
  std::wstring out(bytes.size() + 1, L'#');
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    &out[0], static_cast<int>(out.size()));
  EXPECT_EQ(
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0), n);
  return out.substr(0, static_cast<std::size_t>(n));
}

std::string Encode(const std::wstring& text) {
  std::string out(4 * text.size() + 1, '#');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                    static_cast<int>(out.size()), nullptr, nullptr);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr),
            n);
  return out.substr(0, static_cast<std::size_t>(n));
}

// Each sequence that is not UTF-8 decodes to one U+FFFD per byte it spans
// up to where it goes wrong; units that are no character encode as U+FFFD.
TEST(Utf8, DecodeAndEncode) {
  struct Row {
    const char* name;
    std::string utf8;
    std::wstring wide;
    bool round_trip;
  };
  const Row rows[] = {
      {"one to four bytes, at their bounds",
       "a\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
       L"a\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF", true},
      {"around the surrogates", "\xED\x9F\xBF\xEE\x80\x80", L"\uD7FF\uE000", true},
      {"embedded nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3), true},
      {"lone continuation, FE, FF", "a\x80\xFE\xFF", L"a\uFFFD\uFFFD\uFFFD", false},
      {"overlong", "\xC0\xAF\xC1\xBF\xE0\x80\xAF\xF0\x80\x80\xAF", std::wstring(11, L'\uFFFD'),
       false},
      {"surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD", false},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80\xF5", L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", false},
      {"cut short",
       "\xC3"
       "a\xE4\xB8",
       L"\uFFFDa\uFFFD\uFFFD", false},
      {"valid after invalid", "\xFF\xC3\xA9", L"\uFFFD\u00E9", false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Decode(r.utf8), r.wide);
    if (r.round_trip) {
      EXPECT_EQ(Encode(r.wide), r.utf8);
    }
  }
  const std::wstring no_characters = {L'a', static_cast<wchar_t>(0xD800),
                                      static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)};
  EXPECT_EQ(Encode(no_characters), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

// Sizes, terminators and room: -1 counts up to and with the NUL; a buffer
// one unit short fails with ERROR_INSUFFICIENT_BUFFER and writes nothing
// past its room; only UTF-8 is read or written.
TEST(Utf8, CountsRoomAndParameters) {
  struct Row {
    UINT code_page;
    const char* utf8;
    int count, room, result;  // room -1: a null buffer with room 8
    DWORD error;
  };
  const Row rows[] = {{CP_UTF8, "a\xC3\xA9", -1, 0, 3, 0},  // MultiByteToWideChar's size
                      {CP_UTF8, "a\xC3\xA9", -1, 3, 3, 0},
                      {CP_UTF8, "a\xC3\xA9", -1, 2, 0, ERROR_INSUFFICIENT_BUFFER},
                      {CP_UTF8, "a\xFF", 2, 1, 0, ERROR_INSUFFICIENT_BUFFER},
                      {1252, "abc", -1, 8, 0, ERROR_INVALID_PARAMETER},
                      {1252, "abc", -1, 0, 0, ERROR_INVALID_PARAMETER},
                      {CP_UTF8, nullptr, -1, 8, 0, ERROR_INVALID_PARAMETER},
                      {CP_UTF8, "abc", -2, 8, 0, ERROR_INVALID_PARAMETER},
                      {CP_UTF8, "abc", -1, -1, 0, ERROR_INVALID_PARAMETER}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "row " << &r - rows);
    std::wstring wide(8, L'#');
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(r.code_page, 0, r.utf8, r.count, r.room < 0 ? nullptr : &wide[0],
                                  r.room < 0 ? 8 : r.room),
              r.result);
    EXPECT_EQ(GetLastError(), r.error);
    EXPECT_EQ(wide.substr(std::max(r.room, 0)), std::wstring(8 - std::max(r.room, 0), L'#'));
  }
  struct Row2 {
    const wchar_t* wide;
    int count, room, result;
    DWORD error;
  };
  const Row2 rows2[] = {{L"a\u00E9", -1, 0, 4, 0},  // WideCharToMultiByte's size
                        {L"a\u00E9", -1, 4, 4, 0},
                        {L"a\u00E9", 2, 3, 3, 0},
                        {L"a\u20AC", 2, 3, 0, ERROR_INSUFFICIENT_BUFFER},  // needs 1 + 3
                        {L"\U0001F600", 1, 3, 0, ERROR_INSUFFICIENT_BUFFER},
                        {L"abc", -1, 3, 0, ERROR_INSUFFICIENT_BUFFER},
                        {nullptr, -1, 8, 0, ERROR_INVALID_PARAMETER},
                        {L"abc", -2, 8, 0, ERROR_INVALID_PARAMETER}};
  for (const Row2& r : rows2) {
    SCOPED_TRACE(testing::Message() << "narrow row " << &r - rows2);
    std::string narrow(8, '#');
    BOOL used = TRUE;
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, r.wide, r.count, &narrow[0], r.room, nullptr, &used),
              r.result);
    EXPECT_EQ(GetLastError(), r.error);
    EXPECT_EQ(used, FALSE);
    EXPECT_EQ(narrow.substr(static_cast<std::size_t>(r.room)), std::string(8 - r.room, '#'));
  }
  EXPECT_EQ(WideCharToMultiByte(1252, 0, L"abc", -1, nullptr, 0, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"abc", -1, nullptr, 8, nullptr, nullptr), 0);
}

TEST(LastError, IsPerThread) {
  SetLastError(1234);
  DWORD at_start = 999;
  std::thread([&] {
    at_start = GetLastError();
    SetLastError(ERROR_ACCESS_DENIED);
  }).join();
  EXPECT_EQ(at_start, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), 1234u);
}

}  // namespace
