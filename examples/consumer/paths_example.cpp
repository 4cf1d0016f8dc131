// URLs, paths and files: telling a typed location apart, turning file URLs
// into paths, relative and absolute paths, free file names and a write
// probe, on a real folder made for the purpose.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
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
  // The name is only proposed: create it with O_EXCL, and take the next
  // name while another process got there first.
  CStdStr<wchar_t> created(report);
  std::string created_native;
  int fd = -1;
  while (VelUt::GetUniqueFileName(created) && !created.empty() &&
         PathToNative(created.c_str(), created_native)) {
    fd = open(created_native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) break;
  }
  check(fd >= 0 && created == folder + L"\\report_2.txt", "GetUniqueFileName with O_EXCL");
  if (fd >= 0) {
    close(fd);
    std::remove(created_native.c_str());
  }
  check(VelUt::IsFolderReadOnly((folder + L"\\new\\sub\\").c_str()) == 0, "IsFolderReadOnly");
  const VelString temp = VelUt::GetTempFile(L"rep", L".csv");
  check(!temp.isEmpty() && !PathFileExists(temp.c_str()), "GetTempFile");

  std::remove(native.c_str());
  rmdir(made);
  std::printf("paths_example: %s\n", failures == 0 ? "ok" : "FAILED");
  return failures == 0 ? 0 : 1;
}
