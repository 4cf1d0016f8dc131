// URL recognition, file URLs to local paths, and the folder part of a location.
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/global_locale.h"
#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;
using velut_test::AllocationFailure;

int Pre(Str& s) { return PreProcessUrl(s); }
int IsUrl(Str& s) { return VelUt::IsUrl(s.c_str()); }
int Folder(Str& s) { return s = VelUt::GetPathFromUrl(s.c_str()).c_str(), 0; }
template <bool (*convert)(VelString&)>
int Fix(Str& s) {
  VelString url(s.c_str());
  const bool result = convert(url);
  return s = url.c_str(), result;
}
bool ToPath(VelString& s) {
  const VelString url(s.c_str());
  s.assign(L"junk");  // replaced whole
  return VelUt::UrlToPath(url.c_str(), s);
}

// Host prefixes need 8 units, the others 6 (8 after "mailto:"); IsUrl trims on the left, FixUrl
// adds no scheme; a backslash before a drive goes only before a letter; a web folder keeps its last
// separator after one '/' and then one '\' are cut, and a slash anywhere wins over a backslash.
TEST(Urls, RecognizedFixedAndConverted) {
  const velut_test::EditRow rows[] = {
      {L"FTP.ab.xx", Pre, L"ftp://FTP.ab.xx", 1},
      {L"www.a.b", Pre, L"www.a.b", 0},
      {L"www.ab.c", Pre, L"http://www.ab.c", 1},
      {L"https:", Pre, L"https:", 1},
      {L"http:", Pre, L"http:", 0},
      {L"mailto:", Pre, L"mailto:", 0},
      {L"Gopher:/", Pre, L"Gopher:/", 1},
      {L" C:\\dir ", Pre, L"C:\\dir", 0},
      {L"\u3000www.ab.xx", Pre, L"\u3000www.ab.xx", 0},
      {L"file:\\C:\\a", IsUrl, L"file:\\C:\\a", 0},
      {L"file:/C:/a", IsUrl, L"file:/C:/a", 1},
      {L"http://h/file://x", IsUrl, L"http://h/file://x", 1},
      {L"  www.ab.xx\\a", Fix<VelUt::FixUrl>, L"  www.ab.xx/a", 1},
      {L"FILE:///C|/dir/a", Fix<ToPath>, L"C:\\dir\\a", 1},
      {L"file:\\\\C:\\a", Fix<ToPath>, L"C:\\a", 1},
      {L"file:\\\\1\\x", Fix<ToPath>, L"\\1\\x", 1},
      {L"file://server/share/x", Fix<ToPath>, L"server\\share\\x", 1},
      {L"file:///", Fix<ToPath>, L"", 1},
      {L"http://h/d/p.htm", Folder, L"http://h/d/", 0},
      {L"http://h/", Folder, L"", 0},
      {L"http://h\\d\\p.htm", Folder, L"http://h\\d\\", 0},
      {L"http://h/d\\p.htm", Folder, L"http://h/", 0},
      {L"http://h/d/\\", Folder, L"http://h/d/", 0},
      {L"file:/C:/dir/a", Folder, L"file:/C:/dir/", 0},
      {L"a.txt", Folder, L"", 0},
      // The rest of a file URL fits the 1024-unit working array up to 1023 units;
      // a longer one gives "". Other texts pass whatever their length.
      {L"file://" + std::wstring(1022, L'a'), Fix<ToPath>, std::wstring(1022, L'a'), 1},
      {L"file://" + std::wstring(1023, L'a'), Fix<ToPath>, L"", 1},
      {L"C:\\" + std::wstring(5000, L'p') + L"\\a", Folder, L"C:\\" + std::wstring(5000, L'p'), 0},
  };
  velut_test::RunEditRows(rows);
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");  // white space and letters beyond ASCII
  ASSERT_TRUE(utf8.ok());
  const velut_test::EditRow more[] = {
      {L"\u3000www.ab.xx", Pre, L"http://www.ab.xx", 1},
      {L"file:\\\\\u00E9\\x", Fix<ToPath>, L"\u00E9\\x", 1},
  };
  velut_test::RunEditRows(more);
}

// Running out of memory while the leading units are cut off is a false result; elsewhere
// (completing "www.") it reaches the caller. Either way the text stays trimmed.
TEST(Urls, PreProcessUrlOutOfMemory) {
  for (const auto kind : {AllocationFailure::kMemoryException,
                          AllocationFailure::kDravoMemoryException, AllocationFailure::kBadAlloc}) {
    for (const auto& [text, escapes] :
         {std::pair(L"  www.ab.xx ", 1), std::pair(L" mailto:someone ", 0)}) {
      Str trimmed(text), done(text);
      PreProcessUrl(done);
      int absorbed = 0, escaped = 0;
      for (bool fired = true; fired;) {
        SCOPED_TRACE(testing::Message() << text << " kind " << kind << " after " << absorbed);
        Str url(text);
        bool result = false, threw = false;
        {
          AllocationFailure failure(absorbed + escaped + 1, kind);
          try {
            result = PreProcessUrl(url);
          } catch (CMemoryException* e) {
            e->Delete(), threw = true;
          } catch (CDravoMemoryException* e) {
            e->Delete(), threw = true;
          } catch (const std::bad_alloc&) {
            threw = true;
          }
          fired = failure.Fired();
        }
        EXPECT_EQ(url, fired ? trimmed.TrimLeft().TrimRight() : done);
        EXPECT_EQ(result, !fired);
        (threw ? escaped : absorbed) += fired ? 1 : 0;
      }
      EXPECT_EQ(absorbed > 0, kind != AllocationFailure::kBadAlloc);  // std::bad_alloc passes
      EXPECT_TRUE(kind == AllocationFailure::kBadAlloc || escaped == escapes);
    }
  }
}

}  // namespace
