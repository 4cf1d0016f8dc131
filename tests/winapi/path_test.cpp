// Shell path operations on path text: '/' separates like '\\', a leading '/' is a root.
#include <algorithm>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <WinAPI/Path.h>

#include "support/boundary.h"
#include "support/rows.h"

namespace {

// A MAX_PATH buffer holding `text`, with guard units after it.
struct Buffer {
  std::wstring units;
  explicit Buffer(const std::wstring& text = L"junk") : units(velut_test::GuardedBuffer(MAX_PATH)) {
    const std::size_t n = std::min<std::size_t>(text.size(), MAX_PATH - 1);
    std::copy(text.begin(), text.begin() + n, units.begin());
    units[n] = L'\0';
  }
  wchar_t* data() { return &units[0]; }
  std::wstring text() const {
    EXPECT_EQ(velut_test::Guard(), units.substr(MAX_PATH)) << "past the buffer";
    return units.c_str();
  }
};

// The text left and the result (an offset or a BOOL); a root's separator never goes.
TEST(PathRemove, TrailingSeparatorAndFileName) {
  const auto slash = [](wchar_t* p) { return static_cast<int>(PathRemoveBackslash(p) - p); };
  const auto name = [](wchar_t* p) { return static_cast<int>(PathRemoveFileSpec(p)); };
  const std::tuple<int (*)(wchar_t*), const wchar_t*, const wchar_t*, int> rows[] = {
      {slash, L"C:/Temp//", L"C:/Temp/", 8},
      {slash, L"abc", L"abc", 2},
      {slash, L"", L"", 0},
      {slash, L"C:\\", L"C:\\", 2},
      {slash, L"/", L"/", 0},
      {slash, L"\\\\", L"\\\\", 1},
      {slash, L"1:\\", L"1:", 2},  // no drive letter
      {name, L"/test", L"/", TRUE},
      {name, L"C:\\", L"C:\\", FALSE},
      {name, L"/test/", L"/test", TRUE},
      {name, L"C:foo", L"C:", TRUE},
      {name, L"\\\\server\\share", L"\\\\server", TRUE},
      {name, L"name", L"", TRUE},
      {name, L"", L"", FALSE},
      {name, L"/tmp/a:b/c", L"/tmp/a:b", TRUE}};  // a colon inside a Linux name is part of it
  velut_test::ForEachRow(rows, [&](auto& remove, auto& in, auto& out, auto& result) {
    Buffer b(in);
    EXPECT_EQ(remove(b.data()), result);
    EXPECT_EQ(b.text(), out);
  });
  wchar_t after_end[] = {L'a', L'\\', L'\0', L'\\', L'\0'};  // read no further than the end
  EXPECT_EQ(PathRemoveBackslash(after_end), after_end + 1);
  EXPECT_EQ(std::wstring(after_end, 5), std::wstring(L"a\0\0\\\0", 5));
}

// PathRemoveExtension and PathRenameExtension cut or replace the extension found.
TEST(PathFindExtension, NamesAndExtensions) {
  const std::tuple<std::wstring, const wchar_t*, std::wstring> rows[] = {
      {L"/d/a.tar.gz", L"a.tar.gz", L".gz"},
      {L"C:\\dir.x\\readme", L"readme", L""},  // the dot is in a folder
      {L"a.b c", L"a.b c", L""},               // no blank in an extension
      {L"/home/u/.bashrc", L".bashrc", L".bashrc"},
      {L"name.", L"name.", L"."},
      {L"C:\\dir\\", L"dir\\", L""},
      {L"", L"", L""}};
  velut_test::ForEachRow(rows, [&](auto& path, auto& name, auto& ext) {
    EXPECT_EQ(std::wstring(PathFindFileName(path.c_str())), name);
    EXPECT_EQ(PathFindExtension(path.c_str()), path.c_str() + path.size() - ext.size());
    Buffer removed(path), renamed(path);
    PathRemoveExtension(removed.data());
    EXPECT_EQ(removed.text(), path.substr(0, path.size() - ext.size()));
    EXPECT_EQ(PathRenameExtension(renamed.data(), L".dat"), TRUE);
    EXPECT_EQ(renamed.text(), path.substr(0, path.size() - ext.size()) + L".dat");
  });
  EXPECT_EQ(PathFindExtension(nullptr), nullptr);
  EXPECT_EQ(PathFindFileName(nullptr), nullptr);
  wchar_t path[] = L"a.txt";
  EXPECT_EQ(PathRenameExtension(path, nullptr), FALSE);
}

TEST(PathIsRelative, RootsAndDrives) {
  const std::tuple<const wchar_t*, BOOL> rows[] = {
      {L"a\\b", TRUE},        {L"../a", TRUE},   {L"", TRUE},     {L"1:\\a", TRUE},
      {L"http://h", TRUE},    {L"C:\\a", FALSE}, {L"c:a", FALSE}, {L"\\a", FALSE},
      {L"\\\\srv\\s", FALSE}, {L"/usr", FALSE},  {nullptr, TRUE}};
  velut_test::ForEachRow(
      rows, [](const wchar_t* path, BOOL relative) { EXPECT_EQ(PathIsRelative(path), relative); });
}

// Joined with '\\', "." and ".." resolved; a relative result keeps the ".." above its start.
TEST(PathCombine, JoinsAndResolvesDots) {
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*> rows[] = {
      // Folder, file; PathCombine's result, PathAppend's (null: not tried).
      {L"C:\\dir", L"a\\b.txt", L"C:\\dir\\a\\b.txt", L"C:\\dir\\a\\b.txt"},
      {L"/home/u/sub", L"../b.txt", L"\\home\\u\\b.txt", L"\\home\\u\\b.txt"},
      {L"C:", L"One\\Two", L"C:\\One\\Two", nullptr},
      {L"C:\\dir\\", L"", L"C:\\dir\\", nullptr},  // the folder's separator stays
      // A file with one leading separator goes below the folder's root.
      {L"C:\\dir", L"\\x", L"C:\\x", L"C:\\dir\\x"},
      {L"C:\\dir", L"D:\\x", L"D:\\x", nullptr},
      {L"/tmp", L"//a.txt", L"\\\\a.txt", L"\\\\a.txt"},
      {L"A:\\n1\\.\\n2\\..\\n3", L"", L"A:\\n1\\n3", nullptr},
      {L"C:\\..", L"", L"C:\\", nullptr},  // a root that ".." cannot climb
      {L"..\\a", L"b", L"..\\a\\b", L"..\\a\\b"},
      {L"a", L"..", L".", nullptr},
      {L"x", L"..\\C:", L".\\C:", nullptr},  // a name that looks like a drive stays a name
      // A null input is the empty text, also beside an empty other one.
      {L"a", nullptr, L"a", nullptr},
      {nullptr, L"", L".", nullptr}};
  velut_test::ForEachRow(rows, [](auto& dir, auto& file, auto& out, auto& appended) {
    Buffer b;
    EXPECT_EQ(PathCombine(b.data(), dir, file), b.data());
    EXPECT_EQ(b.text(), out);
    if (appended == nullptr) return;
    Buffer a(dir);
    EXPECT_EQ(PathAppend(a.data(), file), TRUE);
    EXPECT_EQ(a.text(), appended);
  });
  Buffer b;
  EXPECT_EQ(PathCombine(b.data(), nullptr, nullptr), nullptr);
  EXPECT_EQ(b.text(), L"");
  EXPECT_EQ(PathAppend(b.data(), nullptr), FALSE);
}

TEST(PathRelativePathTo, UpAndDown) {
  struct Row {
    const char* name;
    const wchar_t *from, *to, *out;  // out null: FALSE
    DWORD from_attributes = FILE_ATTRIBUTE_DIRECTORY, to_attributes = FILE_ATTRIBUTE_DIRECTORY;
  };
  const Row rows[] = {
      {"up and down", L"c:\\A\\B\\C", L"c:\\A\\D\\E", L"..\\..\\D\\E"},
      {"two drives", L"c:\\A\\B", L"a:\\A\\D", nullptr},
      {"a lone root is no common prefix", L"\\A\\B", L"\\C\\D", nullptr},
      {"to a file", L"/home/u", L"/home/u/docs/a.txt", L".\\docs\\a.txt", FILE_ATTRIBUTE_DIRECTORY,
       0},
      {"from a file", L"C:\\dir\\file.txt", L"C:\\dir\\sub\\x.txt", L".\\sub\\x.txt", 0, 0},
      {"a file of the folder's name", L"C:\\a", L"C:\\a", L"..\\a", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"the same folder", L"C:\\dir", L"C:\\dir", L"."},
      {"letter case is ignored", L"C:\\dir", L"c:\\DIR\\a", L".\\a"},
      {"both forms of a drive", L"C:a", L"C:\\a\\b", L".\\b"},
      {"relative", L"a\\b", L"a\\c", L"..\\c"},
      {"nothing in common", L"a", L"b", nullptr}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    Buffer b;
    EXPECT_EQ(
        row.out != nullptr ? TRUE : FALSE,
        PathRelativePathTo(b.data(), row.from, row.from_attributes, row.to, row.to_attributes));
    EXPECT_EQ(row.out != nullptr ? row.out : L"", b.text());
  });
}

}  // namespace
