// Test support: string-table entries parsed from XML text.
#pragma once

#include <string>

#include <CoreFoundation/CoreFoundation.h>

namespace velut_test {

// A parsed document that releases itself; Document() is null when the text is refused. Entry(i)
// is the i-th element child of the root element, as an application hands it to Load(); null if
// none.
class XmlTable {
 public:
  explicit XmlTable(const std::string& xml, CFOptionFlags options = 0) {
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()),
                                  static_cast<CFIndex>(xml.size()));
    tree_ = CFXMLTreeCreateFromData(nullptr, data, nullptr, options, kCFXMLNodeCurrentVersion);
    CFRelease(data);
  }
  ~XmlTable() { tree_ != nullptr ? CFRelease(tree_) : void(); }
  XmlTable(const XmlTable&) = delete;
  XmlTable& operator=(const XmlTable&) = delete;
  CFXMLTreeRef Document() const { return tree_; }
  CFTreeRef Root() const { return NthElement(tree_, 0); }
  CFTreeRef Entry(int i) const { return NthElement(Root(), i); }

 private:
  static CFTreeRef NthElement(CFTreeRef parent, int n) {
    for (CFIndex i = 0; parent != nullptr && i < CFTreeGetChildCount(parent); ++i) {
      CFTreeRef child = CFTreeGetChildAtIndex(parent, i);
      if (CFXMLNodeGetTypeCode(CFXMLTreeGetNode(child)) == kCFXMLNodeTypeElement && n-- == 0)
        return child;
    }
    return nullptr;
  }
  CFXMLTreeRef tree_ = nullptr;
};

}  // namespace velut_test
