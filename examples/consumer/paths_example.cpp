// URLs, paths and files: telling a typed location apart, turning file URLs
// into paths, relative and absolute paths, free file names and a write
// probe, on a real folder made for the purpose.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <VelUt/VelUt.h>

int main() {
  int failures = 0;
  auto check = [&failures](bool ok, const char* what) {
    if (!ok) std::fprintf(stderr, "paths_example: %s failed\n", what), ++failures;
  };

  // What a user typed into an address box.
  CStdStr<wchar_t> where(L"  www.example.com ");
  check(PreProcessUrl(where) && where == L"http://www.example.com", "PreProcessUrl");
  VelString path(L"file:///C:/Users/me/a.txt");
  check(VelUt::FixUrl(path) && path.compare(L"C:\\Users\\me\\a.txt") == 0, "FixUrl");
  check(VelUt::GetPathFromUrl(L"http://h/d/p.htm").compare(L"http://h/d/") == 0, "GetPathFromUrl");

  // Relative and absolute paths; either separator is read.
  VelString out;
  check(VelUt::RelativeToAbsolutePath(L"../b.txt", L"/srv/data/in", out) &&
            out.compare(L"\\srv\\data\\b.txt") == 0,
        "RelativeToAbsolutePath");
  check(VelUt::AbsoluteToRelativePath(L"/srv/data/in/a.txt", L"/srv/data", out) &&
            out.compare(L".\\in\\a.txt") == 0,
        "AbsoluteToRelativePath");

  // A folder of our own, with one report in it.
  char made[] = "/tmp/paths-example-XXXXXX";
  if (mkdtemp(made) == nullptr) return 1;
  const std::wstring folder = NativeToPath(made);
  const std::wstring report = folder + L"\\report.txt";
  std::string native;
  PathToNative(report.c_str(), native);
  if (FILE* f = std::fopen(native.c_str(), "w")) std::fclose(f);

  CStdStr<wchar_t> name(report);
  check(VelUt::GetUniqueFileName(name) && name == folder + L"\\report_2.txt", "GetUniqueFileName");
  check(VelUt::IsFolderReadOnly((folder + L"\\new\\sub\\").c_str()) == 0, "IsFolderReadOnly");
  const VelString temp = VelUt::GetTempFile(L"rep", L".csv");
  check(!temp.isEmpty() && !PathFileExists(temp.c_str()), "GetTempFile");

  std::remove(native.c_str());
  rmdir(made);
  std::printf("paths_example: %s\n", failures == 0 ? "ok" : "FAILED");
  return failures == 0 ? 0 : 1;
}
