// velut strings: reads a string table, resolves its references from the
// resource libraries next to it and prints every entry.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

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
  throw UsageError("the bundled example is not installed; name a table");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UsageError("cannot read " + path + ": " + std::strerror(errno));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

// Entries are the element children of the root element.
int Strings(const Args& args) {
  const auto& words = args.Positional(0, 1);
  const std::string path = words.empty() ? BundledTable() : ToUtf8(words[0]);

  if (args.Has("lang")) {
    const std::wstring lang = args.Option("lang", L"");
    const LCID lcid = LocaleNameToLCID(lang.c_str(), 0);
    if (lcid == 0) throw UsageError("unknown language " + ToUtf8(lang));
    SetThreadUILanguage(static_cast<LANGID>(lcid & 0xFFFF));
  }

  const Document doc(ReadFile(path));
  if (doc.tree() == nullptr) throw UsageError(path + " is not well-formed XML");
  CFTreeRef root = nullptr;
  for (CFIndex i = 0; i < CFTreeGetChildCount(doc.tree()) && !root; ++i)
    if (IsElement(CFTreeGetChildAtIndex(doc.tree(), i)))
      root = CFTreeGetChildAtIndex(doc.tree(), i);
  if (root == nullptr) throw UsageError(path + " has no root element");

  // Resource libraries are looked for beside the table.
  SetDllDirectoryW(FromUtf8(Folder(path)).c_str());

  bool all_found = true;
  int position = 0;
  std::ostringstream out;
  if (args.Json()) out << "[";
  for (CFIndex i = 0; i < CFTreeGetChildCount(root); ++i) {
    CFTreeRef entry = CFTreeGetChildAtIndex(root, i);
    if (!IsElement(entry)) continue;
    ++position;
    VelUtResString s;
    s.Load(entry);
    const bool reference = (s.mFlags & VelUtResString::kReference) != 0;
    const bool found = s.LoadFromResource(0) != 0;
    all_found = all_found && found;
    const std::wstring id = Attribute(entry, L"id");
    if (args.Json()) {
      out << (position > 1 ? "," : "") << "\n  {\"position\":" << position
          << ",\"id\":" << JsonString(id) << ",\"kind\":\"" << (reference ? "reference" : "literal")
          << "\"";
      if (reference)
        out << ",\"resource\":" << s.mId << ",\"library\":" << JsonString(s.mSrc)
            << ",\"found\":" << (found ? "true" : "false");
      out << ",\"text\":" << JsonString(s.mText) << "}";
      continue;
    }
    std::string kind = "literal";
    if (reference) kind = "reference " + std::to_string(s.mId) + " in " + ToUtf8(s.mSrc);
    char head[128];
    std::snprintf(head, sizeof head, "%-3d %-16s %-28s ", position, ToUtf8(id).c_str(),
                  kind.c_str());
    out << head << (found ? ToUtf8(s.mText) : "(no such string)") << '\n';
  }
  if (args.Json()) out << "\n]\n";
  VelUtResString::FreeLibraries();
  SetDllDirectoryW(nullptr);
  std::cout << out.str();
  return all_found ? kTrue : kFalse;
}

}  // namespace

void AddStringsCommands(std::vector<Command>& commands) {
  commands.push_back({"strings",
                      "print a string table, resolving references from resource DLLs",
                      "velut strings [--lang LANG] [TABLE.xml]\n"
                      "  Reads the string table (UTF-8 or UTF-16 XML; the bundled example\n"
                      "  when none is named) and prints each entry: its position, id\n"
                      "  attribute, kind (literal, or reference with resource id and\n"
                      "  library) and text. References are loaded from the resource DLLs\n"
                      "  beside the table, in LANG (e.g. de-DE) or the user's language.\n"
                      "  True (exit 0) when every reference found its string.",
                      {"lang"},
                      {},
                      Strings});
}

}  // namespace velut
