// Reads a string table, resolves its references from the resource DLL
// beside it in German, and prints every entry as UTF-8.
//   strings_example FOLDER   (a folder holding strings.xml and demo.dll,
//                             such as /usr/share/velut/example)
// Exits 0 when every entry has its text.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <VelUt/VelUt.h>

namespace {

// Wide text as UTF-8, whatever the C locale.
std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 4, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                    static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

bool IsElement(CFTreeRef tree) {
  return CFXMLNodeGetTypeCode(CFXMLTreeGetNode(tree)) == kCFXMLNodeTypeElement;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: strings_example FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::ifstream in(folder + "/strings.xml", std::ios::binary);
  const std::string xml{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

  CFDataRef data = CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(xml.data()),
                                static_cast<CFIndex>(xml.size()));
  CFXMLTreeRef doc = CFXMLTreeCreateFromData(kCFAllocatorDefault, data, nullptr,
                                             kCFXMLParserNoOptions, kCFXMLNodeCurrentVersion);
  CFRelease(data);
  if (doc == nullptr) {
    std::fprintf(stderr, "strings_example: cannot parse %s/strings.xml\n", folder.c_str());
    return 1;
  }

  // Resource libraries named by the table are found in its folder, and
  // German texts are wanted.
  const std::wstring wfolder(folder.begin(), folder.end());
  SetDllDirectoryW(wfolder.c_str());
  SetThreadUILanguage(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));

  // The entries are the element children of the root element.
  CFTreeRef root = nullptr;
  for (CFIndex i = 0; i < CFTreeGetChildCount(doc) && root == nullptr; ++i) {
    if (IsElement(CFTreeGetChildAtIndex(doc, i))) root = CFTreeGetChildAtIndex(doc, i);
  }
  int missing = 0;
  for (CFIndex i = 0; root != nullptr && i < CFTreeGetChildCount(root); ++i) {
    CFTreeRef entry = CFTreeGetChildAtIndex(root, i);
    if (!IsElement(entry)) continue;
    VelUtResString s;
    s.Load(entry);                          // a literal, or a reference not loaded yet
    if (!s.LoadFromResource(0)) ++missing;  // a reference loads its text once
    if (s.mFlags & VelUtResString::kReference) {
      std::printf("%u in %s: %s\n", s.mId, Utf8(s.mSrc).c_str(), Utf8(s.mText).c_str());
    } else {
      std::printf("literal: %s\n", Utf8(s.mText).c_str());
    }
  }
  VelUtResString::FreeLibraries();  // once, at shutdown
  CFRelease(doc);
  return root != nullptr && missing == 0 ? 0 : 1;
}
