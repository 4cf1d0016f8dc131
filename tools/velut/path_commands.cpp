// velut commands over URLs, paths and files: URL recognition, relative and
// absolute paths, free and temporary names, the folder probe, file status.
// Every path a result names is printed natively unless --win-paths.
#include <ctime>

#include "cli.h"

namespace velut {
namespace {

// url: what the URL functions make of a text.
Reply Url(const Args& args) {
  const wchar_t* text = args[0].c_str();
  const bool is_url = VelUt::IsUrl(text);
  VelString fixed(text);
  VelUt::FixUrl(fixed);
  VelString path;
  VelUt::UrlToPath(text, path);
  const VelString folder = VelUt::GetPathFromUrl(text);
  // What comes of a web URL stays as the library writes it; of anything
  // else, a path on this machine.
  const auto shown = [&](const VelString& s) {
    return is_url ? std::wstring(s.c_str()) : args.Shown(s.c_str());
  };
  Reply r = Reply::Bool(is_url).Line(std::string("url:    ") + (is_url ? "yes" : "no"));
  r.json.Text("fixed", shown(fixed)).Text("path", shown(path)).Text("folder", shown(folder));
  return r.Line("fixed:  " + WideToUtf8(shown(fixed)))
      .Line("path:   " + WideToUtf8(shown(path)))
      .Line("folder: " + WideToUtf8(shown(folder)));
}

// path-abs / path-rel: one path against a base folder.
Reply PathCommand(const Args& args, bool (*fn)(const VelString&, const VelString&, VelString&)) {
  VelString out;
  if (!fn(args[0].c_str(), args[1].c_str(), out))
    return Reply::Failure("PATH and BASE must not be empty");
  return Reply::Bool(true).Show("path", args.Shown(out.c_str()));
}

Reply PathAbs(const Args& args) { return PathCommand(args, VelUt::RelativeToAbsolutePath); }
Reply PathRel(const Args& args) { return PathCommand(args, VelUt::AbsoluteToRelativePath); }

// unique-name: a free name for a taken one.
Reply UniqueName(const Args& args) {
  CStdStr<wchar_t> name(args[0]);
  if (VelUt::IsUrl(name.c_str()) || !VelUt::GetUniqueFileName(name))
    return Reply::Failure("a URL names no file here: " + Quoted(args[0]));
  if (name.empty()) return Reply::Failure("no free name can be made for " + Quoted(args[0]));
  return Reply::Bool(true).Show("path", args.Shown(name));
}

// temp-file: a free name in the temporary folder.
Reply TempFile(const Args& args) {
  const std::wstring prefix = args.Option("prefix", L"TMP");
  const std::wstring extension = args.Option("extension", L"");
  SetLastError(ERROR_SUCCESS);
  const VelString name =
      VelUt::GetTempFile(prefix.c_str(), args.Has("extension") ? extension.c_str() : nullptr);
  if (!name.isEmpty()) return Reply::Bool(true).Show("path", args.Shown(name.c_str()));
  const DWORD error = GetLastError();
  wchar_t folder[1024] = {};
  GetTempPath(1024, folder);
  return Reply::Failure(
      "cannot make a file name in " + WideToUtf8(args.Shown(folder)) + ": " +
      (error != ERROR_SUCCESS ? SystemText(error, "the folder") : "no free name"));
}

// probe-folder: whether files can be created where a path points.
Reply ProbeFolder(const Args& args) {
  const bool writable = VelUt::IsFolderReadOnly(args[0].c_str()) == 0;
  return Reply::Bool(writable).Show("text", writable ? L"writable" : L"read-only");
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
Reply Stat(const Args& args) {
  CFileStatus status;
  SetLastError(ERROR_SUCCESS);
  if (!VelUt::GetFileStatus(args[0].c_str(), status)) {
    const DWORD error = GetLastError();
    return Reply::Failure("cannot stat " + Quoted(args[0]) + ": " +
                          (error != ERROR_SUCCESS ? SystemText(error) : "no such file"));
  }
  const std::wstring name = args.Shown(status.m_szFullName);
  const std::string letters = AttributeLetters(status.m_attribute);
  Reply r = Reply::Bool(true);
  r.json.Text("path", name)
      .Number("size", static_cast<long long>(status.m_size))
      .Text("attributes", Utf8ToWide(letters))
      .Number("mtime", status.m_mtime.GetTime())
      .Number("atime", status.m_atime.GetTime())
      .Number("ctime", status.m_ctime.GetTime());
  return r.Line("name:       " + WideToUtf8(name))
      .Line("size:       " + std::to_string(status.m_size))
      .Line("attributes: " + letters)
      .Line("modified:   " + LocalTime(status.m_mtime))
      .Line("accessed:   " + LocalTime(status.m_atime))
      .Line("created:    " + LocalTime(status.m_ctime));
}

const OperandDef kPath = {"PATH", Operand::kText};

}  // namespace

// A table of commands, data rather than steps: exempt from the length limit.
// NOLINTNEXTLINE(readability-function-size)
void AddPathCommands(std::vector<Command>& commands) {
  commands.push_back({"url",
                      "show what the URL functions make of a text",
                      {{"TEXT", Operand::kText}},
                      {},
                      true,
                      "Prints whether TEXT is a URL other than a file URL (IsUrl), the\n"
                      "text brought into shape (FixUrl: '/' in URLs, file URLs as local\n"
                      "paths), the local path of a file URL (UrlToPath) and the folder\n"
                      "part (GetPathFromUrl); JSON: \"fixed\", \"path\", \"folder\".",
                      "TEXT is a URL",
                      "it is not",
                      Url});
  commands.push_back({"path-abs",
                      "make a relative path absolute against a base folder",
                      {kPath, {"BASE", Operand::kWord}},
                      {},
                      true,
                      "Joins a relative PATH to the folder BASE, dot segments resolved;\n"
                      "an absolute PATH is printed as it is.",
                      "the path was made",
                      "PATH or BASE is empty (with a velut: line)",
                      PathAbs});
  commands.push_back({"path-rel",
                      "make an absolute path relative to a base folder",
                      {kPath, {"BASE", Operand::kWord}},
                      {},
                      true,
                      "Prints PATH relative to the folder BASE when PATH begins with BASE\n"
                      "(ignoring case), as ./sub/a.txt or ../x; otherwise PATH as it is.",
                      "the path was made",
                      "PATH or BASE is empty (with a velut: line)",
                      PathRel});
  commands.push_back({"unique-name",
                      "number a taken file name until it is free",
                      {kPath},
                      {},
                      true,
                      "Prints PATH when nothing of that name exists, else the first free\n"
                      "name of BASE.EXT, BASE_2.EXT, BASE_3.EXT ... in its folder.",
                      "a free name was found",
                      "PATH is a URL, or no free name can be made for it (with a velut: line)",
                      UniqueName});
  commands.push_back({"temp-file",
                      "make a free file name in the temporary folder",
                      {},
                      {{"prefix", "P", "up to three units of P start the name (default TMP)"},
                       {"extension", ".EXT", "the extension (default .TMP)"}},
                      true,
                      "Prints a free name in $TMPDIR (else /tmp): the prefix, a hexadecimal\n"
                      "number and the extension. No file is left behind.",
                      "a name was made",
                      "none could be made, as in a missing folder (with a velut: line)",
                      TempFile});
  commands.push_back({"probe-folder",
                      "test whether files can be created in a folder",
                      {kPath},
                      {},
                      false,
                      "Creates and deletes a file in the folder PATH stands for (a file's\n"
                      "folder, or the nearest existing folder of a path not made yet) and\n"
                      "prints \"writable\" or \"read-only\" (also for URLs and paths with no\n"
                      "existing folder).",
                      "writable",
                      "read-only",
                      ProbeFolder});
  commands.push_back({"stat",
                      "show the status record of a file",
                      {kPath},
                      {},
                      true,
                      "Prints the full name, size, attributes (R read-only, H hidden,\n"
                      "S system, D directory, A archive) and the modification, access and\n"
                      "creation times in local time; JSON: \"path\", \"size\",\n"
                      "\"attributes\", and \"mtime\", \"atime\", \"ctime\" in seconds since\n"
                      "1970.",
                      "the file exists",
                      "it is missing or out of reach (with a velut: line)",
                      Stat});
}

}  // namespace velut
