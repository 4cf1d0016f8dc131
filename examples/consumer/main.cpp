// Uses the installed library the way an application does: strings,
// containers, escapes, the map walk, VelString, the XML tree, the
// conversions and error texts (date texts come from the layer's private
// ICU), and URLs, paths and temporary names. Exits 0 when every result is as expected.
#include <cstdio>
#include <cstring>

#include <CoreFoundation/CoreFoundation.h>
#include <VelUt/VelUt.h>
#include <WinAPI/CFString.h>

// The build passes the version that find_package or pkg-config found: the
// installed header must name the same one.
#ifdef VELUT_PACKAGE_MAJOR
static_assert(VELUT_VERSION_MAJOR == VELUT_PACKAGE_MAJOR &&
                  VELUT_VERSION_MINOR == VELUT_PACKAGE_MINOR &&
                  VELUT_VERSION_PATCH == VELUT_PACKAGE_PATCH,
              "<VelUt/VelUtVersion.h> and the installed package name different versions");
#endif

namespace {
int g_failures = 0;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "consumer: %s failed\n", what);
    ++g_failures;
  }
}
}  // namespace

int main() {
  CStdStr<wchar_t> s(L"  Hello, World  ");
  s.TrimLeft().TrimRight();
  Check(s == L"Hello, World", "TrimLeft/TrimRight");
  Check(s.Find(L"World") == 7, "Find");
  Check(s.CompareNoCase(L"HELLO, WORLD") == 0, "CompareNoCase");

  CStdStr<wchar_t> f;
  f.Format(L"%s=%d", CStdStr<wchar_t>(L"n"), 42);
  Check(f == L"n=42", "Format");

  CStdStr<wchar_t> e(L"a,b");
  Check(VelUt::EscapeChar(e, L",", L'\\') == 1 && e == L"a\\,b", "EscapeChar");
  Check(VelUt::RemoveEscapeChar(e, L",", L'\\') == 1 && e == L"a,b", "RemoveEscapeChar");

  CStdContainer<CStdStr<wchar_t>, std::vector> list;
  list.Add(L"x");
  list.Add(L"y");
  list.RemoveAt(0);
  Check(list.GetCount() == 1 && list[0] == L"y", "CStdContainer");

  CStdStrPtrMap map;
  int value = 7;
  map.SetAt(L"b", &value);
  map.SetAt(L"a", nullptr);
  CStdStr<wchar_t> key;
  void* v = nullptr;
  CStdStr<wchar_t> order;
  for (POSITION pos = map.GetStartPosition(); pos;) {
    map.GetNextAssoc(pos, key, v);
    order += key;
  }
  Check(order == L"ab", "CStdMap walk");

  VelString vs(L"C:/dir");
  vs.replace(L'/', L'\\');
  Check(vs.compare(L"C:\\dir") == 0, "VelString");

  const char xml[] = "<table><s id=\"a\">Gr\xC3\xBC\xC3\x9F dich</s></table>";
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(xml),
                                static_cast<CFIndex>(std::strlen(xml)));
  CFXMLTreeRef doc = CFXMLTreeCreateFromData(kCFAllocatorDefault, data, nullptr,
                                             kCFXMLParserNoOptions, kCFXMLNodeCurrentVersion);
  CFTreeRef entry = CFTreeGetChildAtIndex(CFTreeGetChildAtIndex(doc, 0), 0);
  auto info = static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(entry)));
  CStdStr<wchar_t> id;
  CStdStr<wchar_t> text;
  Check(
      info != nullptr &&
          CFString2CString(
              static_cast<CFStringRef>(CFDictionaryGetValue(info->attributes, CFSTR("id"))), id) &&
          id == L"a",
      "XML attribute");
  CFString2CString(CFXMLNodeGetString(CFXMLTreeGetNode(CFTreeGetChildAtIndex(entry, 0))), text);
  Check(text == L"Gr\u00FC\u00DF dich", "XML text");
  CFRelease(doc);
  CFRelease(data);
  _GUID guid;
  Check(VelUt::StringToGuid(L"12345678-9abc-def0-0123-456789abcdef", guid) == 1 &&
            VelUt::GuidToString(guid, 0) == L"12345678-9ABC-DEF0-0123-456789ABCDEF",
        "GUID text");
  unsigned int version = 0;
  Check(VelUt::StringToVersion(L"2.10", version) == 1 && version == 0x2000A, "StringToVersion");
  CTime when;
  Check(VelUt::StringToTime(L"2024-05-17T08:30:00", when) == 1 && when.GetMinute() == 30,
        "StringToTime");
  Check(VelUt::FormatDateTimeForUserLocale(when).find(L"2024") != std::wstring::npos,
        "FormatDateTimeForUserLocale");
  Check(VelUt::GetSystemErrorMessage(5) == L"Access is denied", "GetSystemErrorMessage");

  CStdStr<wchar_t> location(L"  www.example.com ");
  Check(PreProcessUrl(location) && location == L"http://www.example.com", "PreProcessUrl");
  VelString local;
  VelUt::UrlToPath(L"file:///C:/dir/a.txt", local);
  Check(local.compare(L"C:\\dir\\a.txt") == 0, "UrlToPath");
  VelString absolute;
  Check(VelUt::RelativeToAbsolutePath(L"docs/a.txt", L"/home/u", absolute) &&
            absolute.compare(L"\\home\\u\\docs\\a.txt") == 0,
        "RelativeToAbsolutePath");
  const VelString temp = VelUt::GetTempFile(L"con", L".dat");
  Check(!temp.isEmpty() && !PathFileExists(temp.c_str()), "GetTempFile");
  CFileStatus status;
  Check(!VelUt::GetFileStatus(L"/no/such/file", status), "GetFileStatus");

  try {
    throw new CDravoMemoryException();
  } catch (CDravoMemoryException* ex) {
    ex->Delete();
  }

  std::puts(g_failures == 0 ? "consumer: all checks passed" : "consumer: FAILED");
  return g_failures == 0 ? 0 : 1;
}
