// velut strings and velut dll: a string table with its references resolved
// from the resource libraries beside it, and every string of one resource
// library.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli.h"

namespace velut {
namespace {

// The folder of the running executable, with a trailing '/'.
std::string ExecutableFolder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string s(path, static_cast<std::size_t>(n));
  return s.substr(0, s.rfind('/') + 1);
}

// The bundled example table: beside the tool in a build tree, or in the
// installed share folder.
std::string BundledTable() {
  const std::string exe = ExecutableFolder();
  for (const std::string& candidate :
       {exe + "example/strings.xml", exe + "../share/velut/example/strings.xml"}) {
    if (access(candidate.c_str(), R_OK) == 0) return candidate;
  }
  throw Error("the bundled example is not installed; name a table");
}

// The bytes of the file `path` names, standard input for "-".
std::string ReadFile(const std::string& path) {
  if (path == "-") return ReadInput();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Error("cannot read '" + path + "': " + std::strerror(errno));
  try {
    std::string bytes = ReadAll(fd, "'" + path + "'");
    close(fd);
    return bytes;
  } catch (...) {
    close(fd);
    throw;
  }
}

// The XML tree of a document; released when the holder goes.
class Document {
 public:
  explicit Document(const std::string& bytes) {
    CFDataRef data = CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()),
                                  static_cast<CFIndex>(bytes.size()));
    tree_ = CFXMLTreeCreateFromData(kCFAllocatorDefault, data, nullptr, kCFXMLParserNoOptions,
                                    kCFXMLNodeCurrentVersion);
    CFRelease(data);
  }
  ~Document() {
    if (tree_) CFRelease(tree_);
  }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  CFTreeRef tree() const { return tree_; }

 private:
  CFXMLTreeRef tree_ = nullptr;
};

bool IsElement(CFTreeRef tree) {
  const CFXMLNodeRef node = CFXMLTreeGetNode(tree);
  return node && CFXMLNodeGetTypeCode(node) == kCFXMLNodeTypeElement;
}

// The value of an element's attribute `name`, or "".
std::wstring Attribute(CFTreeRef element, const wchar_t* name) {
  std::wstring value;
  const auto* info =
      static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(element)));
  if (info == nullptr || info->attributes == nullptr) return value;
  CFStringRef key = CreateCFStringFromUTF32(name);
  if (CFDictionaryContainsKey(info->attributes, key))
    CFString2CString(static_cast<CFStringRef>(CFDictionaryGetValue(info->attributes, key)), value);
  CFRelease(key);
  return value;
}

std::string Folder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

// The LANGID that --lang names: a locale name (de-DE, de_DE.UTF-8) or a
// number (0x0407, 1031; 0 is neutral). `fallback` when there is no --lang.
LANGID LanguageOption(const Args& args, LANGID fallback) {
  if (!args.Has("lang")) return fallback;
  const std::wstring name = args.Option("lang", L"");
  long long number = 0;
  if (ParseNumber(name, 0, 0, 0xFFFF, number)) return static_cast<LANGID>(number);
  const LCID lcid = LocaleNameToLCID(name.c_str(), 0);
  if (lcid == 0) throw Error("unknown language " + WideToUtf8(name));
  return static_cast<LANGID>(lcid & 0xFFFF);
}

// Entries are the element children of the root element.
Reply Strings(const Args& args) {
  const std::string path = args.size() == 0 ? BundledTable() : WideToUtf8(args[0]);
  SetThreadUILanguage(LanguageOption(args, 0));

  const Document doc(ReadFile(path));
  if (doc.tree() == nullptr) throw Error("'" + path + "' is not well-formed XML");
  CFTreeRef root = nullptr;
  for (CFIndex i = 0; i < CFTreeGetChildCount(doc.tree()) && !root; ++i)
    if (IsElement(CFTreeGetChildAtIndex(doc.tree(), i)))
      root = CFTreeGetChildAtIndex(doc.tree(), i);
  if (root == nullptr) throw Error("'" + path + "' has no root element");

  // Resource libraries are looked for beside the table.
  SetDllDirectoryW(NativeToPath(path == "-" ? "." : Folder(path).c_str()).c_str());

  int references = 0;
  int missing = 0;
  int position = 0;
  std::string plain;
  std::string items;
  for (CFIndex i = 0; i < CFTreeGetChildCount(root); ++i) {
    CFTreeRef entry = CFTreeGetChildAtIndex(root, i);
    if (!IsElement(entry)) continue;
    ++position;
    VelUtResString s;
    s.Load(entry);
    const bool reference = (s.mFlags & VelUtResString::kReference) != 0;
    const bool found = s.LoadFromResource(0) != 0;
    references += reference ? 1 : 0;
    missing += found ? 0 : 1;
    const std::wstring id = Attribute(entry, L"id");
    Json item;
    item.Number("position", position)
        .Text("id", id)
        .Text("kind", reference ? L"reference" : L"literal");
    std::string kind = "literal";
    if (reference) {
      item.Number("resource", s.mId).Text("library", s.mSrc).Bool("found", found);
      kind = "reference " + std::to_string(s.mId) + " in " + WideToUtf8(s.mSrc);
    }
    items += (items.empty() ? "" : ",") + item.Text("text", s.mText).str();
    char head[128];
    std::snprintf(head, sizeof head, "%-3d %-16s %-28s ", position, WideToUtf8(id).c_str(),
                  kind.c_str());
    plain += head + (found ? WideToUtf8(s.mText) : "(no such string)") + "\n";
  }
  VelUtResString::FreeLibraries();
  SetDllDirectoryW(nullptr);

  Reply r = missing == 0
                ? Reply::Bool(true)
                : Reply::Failure(std::to_string(missing) + " of " + std::to_string(references) +
                                 " references found no string");
  r.plain = plain;
  r.json.Raw("items", "[" + items + "]");
  return r;
}

// A string as one line: control characters written as C escapes.
std::string OneLine(const std::wstring& text) {
  std::string line;
  for (const wchar_t c : text) {
    if (c >= 0x20 && c != 0x7F) {
      line += WideToUtf8(std::wstring(1, c));
    } else if (c == L'\n') {
      line += "\\n";
    } else if (c == L'\t') {
      line += "\\t";
    } else if (c == L'\r') {
      line += "\\r";
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
      line += escape;
    }
  }
  return line;
}

// Where a string of language `present` stands for a user who asks for
// `wanted`, in the order the library's lookups try languages: the exact
// language (0), the neutral language of its primary language (1), the
// primary language's default region (2), its other regions (3). -1 for a
// string in another language, which --lang leaves out.
int LanguageRank(LANGID wanted, LANGID present) {
  constexpr LANGID kPrimaryMask = 0x03FF;
  constexpr LANGID kDefaultRegion = 0x0400;
  const LANGID primary = wanted & kPrimaryMask;
  if (present == wanted) return 0;
  if (primary == 0 || (present & kPrimaryMask) != primary) return -1;
  if (present == primary) return 1;
  return present == (primary | kDefaultRegion) ? 2 : 3;
}

// One string of the listing.
struct Found {
  LANGID language = 0;
  int rank = 0;
  std::wstring text;
};

// What velut dll collects: every string, or for --lang the one string of
// each id that the library would read for that language.
struct Listing {
  bool all_languages = true;
  LANGID language = 0;
  std::vector<std::pair<UINT, Found>> all;  // in the order of the DLL
  std::map<UINT, Found> best;               // by id, for --lang
};

BOOL Collect(HMODULE /*module*/, UINT id, LANGID lang, LPCWSTR text, UINT length, LONG_PTR param) {
  auto& listing = *reinterpret_cast<Listing*>(param);
  Found found{lang, 0, std::wstring(text, length)};
  if (listing.all_languages) {
    listing.all.emplace_back(id, std::move(found));
    return TRUE;
  }
  found.rank = LanguageRank(listing.language, lang);
  if (found.rank < 0) return TRUE;
  // Of two strings of one rank, the lower LANGID wins, as in the library.
  const auto it = listing.best.find(id);
  if (it == listing.best.end() || found.rank < it->second.rank ||
      (found.rank == it->second.rank && lang < it->second.language))
    listing.best[id] = std::move(found);
  return TRUE;
}

// The locale name of `lang` as JSON ("de-DE"); null when it has none.
std::string LanguageTag(LANGID lang) {
  wchar_t name[LOCALE_NAME_MAX_LENGTH];
  return LCIDToLocaleName(lang, name, LOCALE_NAME_MAX_LENGTH, 0) > 0 ? JsonString(name) : "null";
}

// The listing as lines and as JSON items.
Reply ListingReply(const Listing& listing) {
  std::vector<std::pair<UINT, Found>> shown = listing.all;
  if (!listing.all_languages) shown.assign(listing.best.begin(), listing.best.end());
  std::string plain;
  std::string items;
  for (const auto& [id, found] : shown) {
    char head[32];
    std::snprintf(head, sizeof head, "%-6u 0x%04X ", id, found.language);
    plain += head + OneLine(found.text) + "\n";
    items += (items.empty() ? "" : ",") + Json()
                                              .Number("resource", id)
                                              .Number("language", found.language)
                                              .Raw("tag", LanguageTag(found.language))
                                              .Text("text", found.text)
                                              .str();
  }
  Reply r = Reply::Bool(!shown.empty());
  r.plain = plain;
  r.json.Raw("items", "[" + items + "]");
  return r;
}

// The name LoadLibrary reads as exactly the file `native`: a path (so no
// search), ending in '.' when it has no extension (so no ".dll" is added).
std::wstring LibraryName(const std::string& native) {
  std::string name = native.find('/') == std::string::npos ? "./" + native : native;
  if (name.find('.', name.rfind('/')) == std::string::npos) name += '.';
  return Utf8ToWide(name);
}

// Standard input kept in a temporary file for LoadLibrary, which maps
// files; removed as soon as it is mapped.
class InputCopy {
 public:
  InputCopy() {
    const char* folder = std::getenv("TMPDIR");
    path_ = std::string(folder != nullptr && *folder ? folder : "/tmp") + "/velut-XXXXXX.dll";
    const int fd = mkostemps(&path_[0], 4, O_CLOEXEC);
    if (fd < 0) throw Error("cannot keep standard input in " + path_ + ": " + std::strerror(errno));
    const bool written = WriteAll(fd, ReadInput());
    const int error = errno;
    close(fd);
    if (!written) {
      unlink(path_.c_str());
      throw Error("cannot keep standard input in " + path_ + ": " + std::strerror(error));
    }
  }
  ~InputCopy() { unlink(path_.c_str()); }
  InputCopy(const InputCopy&) = delete;
  InputCopy& operator=(const InputCopy&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

Reply Dll(const Args& args) {
  Listing listing;
  listing.all_languages = !args.Has("lang");
  listing.language = LanguageOption(args, 0);
  const std::string file = WideToUtf8(args[0]);
  HMODULE module = nullptr;
  if (file == "-") {
    const InputCopy copy;
    module = LoadLibraryW(LibraryName(copy.path()).c_str());
  } else {
    module = LoadLibraryW(LibraryName(file).c_str());
  }
  if (module == nullptr)
    throw Error("cannot load " + Quoted(args[0]) + ": " + SystemText(GetLastError(), "the file"));
  const BOOL complete = EnumResourceStringsW(module, Collect, reinterpret_cast<LONG_PTR>(&listing));
  const DWORD error = GetLastError();
  FreeLibrary(module);
  if (!complete) throw Error("cannot read " + Quoted(args[0]) + ": " + SystemText(error));
  return ListingReply(listing);
}

}  // namespace

void AddStringsCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"strings",
       "print a string table, resolving references from resource DLLs",
       {{"[TABLE.xml]", Operand::kFile}},
       {{"lang", "LANG", "the language of references (de-DE, 0x0407; default: the user's)"}},
       false,
       "Reads the string table (UTF-8 or UTF-16 XML; the bundled example when\n"
       "none is named) and prints each entry: its position, id attribute,\n"
       "kind (literal, or reference with resource id and library) and text.\n"
       "References are loaded from the resource DLLs beside the table (the\n"
       "current folder for -). JSON: \"items\", each with \"position\", \"id\",\n"
       "\"kind\", \"text\", and for a reference \"resource\", \"library\", \"found\".",
       "every reference found its string",
       "some found none, printed as (no such string) (with a velut: line)",
       Strings});
  commands.push_back({"dll",
                      "list every string resource of a Win32 resource DLL",
                      {{"FILE", Operand::kFile}},
                      {{"lang", "LANG", "the strings read for this language (de-DE, 0x0407, 0)"}},
                      false,
                      "Prints every string resource of the DLL FILE, one per line: its id,\n"
                      "its language (LANGID) and its text, control characters written as\n"
                      "\\n, \\t, \\r or \\xHH. With --lang, one string per id, chosen as the\n"
                      "library's lookups choose: the exact language, then the neutral one of\n"
                      "its primary language (0x0007 for de-DE), then its other regions;\n"
                      "strings of other languages are left out. JSON: \"items\", each with\n"
                      "\"resource\", \"language\" (the LANGID as a number), \"tag\" (its\n"
                      "locale name, \"de-DE\", or null) and \"text\". A file that is not a valid\n"
                      "resource DLL is an error.",
                      "strings were listed",
                      "there are none (in LANG)",
                      Dll});
}

}  // namespace velut
