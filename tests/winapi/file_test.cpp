// File operations of the layer on real folders: native translation,
// existence tests, the temporary and current folders, temporary files,
// removal and file status.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include <WinAPI/WinAPI.h>

#include "support/boundary.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using velut_test::ScopedCurrentFolder;
using velut_test::ScopedEnv;
using velut_test::Slashed;
using velut_test::TempFolder;
using velut_test::Text;
using velut_test::Touch;

// Path text and native paths both ways: drives, separators, and bytes that
// are no UTF-8 (U+DC80-U+DCFF); units no file name can hold are refused.
TEST(PathToNative, Table) {
  struct Row {
    const wchar_t* text;
    const char* native;  // null: refused with ERROR_INVALID_NAME
    bool back;           // NativeToPath gives the text back
  };
  const Row rows[] = {
      {L"C:\\Users\\a.txt", "/Users/a.txt", false},
      {L"c:/", "/", false},
      {L"C:", ".", false},  // the current folder of that drive
      {L"C:sub\\f", "sub/f", false},
      {L"\\\\srv\\caf\u00E9 \U0001F600", "//srv/caf\xC3\xA9 \xF0\x9F\x98\x80", true},
      {L"a\xDCFF"
       L"b\xDC80\xDCC3",
       "a\xFF"
       "b\x80\xC3",
       true},
      {L"\xDCED\xDCA0\xDC80\uFFFD", "\xED\xA0\x80\xEF\xBF\xBD", true},
      {L"", "", true},
      {L"/tmp/a\xD800", nullptr, false},
      {L"/tmp/a\xDC7F", nullptr, false},
      {L"/tmp/a\xDD00", nullptr, false},
      {L"a\x110000", nullptr, false},
      {nullptr, nullptr, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "row " << &r - rows);
    std::string native = "junk";
    SetLastError(0);
    EXPECT_EQ(PathToNative(r.text, native), r.native != nullptr ? TRUE : FALSE);
    EXPECT_EQ(native, r.native != nullptr ? r.native : "");
    EXPECT_EQ(GetLastError(), r.native != nullptr ? 0u : ERROR_INVALID_NAME);
    EXPECT_EQ(r.back ? NativeToPath(r.native) : L"", r.back ? r.text : L"");
  }
  EXPECT_EQ(NativeToPath("/tmp/x"), L"\\tmp\\x");
  EXPECT_EQ(NativeToPath(nullptr), L"");
}

// Existence and the error that says why not: the file, or a folder on its
// way, is missing.
TEST(PathFileExists, FilesFoldersAndErrors) {
  TempFolder dir;
  Touch(dir / "a.txt");
  fs::create_directory(dir / "sub");
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  ScopedCurrentFolder here(dir.path());
  struct Row {
    std::wstring path;
    BOOL exists, folder;
    DWORD error;
  };
  const Row rows[] = {{Slashed(dir / "a.txt"), TRUE, FALSE, 0},
                      {L"C:" + Text(dir / "a.txt"), TRUE, FALSE, 0},
                      {L"C:a.txt", TRUE, FALSE, 0},
                      {Text(dir / "sub") + L"\\", TRUE, TRUE, 0},
                      {L".", TRUE, TRUE, 0},
                      {Text(dir / "missing.txt"), FALSE, FALSE, ERROR_FILE_NOT_FOUND},
                      {Text(dir / "no" / "such.txt"), FALSE, FALSE, ERROR_PATH_NOT_FOUND},
                      {Text(dir / "a.txt" / "x"), FALSE, FALSE, ERROR_PATH_NOT_FOUND},
                      {Text(dir / "dangling"), FALSE, FALSE, ERROR_FILE_NOT_FOUND},
                      {L"", FALSE, FALSE, ERROR_FILE_NOT_FOUND},
                      {L"/tmp/\xD800", FALSE, FALSE, ERROR_INVALID_NAME}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.path);
    SetLastError(0);
    EXPECT_EQ(PathFileExists(r.path.c_str()), r.exists);
    EXPECT_EQ(GetLastError(), r.error);
    EXPECT_EQ(PathIsDirectory(r.path.c_str()), r.folder ? FILE_ATTRIBUTE_DIRECTORY : 0);
  }
  EXPECT_EQ(PathFileExists(nullptr), FALSE);
  EXPECT_EQ(PathIsDirectory(nullptr), FALSE);
}

// TMPDIR made absolute, with one separator at its end; the current folder,
// however deep; a buffer too small gets nothing and the size it needs.
TEST(GetTempPath, AndGetCurrentDirectory) {
  TempFolder dir;
  fs::path deep = dir.path();
  for (int i = 0; i < 20; ++i) deep /= std::string(60, static_cast<char>('a' + i));
  fs::create_directories(deep);
  const std::wstring cwd = Text(dir.path());
  ScopedCurrentFolder here(dir.path());
  struct Row {
    const char* tmpdir;  // null: unset
    std::wstring folder;
  };
  const Row rows[] = {
      {nullptr, L"\\tmp\\"},     {"", L"\\tmp\\"}, {"/var/./x/../tmp/", L"\\var\\tmp\\"},
      {"rel", cwd + L"\\rel\\"}, {"/", L"\\"},     {"/t\xC3\xA9mp", L"\\t\u00E9mp\\"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.tmpdir ? r.tmpdir : "(unset)");
    ScopedEnv tmpdir("TMPDIR", r.tmpdir);
    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(GetTempPath(MAX_PATH, buffer), r.folder.size());
    EXPECT_EQ(std::wstring(buffer), r.folder);
    EXPECT_EQ(GetTempPath(0, nullptr), r.folder.size() + 1);
  }
  // TMPDIR values whose text, with the separator added, has `length` units.
  velut_test::ForBufferLengths([](std::size_t length) {
    const std::string value = "/" + std::string(length - 2, 't');
    ScopedEnv tmpdir("TMPDIR", value.c_str());
    std::wstring buffer(MAX_PATH + 8, L'\uFFFF');
    buffer[0] = L'\0';
    EXPECT_EQ(GetTempPath(MAX_PATH, &buffer[0]), length < MAX_PATH ? length : length + 1);
    EXPECT_EQ(std::wcslen(buffer.c_str()), length < MAX_PATH ? length : 0);
    EXPECT_EQ(buffer.substr(MAX_PATH), std::wstring(8, L'\uFFFF'));
  });
  std::wstring buffer(Text(deep).size() + 1, L'#');
  {
    ScopedCurrentFolder in_deep(deep);
    EXPECT_EQ(GetCurrentDirectory(MAX_PATH, &buffer[0]), buffer.size());  // too small
    EXPECT_EQ(GetCurrentDirectory(static_cast<DWORD>(buffer.size()), &buffer[0]),
              buffer.size() - 1);
    EXPECT_EQ(buffer.c_str(), Text(deep));
  }
  SetLastError(0);
  EXPECT_EQ(GetTempPath(5, nullptr), 0u);  // a size with no buffer is a caller error
  EXPECT_EQ(GetCurrentDirectory(5, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // A removed current folder cannot be read, nor a relative TMPDIR made
  // absolute, nor a relative name given its full name.
  fs::create_directory(dir / "gone");
  ScopedCurrentFolder gone(dir / "gone");
  fs::remove(dir / "gone");
  SetLastError(0);
  EXPECT_EQ(GetCurrentDirectory(MAX_PATH, &buffer[0]), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  ScopedEnv tmpdir("TMPDIR", "relative");
  EXPECT_EQ(GetTempPath(MAX_PATH, &buffer[0]), 0u);
  CFileStatus status{};
  status.m_szFullName[0] = L'x';
  EXPECT_EQ(CFile::GetStatus(L"file", status), FALSE);
  EXPECT_EQ(std::wstring(status.m_szFullName), L"");
}

// "<folder>\<up to 3 prefix units><hex>.TMP", created empty, private and
// atomically, never through a planted link; with a number given, nothing
// is created.
TEST(GetTempFileName, CreatesAPrivateEmptyFile) {
  TempFolder dir;
  const std::wstring folder = Text(dir.path());
  struct Row {
    std::wstring path;
    const wchar_t *prefix, *used;
    UINT unique;
  };
  const Row rows[] = {{folder, L"TMP", L"TMP", 0},
                      {folder + L"\\", L"TMPfile", L"TMP", 0},
                      {Slashed(dir.path()) + L"/", nullptr, L"", 0},
                      {folder, L"pre", L"pre", 0x1ABCD},
                      {L"\\no\\such", L"p", L"p", 7}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.path << " " << (r.prefix ? r.prefix : L"(null)"));
    wchar_t buffer[MAX_PATH];
    const UINT n = GetTempFileName(r.path.c_str(), r.prefix, r.unique, buffer);
    EXPECT_EQ(n, r.unique != 0 ? r.unique : n);
    wchar_t hex[8];
    std::swprintf(hex, 8, L"%X", n & 0xFFFF);
    const std::wstring name =
        (r.unique == 7 ? L"\\no\\such" : folder) + L"\\" + r.used + hex + L".TMP";
    EXPECT_EQ(std::wstring(buffer), name);
    struct stat st {};
    const bool made = lstat(velut_test::NativeOf(name).c_str(), &st) == 0;
    EXPECT_EQ(made, r.unique == 0);
    EXPECT_EQ(made ? (st.st_mode & 07777) + st.st_size : 0600, 0600u);  // private and empty
  }
  EXPECT_EQ(velut_test::Listing(dir.path()).size(), 3u);
}

// Refusals, each with the error that says why; nothing is left behind.
TEST(GetTempFileName, Failures) {
  TempFolder dir;
  Touch(dir / "file");
  fs::create_symlink(dir / "loop", dir / "loop");
  struct Row {
    std::wstring path;
    DWORD error;
  };
  const Row rows[] = {{Text(dir / "loop"), ERROR_CANT_RESOLVE_FILENAME},  // a link to itself
                      {Text(dir / "missing"), ERROR_DIRECTORY},
                      {Text(dir / "file"), ERROR_DIRECTORY},
                      {L"", ERROR_DIRECTORY},
                      {L"\\" + std::wstring(MAX_PATH - 15, L'x'), ERROR_FILENAME_EXCED_RANGE},
                      {L"\\" + std::wstring(MAX_PATH - 14, L'x'), ERROR_BUFFER_OVERFLOW}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.path.size() << " " << r.path.substr(0, 80));
    wchar_t buffer[MAX_PATH] = L"junk";
    SetLastError(0);
    EXPECT_EQ(GetTempFileName(r.path.c_str(), L"TMP", 0, buffer), 0u);
    EXPECT_EQ(GetLastError(), r.error);
  }
  wchar_t buffer[MAX_PATH];
  SetLastError(0);
  EXPECT_EQ(GetTempFileName(nullptr, L"TMP", 0, buffer), 0u);
  EXPECT_EQ(GetTempFileName(Text(dir.path()).c_str(), L"TMP", 0, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(velut_test::Listing(dir.path()), (std::set<std::string>{"file", "loop"}));
  // The longest folder it takes, MAX_PATH - 14 units, gives a name that
  // fits the caller's MAX_PATH buffer.
  const std::wstring longest = velut_test::MakeFolderOfLength(dir.path(), MAX_PATH - 14);
  std::wstring name(MAX_PATH + 4, L'\uFFFF');
  ASSERT_NE(GetTempFileName(longest.c_str(), L"TMP", 0, &name[0]), 0u);
  EXPECT_LT(std::wcslen(name.c_str()), MAX_PATH);
  EXPECT_EQ(name.substr(MAX_PATH), std::wstring(4, L'\uFFFF'));
}

// Symbolic links planted under every name but one: the free name is the
// one created, and no link is followed. With every name planted, nothing
// is created at all.
TEST(GetTempFileName, NeverFollowsAPlantedLink) {
  TempFolder dir;
  fs::create_directory(dir / "target");
  fs::create_directory(dir / "t");
  Touch(dir / "target" / "exists");
  for (UINT n = 1; n <= 0xFFFF; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "P%X.TMP", n);
    // Half point at names that do not exist yet, half at an existing file.
    if (n != 0xBEEF)
      fs::create_symlink(dir / "target" / (n % 2 ? name : "exists"), dir / "t" / name);
  }
  const std::wstring folder = Text(dir / "t");
  wchar_t buffer[MAX_PATH];
  EXPECT_EQ(GetTempFileName(folder.c_str(), L"P", 0, buffer), 0xBEEFu);
  EXPECT_EQ(std::wstring(buffer), folder + L"\\PBEEF.TMP");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "t" / "PBEEF.TMP")));
  SetLastError(0);
  EXPECT_EQ(GetTempFileName(folder.c_str(), L"P", 0, buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(velut_test::Listing(dir / "target"), std::set<std::string>{"exists"});
  EXPECT_EQ(fs::file_size(dir / "target" / "exists"), 1u);
}

// Where no file can be created: access denied, or a read-only file system.
TEST(GetTempFileName, ReadOnlyFolder) {
  TempFolder dir;
  const std::wstring folder = Text(dir.path());
  struct Row {
    velut_test::ReadOnlyBy how;
    DWORD error;
  };
  const Row rows[] = {
      {velut_test::ReadOnlyBy::kMount, geteuid() == 0 ? ERROR_WRITE_PROTECT : ERROR_ACCESS_DENIED},
      {velut_test::ReadOnlyBy::kUnprivilegedUser, ERROR_ACCESS_DENIED}};
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.how));
    EXPECT_EQ(
        velut_test::RunWhereReadOnly(dir.path(), r.how,
                                     [&] {
                                       wchar_t buffer[MAX_PATH];
                                       SetLastError(0);
                                       if (GetTempFileName(folder.c_str(), L"TMP", 0, buffer) != 0)
                                         return 1;
                                       return GetLastError() == r.error ? 0 : 2;
                                     }),
        0);
  }
  EXPECT_TRUE(velut_test::Listing(dir.path()).empty());
}

// Files and links go, not what a link points to, nor folders.
TEST(DeleteFile, RemovesFilesAndLinksOnly) {
  TempFolder dir;
  Touch(dir / "a.txt");
  Touch(dir / "target");
  fs::create_symlink(dir / "target", dir / "link");
  fs::create_directory(dir / "sub");
  struct Row {
    std::wstring path;
    DWORD error;  // 0: removed
  };
  const Row rows[] = {{Text(dir / "a.txt"), 0},
                      {Slashed(dir / "link"), 0},
                      {Text(dir / "a.txt"), ERROR_FILE_NOT_FOUND},
                      {Text(dir / "none" / "a.txt"), ERROR_PATH_NOT_FOUND},
                      {Text(dir / "sub"), ERROR_ACCESS_DENIED}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.path);
    SetLastError(0);
    EXPECT_EQ(DeleteFile(r.path.c_str()), r.error == 0 ? TRUE : FALSE);
    EXPECT_EQ(GetLastError(), r.error);
  }
  EXPECT_EQ(velut_test::Listing(dir.path()), (std::set<std::string>{"sub", "target"}));
  EXPECT_EQ(DeleteFile(nullptr), FALSE);
}

TEST(CFileGetStatus, FilesAndFolders) {
  TempFolder dir;
  std::ofstream(dir / "a.txt") << "12345";
  const struct timespec times[2] = {{1000000000, 0}, {1234567890, 0}};  // access, modification
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "a.txt").c_str(), times, 0), 0);
  Touch(dir / ".hidden");
  Touch(dir / "locked");
  fs::permissions(dir / "locked", fs::perms::owner_read);
  fs::create_directory(dir / ".config");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  ScopedCurrentFolder here(dir.path());
  const std::wstring d = Text(dir.path());
  struct Row {
    std::wstring name, full;
    BYTE attribute;
  };
  const Row rows[] = {{Slashed(dir / "a.txt"), d + L"\\a.txt", CFile::archive},
                      {L"./.config/../a.txt", d + L"\\a.txt", CFile::archive},
                      {L"C:a.txt", L"C:\\a.txt", CFile::archive},  // "C:\\" named, "a.txt" read
                      {d + L"\\.\\", d + L"\\", CFile::directory},
                      {L".hidden", d + L"\\.hidden", CFile::archive | CFile::hidden},
                      {L"locked", d + L"\\locked", CFile::archive | CFile::readOnly},
                      {L".config", d + L"\\.config", CFile::directory | CFile::hidden},
                      {L"fifo", d + L"\\fifo", CFile::system}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.name);
    CFileStatus status{};
    ASSERT_EQ(CFile::GetStatus(r.name.c_str(), status), TRUE);
    EXPECT_EQ(std::wstring(status.m_szFullName), r.full);
    EXPECT_EQ(status.m_attribute, r.attribute);
  }
  CFileStatus status{};
  ASSERT_EQ(CFile::GetStatus(L"a.txt", status), TRUE);
  EXPECT_EQ(status.m_size, 5u);
  EXPECT_EQ(status.m_mtime.GetTime(), 1234567890);
  EXPECT_EQ(status.m_atime.GetTime(), 1000000000);
  EXPECT_GT(status.m_ctime.GetTime(), 1234567890);  // made just now
  EXPECT_LE(status.m_ctime.GetTime(), CTime::GetCurrentTime().GetTime());
}

// Missing or unreachable: FALSE, with only the full name written; a full
// name of MAX_PATH units or more does not fit: "" and FALSE; a loop of
// links exists but has no status: a COleException*.
TEST(CFileGetStatus, Failures) {
  TempFolder dir;
  Touch(dir / "file");
  fs::create_symlink(dir / "b", dir / "a");
  fs::create_symlink(dir / "a", dir / "b");
  struct Row {
    std::wstring path;
    DWORD error;
  };
  const Row rows[] = {{Text(dir / "missing"), ERROR_FILE_NOT_FOUND},
                      {Text(dir / "no" / "file"), ERROR_PATH_NOT_FOUND},
                      {Text(dir / "file" / "x"), ERROR_PATH_NOT_FOUND}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.path);
    CFileStatus status{};
    SetLastError(0);
    EXPECT_EQ(CFile::GetStatus(r.path.c_str(), status), FALSE);
    EXPECT_EQ(GetLastError(), r.error);
    EXPECT_EQ(std::wstring(status.m_szFullName), r.path);
    EXPECT_EQ(status.m_size + status.m_attribute + status.m_mtime.GetTime(), 0);
  }
  CFileStatus status{};
  EXPECT_EQ(CFile::GetStatus(nullptr, status), FALSE);
  velut_test::ForBufferLengths([](std::size_t length) {
    const std::wstring name = velut_test::TextOfLength(length, L"\\", L'n');
    CFileStatus s{};
    s.m_szFullName[0] = L'x';
    EXPECT_EQ(CFile::GetStatus(name.c_str(), s), FALSE);
    EXPECT_EQ(std::wstring(s.m_szFullName), length < MAX_PATH ? name : L"");
  });
  try {
    CFile::GetStatus(Text(dir / "a").c_str(), status);
    ADD_FAILURE() << "no exception";
  } catch (COleException* e) {
    EXPECT_EQ(e->m_sc, HRESULT_FROM_WIN32(ERROR_CANT_RESOLVE_FILENAME));
    e->Delete();
  }
  EXPECT_EQ(std::wstring(status.m_szFullName), Text(dir / "a"));
}

}  // namespace
