// String-table entries from any bytes: the document is parsed with the
// XML-tree layer and every element of it is loaded as an entry. An entry
// must end as a literal or an unloaded reference, and a reference only
// when both attributes were given.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <VelUt/VelUt.h>

namespace {

void LoadAll(CFTreeRef tree, VelUtResString& s) {
  // Iterative walk: fuzzed documents may nest deeply.
  std::vector<CFTreeRef> stack{tree};
  while (!stack.empty()) {
    CFTreeRef t = stack.back();
    stack.pop_back();
    if (s.Load(t) != 1) std::abort();
    if (s.mFlags != 0 && s.mFlags != VelUtResString::kReference) std::abort();
    if (s.mFlags == 0 && (s.mId != 0 || !s.mSrc.empty())) std::abort();
    if (s.mFlags != 0 && (s.mSrc.empty() || !s.mText.empty())) std::abort();
    for (CFIndex i = CFTreeGetChildCount(t); i-- > 0;) stack.push_back(CFTreeGetChildAtIndex(t, i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CFDataRef bytes = CFDataCreate(kCFAllocatorDefault, data, static_cast<CFIndex>(size));
  CFXMLTreeRef tree = CFXMLTreeCreateFromData(kCFAllocatorDefault, bytes, nullptr,
                                              kCFXMLParserNoOptions, kCFXMLNodeCurrentVersion);
  CFRelease(bytes);
  if (tree == nullptr) return 0;
  VelUtResString s;
  LoadAll(tree, s);
  if (s.Load(nullptr) != 0) std::abort();
  CFRelease(tree);
  return 0;
}
