// The write probe on folders and the file status record, on real folders.
#include <unistd.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using velut_test::Listing;
using velut_test::ReadOnlyBy;
using velut_test::RunWhereReadOnly;
using velut_test::ScopedCurrentFolder;
using velut_test::Slashed;
using velut_test::TempFolder;
using velut_test::Text;
using velut_test::Touch;

// ------------------------------------------------------------ IsFolderReadOnly

// The same folder in each form a caller may give it.
std::vector<std::wstring> Forms(const fs::path& path) {
  return {Text(path), Slashed(path), L"C:" + Text(path), L"file:///C:" + Slashed(path)};
}

TEST(IsFolderReadOnly, WritableFolderLeavesNothingBehind) {
  TempFolder dir;
  Touch(dir / "w" / "a.txt");
  const std::set<std::string> before = Listing(dir / "w");
  struct Row {
    fs::path path;
    const wchar_t* suffix;  // appended to the path text
  };
  const Row rows[] = {
      {dir / "w", L""},
      {dir / "w", L"\\"},
      {dir / "w" / "new" / "sub", L"\\"},  // not there yet: the nearest folder
      {dir / "w" / "new" / "file.txt", L""},
  };
  for (const Row& row : rows) {
    for (const std::wstring& form : Forms(row.path)) {
      const std::wstring path = form + row.suffix;
      SCOPED_TRACE(testing::Message() << "form " << std::string(path.begin(), path.begin() + 12));
      EXPECT_EQ(VelUt::IsFolderReadOnly(path.c_str()), 0);
      EXPECT_EQ(Listing(dir / "w"), before);
    }
  }
  // A file stands for its folder ...
  for (const std::wstring& path :
       {Text(dir / "w" / "a.txt"), Slashed(dir / "w" / "a.txt"), L"C:" + Text(dir / "w" / "a.txt")})
    EXPECT_EQ(VelUt::IsFolderReadOnly(path.c_str()), 0);
  // ... but not as a file URL: the test for a file reads the text before
  // the URL becomes a path, and the file itself is then probed as a folder.
  const std::wstring file_url = L"file:///C:" + Slashed(dir / "w" / "a.txt");
  EXPECT_EQ(VelUt::IsFolderReadOnly(file_url.c_str()), 1);
  EXPECT_EQ(Listing(dir / "w"), before);
}

// A Linux file URL drops its root with the leading slashes, so it names a
// path relative to the current folder: from "/" that is the folder itself.
TEST(IsFolderReadOnly, LinuxFileUrlFromTheRoot) {
  TempFolder dir;
  const std::wstring url = L"file://" + Slashed(dir.path());
  ScopedCurrentFolder root("/");
  EXPECT_EQ(VelUt::IsFolderReadOnly(url.c_str()), 0);
  EXPECT_TRUE(Listing(dir.path()).empty());
}

TEST(IsFolderReadOnly, UrlsAndNothingAtAll) {
  TempFolder dir;
  ScopedCurrentFolder here(dir.path());
  for (const wchar_t* path : {L"http://h/x", L"www.ab.xx", L"mailto:x", L"file:/C:/tmp", L"",
                              L"no\\such\\folder", L"no/such/"}) {
    SCOPED_TRACE(std::string(path, path + std::wcslen(path)));
    EXPECT_EQ(VelUt::IsFolderReadOnly(path), 1);
  }
  EXPECT_EQ(VelUt::IsFolderReadOnly(nullptr), 1);
  EXPECT_TRUE(Listing(dir.path()).empty());
  // A relative path below an existing folder probes that folder.
  fs::create_directory(dir / "sub");
  EXPECT_EQ(VelUt::IsFolderReadOnly(L"sub\\new\\deeper"), 0);
}

// Every drive letter names the root folder: a missing drive is probed as
// "/", where an unprivileged user cannot create files.
TEST(IsFolderReadOnly, DriveLettersNameTheRoot) {
  TempFolder dir;
  const int as_unprivileged = RunWhereReadOnly(dir.path(), ReadOnlyBy::kUnprivilegedUser, [] {
    return VelUt::IsFolderReadOnly(L"Q:\\no\\such\\folder");
  });
  EXPECT_EQ(as_unprivileged, 1);
}

// Where files really cannot be created, the answer is 1 for the folder in
// every form, for a file in it, and for paths below it that do not exist.
TEST(IsFolderReadOnly, ReadOnlyFolder) {
  TempFolder dir;
  Touch(dir / "ro" / "a.txt");
  const std::set<std::string> before = Listing(dir / "ro");
  std::vector<std::wstring> paths = Forms(dir / "ro");
  for (const std::wstring& form : Forms(dir / "ro" / "a.txt")) paths.push_back(form);
  paths.push_back(Text(dir / "ro" / "new" / "sub") + L"\\");
  for (const ReadOnlyBy how : {ReadOnlyBy::kMount, ReadOnlyBy::kUnprivilegedUser}) {
    SCOPED_TRACE(how == ReadOnlyBy::kMount ? "read-only mount" : "unprivileged user");
    const int result = RunWhereReadOnly(dir / "ro", how, [&] {
      for (const std::wstring& path : paths)
        if (VelUt::IsFolderReadOnly(path.c_str()) != 1) return 1;
      // Under the read-only mount the folder above stays writable.
      if (how == ReadOnlyBy::kMount && geteuid() == 0)
        return VelUt::IsFolderReadOnly(Text(dir.path()).c_str()) == 0 ? 0 : 2;
      return 0;
    });
    EXPECT_EQ(result, 0);
  }
  EXPECT_EQ(Listing(dir / "ro"), before);
}

// A long path that does not exist is shortened one component at a time
// until an existing folder is found, never reading past a buffer; beyond
// the longest path the system opens, with runs of separators too.
TEST(IsFolderReadOnly, LongPathsClimbToTheirFolder) {
  TempFolder dir;
  for (const wchar_t* piece : {L"\\n", L"//\\n"}) {
    for (const std::size_t length : {1023u, 1024u, 1025u, 4097u, 4098u, 4099u, 70000u}) {
      SCOPED_TRACE(testing::Message() << length << " " << piece);
      std::wstring path = Text(dir.path());
      while (path.size() + 3 <= length) path += piece;
      path.resize(length, L'n');
      EXPECT_EQ(VelUt::IsFolderReadOnly(path.c_str()), 0);
    }
  }
  EXPECT_TRUE(Listing(dir.path()).empty());
}

// ------------------------------------------------------------ GetFileStatus

// The fields of a record that the layer writes besides the full name are
// all zero, and so is every unit after the name's terminator.
void ExpectClearedButName(const CFileStatus& status) {
  EXPECT_EQ(status.m_ctime.GetTime(), 0);
  EXPECT_EQ(status.m_mtime.GetTime(), 0);
  EXPECT_EQ(status.m_atime.GetTime(), 0);
  EXPECT_EQ(status.m_size, 0u);
  EXPECT_EQ(status.m_attribute, 0);
  EXPECT_EQ(status.m_padding, 0);
  for (std::size_t i = std::wcslen(status.m_szFullName); i < MAX_PATH; ++i)
    ASSERT_EQ(status.m_szFullName[i], L'\0') << i;
}

CFileStatus Garbage() {
  CFileStatus status;
  std::memset(static_cast<void*>(&status), 0xA5, sizeof status);
  status.m_szFullName[MAX_PATH - 1] = L'\0';
  return status;
}

TEST(GetFileStatus, ExistingFile) {
  TempFolder dir;
  std::ofstream(dir / "a.txt") << "hello";
  for (const std::wstring& path :
       {Text(dir / "a.txt"), Slashed(dir / "a.txt"), L"C:" + Text(dir / "a.txt")}) {
    SCOPED_TRACE(std::string(path.begin(), path.begin() + 5));
    CFileStatus status = Garbage();
    EXPECT_TRUE(VelUt::GetFileStatus(path.c_str(), status));
    EXPECT_EQ(status.m_size, 5u);
    EXPECT_EQ(status.m_attribute, CFile::archive);
    EXPECT_GT(status.m_mtime.GetTime(), 0);
    EXPECT_EQ(std::wstring(status.m_szFullName), path[0] == L'C' ? path : Text(dir / "a.txt"));
    for (std::size_t i = std::wcslen(status.m_szFullName); i < MAX_PATH; ++i)
      ASSERT_EQ(status.m_szFullName[i], L'\0') << i;
  }
}

// Missing: false, with only the full name that the layer wrote.
TEST(GetFileStatus, MissingFile) {
  TempFolder dir;
  CFileStatus status = Garbage();
  EXPECT_FALSE(VelUt::GetFileStatus(Text(dir / "missing").c_str(), status));
  EXPECT_EQ(std::wstring(status.m_szFullName), Text(dir / "missing"));
  ExpectClearedButName(status);
  status = Garbage();
  EXPECT_FALSE(VelUt::GetFileStatus(nullptr, status));
  EXPECT_EQ(status.m_szFullName[0], L'\0');
  ExpectClearedButName(status);
}

// The record is cleared first: a second call shows nothing of the first.
TEST(GetFileStatus, SecondCallShowsNothingOfTheFirst) {
  TempFolder dir;
  std::ofstream(dir / "a-long-name.txt") << "some content";
  CFileStatus status{};
  EXPECT_TRUE(VelUt::GetFileStatus(Text(dir / "a-long-name.txt").c_str(), status));
  EXPECT_EQ(status.m_size, 12u);
  EXPECT_FALSE(VelUt::GetFileStatus(Text(dir / "b").c_str(), status));
  EXPECT_EQ(std::wstring(status.m_szFullName), Text(dir / "b"));
  ExpectClearedButName(status);
}

// The layer throws COleException* for a file that is there but has no
// status (a loop of symbolic links): the result is true, with what the
// layer wrote before it threw, the full name.
TEST(GetFileStatus, OleExceptionIsTrue) {
  TempFolder dir;
  fs::create_symlink(dir / "b", dir / "a");
  fs::create_symlink(dir / "a", dir / "b");
  CFileStatus status = Garbage();
  EXPECT_TRUE(VelUt::GetFileStatus(Text(dir / "a").c_str(), status));
  EXPECT_EQ(std::wstring(status.m_szFullName), Text(dir / "a"));
  ExpectClearedButName(status);
}

TEST(GetFileStatus, FullNameBound) {
  for (const std::size_t length : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(length);
    const std::wstring path = L"\\" + std::wstring(length - 1, L'n');
    CFileStatus status = Garbage();
    EXPECT_FALSE(VelUt::GetFileStatus(path.c_str(), status));
    EXPECT_EQ(std::wstring(status.m_szFullName), length < MAX_PATH ? path : L"");
    ExpectClearedButName(status);
  }
}

}  // namespace
