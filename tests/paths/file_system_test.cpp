// The write probe on folders and the file status record, on real folders.
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using velut_test::Slashed;
using velut_test::Text;

// A folder in each form a caller may give it.
std::vector<std::wstring> Forms(const fs::path& path) {
  return {Text(path), Slashed(path) + L"/", L"C:" + Text(path), L"file:///C:" + Slashed(path)};
}

// A file or a path not made yet stands for its nearest folder; a long path
// climbs a folder at a time, and beyond the longest path the system opens
// passes over what cannot name a folder in one step. The probe file goes.
TEST(IsFolderReadOnly, Writable) {
  velut_test::TempFolder dir;
  velut_test::Touch(dir / "a.txt");
  fs::create_directory(dir / "sub");
  velut_test::ScopedCurrentFolder here(dir.path());
  std::vector<std::wstring> paths = {L"sub\\new", Text(dir / "a.txt")};
  for (const fs::path& p : {dir.path(), dir / "new" / "sub", dir / "new" / "f.txt"})
    for (const std::wstring& form : Forms(p)) paths.push_back(form);
  for (const wchar_t* piece : {L"\\n", L"//\\n"}) {
    for (const std::size_t units : {1023u, 1024u, 1025u, 4097u, 4098u, 4099u, 70000u}) {
      std::wstring path = Text(dir.path());
      while (path.size() + 3 <= units) path += piece;
      path.resize(units, L'n');
      paths.push_back(path);
    }
  }
  for (const std::wstring& path : paths) {
    SCOPED_TRACE(testing::Message() << path.size() << " units: " << path.substr(0, 40));
    EXPECT_EQ(VelUt::IsFolderReadOnly(path.c_str()), 0);
  }
  EXPECT_EQ(velut_test::Listing(dir.path()), (std::set<std::string>{"a.txt", "sub"}));
}

// 1 for URLs, nothing, a file URL of a file (probed as a folder), and where files cannot be made: a
// read-only folder in any form, a file or a path in it, and a missing drive, which names the root.
TEST(IsFolderReadOnly, NotWritable) {
  velut_test::TempFolder dir;
  velut_test::Touch(dir / "ro" / "a.txt");
  std::vector<std::wstring> paths = Forms(dir / "ro");
  for (const wchar_t* path : {L"http://h/x", L"www.ab.xx", L"file:/C:/tmp", L"", L"Q:\\no\\such"})
    paths.push_back(path);
  paths.push_back(Text(dir / "ro" / "a.txt"));
  paths.push_back(Text(dir / "ro" / "new" / "sub") + L"\\");
  EXPECT_EQ(VelUt::IsFolderReadOnly((L"file:///C:" + Slashed(dir / "ro" / "a.txt")).c_str()), 1);
  EXPECT_EQ(velut_test::RunWhereReadOnly(dir / "ro", velut_test::ReadOnlyBy::kUnprivilegedUser,
                                         [&] {
                                           int wrong = 0;
                                           for (const std::wstring& path : paths)
                                             wrong += VelUt::IsFolderReadOnly(path.c_str()) != 1;
                                           return wrong;
                                         }),
            0);
  EXPECT_EQ(velut_test::Listing(dir / "ro"), std::set<std::string>{"a.txt"});
}

// The record is cleared first; true also when the layer throws (a link loop).
TEST(GetFileStatus, ClearedFirst) {
  velut_test::TempFolder dir;
  std::ofstream(dir / "a.txt") << "hello";
  fs::create_symlink(dir / "loop2", dir / "loop1");
  fs::create_symlink(dir / "loop1", dir / "loop2");
  // The path, the result, and whether the record holds the file's status.
  const std::tuple<std::wstring, bool, bool> rows[] = {{Text(dir / "a.txt"), true, true},
                                                       {Text(dir / "loop1"), true, false}};
  for (const auto& [path, result, read] : rows) {
    SCOPED_TRACE(testing::Message() << path);
    CFileStatus status;
    std::memset(static_cast<void*>(&status), 0xA5, sizeof status);
    EXPECT_EQ(result, VelUt::GetFileStatus(path.c_str(), status));
    EXPECT_EQ(path, std::wstring(status.m_szFullName));
    for (std::size_t i = path.size(); i < MAX_PATH; ++i) ASSERT_EQ(0, status.m_szFullName[i]);
    EXPECT_EQ(read ? 5u : 0u, status.m_size) << "the size";
    EXPECT_EQ(read ? CFile::archive : 0, status.m_attribute) << "the attribute bits";
    EXPECT_EQ(0, status.m_padding) << "the padding is cleared";
    for (const CTime& t : {status.m_ctime, status.m_mtime, status.m_atime})
      EXPECT_EQ(read, t.GetTime() > 0) << "a time is set only when the file was read";
  }
}

}  // namespace
