// velut commands over URLs, paths and files: URL recognition, relative and
// absolute paths, free and temporary names, the folder probe, file status.
#include <cstdio>
#include <ctime>
#include <iostream>

#include "cli.h"

namespace velut {
namespace {

// url: what the URL functions make of a text.
int Url(const Args& args) {
  const std::wstring text = args.Positional(1, 1)[0];
  const bool is_url = VelUt::IsUrl(text.c_str());
  VelString fixed(text.c_str());
  VelUt::FixUrl(fixed);
  VelString path;
  VelUt::UrlToPath(text.c_str(), path);
  const VelString folder = VelUt::GetPathFromUrl(text.c_str());
  if (args.Json()) {
    std::cout << "{\"text\":" << JsonString(text) << ",\"isUrl\":" << is_url
              << ",\"fixed\":" << JsonString(fixed.c_str())
              << ",\"path\":" << JsonString(path.c_str())
              << ",\"folder\":" << JsonString(folder.c_str()) << "}\n";
  } else {
    std::cout << "url:    " << (is_url ? "yes" : "no") << '\n'
              << "fixed:  " << ToUtf8(fixed.c_str()) << '\n'
              << "path:   " << ToUtf8(path.c_str()) << '\n'
              << "folder: " << ToUtf8(folder.c_str()) << '\n';
  }
  return is_url ? kTrue : kFalse;
}

// path-abs / path-rel: one path against a base folder.
int PathAbs(const Args& args) {
  const std::vector<std::wstring>& words = args.Positional(2, 2);
  VelString out;
  const bool ok = VelUt::RelativeToAbsolutePath(words[0].c_str(), words[1].c_str(), out);
  PrintText(args, out.c_str(), {{"result", ok}});
  return ok ? kTrue : kFalse;
}

int PathRel(const Args& args) {
  const std::vector<std::wstring>& words = args.Positional(2, 2);
  VelString out;
  const bool ok = VelUt::AbsoluteToRelativePath(words[0].c_str(), words[1].c_str(), out);
  PrintText(args, out.c_str(), {{"result", ok}});
  return ok ? kTrue : kFalse;
}

// unique-name: a free name for a taken one.
int UniqueName(const Args& args) {
  CStdStr<wchar_t> name(args.Positional(1, 1)[0]);
  const bool ok = VelUt::GetUniqueFileName(name);
  PrintText(args, name, {{"result", ok}});
  return ok ? kTrue : kFalse;
}

// temp-file: a free name in the temporary folder.
int TempFile(const Args& args) {
  args.Positional(0, 0);
  const std::wstring prefix = args.Option("prefix", L"TMP");
  const std::wstring extension = args.Option("extension", L"");
  const VelString name =
      VelUt::GetTempFile(prefix.c_str(), args.Has("extension") ? extension.c_str() : nullptr);
  const bool ok = !name.isEmpty();
  PrintText(args, name.c_str(), {{"result", ok}});
  return ok ? kTrue : kFalse;
}

// probe-folder: whether files can be created where a path points.
int ProbeFolder(const Args& args) {
  const signed char read_only = VelUt::IsFolderReadOnly(args.Positional(1, 1)[0].c_str());
  PrintText(args, read_only ? L"read-only" : L"writable", {{"readOnly", read_only}});
  return read_only ? kFalse : kTrue;
}

std::string LocalTime(const CTime& t) {
  struct tm fields;
  if (t.GetLocalTm(&fields) == nullptr) return "?";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fields);
  return text;
}

// The attribute byte as letters: R(ead-only) H(idden) S(ystem) D(irectory) A(rchive).
std::string AttributeLetters(BYTE attribute) {
  std::string letters;
  const std::pair<BYTE, char> bits[] = {{CFile::readOnly, 'R'},
                                        {CFile::hidden, 'H'},
                                        {CFile::system, 'S'},
                                        {CFile::directory, 'D'},
                                        {CFile::archive, 'A'}};
  for (const auto& [bit, letter] : bits)
    if (attribute & bit) letters += letter;
  return letters.empty() ? "-" : letters;
}

// stat: the status record of a file.
int Stat(const Args& args) {
  CFileStatus status;
  const bool ok = VelUt::GetFileStatus(args.Positional(1, 1)[0].c_str(), status);
  if (args.Json()) {
    std::cout << "{\"text\":" << JsonString(status.m_szFullName) << ",\"result\":" << ok
              << ",\"size\":" << status.m_size << ",\"attribute\":" << int{status.m_attribute}
              << ",\"mtime\":" << status.m_mtime.GetTime()
              << ",\"atime\":" << status.m_atime.GetTime()
              << ",\"ctime\":" << status.m_ctime.GetTime() << "}\n";
  } else if (ok) {
    std::cout << "name:       " << ToUtf8(status.m_szFullName) << '\n'
              << "size:       " << status.m_size << '\n'
              << "attributes: " << AttributeLetters(status.m_attribute) << '\n'
              << "modified:   " << LocalTime(status.m_mtime) << '\n'
              << "accessed:   " << LocalTime(status.m_atime) << '\n'
              << "created:    " << LocalTime(status.m_ctime) << '\n';
  } else {
    std::cout << ToUtf8(status.m_szFullName) << '\n';
  }
  return ok ? kTrue : kFalse;
}

}  // namespace

void AddPathCommands(std::vector<Command>& commands) {
  commands.push_back({"url",
                      "show what the URL functions make of a text",
                      "velut url TEXT\n"
                      "  Prints whether TEXT is a URL other than a file URL (IsUrl), the\n"
                      "  text brought into shape (FixUrl: '/' in URLs, file URLs as local\n"
                      "  paths), the local path of a file URL (UrlToPath) and the folder\n"
                      "  part (GetPathFromUrl). True (exit 0) for a URL.",
                      {},
                      {},
                      Url});
  commands.push_back({"path-abs",
                      "make a relative path absolute against a base folder",
                      "velut path-abs PATH BASE\n"
                      "  Joins a relative PATH to the folder BASE, dot segments resolved\n"
                      "  ('\\'-separated); an absolute PATH is printed as it is. False\n"
                      "  (exit 1) when either is empty.",
                      {},
                      {},
                      PathAbs});
  commands.push_back({"path-rel",
                      "make an absolute path relative to a base folder",
                      "velut path-rel PATH BASE\n"
                      "  Prints PATH relative to the folder BASE when PATH begins with\n"
                      "  BASE (ignoring case), as '.\\sub\\a.txt' or '..\\x'; otherwise\n"
                      "  PATH as it is. False (exit 1) when either is empty.",
                      {},
                      {},
                      PathRel});
  commands.push_back({"unique-name",
                      "number a taken file name until it is free",
                      "velut unique-name PATH\n"
                      "  Prints PATH when nothing of that name exists, else the first free\n"
                      "  name of BASE.EXT, BASE_2.EXT, BASE_3.EXT ... in its folder. False\n"
                      "  (exit 1) for a URL, which is printed unchanged.",
                      {},
                      {},
                      UniqueName});
  commands.push_back({"temp-file",
                      "make a free file name in the temporary folder",
                      "velut temp-file [--prefix P] [--extension .EXT]\n"
                      "  Prints a free name in $TMPDIR (else /tmp): up to three units of\n"
                      "  the prefix (default TMP), a hexadecimal number and .TMP, or the\n"
                      "  extension given. No file is left behind. False (exit 1) when no\n"
                      "  name could be made.",
                      {"prefix", "extension"},
                      {},
                      TempFile});
  commands.push_back({"probe-folder",
                      "test whether files can be created in a folder",
                      "velut probe-folder PATH\n"
                      "  Creates and deletes a file in the folder PATH stands for (a file's\n"
                      "  folder, or the nearest existing folder of a path not made yet)\n"
                      "  and prints \"writable\" (exit 0) or \"read-only\" (exit 1; also for\n"
                      "  URLs and paths with no existing folder).",
                      {},
                      {},
                      ProbeFolder});
  commands.push_back({"stat",
                      "show the status record of a file",
                      "velut stat PATH\n"
                      "  Prints the full name, size, attributes (R read-only, H hidden,\n"
                      "  S system, D directory, A archive) and the modification, access\n"
                      "  and creation times in local time. False (exit 1) when the file\n"
                      "  is missing, with its full name.",
                      {},
                      {},
                      Stat});
}

}  // namespace velut
