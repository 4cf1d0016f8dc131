// Localized strings: read a string table, resolve its references from the
// resource DLL beside it, and release the libraries at the end.
//   strings_example FOLDER   (a folder holding strings.xml and demo.dll,
//                             such as <prefix>/share/velut/example)
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <VelUt/VelUt.h>

namespace {

// Wide text as UTF-8, for printing whatever the C locale.
std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 4, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                    static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
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
  if (doc == nullptr) return 1;

  // Resource libraries named by the table are found in its folder, and
  // German texts are wanted.
  std::wstring wfolder(folder.begin(), folder.end());
  SetDllDirectoryW(wfolder.c_str());
  SetThreadUILanguage(0x0407);

  // The entries are the element children of the root element.
  CFTreeRef root = nullptr;
  for (CFIndex i = 0; i < CFTreeGetChildCount(doc) && root == nullptr; ++i) {
    CFTreeRef child = CFTreeGetChildAtIndex(doc, i);
    if (CFXMLNodeGetTypeCode(CFXMLTreeGetNode(child)) == kCFXMLNodeTypeElement) root = child;
  }
  int resolved = 0;
  for (CFIndex i = 0; root != nullptr && i < CFTreeGetChildCount(root); ++i) {
    CFTreeRef entry = CFTreeGetChildAtIndex(root, i);
    if (CFXMLNodeGetTypeCode(CFXMLTreeGetNode(entry)) != kCFXMLNodeTypeElement) continue;
    VelUtResString s;
    s.Load(entry);  // a literal, or a reference not loaded yet
    if (s.LoadFromResource(0) && (s.mFlags & VelUtResString::kReference)) ++resolved;
    if (s.mId == 100) std::printf("menu.open: %s\n", Utf8(s.mText).c_str());
  }
  VelUtResString::FreeLibraries();  // once, at shutdown
  CFRelease(doc);

  std::printf("strings_example: %d references resolved\n", resolved);
  return resolved == 4 ? 0 : 1;
}
