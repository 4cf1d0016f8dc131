// Shell path operations on path text. The tables give each input in its
// Windows form with the Win32 result and, where Linux has one, the same
// case with Linux paths; a '/' separates like '\\' and a leading '/' is a
// root.
#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Path.h>

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

TEST(PathRemoveBackslash, NullPathGivesNull) { EXPECT_EQ(PathRemoveBackslash(nullptr), nullptr); }

// The text after the terminator is never read or written.
TEST(PathRemoveBackslash, StopsAtTerminator) {
  wchar_t buffer[] = {L'a', L'\\', L'\0', L'\\', L'\\', L'\0'};
  EXPECT_EQ(PathRemoveBackslash(buffer), buffer + 1);
  EXPECT_EQ(buffer[1], L'\0');
  EXPECT_EQ(buffer[3], L'\\');
  EXPECT_EQ(buffer[4], L'\\');
}

// ------------------------------------------------------------ helpers

// A MAX_PATH buffer holding `text`, with guard units after it that no
// operation may touch.
struct Buffer {
  static constexpr wchar_t kGuard = L'\uFFFF';
  std::wstring units;
  explicit Buffer(const std::wstring& text) : units(MAX_PATH + 8, kGuard) {
    const std::size_t n = std::min<std::size_t>(text.size(), MAX_PATH - 1);
    std::wmemcpy(units.data(), text.data(), n);
    units[n] = L'\0';
  }
  wchar_t* data() { return units.data(); }
  std::wstring text() const { return std::wstring(units.c_str()); }
  bool GuardIntact() const {
    for (std::size_t i = MAX_PATH; i < units.size(); ++i)
      if (units[i] != kGuard) return false;
    return true;
  }
};

// One case in both forms: Windows text and its Linux counterpart, which a
// row leaves null where Linux has none.
struct Pair {
  const wchar_t* win;
  const wchar_t* linux;
};

std::wstring Show(const wchar_t* s) {
  return s == nullptr ? L"(null)" : L'"' + std::wstring(s) + L'"';
}

// ------------------------------------------------------ in-place edits

TEST(PathRemoveFileSpec, Table) {
  struct Row {
    Pair in;
    Pair out;
    BOOL removed;
  };
  const Row rows[] = {
      {{L"C:\\TEST\\sample.txt", L"/test/sample.txt"}, {L"C:\\TEST", L"/test"}, TRUE},
      {{L"C:\\TEST", L"/test"}, {L"C:\\", L"/"}, TRUE},
      {{L"C:\\", L"/"}, {L"C:\\", L"/"}, FALSE},
      {{L"C:\\TEST\\", L"/test/"}, {L"C:\\TEST", L"/test"}, TRUE},
      {{L"\\foo", nullptr}, {L"\\", nullptr}, TRUE},
      {{L"\\", nullptr}, {L"\\", nullptr}, FALSE},
      {{L"C:foo", nullptr}, {L"C:", nullptr}, TRUE},
      {{L"C:", nullptr}, {L"C:", nullptr}, FALSE},
      {{L"\\\\server\\share", L"//server/share"}, {L"\\\\server", L"//server"}, TRUE},
      {{L"\\\\server", L"//server"}, {L"\\\\", L"//"}, TRUE},
      {{L"\\\\", L"//"}, {L"\\\\", L"//"}, FALSE},
      {{L"dir\\name", L"dir/name"}, {L"dir", L"dir"}, TRUE},
      {{L"name", nullptr}, {L"", nullptr}, TRUE},
      {{L"", nullptr}, {L"", nullptr}, FALSE},
      {{L"C:\\a/b", nullptr}, {L"C:\\a", nullptr}, TRUE},  // mixed separators
      // A colon inside a Linux name is part of it.
      {{nullptr, L"/tmp/a:b/c"}, {nullptr, L"/tmp/a:b"}, TRUE},
  };
  for (const Row& row : rows) {
    for (int form = 0; form < 2; ++form) {
      const wchar_t* in = form == 0 ? row.in.win : row.in.linux;
      if (in == nullptr) continue;
      SCOPED_TRACE(testing::Message() << Show(in));
      Buffer b(in);
      EXPECT_EQ(PathRemoveFileSpec(b.data()), row.removed);
      EXPECT_EQ(b.text(), form == 0 ? row.out.win : row.out.linux);
    }
  }
  EXPECT_EQ(PathRemoveFileSpec(nullptr), FALSE);
}

TEST(PathRemoveExtension, Table) {
  struct Row {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Row rows[] = {
      {L"C:\\d\\a.txt", L"C:\\d\\a"},
      {L"/d/a.tar.gz", L"/d/a.tar"},
      {L"C:\\dir.x\\readme", L"C:\\dir.x\\readme"},  // the dot is in a folder
      {L"/dir.x/readme", L"/dir.x/readme"},
      {L"a.b c", L"a.b c"},  // no blank in an extension
      {L".txt", L""},
      {L"/home/u/.bashrc", L"/home/u/"},
      {L"name.", L"name"},
      {L"", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << Show(row.in));
    Buffer b(row.in);
    PathRemoveExtension(b.data());
    EXPECT_EQ(b.text(), row.out);
  }
  PathRemoveExtension(nullptr);
}

TEST(PathRenameExtension, Table) {
  struct Row {
    const wchar_t* in;
    const wchar_t* ext;
    const wchar_t* out;
  };
  const Row rows[] = {
      {L"C:\\t\\TMP1A.TMP", L".dat", L"C:\\t\\TMP1A.dat"},
      {L"\\tmp\\TMP1A.TMP", L".dat", L"\\tmp\\TMP1A.dat"},
      {L"readme", L".dat", L"readme.dat"},  // none: appended
      {L"/tmp/x.tar.gz", L".zip", L"/tmp/x.tar.zip"},
      {L"a.b c", L".d", L"a.b c.d"},
      {L"dir.x/readme", L".txt", L"dir.x/readme.txt"},
      {L"a.txt", L"", L"a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << Show(row.in) << " " << Show(row.ext));
    Buffer b(row.in);
    EXPECT_EQ(PathRenameExtension(b.data(), row.ext), TRUE);
    EXPECT_EQ(b.text(), row.out);
  }
  wchar_t path[] = L"a.txt";
  EXPECT_EQ(PathRenameExtension(path, nullptr), FALSE);
  EXPECT_EQ(PathRenameExtension(nullptr, L".x"), FALSE);
}

// The renamed path must fit MAX_PATH units with its terminator.
TEST(PathRenameExtension, BufferBound) {
  for (const std::size_t length : {1018u, 1019u, 1020u, 5000u}) {
    SCOPED_TRACE(length);
    // `length` units before the new extension ".abcd", which replaces ".x".
    const std::wstring stem(length, L'n');
    std::wstring buffer = stem + L".x";
    buffer.push_back(L'\0');
    buffer.resize(std::max<std::size_t>(buffer.size() + 8, MAX_PATH + 8), L'\uFFFF');
    const BOOL ok = PathRenameExtension(buffer.data(), L".abcd");
    const bool fits = length + 5 < MAX_PATH;  // 1018: 1023 units and the terminator
    EXPECT_EQ(ok, fits ? TRUE : FALSE);
    EXPECT_EQ(std::wstring(buffer.c_str()), fits ? stem + L".abcd" : stem + L".x");
    if (length + 3 < MAX_PATH) {
      for (std::size_t i = MAX_PATH; i < MAX_PATH + 8; ++i) EXPECT_EQ(buffer[i], L'\uFFFF');
    }
  }
}

TEST(PathIsRelative, Table) {
  struct Row {
    const wchar_t* path;
    BOOL relative;
  };
  const Row rows[] = {
      {L"a\\b", TRUE},        {L"a/b", TRUE},   {L"..\\a", TRUE}, {L"", TRUE},
      {L"C:\\a", FALSE},      {L"c:a", FALSE},  {L"C:", FALSE},   {L"\\a", FALSE},
      {L"\\\\srv\\s", FALSE}, {L"/usr", FALSE}, {L"1:\\a", TRUE},  // no drive letter
      {L"http://h", TRUE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << Show(row.path));
    EXPECT_EQ(PathIsRelative(row.path), row.relative);
  }
  EXPECT_EQ(PathIsRelative(nullptr), TRUE);
}

TEST(PathFindFileName, LinuxPaths) {
  struct Row {
    const wchar_t* path;
    const wchar_t* name;
    const wchar_t* ext;
  };
  const Row rows[] = {
      {L"/home/u/a.txt", L"a.txt", L".txt"},
      {L"/home/u/", L"u/", L""},
      {L"/tmp/x:y.log", L"x:y.log", L".log"},  // a colon in a Linux name
      {L"/home/u/.bashrc", L".bashrc", L".bashrc"},
      {L"/", L"/", L""},
      {L"C:/d/readme", L"readme", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << Show(row.path));
    EXPECT_EQ(std::wstring(PathFindFileName(row.path)), row.name);
    EXPECT_EQ(std::wstring(PathFindExtension(row.path)), row.ext);
  }
}

// ------------------------------------------------------ joining

// PathCombine of dir and file in both forms; a null result means failure.
TEST(PathCombine, Table) {
  struct Row {
    Pair dir;
    Pair file;
    Pair out;
  };
  const Row rows[] = {
      {{L"C:\\dir", L"/home/u"},
       {L"a\\b.txt", L"a/b.txt"},
       {L"C:\\dir\\a\\b.txt", L"\\home\\u\\a\\b.txt"}},
      {{L"C:\\dir\\sub", L"/home/u/sub"},
       {L"..\\b.txt", L"../b.txt"},
       {L"C:\\dir\\b.txt", L"\\home\\u\\b.txt"}},
      {{L"C:", nullptr}, {L"One\\Two\\Three", nullptr}, {L"C:\\One\\Two\\Three", nullptr}},
      // A trailing separator of the folder is kept.
      {{L"C:\\dir\\", L"/home/u/"}, {L"", L""}, {L"C:\\dir\\", L"\\home\\u\\"}},
      {{L"", L""}, {L"a\\b", L"a/b"}, {L"a\\b", L"a\\b"}},
      // A file with a single leading separator goes below the folder's root.
      {{L"C:\\dir", L"/home/u"}, {L"\\x", L"/etc/x"}, {L"C:\\x", L"\\etc\\x"}},
      {{L"\\\\srv\\share\\dir", L"//srv/share/dir"},
       {L"\\x", L"/x"},
       {L"\\\\srv\\share\\x", L"\\\\srv\\share\\x"}},
      {{L"C:\\dir", nullptr}, {L"D:\\x", nullptr}, {L"D:\\x", nullptr}},
      {{L"C:\\dir", L"/home"},
       {L"\\\\srv\\share", L"//srv/share"},
       {L"\\\\srv\\share", L"\\\\srv\\share"}},
      // Dot segments, and a root that ".." cannot climb.
      {{L"A:\\name_1\\.\\name_2\\..\\name_3", L"/name_1/./name_2/../name_3"},
       {L"", L""},
       {L"A:\\name_1\\name_3", L"\\name_1\\name_3"}},
      {{L"A:\\name_1\\..\\name_2\\.\\name_3", nullptr},
       {L"", nullptr},
       {L"A:\\name_2\\name_3", nullptr}},
      {{L"A:\\name_1\\.\\name_2\\.\\name_3\\..\\name_4\\..", nullptr},
       {L"", nullptr},
       {L"A:\\name_1\\name_2", nullptr}},
      {{L"C:\\..", L"/.."}, {L"", L""}, {L"C:\\", L"\\"}},
      {{L"C:\\a", L"/a"}, {L"..\\..\\..\\b", L"../../../b"}, {L"C:\\b", L"\\b"}},
      {{L"C:\\a", L"/usr//lib"}, {L"x", L"x//y"}, {L"C:\\a\\x", L"\\usr\\lib\\x\\y"}},
      // Relative paths keep the ".." that climb above their start (Win32
      // would drop them and root the path: "\\a\\b"), and what cancels out
      // entirely is "." (Win32: "\\").
      {{L"..\\a", L"../a"}, {L"b", L"b"}, {L"..\\a\\b", L"..\\a\\b"}},
      {{L"dir", L"dir"}, {L"..\\..\\x", L"../../x"}, {L"..\\x", L"..\\x"}},
      {{L"a", L"a"}, {L"..", L".."}, {L".", L"."}},
      // A name that looks like a drive stays a name.
      {{L"x", L"x"}, {L"..\\C:", L"../C:"}, {L".\\C:", L".\\C:"}},
      {{L".\\C:", nullptr}, {L"y", nullptr}, {L".\\C:\\y", nullptr}},
      {{L"a", nullptr}, {nullptr, nullptr}, {L"a", nullptr}},
      {{nullptr, nullptr}, {L"a", nullptr}, {L"a", nullptr}},
      // One null input is the empty text, also beside an empty other one.
      {{nullptr, nullptr}, {L"", nullptr}, {L".", nullptr}},
      {{L"", nullptr}, {nullptr, nullptr}, {L".", nullptr}},
  };
  for (const Row& row : rows) {
    for (int form = 0; form < 2; ++form) {
      const wchar_t* dir = form == 0 ? row.dir.win : row.dir.linux;
      const wchar_t* file = form == 0 ? row.file.win : row.file.linux;
      const wchar_t* out = form == 0 ? row.out.win : row.out.linux;
      if (out == nullptr) continue;
      SCOPED_TRACE(testing::Message() << Show(dir) << " + " << Show(file));
      Buffer b(L"junk");
      EXPECT_EQ(PathCombine(b.data(), dir, file), b.data());
      EXPECT_EQ(b.text(), out);
      EXPECT_TRUE(b.GuardIntact());
    }
  }
  Buffer b(L"junk");
  EXPECT_EQ(PathCombine(b.data(), nullptr, nullptr), nullptr);
  EXPECT_EQ(b.text(), L"");
  EXPECT_EQ(PathCombine(nullptr, L"a", L"b"), nullptr);
}

// The joined path fits MAX_PATH units with its terminator, or the result
// is null and the destination "".
TEST(PathCombine, BufferBound) {
  for (const std::size_t length : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(length);
    // "\\" + folder name + "\\a.txt": `length` units in all.
    const std::wstring dir = L"\\" + std::wstring(length - 7, L'd');
    const std::wstring expected = dir + L"\\a.txt";
    Buffer b(L"junk");
    const LPWSTR result = PathCombine(b.data(), dir.c_str(), L"a.txt");
    if (length < MAX_PATH) {
      EXPECT_EQ(result, b.data());
      EXPECT_EQ(b.text(), expected);
    } else {
      EXPECT_EQ(result, nullptr);
      EXPECT_EQ(b.text(), L"");
    }
    EXPECT_TRUE(b.GuardIntact());
  }
}

TEST(PathAppend, Table) {
  struct Row {
    Pair path;
    Pair more;
    Pair out;
  };
  const Row rows[] = {
      {{L"name_1\\name_2", L"name_1/name_2"},
       {L"name_3", L"name_3"},
       {L"name_1\\name_2\\name_3", L"name_1\\name_2\\name_3"}},
      {{L"C:\\d", L"/tmp/x"}, {L"a.txt", L"a.txt"}, {L"C:\\d\\a.txt", L"\\tmp\\x\\a.txt"}},
      {{L"C:\\d\\", L"/tmp/x/"}, {L"a", L"a"}, {L"C:\\d\\a", L"\\tmp\\x\\a"}},
      // Leading separators of the appended part go ...
      {{L"C:\\d", L"/tmp"}, {L"\\a.txt", L"//a.txt"}, {L"C:\\d\\a.txt", L"\\\\a.txt"}},
      // ... unless they start a network path, which replaces the path.
      {{L"C:\\d", nullptr}, {L"\\\\srv\\s", nullptr}, {L"\\\\srv\\s", nullptr}},
      {{L"", L""}, {L"a.txt", L"a.txt"}, {L"a.txt", L"a.txt"}},
      {{L"C:\\d", L"/d"}, {L"..\\e", L"../e"}, {L"C:\\e", L"\\e"}},
      // Win32 strips the leading "..\\" of the first path ("\\path1\\...");
      // here a relative path keeps it.
      {{L"..\\path1\\path2", L"../path1/path2"},
       {L"path3", L"path3"},
       {L"..\\path1\\path2\\path3", L"..\\path1\\path2\\path3"}},
  };
  for (const Row& row : rows) {
    for (int form = 0; form < 2; ++form) {
      const wchar_t* path = form == 0 ? row.path.win : row.path.linux;
      const wchar_t* more = form == 0 ? row.more.win : row.more.linux;
      const wchar_t* out = form == 0 ? row.out.win : row.out.linux;
      if (out == nullptr) continue;
      SCOPED_TRACE(testing::Message() << Show(path) << " + " << Show(more));
      Buffer b(path);
      EXPECT_EQ(PathAppend(b.data(), more), TRUE);
      EXPECT_EQ(b.text(), out);
    }
  }
  Buffer b(L"a");
  EXPECT_EQ(PathAppend(b.data(), nullptr), FALSE);
  EXPECT_EQ(b.text(), L"a");
  EXPECT_EQ(PathAppend(nullptr, L"a"), FALSE);
}

// A path that would not fit is emptied, so that no caller goes on with a
// path that lost its last component.
TEST(PathAppend, BufferBound) {
  for (const std::size_t length : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(length);
    const std::wstring path =
        L"\\" + std::wstring(std::min<std::size_t>(length, MAX_PATH) - 7, L'd');
    const std::wstring more(length - path.size() - 1, L'm');
    Buffer b(path);
    const BOOL ok = PathAppend(b.data(), more.c_str());
    EXPECT_EQ(ok, length < MAX_PATH ? TRUE : FALSE);
    EXPECT_EQ(b.text(), length < MAX_PATH ? path + L"\\" + more : L"");
    EXPECT_TRUE(b.GuardIntact());
  }
}

TEST(PathRelativePathTo, Table) {
  constexpr DWORD kDir = FILE_ATTRIBUTE_DIRECTORY;
  struct Row {
    const wchar_t* from;
    DWORD from_attributes;
    const wchar_t* to;
    DWORD to_attributes;
    const wchar_t* out;  // null: FALSE
  };
  const Row rows[] = {
      {L"c:\\FolderA\\FolderB\\FolderC", kDir, L"c:\\FolderA\\FolderD\\FolderE", kDir,
       L"..\\..\\FolderD\\FolderE"},
      {L"\\FolderA\\FolderB\\FolderC", kDir, L"\\FolderA\\FolderD\\FolderE", kDir,
       L"..\\..\\FolderD\\FolderE"},
      {L"/FolderA/FolderB/FolderC", kDir, L"/FolderA/FolderD/FolderE", kDir,
       L"..\\..\\FolderD\\FolderE"},
      {L"c:\\FolderA\\FolderB", kDir, L"a:\\FolderA\\FolderD", kDir, nullptr},
      // A lone root separator is no common prefix: another tree stays apart.
      {L"\\FolderA\\FolderB", kDir, L"\\FolderC\\FolderD", kDir, nullptr},
      {L"/home", kDir, L"/usr/x", kDir, nullptr},
      {L"/", kDir, L"/usr", kDir, nullptr},
      {L"C:\\dir", kDir, L"C:\\dir\\sub\\a.txt", kDir, L".\\sub\\a.txt"},
      {L"/home/u", kDir, L"/home/u/docs/a.txt", kDir, L".\\docs\\a.txt"},
      {L"C:\\dir", kDir, L"C:\\dir2\\a.txt", kDir, L"..\\dir2\\a.txt"},
      {L"/home/u", kDir, L"/home/v/x", kDir, L"..\\v\\x"},
      {L"C:\\dir\\file.txt", 0, L"C:\\dir\\sub\\x.txt", 0, L".\\sub\\x.txt"},
      {L"c:\\a\\b\\path", kDir, L"c:\\a\\x\\y\\file", 0, L"..\\..\\x\\y\\file"},
      {L"/a/b/path", kDir, L"/a/x/y/file", 0, L"..\\..\\x\\y\\file"},
      {L"C:\\a", kDir, L"C:\\a", 0, L"..\\a"},
      {L"C:\\dir", kDir, L"C:\\dir", kDir, L"."},
      {L"C:\\a\\b", kDir, L"C:\\a", kDir, L".."},
      {L"C:\\", kDir, L"C:\\a", kDir, L".\\a"},
      {L"C:\\a", kDir, L"C:\\b", kDir, L"..\\b"},
      {L"C:\\dir", kDir, L"c:\\DIR\\a", kDir, L".\\a"},  // letter case is ignored
      {L"C:a", kDir, L"C:\\a\\b", kDir, L".\\b"},        // both forms of a drive
      {L"C:\\a", kDir, L"\\a", kDir, nullptr},
      {L"\\\\srv\\share\\a", kDir, L"\\\\srv\\share\\b", kDir, L"..\\b"},
      {L"//srv/share/a", kDir, L"\\\\SRV\\share\\a\\c", kDir, L".\\c"},
      {L"\\\\s1\\x", kDir, L"\\\\s2\\x", kDir, nullptr},
      {L"a\\b", kDir, L"a\\c", kDir, L"..\\c"},
      {L"a", kDir, L"b", kDir, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << Show(row.from) << " -> " << Show(row.to));
    Buffer b(L"junk");
    const BOOL ok =
        PathRelativePathTo(b.data(), row.from, row.from_attributes, row.to, row.to_attributes);
    EXPECT_EQ(ok, row.out != nullptr ? TRUE : FALSE);
    EXPECT_EQ(b.text(), row.out != nullptr ? row.out : L"");
  }
  Buffer b(L"junk");
  EXPECT_EQ(PathRelativePathTo(b.data(), nullptr, 0, L"a", 0), FALSE);
  EXPECT_EQ(PathRelativePathTo(nullptr, L"a", 0, L"a", 0), FALSE);
}

// Climbing out of deep folders makes a result longer than both inputs; it
// must still fit MAX_PATH units.
TEST(PathRelativePathTo, BufferBound) {
  std::wstring from = L"C:\\x";
  for (int i = 0; i < 400; ++i) from += L"\\a";  // 400 folders: "..\\" 400 times
  Buffer b(L"junk");
  EXPECT_EQ(PathRelativePathTo(b.data(), from.c_str(), FILE_ATTRIBUTE_DIRECTORY, L"C:\\y",
                               FILE_ATTRIBUTE_DIRECTORY),
            FALSE);
  EXPECT_EQ(b.text(), L"");
  EXPECT_TRUE(b.GuardIntact());
}

}  // namespace
