// Any bytes as an XML document: CFXMLTreeCreateFromData, then a walk over
// the whole tree that reads every node's string, record and attributes and
// checks the tree's invariants, then the release.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <CoreFoundation/CoreFoundation.h>
#include <WinAPI/CFString.h>

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Reads every unit of a string, both ways, and returns its length.
CFIndex ReadString(CFStringRef s) {
  if (s == nullptr) return 0;
  const CFIndex n = CFStringGetLength(s);
  const UniChar* units = CFStringGetCharactersPtr(s);
  Require((n == 0) == (units == nullptr));
  std::vector<UniChar> copy(static_cast<std::size_t>(n));
  CFStringGetCharacters(s, CFRangeMake(0, n), copy.data());
  for (CFIndex i = 0; i < n; ++i) Require(copy[i] == units[i]);
  // The parser makes no unpaired surrogate, so UTF-8 always works.
  std::vector<char> utf8(
      static_cast<std::size_t>(CFStringGetMaximumSizeForEncoding(n, kCFStringEncodingUTF8)) + 1);
  Require(
      CFStringGetCString(s, utf8.data(), static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8));
  std::wstring wide;
  Require(CFString2CString(s, wide));
  Require(wide.size() <= static_cast<std::size_t>(n));
  return n;
}

bool IsBlank(CFStringRef s) {
  for (CFIndex i = 0; i < CFStringGetLength(s); ++i) {
    const UniChar c = CFStringGetCharacterAtIndex(s, i);
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
  }
  return true;
}

void CheckNode(CFXMLNodeRef node, bool is_root) {
  const CFXMLNodeTypeCode type = CFXMLNodeGetTypeCode(node);
  Require((type == kCFXMLNodeTypeDocument) == is_root);
  CFStringRef string = CFXMLNodeGetString(node);
  Require((string == nullptr) == (type == kCFXMLNodeTypeDocument));
  ReadString(string);
  const void* info = CFXMLNodeGetInfoPtr(node);
  switch (type) {
    case kCFXMLNodeTypeElement: {
      auto element = static_cast<const CFXMLElementInfo*>(info);
      const CFIndex count = CFDictionaryGetCount(element->attributes);
      Require(CFArrayGetCount(element->attributeOrder) == count);
      std::vector<const void*> keys(static_cast<std::size_t>(count));
      std::vector<const void*> values(static_cast<std::size_t>(count));
      CFDictionaryGetKeysAndValues(element->attributes, keys.data(), values.data());
      for (CFIndex i = 0; i < count; ++i) {
        Require(CFArrayGetValueAtIndex(element->attributeOrder, i) == keys[i]);
        Require(CFDictionaryContainsKey(element->attributes, keys[i]));
        Require(CFDictionaryGetValue(element->attributes, keys[i]) == values[i]);
        Require(ReadString(static_cast<CFStringRef>(keys[i])) > 0);
        ReadString(static_cast<CFStringRef>(values[i]));
      }
      break;
    }
    case kCFXMLNodeTypeText:
      Require(CFStringGetLength(string) > 0);
      break;
    case kCFXMLNodeTypeWhitespace:
      Require(CFStringGetLength(string) > 0 && IsBlank(string));
      break;
    case kCFXMLNodeTypeProcessingInstruction:
      ReadString(static_cast<const CFXMLProcessingInstructionInfo*>(info)->dataString);
      break;
    case kCFXMLNodeTypeDocumentType:
      ReadString(static_cast<const CFXMLDocumentTypeInfo*>(info)->externalID.publicID);
      break;
    case kCFXMLNodeTypeDocument:
    case kCFXMLNodeTypeEntityReference:
      Require(info != nullptr);
      break;
    case kCFXMLNodeTypeComment:
    case kCFXMLNodeTypeCDATASection:
      Require(info == nullptr);
      break;
    default:
      Require(false);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CFDataRef bytes = CFDataCreate(kCFAllocatorDefault, data, static_cast<CFIndex>(size));
  Require(bytes != nullptr);
  CFXMLTreeRef doc = CFXMLTreeCreateFromData(kCFAllocatorDefault, bytes, nullptr,
                                             kCFXMLParserNoOptions, kCFXMLNodeCurrentVersion);
  CFRelease(bytes);
  if (doc == nullptr) return 0;

  // Depth-first without recursion: documents may nest deeply.
  int elements_at_top = 0;
  std::vector<std::pair<CFTreeRef, CFIndex>> stack{{doc, 0}};
  CheckNode(CFXMLTreeGetNode(doc), true);
  while (!stack.empty()) {
    auto& [tree, next] = stack.back();
    if (next == CFTreeGetChildCount(tree)) {
      Require(CFTreeGetChildAtIndex(tree, next) == nullptr);
      stack.pop_back();
      continue;
    }
    CFTreeRef child = CFTreeGetChildAtIndex(tree, next);
    Require(CFTreeGetParent(child) == tree);
    Require(CFTreeGetNextSibling(child) == CFTreeGetChildAtIndex(tree, next + 1));
    Require(CFGetRetainCount(child) == 1);
    ++next;
    CheckNode(CFXMLTreeGetNode(child), false);
    if (stack.size() == 1 &&
        CFXMLNodeGetTypeCode(CFXMLTreeGetNode(child)) == kCFXMLNodeTypeElement) {
      ++elements_at_top;
    }
    stack.emplace_back(child, 0);
  }
  Require(elements_at_top == 1);
  CFRelease(doc);
  return 0;
}
