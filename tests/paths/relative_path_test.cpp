// Relative and absolute paths against a base folder.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;
using Convert = bool (*)(const VelString&, const VelString&, VelString&);

// The row's text converted against `base` into an output that held "junk".
std::function<int(Str&)> With(Convert convert, const std::wstring& base) {
  return [convert, base](Str& s) {
    VelString out(L"junk");
    const bool result = convert(s.c_str(), base.c_str(), out);
    s = out.c_str();
    return result;
  };
}

// Empty inputs are refused; an absolute path is kept, and so is one not under the base by a
// case-blind text test; the layer writes nothing for a joined path too long, and fails for a
// relative one too long or for the root as the base, which keeps the copy.
TEST(RelativePaths, AgainstABase) {
  const auto absolute = With(VelUt::RelativeToAbsolutePath, L"C:\\dir\\sub");
  const auto relative = With(VelUt::AbsoluteToRelativePath, L"C:\\dir");
  const std::wstring deep = L"C:\\dir\\" + std::wstring(1030, L'd');
  const velut_test::EditRow rows[] = {
      {L"D:\\x.txt", absolute, L"D:\\x.txt", 1},
      {L"", absolute, L"junk", 0},
      {L"a.txt", With(VelUt::RelativeToAbsolutePath, L""), L"junk", 0},
      {L"a.txt", With(VelUt::RelativeToAbsolutePath, deep), L"", 1},
      {L"c:\\DIR\\a.txt", relative, L".\\a.txt", 1},
      {L"a.txt", relative, L"a.txt", 1},
      {L"C:\\d", relative, L"C:\\d", 1},
      {L"/usr/x", With(VelUt::AbsoluteToRelativePath, L"/"), L"/usr/x", 1},
      {deep, relative, deep, 1},
      {L"C:\\dir\\a", With(VelUt::AbsoluteToRelativePath, L""), L"junk", 0},
  };
  velut_test::RunEditRows(rows);
}

}  // namespace
