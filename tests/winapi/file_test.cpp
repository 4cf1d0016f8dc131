// File operations of the layer on real folders.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <WinAPI/WinAPI.h>

#include "support/boundary.h"
#include "support/rows.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using velut_test::Listing;
using velut_test::ReadOnlyBy;
using velut_test::RunWhereReadOnly;
using velut_test::ScopedCurrentFolder;
using velut_test::ScopedEnv;
using velut_test::Slashed;
using velut_test::TempFolder;
using velut_test::Text;
using velut_test::Touch;
using Names = std::set<std::string>;

// Both ways: drives, separators, non-UTF-8 bytes (U+DC80-U+DCFF); unnameable units refused.
TEST(PathToNative, BothWaysAndUnnameableUnits) {
  const std::tuple<const wchar_t*, const char*, bool> rows[] = {
      // null: ERROR_INVALID_NAME
      {L"c:/", "/", false},
      {L"C:", ".", false},  // the current folder of that drive
      {L"\\\\srv\\caf\u00E9 \U0001F600", "//srv/caf\xC3\xA9 \xF0\x9F\x98\x80", true},
      {L"a\xDCFF\xDCED\xDCA0\xDC80\uFFFD", "a\xFF\xED\xA0\x80\xEF\xBF\xBD",
       true},  // U+FFFD is real
      {L"", "", true},
      {L"a\xDC7F", nullptr, false},
      {nullptr, nullptr, false}};
  velut_test::ForEachRow(rows, [&](auto& text, auto& native, auto& both_ways) {
    std::string got = "junk";
    SetLastError(0);
    EXPECT_EQ(PathToNative(text, got), native != nullptr ? TRUE : FALSE);
    EXPECT_EQ(got, native != nullptr ? native : "");
    EXPECT_EQ(GetLastError(), native != nullptr ? 0u : ERROR_INVALID_NAME);
    EXPECT_EQ(both_ways ? NativeToPath(native) : L"", both_ways ? text : L"");
  });
}

// Existence, and why not: the file, or a folder on its way, is missing.
TEST(PathFileExists, FilesFoldersAndErrors) {
  TempFolder dir;
  Touch(dir / "a.txt");
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  ScopedCurrentFolder here(dir.path());
  const std::tuple<std::wstring, BOOL, BOOL, DWORD> rows[] = {
      // exists, a folder, the error
      {Slashed(dir / "a.txt"), TRUE, FALSE, 0},
      {L"C:" + Text(dir.path()) + L"\\", TRUE, FILE_ATTRIBUTE_DIRECTORY, 0},
      {Text(dir / "missing.txt"), FALSE, FALSE, ERROR_FILE_NOT_FOUND},
      {Text(dir / "no" / "such.txt"), FALSE, FALSE, ERROR_PATH_NOT_FOUND},
      {Text(dir / "a.txt" / "x"), FALSE, FALSE, ERROR_PATH_NOT_FOUND},
      {Text(dir / "dangling"), FALSE, FALSE, ERROR_FILE_NOT_FOUND},
      {L"/tmp/\xD800", FALSE, FALSE, ERROR_INVALID_NAME}};
  velut_test::ForEachRow(rows, [&](auto& path, auto& exists, auto& folder, auto& error) {
    SetLastError(0);
    EXPECT_EQ(PathFileExists(path.c_str()), exists);
    EXPECT_EQ(GetLastError(), error);
    EXPECT_EQ(PathIsDirectory(path.c_str()), folder);
  });
}

// TMPDIR made absolute, one separator at its end; too small a buffer is untouched, given the size.
TEST(GetTempPath, TmpdirMadeAbsolute) {
  TempFolder dir;
  ScopedCurrentFolder here(dir.path());
  const std::string longest = "/" + std::string(MAX_PATH - 3, 't'), over = longest + "t";
  const std::tuple<const char*, std::wstring> rows[] = {
      // TMPDIR (null: unset), the text
      {nullptr, L"\\tmp\\"},
      {"/var/./x/../tmp/", L"\\var\\tmp\\"},
      {"rel", Text(dir.path()) + L"\\rel\\"},
      {longest.c_str(), L"\\" + std::wstring(MAX_PATH - 3, L't') + L"\\"},  // MAX_PATH - 1 units
      {over.c_str(), L"\\" + std::wstring(MAX_PATH - 2, L't') + L"\\"}};
  velut_test::ForEachRow(rows, [&](auto& tmpdir, auto& folder) {
    ScopedEnv env("TMPDIR", tmpdir);
    std::wstring buffer = velut_test::GuardedBuffer(MAX_PATH);
    buffer[0] = L'\0';
    const bool fits = folder.size() < MAX_PATH;
    EXPECT_EQ(fits ? folder.size() : folder.size() + 1, GetTempPath(MAX_PATH, &buffer[0]))
        << "the units written, or those needed";
    EXPECT_EQ(fits ? folder : L"", buffer.c_str()) << "the text, or nothing";
    EXPECT_EQ(velut_test::Guard(), buffer.substr(MAX_PATH)) << "past the buffer";
  });
  SetLastError(0);
  EXPECT_EQ(GetTempPath(5, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// The current folder, however deep; a removed one: no text, nor a relative name's or TMPDIR's.
TEST(GetCurrentDirectory, AnyDepth) {
  TempFolder dir;
  const std::wstring deep = velut_test::MakeFolderOfLength(dir.path(), 1300);
  std::wstring buffer(deep.size() + 1, L'#');
  {
    ScopedCurrentFolder in_deep(velut_test::NativeOf(deep));
    EXPECT_EQ(GetCurrentDirectory(0, nullptr), buffer.size());
    EXPECT_EQ(GetCurrentDirectory(buffer.size() - 1, &buffer[0]), buffer.size());  // too small
    EXPECT_EQ(GetCurrentDirectory(buffer.size(), &buffer[0]), buffer.size() - 1);
    EXPECT_EQ(buffer.c_str(), deep);
  }
  EXPECT_EQ(GetCurrentDirectory(5, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  fs::create_directory(dir / "gone");
  ScopedCurrentFolder gone(dir / "gone");
  fs::remove(dir / "gone");
  CFileStatus status{};
  status.m_szFullName[0] = L'x';
  EXPECT_EQ(CFile::GetStatus(L"file", status), FALSE);
  EXPECT_EQ(std::wstring(status.m_szFullName), L"");
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetCurrentDirectory(MAX_PATH, &buffer[0]), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  ScopedEnv env("TMPDIR", "relative");
  EXPECT_EQ(GetTempPath(0, nullptr), 0u);
}

// "<folder>\<prefix, 3 units><hex>.TMP" made empty and private, unless a number is given.
TEST(GetTempFileName, NamesAndErrors) {
  TempFolder dir;
  Touch(dir / "file");
  fs::create_symlink(dir / "loop", dir / "loop");
  const std::wstring d = Text(dir.path());
  const std::wstring longest = velut_test::MakeFolderOfLength(dir / "long", MAX_PATH - 14);
  struct Row {
    const char* name;
    std::wstring folder, start;  // the name before the number
    DWORD error = 0;
    const wchar_t* prefix = L"T";
    UINT unique = 0;
  };
  const Row rows[] = {
      {"a prefix of 3 units", d, d + L"\\TMP", 0, L"TMPfile"},
      {"no prefix", Slashed(dir.path()) + L"/", d + L"\\", 0, nullptr},
      {"the longest folder", longest, longest + L"\\T"},
      {"a number given", d, d + L"\\pre", 0, L"pre", 0x1ABCD},
      {"a link to itself", Text(dir / "loop"), L"", ERROR_CANT_RESOLVE_FILENAME},
      {"no folder", Text(dir / "missing"), L"", ERROR_DIRECTORY},
      {"a file", Text(dir / "file"), L"", ERROR_DIRECTORY},
      {"a name too long", L"\\" + std::wstring(MAX_PATH - 15, L'x'), L"",
       ERROR_FILENAME_EXCED_RANGE},
      {"a folder too long", L"\\" + std::wstring(MAX_PATH - 14, L'x'), L"", ERROR_BUFFER_OVERFLOW}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    const auto& [name, folder, start, error, prefix, unique] = row;
    std::wstring buffer = velut_test::GuardedBuffer(MAX_PATH);
    SetLastError(0);
    const UINT n = GetTempFileName(folder.c_str(), prefix, unique, &buffer[0]);
    EXPECT_EQ(GetLastError(), error);
    const UINT expected = error != 0 ? 0 : unique != 0 ? unique : std::clamp(n, 1u, 0xFFFFu);
    EXPECT_EQ(expected, n) << "0 on failure, the number given, or one from 1 to 0xFFFF";
    wchar_t hex[16];
    std::swprintf(hex, 16, L"%X.TMP", n & 0xFFFF);
    EXPECT_EQ(error != 0 ? velut_test::GuardedBuffer(MAX_PATH) : start + hex, buffer.c_str())
        << "the name; a failure leaves the buffer as it was";
    EXPECT_EQ(velut_test::Guard(), buffer.substr(MAX_PATH)) << "past the buffer";
    struct stat st {};
    const bool made = lstat(velut_test::NativeOf(buffer.c_str()).c_str(), &st) == 0;
    EXPECT_EQ(error == 0 && unique == 0, made) << "a file is made unless a number is given";
    EXPECT_EQ(made ? 0600u : 0u, st.st_mode & 07777) << "private";
    EXPECT_EQ(0, st.st_size) << "empty";
  });
  EXPECT_EQ(GetTempFileName(d.c_str(), L"T", 0, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Listing(dir.path()).size(), 5u);  // file, loop, long and two new files
}

// Links planted under every name but one: that one is created, no link is followed.
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
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "t" / "PBEEF.TMP")));
  SetLastError(0);
  EXPECT_EQ(GetTempFileName(folder.c_str(), L"P", 0, buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(Listing(dir / "target"), Names{"exists"});
  EXPECT_EQ(fs::file_size(dir / "target" / "exists"), 1u);
}

TEST(GetTempFileName, ReadOnlyFolder) {
  TempFolder dir;
  const std::wstring folder = Text(dir.path());
  const auto fails_with = [&](DWORD error) {  // 0 when no file is made, for that reason
    return [&folder, error] {
      wchar_t buffer[MAX_PATH];
      SetLastError(0);
      return GetTempFileName(folder.c_str(), L"TMP", 0, buffer) == 0 && GetLastError() == error ? 0
                                                                                                : 1;
    };
  };
  const DWORD mounted = geteuid() == 0 ? ERROR_WRITE_PROTECT : ERROR_ACCESS_DENIED;
  EXPECT_EQ(RunWhereReadOnly(dir.path(), ReadOnlyBy::kMount, fails_with(mounted)), 0);
  EXPECT_EQ(
      RunWhereReadOnly(dir.path(), ReadOnlyBy::kUnprivilegedUser, fails_with(ERROR_ACCESS_DENIED)),
      0);
  EXPECT_TRUE(Listing(dir.path()).empty());
}

// Files and links go, not what a link points to, nor folders.
TEST(DeleteFile, RemovesFilesAndLinksOnly) {
  TempFolder dir;
  Touch(dir / "target");
  fs::create_symlink(dir / "target", dir / "link");
  fs::create_directory(dir / "sub");
  EXPECT_EQ(TRUE, DeleteFile(Slashed(dir / "link").c_str())) << "a link goes";
  EXPECT_EQ(FALSE, DeleteFile(Text(dir / "sub").c_str())) << "a folder stays";
  EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError()) << "the error for a folder";
  EXPECT_EQ(Listing(dir.path()), (Names{"sub", "target"}));
}

// The full name and attributes; a name too long gives "", a loop of links a COleException*.
TEST(CFileGetStatus, FullNameAndAttributes) {
  TempFolder dir;
  std::ofstream(dir / "a.txt") << "12345";
  const struct timespec times[2] = {{1000000000, 0}, {1234567890, 0}};  // access, modification
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "a.txt").c_str(), times, 0), 0);
  Touch(dir / "locked");
  fs::permissions(dir / "locked", fs::perms::owner_read);
  fs::create_directory(dir / ".config");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  fs::create_symlink(dir / "b", dir / "a");
  fs::create_symlink(dir / "a", dir / "b");
  ScopedCurrentFolder here(dir.path());
  const std::wstring d = Text(dir.path());
  const std::tuple<std::wstring, std::wstring, int, DWORD> rows[] = {
      // The name, its full name; the attributes, or -1 and the error.
      {L"./.config/../a.txt", d + L"\\a.txt", CFile::archive, 0},
      {L"C:a.txt", L"C:\\a.txt", CFile::archive, 0},  // "C:\\" named, "a.txt" read
      {d + L"\\.\\", d + L"\\", CFile::directory, 0},
      {L"locked", d + L"\\locked", CFile::archive | CFile::readOnly, 0},
      {L".config", d + L"\\.config", CFile::directory | CFile::hidden, 0},
      {L"fifo", d + L"\\fifo", CFile::system, 0},
      {L"missing", d + L"\\missing", -1, ERROR_FILE_NOT_FOUND},
      {L"fifo\\x", d + L"\\fifo\\x", -1, ERROR_PATH_NOT_FOUND},
      {L"\\" + std::wstring(MAX_PATH - 1, L'n'), L"", -1, ERROR_FILENAME_EXCED_RANGE}};
  velut_test::ForEachRow(rows, [&](auto& name, auto& full, auto& attributes, auto& error) {
    CFileStatus status{};
    status.m_szFullName[0] = L'x';  // cleared when no full name fits
    SetLastError(0);
    EXPECT_EQ(CFile::GetStatus(name.c_str(), status), attributes >= 0 ? TRUE : FALSE);
    EXPECT_EQ(GetLastError(), error);
    EXPECT_EQ(std::wstring(status.m_szFullName), full);
    EXPECT_EQ(status.m_attribute, attributes >= 0 ? attributes : 0);
  });
  CFileStatus status{};
  ASSERT_EQ(CFile::GetStatus(L"a.txt", status), TRUE);
  EXPECT_EQ(status.m_mtime.GetTime(), 1234567890);
  EXPECT_EQ(status.m_atime.GetTime(), 1000000000);
  EXPECT_GT(status.m_ctime.GetTime(), 1234567890);  // made just now
  try {
    CFile::GetStatus(L"a", status);
    ADD_FAILURE() << "no exception";
  } catch (COleException* e) {
    EXPECT_EQ(e->m_sc, HRESULT_FROM_WIN32(ERROR_CANT_RESOLVE_FILENAME));
    e->Delete();
  }
}

}  // namespace
