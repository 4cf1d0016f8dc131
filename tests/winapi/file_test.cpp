// File operations of the layer on real folders: native translation,
// existence tests, the temporary and current folders, temporary files,
// removal and file status.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cwchar>
#include <string>

#include <gtest/gtest.h>

#include <WinAPI/WinAPI.h>

#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using velut_test::ReadOnlyBy;
using velut_test::RunWhereReadOnly;
using velut_test::ScopedCurrentFolder;
using velut_test::ScopedEnv;
using velut_test::Slashed;
using velut_test::TempFolder;
using velut_test::Text;
using velut_test::Touch;

std::string Native(const std::wstring& path) {
  std::string native;
  EXPECT_EQ(PathToNative(path.c_str(), native), TRUE) << "no native form";
  return native;
}

// --------------------------------------------------------- translation

TEST(PathToNative, Table) {
  struct Row {
    const wchar_t* text;
    const char* native;
  };
  const Row rows[] = {
      {L"C:\\Users\\a.txt", "/Users/a.txt"},
      {L"c:/Users/a.txt", "/Users/a.txt"},
      {L"C:\\", "/"},
      {L"C:", "."},            // the current folder of that drive
      {L"C:sub\\f", "sub/f"},  // relative to it
      {L"\\tmp\\x", "/tmp/x"},
      {L"/tmp/x", "/tmp/x"},
      {L"sub\\f", "sub/f"},
      {L"\\\\srv\\share", "//srv/share"},
      {L"caf\u00E9 \U0001F600", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
      {L"a\xDCFF"
       L"b\xDC80",
       "a\xFF"
       "b\x80"},  // bytes that are no UTF-8
      {L"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.native);
    EXPECT_EQ(Native(row.text), row.native);
  }
}

TEST(PathToNative, RefusesUnitsNoNameCanHold) {
  for (const wchar_t unit : {L'\xD800', L'\xDC7F', L'\xDD00', static_cast<wchar_t>(0x110000)}) {
    SCOPED_TRACE(static_cast<unsigned>(unit));
    const std::wstring text = std::wstring(L"/tmp/a") + unit;
    std::string native = "junk";
    SetLastError(0);
    EXPECT_EQ(PathToNative(text.c_str(), native), FALSE);
    EXPECT_EQ(native, "");
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  }
  std::string native;
  EXPECT_EQ(PathToNative(nullptr, native), FALSE);
}

TEST(NativeToPath, TableAndRoundTrip) {
  struct Row {
    const char* native;
    const wchar_t* text;
  };
  const Row rows[] = {
      {"/tmp/x", L"\\tmp\\x"},
      {"rel/a", L"rel\\a"},
      {"caf\xC3\xA9", L"caf\u00E9"},
      {"a\xFF", L"a\xDCFF"},
      {"\xC3", L"\xDCC3"},                      // a cut sequence
      {"\xED\xA0\x80", L"\xDCED\xDCA0\xDC80"},  // an encoded surrogate
      {"\xEF\xBF\xBD", L"\uFFFD"},              // a real U+FFFD stays one
      {"", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.native);
    EXPECT_EQ(NativeToPath(row.native), row.text);
    EXPECT_EQ(Native(row.text), row.native);
  }
  EXPECT_EQ(NativeToPath(nullptr), L"");
}

// --------------------------------------------------------- existence

TEST(PathFileExists, FilesFoldersAndTheirErrors) {
  TempFolder dir;
  Touch(dir / "a.txt");
  fs::create_directory(dir / "sub");
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  struct Row {
    std::wstring path;
    BOOL exists;
    BOOL folder;
    DWORD error;  // when it does not exist
  };
  const Row rows[] = {
      {Text(dir / "a.txt"), TRUE, FALSE, 0},
      {Slashed(dir / "a.txt"), TRUE, FALSE, 0},
      {L"C:" + Text(dir / "a.txt"), TRUE, FALSE, 0},
      {Text(dir / "sub"), TRUE, TRUE, 0},
      {Text(dir / "sub") + L"\\", TRUE, TRUE, 0},
      {Text(dir / "missing.txt"), FALSE, FALSE, ERROR_FILE_NOT_FOUND},
      {Text(dir / "no" / "such.txt"), FALSE, FALSE, ERROR_PATH_NOT_FOUND},
      {Text(dir / "a.txt" / "x"), FALSE, FALSE, ERROR_PATH_NOT_FOUND},
      {Text(dir / "dangling"), FALSE, FALSE, ERROR_FILE_NOT_FOUND},
      {L"", FALSE, FALSE, ERROR_FILE_NOT_FOUND},
      {L"/tmp/\xD800", FALSE, FALSE, ERROR_INVALID_NAME},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << &row - rows);
    SetLastError(0);
    EXPECT_EQ(PathFileExists(row.path.c_str()), row.exists);
    if (!row.exists) {
      EXPECT_EQ(GetLastError(), row.error);
    }
    EXPECT_EQ(PathIsDirectory(row.path.c_str()),
              row.folder ? static_cast<BOOL>(FILE_ATTRIBUTE_DIRECTORY) : FALSE);
  }
  EXPECT_EQ(PathFileExists(nullptr), FALSE);
  EXPECT_EQ(PathIsDirectory(nullptr), FALSE);

  ScopedCurrentFolder here(dir.path());
  EXPECT_EQ(PathFileExists(L"a.txt"), TRUE);
  EXPECT_EQ(PathFileExists(L"C:a.txt"), TRUE);
  EXPECT_EQ(PathIsDirectory(L"."), static_cast<BOOL>(FILE_ATTRIBUTE_DIRECTORY));
}

// --------------------------------------------------------- folders

TEST(GetTempPath, FromTmpdir) {
  TempFolder dir;
  ScopedCurrentFolder here(dir.path());
  const std::wstring cwd = Text(dir.path());
  struct Row {
    const char* tmpdir;  // null: unset
    std::wstring folder;
  };
  const Row rows[] = {
      {nullptr, L"\\tmp\\"},
      {"", L"\\tmp\\"},
      {"/var/tmp", L"\\var\\tmp\\"},
      {"/var/tmp/", L"\\var\\tmp\\"},
      {"/var/./x/../tmp", L"\\var\\tmp\\"},
      {"rel", cwd + L"\\rel\\"},
      {"/", L"\\"},
      {"/t\xC3\xA9mp", L"\\t\u00E9mp\\"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << (row.tmpdir ? row.tmpdir : "(unset)"));
    ScopedEnv tmpdir("TMPDIR", row.tmpdir);
    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(GetTempPath(MAX_PATH, buffer), row.folder.size());
    EXPECT_EQ(std::wstring(buffer), row.folder);
    // Too small: the size needed, nothing written.
    wchar_t small[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(GetTempPath(0, nullptr), row.folder.size() + 1);
    EXPECT_EQ(GetTempPath(4, small),
              row.folder.size() + 1 > 4 ? row.folder.size() + 1 : row.folder.size());
  }
}

// TMPDIR values around the size of the caller's 1024-unit buffer.
TEST(GetTempPath, BufferBound) {
  for (const std::size_t length : {1022u, 1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(length);
    const std::string value = "/" + std::string(length - 1, 't');  // `length` units
    ScopedEnv tmpdir("TMPDIR", value.c_str());
    std::wstring buffer(MAX_PATH + 8, L'\uFFFF');
    buffer[0] = L'\0';
    const DWORD n = GetTempPath(MAX_PATH, buffer.data());
    // The text is the value with '\' for '/' and one more '\' at the end.
    if (length + 1 < MAX_PATH) {
      EXPECT_EQ(n, length + 1);
      EXPECT_EQ(buffer.substr(0, 2), L"\\t");
      EXPECT_EQ(buffer[length], L'\\');
      EXPECT_EQ(buffer[length + 1], L'\0');
    } else {
      EXPECT_EQ(n, length + 2);
      EXPECT_EQ(buffer[0], L'\0');
    }
    for (std::size_t i = MAX_PATH; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], L'\uFFFF');
  }
  // A size with no buffer is a caller error, not a request for the size.
  SetLastError(0);
  EXPECT_EQ(GetTempPath(5, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(GetCurrentDirectory, PathTextOfTheCurrentFolder) {
  TempFolder dir;
  ScopedCurrentFolder here(dir.path());
  const std::wstring expected = Text(dir.path());
  wchar_t buffer[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectory(MAX_PATH, buffer), expected.size());
  EXPECT_EQ(std::wstring(buffer), expected);
  EXPECT_EQ(GetCurrentDirectory(0, nullptr), expected.size() + 1);
  EXPECT_EQ(GetCurrentDirectory(static_cast<DWORD>(expected.size()), buffer), expected.size() + 1);
  SetLastError(0);
  EXPECT_EQ(GetCurrentDirectory(5, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// A current folder deeper than MAX_PATH is read whole; only the buffer
// has to be large enough.
TEST(GetCurrentDirectory, FolderLongerThanMaxPath) {
  TempFolder dir;
  fs::path deep = dir.path();
  for (int i = 0; i < 20; ++i) deep /= std::string(60, static_cast<char>('a' + i));
  fs::create_directories(deep);
  ScopedCurrentFolder here(deep);
  const std::wstring expected = Text(deep);
  ASSERT_GT(expected.size(), static_cast<std::size_t>(MAX_PATH));
  std::wstring buffer(expected.size() + 1, L'\0');
  EXPECT_EQ(GetCurrentDirectory(static_cast<DWORD>(buffer.size()), &buffer[0]), expected.size());
  EXPECT_EQ(buffer.c_str(), expected);
  wchar_t small[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectory(MAX_PATH, small), expected.size() + 1);
}

// A removed current folder cannot be read; a relative TMPDIR then cannot
// be made absolute either.
TEST(GetCurrentDirectory, RemovedFolderFails) {
  TempFolder dir;
  fs::create_directory(dir / "gone");
  ScopedCurrentFolder here(dir / "gone");
  fs::remove(dir / "gone");
  wchar_t buffer[MAX_PATH];
  SetLastError(0);
  EXPECT_EQ(GetCurrentDirectory(MAX_PATH, buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  ScopedEnv tmpdir("TMPDIR", "relative");
  EXPECT_EQ(GetTempPath(MAX_PATH, buffer), 0u);
  ScopedEnv absolute("TMPDIR", "/var/tmp");
  EXPECT_EQ(GetTempPath(MAX_PATH, buffer), 9u);
  // A relative name has no full name without a current folder either.
  CFileStatus status{};
  status.m_szFullName[0] = L'x';
  SetLastError(0);
  EXPECT_EQ(CFile::GetStatus(L"file", status), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(std::wstring(status.m_szFullName), L"");
}

// --------------------------------------------------------- temporary files

// The name "<folder>\<up to 3 prefix units><hex>.TMP", returning the number.
void ExpectTempName(const std::wstring& name, const std::wstring& folder,
                    const std::wstring& prefix, UINT number) {
  wchar_t hex[8];
  std::swprintf(hex, 8, L"%X", number & 0xFFFF);
  EXPECT_EQ(name, folder + prefix + hex + L".TMP");
}

TEST(GetTempFileName, CreatesAPrivateEmptyFile) {
  TempFolder dir;
  const std::wstring folder = Text(dir.path()) + L"\\";
  struct Row {
    std::wstring path;
    const wchar_t* prefix;
    std::wstring used;
  };
  const Row rows[] = {
      {Text(dir.path()), L"TMP", L"TMP"},
      {Text(dir.path()) + L"\\", L"TMPfile", L"TMP"},  // three units of the prefix
      {Slashed(dir.path()), L"ab", L"ab"},
      {Slashed(dir.path()) + L"/", nullptr, L""},
      {Text(dir.path()), L"", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << Native(row.path.c_str()));
    wchar_t buffer[MAX_PATH];
    const UINT number = GetTempFileName(row.path.c_str(), row.prefix, 0, buffer);
    ASSERT_NE(number, 0u);
    EXPECT_LE(number, 0xFFFFu);
    ExpectTempName(buffer, folder, row.used, number);
    struct stat st;
    ASSERT_EQ(lstat(Native(buffer).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(st.st_size, 0);
  }
  // Ten more in the same folder: ten new names.
  std::set<std::wstring> names;
  for (int i = 0; i < 10; ++i) {
    wchar_t buffer[MAX_PATH];
    ASSERT_NE(GetTempFileName(folder.c_str(), L"X", 0, buffer), 0u);
    names.insert(buffer);
  }
  EXPECT_EQ(names.size(), 10u);
}

// With a number given nothing is created or tested.
TEST(GetTempFileName, GivenNumber) {
  TempFolder dir;
  const std::wstring folder = Text(dir.path());
  wchar_t buffer[MAX_PATH];
  EXPECT_EQ(GetTempFileName(folder.c_str(), L"pre", 0x12, buffer), 0x12u);
  EXPECT_EQ(std::wstring(buffer), folder + L"\\pre12.TMP");
  EXPECT_EQ(GetTempFileName(folder.c_str(), L"pre", 0x1ABCD, buffer), 0x1ABCDu);
  EXPECT_EQ(std::wstring(buffer), folder + L"\\preABCD.TMP");
  EXPECT_EQ(GetTempFileName(L"\\no\\such\\folder", L"p", 7, buffer), 7u);
  EXPECT_EQ(std::wstring(buffer), L"\\no\\such\\folder\\p7.TMP");
  EXPECT_TRUE(velut_test::Listing(dir.path()).empty());
}

TEST(GetTempFileName, Failures) {
  TempFolder dir;
  Touch(dir / "file");
  fs::create_symlink(dir / "loop", dir / "loop");
  struct Row {
    std::wstring path;
    DWORD error;
  };
  const Row rows[] = {
      {Text(dir / "loop"), ERROR_CANT_RESOLVE_FILENAME},  // a link to itself
      {Text(dir / "missing"), ERROR_DIRECTORY},
      {Text(dir / "file"), ERROR_DIRECTORY},  // a file, not a folder
      {L"", ERROR_DIRECTORY},
      {L"\\" + std::wstring(MAX_PATH - 14, L'x'), ERROR_BUFFER_OVERFLOW},  // one unit too many
      {L"\\" + std::wstring(5000, L'x'), ERROR_BUFFER_OVERFLOW},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path.size());
    wchar_t buffer[MAX_PATH] = L"junk";
    SetLastError(0);
    EXPECT_EQ(GetTempFileName(row.path.c_str(), L"TMP", 0, buffer), 0u);
    EXPECT_EQ(GetLastError(), row.error);
  }
  wchar_t buffer[MAX_PATH];
  SetLastError(0);
  EXPECT_EQ(GetTempFileName(nullptr, L"TMP", 0, buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetTempFileName(Text(dir.path()).c_str(), L"TMP", 0, nullptr), 0u);
  EXPECT_EQ(velut_test::Listing(dir.path()), (std::set<std::string>{"file", "loop"}));
}

// The longest folder it takes, MAX_PATH - 14 units, still gives a name
// that fits the caller's MAX_PATH buffer.
TEST(GetTempFileName, LongestFolderFits) {
  TempFolder dir;
  const std::wstring folder = velut_test::MakeFolderOfLength(dir.path(), MAX_PATH - 14);
  ASSERT_EQ(folder.size(), MAX_PATH - 14);
  std::wstring buffer(MAX_PATH + 4, L'\uFFFF');
  const UINT number = GetTempFileName(folder.c_str(), L"TMP", 0, buffer.data());
  ASSERT_NE(number, 0u);
  EXPECT_LT(std::wcslen(buffer.c_str()), MAX_PATH);
  EXPECT_EQ(buffer.substr(MAX_PATH), std::wstring(4, L'\uFFFF'));
}

// Symbolic links planted under every name but one: the free name is the
// one created, and no link is followed. With every name planted, nothing
// is created at all.
TEST(GetTempFileName, NeverFollowsAPlantedLink) {
  TempFolder dir;
  fs::create_directory(dir / "target");
  const std::wstring folder = Text(dir / "t");
  fs::create_directory(dir / "t");
  const UINT free_number = 0xBEEF;
  for (UINT n = 1; n <= 0xFFFF; ++n) {
    if (n == free_number) continue;
    char name[16];
    std::snprintf(name, sizeof name, "P%X.TMP", n);
    // Half point at names that do not exist yet, half at an existing file.
    const fs::path target = n % 2 ? dir / "target" / name : dir / "target" / "exists";
    fs::create_symlink(target, dir / "t" / name);
  }
  Touch(dir / "target" / "exists");
  wchar_t buffer[MAX_PATH];
  EXPECT_EQ(GetTempFileName(folder.c_str(), L"P", 0, buffer), free_number);
  EXPECT_EQ(std::wstring(buffer), folder + L"\\PBEEF.TMP");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "t" / "PBEEF.TMP")));
  EXPECT_EQ(velut_test::Listing(dir / "target"), std::set<std::string>{"exists"});
  EXPECT_EQ(fs::file_size(dir / "target" / "exists"), 1u);

  SetLastError(0);
  EXPECT_EQ(GetTempFileName(folder.c_str(), L"P", 0, buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(velut_test::Listing(dir / "target"), std::set<std::string>{"exists"});
}

TEST(GetTempFileName, ReadOnlyFolder) {
  TempFolder dir;
  const std::wstring folder = Text(dir.path());
  for (const ReadOnlyBy how : {ReadOnlyBy::kMount, ReadOnlyBy::kUnprivilegedUser}) {
    SCOPED_TRACE(static_cast<int>(how));
    const int result = RunWhereReadOnly(dir.path(), how, [&] {
      wchar_t buffer[MAX_PATH];
      SetLastError(0);
      if (GetTempFileName(folder.c_str(), L"TMP", 0, buffer) != 0) return 1;
      const DWORD error = GetLastError();
      return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT ? 0 : 2;
    });
    EXPECT_EQ(result, 0);
  }
  EXPECT_TRUE(velut_test::Listing(dir.path()).empty());
}

// --------------------------------------------------------- removal

TEST(DeleteFile, RemovesFilesAndLinksOnly) {
  TempFolder dir;
  Touch(dir / "a.txt");
  Touch(dir / "target");
  fs::create_symlink(dir / "target", dir / "link");
  fs::create_directory(dir / "sub");
  EXPECT_EQ(DeleteFile(Text(dir / "a.txt").c_str()), TRUE);
  EXPECT_FALSE(fs::exists(dir / "a.txt"));
  EXPECT_EQ(DeleteFile(Slashed(dir / "link").c_str()), TRUE);
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "link")));
  EXPECT_TRUE(fs::exists(dir / "target"));
  struct Row {
    std::wstring path;
    DWORD error;
  };
  const Row rows[] = {
      {Text(dir / "a.txt"), ERROR_FILE_NOT_FOUND},
      {Text(dir / "none" / "a.txt"), ERROR_PATH_NOT_FOUND},
      {Text(dir / "sub"), ERROR_ACCESS_DENIED},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << Native(row.path.c_str()));
    SetLastError(0);
    EXPECT_EQ(DeleteFile(row.path.c_str()), FALSE);
    EXPECT_EQ(GetLastError(), row.error);
  }
  EXPECT_TRUE(fs::is_directory(dir / "sub"));
  EXPECT_EQ(DeleteFile(nullptr), FALSE);
}

// --------------------------------------------------------- status

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

TEST(CFileGetStatus, RegularFileAndFolder) {
  TempFolder dir;
  { std::ofstream(dir / "a.txt") << "12345"; }
  const struct timespec times[2] = {{1000000000, 0}, {1234567890, 0}};  // access, modification
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "a.txt").c_str(), times, 0), 0);
  CFileStatus status{};
  ASSERT_EQ(CFile::GetStatus(Slashed(dir / "a.txt").c_str(), status), TRUE);
  EXPECT_EQ(std::wstring(status.m_szFullName), Text(dir / "a.txt"));
  EXPECT_EQ(status.m_size, 5u);
  EXPECT_EQ(status.m_attribute, CFile::archive);
  EXPECT_EQ(status.m_mtime.GetTime(), 1234567890);
  EXPECT_EQ(status.m_atime.GetTime(), 1000000000);
  EXPECT_GT(status.m_ctime.GetTime(), 1234567890);  // made just now
  EXPECT_LE(status.m_ctime.GetTime(), Now());

  CFileStatus folder{};
  ASSERT_EQ(CFile::GetStatus((Text(dir.path()) + L"\\.\\").c_str(), folder), TRUE);
  EXPECT_EQ(std::wstring(folder.m_szFullName), Text(dir.path()) + L"\\");
  EXPECT_EQ(folder.m_attribute, CFile::directory);
  EXPECT_EQ(folder.m_size, 0u);
}

TEST(CFileGetStatus, Attributes) {
  TempFolder dir;
  Touch(dir / ".hidden");
  Touch(dir / "locked");
  fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::group_read);
  fs::create_directory(dir / ".config");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  struct Row {
    const char* name;
    BYTE attribute;
  };
  const Row rows[] = {
      {".hidden", CFile::archive | CFile::hidden},
      {"locked", CFile::archive | CFile::readOnly},
      {".config", CFile::directory | CFile::hidden},
      {"fifo", CFile::system},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CFileStatus status{};
    ASSERT_EQ(CFile::GetStatus(Text(dir / row.name).c_str(), status), TRUE);
    EXPECT_EQ(status.m_attribute, row.attribute);
  }
}

TEST(CFileGetStatus, RelativeNamesGetTheirFullName) {
  TempFolder dir;
  Touch(dir / "sub" / "a.txt");
  ScopedCurrentFolder here(dir.path());
  for (const wchar_t* name : {L"sub\\a.txt", L"./sub/../sub/a.txt", L"C:sub\\a.txt"}) {
    SCOPED_TRACE(testing::Message() << Native(name));
    CFileStatus status{};
    if (name[0] == L'C') {
      // "C:sub" reads as "C:\\sub" for the full name but as "sub" on disk.
      EXPECT_EQ(CFile::GetStatus(name, status), TRUE);
      EXPECT_EQ(std::wstring(status.m_szFullName), L"C:\\sub\\a.txt");
      continue;
    }
    EXPECT_EQ(CFile::GetStatus(name, status), TRUE);
    EXPECT_EQ(std::wstring(status.m_szFullName), Text(dir / "sub" / "a.txt"));
  }
}

// Missing or unreachable: FALSE, with only the full name written.
TEST(CFileGetStatus, MissingFiles) {
  TempFolder dir;
  Touch(dir / "file");
  struct Row {
    std::wstring path;
    DWORD error;
  };
  const Row rows[] = {
      {Text(dir / "missing"), ERROR_FILE_NOT_FOUND},
      {Text(dir / "no" / "file"), ERROR_PATH_NOT_FOUND},
      {Text(dir / "file" / "x"), ERROR_PATH_NOT_FOUND},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << Native(row.path.c_str()));
    CFileStatus status{};
    SetLastError(0);
    EXPECT_EQ(CFile::GetStatus(row.path.c_str(), status), FALSE);
    EXPECT_EQ(GetLastError(), row.error);
    EXPECT_EQ(std::wstring(status.m_szFullName), row.path);
    EXPECT_EQ(status.m_size, 0u);
    EXPECT_EQ(status.m_attribute, 0);
    EXPECT_EQ(status.m_mtime.GetTime(), 0);
  }
  CFileStatus status{};
  EXPECT_EQ(CFile::GetStatus(nullptr, status), FALSE);
  // A full name of MAX_PATH units or more does not fit: "" and FALSE.
  for (const std::size_t length : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(length);
    const std::wstring name = L"\\" + std::wstring(length - 1, L'n');
    CFileStatus s{};
    s.m_szFullName[0] = L'x';
    EXPECT_EQ(CFile::GetStatus(name.c_str(), s), FALSE);
    EXPECT_EQ(std::wstring(s.m_szFullName), length < MAX_PATH ? name : L"");
  }
}

// A loop of symbolic links exists but has no status: a COleException*.
TEST(CFileGetStatus, LinkLoopThrowsOleException) {
  TempFolder dir;
  fs::create_symlink(dir / "b", dir / "a");
  fs::create_symlink(dir / "a", dir / "b");
  CFileStatus status{};
  const std::wstring name = Text(dir / "a");
  try {
    CFile::GetStatus(name.c_str(), status);
    ADD_FAILURE() << "no exception";
  } catch (COleException* e) {
    EXPECT_EQ(e->m_sc, HRESULT_FROM_WIN32(ERROR_CANT_RESOLVE_FILENAME));
    e->Delete();
  }
  EXPECT_EQ(std::wstring(status.m_szFullName), name);
  EXPECT_EQ(status.m_size, 0u);
  EXPECT_EQ(status.m_mtime.GetTime(), 0);
}

}  // namespace
