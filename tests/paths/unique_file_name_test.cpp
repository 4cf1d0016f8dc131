// Free file names in real folders, temporary names, and the bounded
// formatter behind them.
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "paths/layer_hooks.h"
#include "platform/MsSwprintf.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Str = CStdStr<wchar_t>;
using velut_test::Listing;
using velut_test::ScopedCurrentFolder;
using velut_test::ScopedEnv;
using velut_test::Slashed;
using velut_test::TempFolder;
using velut_test::Text;
using velut_test::Touch;

std::string Narrow(const std::wstring& s) { return velut_test::NativeOf(s); }

// ------------------------------------------------------------ ms_swprintf

TEST(MsSwprintf, ClearsTheWholeArray) {
  wchar_t buffer[1024];
  std::wmemset(buffer, L'#', 1024);
  EXPECT_EQ(ms_swprintf(buffer, L"%s_%d%s", L"a", 2, L".txt"), 7);
  EXPECT_EQ(std::wstring(buffer), L"a_2.txt");
  for (int i = 7; i < 1024; ++i) ASSERT_EQ(buffer[i], L'\0') << i;
}

TEST(MsSwprintf, BufferBound) {
  for (const std::size_t length : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(length);
    const std::wstring text(length, L'x');
    wchar_t buffer[1024];
    const int written = ms_swprintf(buffer, L"%s", text.c_str());
    EXPECT_EQ(written, length < 1024 ? static_cast<int>(length) : -1);
    EXPECT_EQ(std::wstring(buffer), text.substr(0, 1023));
  }
}

// ------------------------------------------------------------ GetUniqueFileName

// Each row fills a fresh folder with `present` and asks for `name`; the
// Windows form ("C:" and backslashes) and the Linux form (slashes) of the
// same path both give the backslashed result.
TEST(GetUniqueFileName, NumbersTheBaseInRealFolders) {
  struct Row {
    std::vector<std::string> present;
    const char* name;
    const char* result;
  };
  const Row rows[] = {
      {{}, "a.txt", "a.txt"},  // free: unchanged
      {{"a.txt"}, "a.txt", "a_2.txt"},
      {{"a.txt", "a_2.txt"}, "a.txt", "a_3.txt"},
      {{"a.txt", "a_2.txt", "a_3.txt", "a_4.txt"}, "a_3.txt", "a_5.txt"},
      {{"a_5.txt"}, "a_5.txt", "a.txt"},  // the base comes first
      {{"a_5.txt", "a.txt"}, "a_5.txt", "a_2.txt"},
      {{"a_5.txt", "a.txt", "a_2.txt"}, "a_5.txt", "a_3.txt"},
      {{"a_b_3.txt"}, "a_b_3.txt", "a_b.txt"},
      {{"a_3_b.txt"}, "a_3_b.txt", "a_3_b_2.txt"},
      {{"a_007.txt"}, "a_007.txt", "a.txt"},
      {{"a_.txt"}, "a_.txt", "a.txt"},
      {{"a_1x.txt"}, "a_1x.txt", "a_1x_2.txt"},
      {{"readme"}, "readme", "readme_2"},  // no extension
      {{"readme", "readme_2"}, "readme", "readme_3"},
      {{"r.tar.gz"}, "r.tar.gz", "r.tar_2.gz"},
      {{"my file.txt"}, "my file.txt", "my file_2.txt"},
      {{"a.b c"}, "a.b c", "a.b c_2"},        // a blank: no extension
      {{".bashrc"}, ".bashrc", "_2.bashrc"},  // all extension, empty base
      {{"d\xC3\xA9j\xC3\xA0.txt"}, "d\xC3\xA9j\xC3\xA0.txt", "d\xC3\xA9j\xC3\xA0_2.txt"},
  };
  for (const Row& row : rows) {
    for (const bool windows_form : {true, false}) {
      SCOPED_TRACE(testing::Message() << row.name << (windows_form ? " (C:\\)" : " (/)"));
      TempFolder dir;
      for (const std::string& p : row.present) Touch(dir / p);
      const std::set<std::string> before = Listing(dir.path());
      Str name(windows_form ? L"C:" + Text(dir / row.name) : Slashed(dir / row.name));
      const Str original = name;
      EXPECT_TRUE(VelUt::GetUniqueFileName(name));
      if (row.present.empty()) {
        EXPECT_EQ(name, original);
      } else {
        EXPECT_EQ(name, (windows_form ? L"C:" : L"") + Text(dir / row.result));
      }
      EXPECT_EQ(Listing(dir.path()), before);  // nothing is created
    }
  }
}

// From a folder's own path, relative to the current folder.
TEST(GetUniqueFileName, RelativeNames) {
  TempFolder dir;
  Touch(dir / "sub" / "a.txt");
  Touch(dir / "b.txt");
  ScopedCurrentFolder here(dir.path());
  Str name(L"sub\\a.txt");
  EXPECT_TRUE(VelUt::GetUniqueFileName(name));
  EXPECT_EQ(name, L"sub\\a_2.txt");
  name = L"b.txt";
  EXPECT_TRUE(VelUt::GetUniqueFileName(name));
  EXPECT_EQ(name, L"b_2.txt");
}

// A URL that names an existing file is refused and left alone; a file URL
// that exists as a path is converted first.
TEST(GetUniqueFileName, UrlTexts) {
  TempFolder dir;
  ScopedCurrentFolder here(dir.path());
  Str missing(L"http://h/a.txt");
  EXPECT_TRUE(VelUt::GetUniqueFileName(missing));
  EXPECT_EQ(missing, L"http://h/a.txt");

  Touch(dir / "www.ab.xx");
  Str url(L"www.ab.xx");
  EXPECT_FALSE(VelUt::GetUniqueFileName(url));
  EXPECT_EQ(url, L"www.ab.xx");

  // "file:\\x.txt" names ./file:/x.txt, and as a file URL the path "x.txt".
  Touch(dir / "file:" / "x.txt");
  Str file_url(L"file:\\x.txt");
  EXPECT_TRUE(VelUt::GetUniqueFileName(file_url));
  EXPECT_EQ(file_url, L"x.txt");
  Touch(dir / "x.txt");
  file_url = L"file:\\x.txt";
  EXPECT_TRUE(VelUt::GetUniqueFileName(file_url));
  EXPECT_EQ(file_url, L"x_2.txt");
}

// The candidate lives in a 1024-unit array: a folder and name that do not
// fit give "" (the layer's PathAppend empties the path it cannot extend).
TEST(GetUniqueFileName, CandidateArrayBound) {
  TempFolder dir;
  // "\\a_2.txt" is 8 units: the candidate is folder + 8.
  for (const std::size_t candidate : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(candidate);
    const std::wstring folder =
        velut_test::MakeFolderOfLength(dir.path(), std::min<std::size_t>(candidate, 2000) - 8);
    Touch(Narrow(folder + L"\\a.txt"));
    Str name(folder + L"\\a.txt");
    EXPECT_TRUE(VelUt::GetUniqueFileName(name));
    EXPECT_EQ(name, candidate < 1024 ? folder + L"\\a_2.txt" : L"");
  }
}

// A name whose number the formatter cuts off names the same candidate for
// every number: it cannot be numbered, and the result is "".
TEST(GetUniqueFileName, NamesThatCannotBeNumbered) {
  const std::wstring names[] = {std::wstring(1030, L'/'), std::wstring(1030, L'\\'),
                                L"/" + std::wstring(1100, L'\\')};
  for (const std::wstring& name : names) {
    SCOPED_TRACE(name.size());
    Str text(name);
    EXPECT_TRUE(VelUt::GetUniqueFileName(text));
    EXPECT_EQ(text, L"");
  }
}

// ------------------------------------------------------------ GetTempFile

class GetTempFileTest : public testing::Test {
 protected:
  void TearDown() override { velut_test::g_after_temp_file_name = nullptr; }
  TempFolder tmp_;
};

TEST_F(GetTempFileTest, LeavesNothingBehind) {
  ScopedEnv tmpdir("TMPDIR", tmp_.path().c_str());
  const std::wstring folder = Text(tmp_.path()) + L"\\";
  struct Row {
    const wchar_t* prefix;
    const wchar_t* extension;
    const char* shape;  // of the file name
  };
  const Row rows[] = {
      {L"TMP", nullptr, "TMP[0-9A-F]{1,4}\\.TMP"},
      {L"report", nullptr, "rep[0-9A-F]{1,4}\\.TMP"},
      {nullptr, nullptr, "[0-9A-F]{1,4}\\.TMP"},
      {L"TMP", L".dat", "TMP[0-9A-F]{1,4}\\.dat"},
      {L"x", L"", "x[0-9A-F]{1,4}"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shape);
    Touch(tmp_ / "other");
    const std::set<std::string> before = Listing(tmp_.path());
    const std::wstring name = VelUt::GetTempFile(row.prefix, row.extension).c_str();
    ASSERT_EQ(name.substr(0, folder.size()), folder);
    EXPECT_TRUE(std::regex_match(Narrow(name.substr(folder.size())), std::regex(row.shape)));
    EXPECT_EQ(Listing(tmp_.path()), before);
    EXPECT_FALSE(PathFileExists(name.c_str()));
  }
}

// When a file of the renamed name exists, the name is numbered. The hook
// plays the other process that took "<name>.dat" meanwhile.
TEST_F(GetTempFileTest, RenamedNameThatExistsIsNumbered) {
  ScopedEnv tmpdir("TMPDIR", tmp_.path().c_str());
  std::wstring taken;
  velut_test::g_after_temp_file_name = [&](const wchar_t* created) {
    taken = created;
    PathRenameExtension(taken.data(), L".dat");
    taken.resize(std::wcslen(taken.c_str()));
    Touch(Narrow(taken));
  };
  const std::wstring name = VelUt::GetTempFile(L"TMP", L".dat").c_str();
  ASSERT_FALSE(taken.empty());
  EXPECT_EQ(name, taken.substr(0, taken.size() - 4) + L"_2.dat");
  EXPECT_EQ(Listing(tmp_.path()),
            std::set<std::string>{Narrow(taken).substr(tmp_.path().string().size() + 1)});
}

TEST_F(GetTempFileTest, NoFolderOrNoName) {
  {
    ScopedEnv tmpdir("TMPDIR", (tmp_.path() / "missing").c_str());
    EXPECT_EQ(std::wstring(VelUt::GetTempFile(L"TMP", L".dat").c_str()), L"");
  }
  {
    // A TMPDIR that does not fit the 1024-unit array: GetTempPath writes
    // nothing, and an empty folder names none.
    const std::string long_value = "/" + std::string(1100, 't');
    ScopedEnv tmpdir("TMPDIR", long_value.c_str());
    EXPECT_EQ(std::wstring(VelUt::GetTempFile(L"TMP", nullptr).c_str()), L"");
  }
  {
    // Neither the temporary folder nor the current folder can be read.
    fs::create_directory(tmp_ / "gone");
    ScopedCurrentFolder here(tmp_ / "gone");
    fs::remove(tmp_ / "gone");
    ScopedEnv tmpdir("TMPDIR", "relative");
    EXPECT_EQ(std::wstring(VelUt::GetTempFile(L"TMP", nullptr).c_str()), L"");
  }
  EXPECT_TRUE(Listing(tmp_.path()).empty());
}

// The temporary folder goes into a 1024-unit array: a TMPDIR that does not
// fit it, or fits it but is too long for GetTempFileName, gives "".
TEST_F(GetTempFileTest, TemporaryFolderArrayBound) {
  for (const std::size_t units : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(units);
    const std::string value = "/" + std::string(units - 2, 't');  // "\ttt...\": `units`
    ScopedEnv tmpdir("TMPDIR", value.c_str());
    EXPECT_EQ(std::wstring(VelUt::GetTempFile(L"TMP", L".dat").c_str()), L"");
  }
}

// The renamed name is made in a 1024-unit buffer: an extension that would
// not fit leaves the name GetTempFileName gave.
TEST_F(GetTempFileTest, RenameBufferBound) {
  ScopedEnv tmpdir("TMPDIR", tmp_.path().c_str());
  const std::wstring folder = Text(tmp_.path()) + L"\\";
  for (const std::size_t units : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(units);
    // The extension is sized so that a 4-digit number makes the renamed
    // name `units` units long (fewer digits make it shorter); the hook
    // tells the name actually made.
    std::wstring stem;
    velut_test::g_after_temp_file_name = [&](const wchar_t* created) {
      stem = created;
      stem.resize(stem.size() - 4);  // less ".TMP"
    };
    const std::wstring extension = L"." + std::wstring(units - folder.size() - 6, L'e');
    const std::wstring name = VelUt::GetTempFile(L"P", extension.c_str()).c_str();
    ASSERT_FALSE(stem.empty());
    const std::wstring renamed = stem + extension;
    EXPECT_EQ(name, renamed.size() < 1024 ? renamed : stem + L".TMP");
    EXPECT_TRUE(Listing(tmp_.path()).empty());
  }
}

// GetTempFileName takes folders of up to 1010 units (MAX_PATH - 14).
TEST_F(GetTempFileTest, TemporaryFolderBound) {
  for (const std::size_t units : {1009u, 1010u, 1011u}) {
    SCOPED_TRACE(units);
    // A TMPDIR of units - 1 bytes: GetTempPath adds the final separator.
    const std::string value = Narrow(velut_test::MakeFolderOfLength(tmp_.path(), units - 1));
    ScopedEnv tmpdir("TMPDIR", value.c_str());
    const std::wstring name = VelUt::GetTempFile(L"TMP", nullptr).c_str();
    if (units <= 1010) {
      EXPECT_EQ(name.substr(0, units), NativeToPath(value.c_str()) + L"\\");
    } else {
      EXPECT_EQ(name, L"");
    }
    EXPECT_TRUE(Listing(value).empty());
    fs::remove_all(tmp_.path() / value.substr(tmp_.path().string().size() + 1, 200));
  }
}

}  // namespace
