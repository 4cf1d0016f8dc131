// Relative and absolute paths against a base folder, in Windows and Linux
// forms.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

namespace {

std::string Show(const wchar_t* s) {
  std::string out;
  for (; *s; ++s) out += *s < 0x80 ? static_cast<char>(*s) : '?';
  return out;
}

TEST(RelativeToAbsolutePath, Table) {
  struct Row {
    const wchar_t* relative;
    const wchar_t* base;
    const wchar_t* absolute;
  };
  const Row rows[] = {
      {L"a\\b.txt", L"C:\\dir", L"C:\\dir\\a\\b.txt"},
      {L"..\\b.txt", L"C:\\dir\\sub", L"C:\\dir\\b.txt"},
      {L"D:\\x.txt", L"C:\\dir", L"D:\\x.txt"},  // already absolute
      {L"D:\\x.txt", L"not even a folder", L"D:\\x.txt"},
      {L"\\x.txt", L"C:\\dir", L"\\x.txt"},  // rooted: not relative, kept
      {L"a/b.txt", L"/home/u", L"\\home\\u\\a\\b.txt"},
      {L"../v/./b.txt", L"/home/u", L"\\home\\v\\b.txt"},
      {L"/etc/x", L"/home/u", L"/etc/x"},
      {L"..\\..\\..\\x", L"C:\\a", L"C:\\x"},  // the root is not climbed
      {L"b", L"rel\\dir", L"rel\\dir\\b"},
      {L"..\\..\\b", L"rel", L"..\\b"},  // a relative base keeps its ".."
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Show(row.relative) + " on " + Show(row.base));
    VelString absolute(L"junk");
    EXPECT_TRUE(VelUt::RelativeToAbsolutePath(row.relative, row.base, absolute));
    EXPECT_EQ(std::wstring(absolute.c_str()), row.absolute);
  }
}

TEST(RelativeToAbsolutePath, EmptyInputsLeaveTheOutput) {
  VelString absolute(L"before");
  EXPECT_FALSE(VelUt::RelativeToAbsolutePath(L"", L"C:\\dir", absolute));
  EXPECT_FALSE(VelUt::RelativeToAbsolutePath(L"a.txt", L"", absolute));
  EXPECT_FALSE(VelUt::RelativeToAbsolutePath(L"", L"", absolute));
  EXPECT_EQ(std::wstring(absolute.c_str()), L"before");
}

// The joined path must fit the 1024-unit buffer; when it does not, the
// layer writes nothing and the result is "".
TEST(RelativeToAbsolutePath, BufferBound) {
  for (const std::size_t length : {1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(length);
    const std::wstring base = L"C:\\" + std::wstring(length - 9, L'b');  // + "\\a.txt"
    VelString absolute;
    EXPECT_TRUE(VelUt::RelativeToAbsolutePath(L"a.txt", base.c_str(), absolute));
    EXPECT_EQ(std::wstring(absolute.c_str()), length < 1024 ? base + L"\\a.txt" : L"");
  }
}

TEST(AbsoluteToRelativePath, Table) {
  struct Row {
    const wchar_t* absolute;
    const wchar_t* base;
    const wchar_t* relative;
  };
  const Row rows[] = {
      {L"C:\\dir\\sub\\a.txt", L"C:\\dir", L".\\sub\\a.txt"},
      {L"c:\\DIR\\a.txt", L"C:\\dir", L".\\a.txt"},          // the base test ignores case
      {L"C:\\dir2\\a.txt", L"C:\\dir", L"..\\dir2\\a.txt"},  // a text prefix, not a folder
      {L"D:\\x.txt", L"C:\\dir", L"D:\\x.txt"},              // not under the base
      {L"a.txt", L"C:\\dir", L"a.txt"},                      // relative: kept
      {L"C:\\d", L"C:\\dir", L"C:\\d"},                      // shorter than the base
      {L"C:\\dir", L"C:\\dir", L"."},
      {L"/home/u/docs/a.txt", L"/home/u", L".\\docs\\a.txt"},
      {L"/home/u2/a", L"/home/u", L"..\\u2\\a"},
      {L"/usr/x", L"/home/u", L"/usr/x"},
      // The base "/" admits every path, but a lone root is no common
      // prefix for the layer: the path stays absolute.
      {L"/usr/x", L"/", L"/usr/x"},
      {L"\\\\srv\\share\\a\\b", L"\\\\srv\\share\\a", L".\\b"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Show(row.absolute) + " from " + Show(row.base));
    VelString relative(L"junk");
    EXPECT_TRUE(VelUt::AbsoluteToRelativePath(row.absolute, row.base, relative));
    EXPECT_EQ(std::wstring(relative.c_str()), row.relative);
  }
}

TEST(AbsoluteToRelativePath, EmptyInputsLeaveTheOutput) {
  VelString relative(L"before");
  EXPECT_FALSE(VelUt::AbsoluteToRelativePath(L"", L"C:\\dir", relative));
  EXPECT_FALSE(VelUt::AbsoluteToRelativePath(L"C:\\dir\\a", L"", relative));
  EXPECT_EQ(std::wstring(relative.c_str()), L"before");
}

// A relative result that would not fit 1024 units leaves the copy of the
// absolute path.
TEST(AbsoluteToRelativePath, BufferBound) {
  for (const std::size_t length : {1023u, 1024u, 1025u, 1026u, 1027u, 5000u}) {
    SCOPED_TRACE(length);
    const std::wstring name(length - 5, L'd');
    const std::wstring deep = L"C:\\b\\" + name;  // `length` units
    const std::wstring relative_form = L".\\" + name;
    VelString relative;
    EXPECT_TRUE(VelUt::AbsoluteToRelativePath(deep.c_str(), L"C:\\b", relative));
    EXPECT_EQ(std::wstring(relative.c_str()), relative_form.size() < 1024 ? relative_form : deep);
  }
}

}  // namespace
