// The four calls a ported program makes most: CString::Format, LoadString,
// FormatMessage and GetDateFormat, each with its name here.
//   porting_example FOLDER   (a folder holding demo.dll, such as
//                             /usr/share/velut/example)
// Exits 0 when every result is the one shown beside it.
#include <cstdio>
#include <string>

#include <VelUt/VelUt.h>

namespace {

int g_failures = 0;

void Expect(const std::wstring& expected, const std::wstring& got) {
  std::printf("%s\n", WideToUtf8(got).c_str());
  if (got != expected) ++g_failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: porting_example FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  SetDllDirectoryW(Utf8ToWide(folder).c_str());

  // CString::Format: CStdStr<wchar_t>::Format, with the Microsoft conventions.
  CStdStr<wchar_t> name;
  name.Format(L"%s-%03d", L"report", 7);
  Expect(L"report-007", name);

  // LoadString: LoadStringW, in the language set with MAKELANGID.
  HMODULE demo = LoadLibraryW(L"demo");
  SetThreadUILanguage(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
  wchar_t text[64];
  const int length = LoadStringW(demo, 103, text, 64);
  Expect(L"Bereit", std::wstring(text, length > 0 ? length : 0));
  SetThreadUILanguage(0);

  // FormatMessage: FormatMessageW, from a string with numbered inserts.
  DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(L"a.txt"), 3};
  wchar_t message[64];
  FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, L"%1 has %2!d! lines",
                 0, 0, message, 64, reinterpret_cast<va_list*>(inserts));
  Expect(L"a.txt has 3 lines", message);

  // GetDateFormat: GetDateFormatW, with a picture or the locale's format.
  SYSTEMTIME day = {};
  day.wYear = 2024;
  day.wMonth = 5;
  day.wDay = 17;
  wchar_t date[64];
  GetDateFormatW(LOCALE_INVARIANT, 0, &day, L"yyyy-MM-dd", date, 64);
  Expect(L"2024-05-17", date);

  FreeLibrary(demo);
  return g_failures == 0 ? 0 : 1;
}
