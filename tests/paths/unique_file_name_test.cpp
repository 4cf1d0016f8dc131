// Free file names in real folders, and temporary names.
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/boundary.h"
#include "support/interpose.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace {

using Str = CStdStr<wchar_t>;
using velut_test::NativeOf;
using velut_test::Text;

std::function<void(const wchar_t* made)> g_after_temp_file_name;  // sees each file made

}  // namespace

// Bound before the layer's GetTempFileName, which it calls.
UINT GetTempFileName(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR buffer) {
  static const auto real = velut_test::Next(&GetTempFileName);
  const UINT number = real(path, prefix, unique, buffer);
  if (number != 0 && g_after_temp_file_name) g_after_temp_file_name(buffer);
  return number;
}

namespace {

// {the files in a fresh folder, the first (or "a.txt") asked for, the
// result}: the base comes first, then the numbers from 2. A URL is left
// alone, false when it names a file; a file URL is made a path first.
TEST(GetUniqueFileName, NumbersFrom2) {
  const std::pair<std::vector<std::string>, const char*> rows[] = {
      {{}, "a.txt"},
      {{"a_5.txt", "a.txt"}, "a_2.txt"},
      {{"a_1x.txt"}, "a_1x_2.txt"},
      {{"2024"}, "2024_2"},  // no extension, no underscore
      {{".bashrc"}, "_2.bashrc"},
  };
  for (const auto& [present, result] : rows) {
    const std::string asked = present.empty() ? "a.txt" : present[0];
    SCOPED_TRACE(asked);
    velut_test::TempFolder dir;
    for (const std::string& p : present) velut_test::Touch(dir / p);
    Str name(velut_test::Slashed(dir / asked));
    EXPECT_TRUE(VelUt::GetUniqueFileName(name));
    EXPECT_EQ(name, present.empty() ? velut_test::Slashed(dir / asked) : Text(dir / result));
    EXPECT_EQ(velut_test::Listing(dir.path()),
              std::set<std::string>(present.begin(), present.end()));
  }
  velut_test::TempFolder dir;
  velut_test::ScopedCurrentFolder here(dir.path());
  for (const char* file : {"www.ab.xx", "file:/x.txt", "x.txt"}) velut_test::Touch(dir / file);
  for (const auto& [before, result, after] :
       {std::tuple(L"http://h/a.txt", true, L"http://h/a.txt"),
        std::tuple(L"www.ab.xx", false, L"www.ab.xx"),
        std::tuple(L"file:\\x.txt", true, L"x_2.txt")}) {
    Str name(before);
    EXPECT_EQ(VelUt::GetUniqueFileName(name), result);
    EXPECT_EQ(name, after);
  }
}

// The candidate is made in a 1024-unit array: one that does not fit gives
// "", and so does a name whose number the array cuts off.
TEST(GetUniqueFileName, CandidateArrayBound) {
  velut_test::TempFolder dir;
  velut_test::ForBufferLengths([&](std::size_t units) {  // folder + "\a_2.txt"
    const std::wstring folder =
        velut_test::MakeFolderOfLength(dir.path(), std::min<std::size_t>(units, 2000) - 8);
    velut_test::Touch(NativeOf(folder + L"\\a.txt"));
    Str name(folder + L"\\a.txt");
    EXPECT_TRUE(VelUt::GetUniqueFileName(name));
    EXPECT_EQ(name, units < 1024 ? folder + L"\\a_2.txt" : L"");
  });
  for (const std::wstring& text : {std::wstring(1030, L'/'), L"/" + std::wstring(1100, L'\\')}) {
    Str name(text);
    EXPECT_TRUE(VelUt::GetUniqueFileName(name));
    EXPECT_EQ(name, L"");
  }
}

// GetTempFileName's name with the extension asked for, numbered when taken;
// the folder goes into a 1024-unit array; without it there is no name.
TEST(GetTempFile, Names) {
  velut_test::TempFolder tmp;
  velut_test::ScopedEnv tmpdir("TMPDIR", tmp.path().c_str());
  std::wstring taken;  // another process takes "<name>.dat" meanwhile
  g_after_temp_file_name = [&](const wchar_t* made) {
    taken = std::wstring(made, std::wcslen(made) - 4) + L".dat";
    velut_test::Touch(NativeOf(taken));
  };
  const std::wstring renamed = VelUt::GetTempFile(L"TMP", L".dat").c_str();
  g_after_temp_file_name = nullptr;
  EXPECT_EQ(renamed, taken.substr(0, taken.size() - 4) + L"_2.dat");
  EXPECT_EQ(velut_test::Listing(tmp.path()).size(), 1u);
  velut_test::ForBufferLengths([](std::size_t units) {
    const std::string value = "/" + std::string(units - 2, 't');  // "\ttt...\"
    velut_test::ScopedEnv tmpdir("TMPDIR", value.c_str());
    EXPECT_EQ(std::wstring(VelUt::GetTempFile(L"TMP", L".dat").c_str()), L"");
  });
  std::filesystem::create_directory(tmp / "gone");
  velut_test::ScopedCurrentFolder here(tmp / "gone");
  std::filesystem::remove(tmp / "gone");
  velut_test::ScopedEnv relative("TMPDIR", "relative");
  EXPECT_EQ(std::wstring(VelUt::GetTempFile(L"TMP", nullptr).c_str()), L"");
}

}  // namespace
