// PathFindExtension and PathFindFileName: the name parts of a path.
#include <string>

#include <gtest/gtest.h>

#include <WinAPI/Path.h>

namespace {

TEST(PathFindExtension, Table) {
  struct Row {
    const wchar_t* path;
    const wchar_t* ext;
  };
  const Row rows[] = {
      {L"C:\\Updates\\fix.MSP", L".MSP"},
      {L"patch.msp.bak", L".bak"},
      {L"C:\\dir.x\\readme", L""},
      {L"/dir.x/readme", L""},
      {L"a.b c", L""},  // an extension holds no blank
      {L"my file.msp", L".msp"},
      {L".msp", L".msp"},
      {L"name.", L"."},
      {L"", L""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.path));
    const wchar_t* ext = PathFindExtensionW(r.path);
    EXPECT_EQ(std::wstring(ext), r.ext);
    EXPECT_EQ(ext, r.path + std::wstring(r.path).size() - std::wstring(r.ext).size());
  }
  EXPECT_EQ(PathFindExtension(nullptr), nullptr);
}

TEST(PathFindFileName, Table) {
  struct Row {
    const wchar_t* path;
    const wchar_t* name;
  };
  const Row rows[] = {
      {L"C:\\dir\\file.txt", L"file.txt"},
      {L"/dir/file.txt", L"file.txt"},
      {L"C:\\dir\\", L"dir\\"},
      {L"C:file", L"file"},
      {L"name", L"name"},
      {L"\\", L"\\"},
      {L"", L""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.path));
    EXPECT_EQ(std::wstring(PathFindFileNameW(r.path)), r.name);
  }
  EXPECT_EQ(PathFindFileName(nullptr), nullptr);
}

}  // namespace
