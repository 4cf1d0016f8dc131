// Shell path operations: trailing-separator removal.
#include <WinAPI/Path.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PathRemoveBackslash, Table) {
  struct Row {
    const wchar_t* in;
    const wchar_t* out;
    int returned;  // offset of the returned pointer from the path
  };
  const Row rows[] = {
      {L"C:\\Temp\\", L"C:\\Temp", 7},
      {L"C:\\Temp", L"C:\\Temp", 6},
      {L"C:\\Temp\\\\", L"C:\\Temp\\", 8},  // one separator per call
      {L"C:/Temp/", L"C:/Temp", 7},
      {L"dir\\", L"dir", 3},
      {L"a/", L"a", 1},
      {L"abc", L"abc", 2},
      {L"x", L"x", 0},
      {L"", L"", 0},
      // Roots keep their separator.
      {L"C:\\", L"C:\\", 2},
      {L"c:/", L"c:/", 2},
      {L"\\", L"\\", 0},
      {L"/", L"/", 0},
      {L"\\\\", L"\\\\", 1},
      {L"//", L"//", 1},
      // Not roots: a separator after a drive without a letter, a longer
      // rooted path, a server name, a relative drive path.
      {L"1:\\", L"1:", 2},
      {L"\\a\\", L"\\a", 2},
      {L"/usr/", L"/usr", 4},
      {L"\\\\server\\", L"\\\\server", 8},
      {L"\\\\server\\share\\", L"\\\\server\\share", 14},
      {L"C:a\\", L"C:a", 3},
      {L"C:", L"C:", 1},
      {L" \\", L" ", 1},
      {L"\\ ", L"\\ ", 1},  // the blank is the last character
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << '"' << std::wstring(row.in) << '"');
    std::wstring buffer(row.in);
    buffer.resize(buffer.size() + 4, L'\0');
    wchar_t* p = buffer.data();
    EXPECT_EQ(PathRemoveBackslash(p), p + row.returned);
    EXPECT_EQ(std::wstring(p), row.out);
  }
}

TEST(PathRemoveBackslash, NullPathGivesNull) {
  EXPECT_EQ(PathRemoveBackslash(nullptr), nullptr);
}

// The text after the terminator is never read or written.
TEST(PathRemoveBackslash, StopsAtTerminator) {
  wchar_t buffer[] = {L'a', L'\\', L'\0', L'\\', L'\\', L'\0'};
  EXPECT_EQ(PathRemoveBackslash(buffer), buffer + 1);
  EXPECT_EQ(buffer[1], L'\0');
  EXPECT_EQ(buffer[3], L'\\');
  EXPECT_EQ(buffer[4], L'\\');
}

}  // namespace
