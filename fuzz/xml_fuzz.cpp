// Any bytes as an XML document: CFXMLTreeCreateFromData, then a walk over
// the whole tree that reads every node's string, record and attributes,
// checks the tree's invariants and loads each node as a string-table
// entry, then the release.
#include <string>
#include <utility>
#include <vector>

#include <VelUt/VelUt.h>
#include <WinAPI/CFString.h>

#include "fuzz_input.h"

namespace {

// Reads every unit of a string, both ways, and returns its length.
CFIndex ReadString(CFStringRef s) {
  if (s == nullptr) return 0;
  const CFIndex n = CFStringGetLength(s);
  const UniChar* units = CFStringGetCharactersPtr(s);
  FUZZ_CHECK((n == 0) == (units == nullptr));
  std::vector<UniChar> copy(static_cast<std::size_t>(n));
  CFStringGetCharacters(s, CFRangeMake(0, n), copy.data());
  FUZZ_CHECK(std::equal(copy.begin(), copy.end(), units));
  // The parser makes no unpaired surrogate, so UTF-8 always works.
  std::vector<char> utf8(
      static_cast<std::size_t>(CFStringGetMaximumSizeForEncoding(n, kCFStringEncodingUTF8)) + 1);
  FUZZ_CHECK(
      CFStringGetCString(s, utf8.data(), static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8));
  std::wstring wide;
  FUZZ_CHECK(CFString2CString(s, wide) && wide.size() <= static_cast<std::size_t>(n));
  return n;
}

bool IsBlank(CFStringRef s) {
  for (CFIndex i = 0; i < CFStringGetLength(s); ++i) {
    const UniChar c = CFStringGetCharacterAtIndex(s, i);
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
  }
  return true;
}

void CheckAttributes(const CFXMLElementInfo* element) {
  const CFIndex count = CFDictionaryGetCount(element->attributes);
  FUZZ_CHECK(CFArrayGetCount(element->attributeOrder) == count);
  std::vector<const void*> keys(static_cast<std::size_t>(count));
  std::vector<const void*> values(static_cast<std::size_t>(count));
  CFDictionaryGetKeysAndValues(element->attributes, keys.data(), values.data());
  for (CFIndex i = 0; i < count; ++i) {
    FUZZ_CHECK(CFArrayGetValueAtIndex(element->attributeOrder, i) == keys[i] &&
               CFDictionaryContainsKey(element->attributes, keys[i]) &&
               CFDictionaryGetValue(element->attributes, keys[i]) == values[i]);
    FUZZ_CHECK(ReadString(static_cast<CFStringRef>(keys[i])) > 0);
    ReadString(static_cast<CFStringRef>(values[i]));
  }
}

void CheckNode(CFXMLNodeRef node, bool is_root) {
  const CFXMLNodeTypeCode type = CFXMLNodeGetTypeCode(node);
  FUZZ_CHECK((type == kCFXMLNodeTypeDocument) == is_root);
  CFStringRef string = CFXMLNodeGetString(node);
  FUZZ_CHECK((string == nullptr) == is_root);
  ReadString(string);
  const void* info = CFXMLNodeGetInfoPtr(node);
  switch (type) {
    case kCFXMLNodeTypeElement:
      CheckAttributes(static_cast<const CFXMLElementInfo*>(info));
      break;
    case kCFXMLNodeTypeText:
      FUZZ_CHECK(CFStringGetLength(string) > 0);
      break;
    case kCFXMLNodeTypeWhitespace:
      FUZZ_CHECK(CFStringGetLength(string) > 0 && IsBlank(string));
      break;
    case kCFXMLNodeTypeProcessingInstruction:
      ReadString(static_cast<const CFXMLProcessingInstructionInfo*>(info)->dataString);
      break;
    case kCFXMLNodeTypeDocumentType:
      ReadString(static_cast<const CFXMLDocumentTypeInfo*>(info)->externalID.publicID);
      break;
    case kCFXMLNodeTypeDocument:
    case kCFXMLNodeTypeEntityReference:
      FUZZ_CHECK(info != nullptr);
      break;
    case kCFXMLNodeTypeComment:
    case kCFXMLNodeTypeCDATASection:
      FUZZ_CHECK(info == nullptr);
      break;
    default:
      FUZZ_CHECK(false);
  }
}

// A string-table entry from any node ends as a literal or an unloaded
// reference, and a reference only when both attributes were given.
void CheckEntry(CFTreeRef tree, VelUtResString& s) {
  FUZZ_CHECK(s.Load(tree) == 1);
  FUZZ_CHECK(s.mFlags == 0 || s.mFlags == VelUtResString::kReference);
  if (s.mFlags == 0)
    FUZZ_CHECK(s.mId == 0 && s.mSrc.empty());
  else
    FUZZ_CHECK(!s.mSrc.empty() && s.mText.empty());
}

void Document(fuzz::Input& in) {
  CFDataRef bytes = CFDataCreate(kCFAllocatorDefault, in.data(), static_cast<CFIndex>(in.size()));
  FUZZ_CHECK(bytes != nullptr);
  CFXMLTreeRef doc = CFXMLTreeCreateFromData(kCFAllocatorDefault, bytes, nullptr,
                                             kCFXMLParserNoOptions, kCFXMLNodeCurrentVersion);
  CFRelease(bytes);
  if (doc == nullptr) return;

  // Depth-first without recursion: documents may nest deeply.
  VelUtResString entry;
  int elements_at_top = 0;
  std::vector<std::pair<CFTreeRef, CFIndex>> stack{{doc, 0}};
  CheckNode(CFXMLTreeGetNode(doc), true);
  CheckEntry(doc, entry);
  while (!stack.empty()) {
    auto& [tree, next] = stack.back();
    if (next == CFTreeGetChildCount(tree)) {
      FUZZ_CHECK(CFTreeGetChildAtIndex(tree, next) == nullptr);
      stack.pop_back();
      continue;
    }
    CFTreeRef child = CFTreeGetChildAtIndex(tree, next);
    FUZZ_CHECK(CFTreeGetParent(child) == tree);
    FUZZ_CHECK(CFTreeGetNextSibling(child) == CFTreeGetChildAtIndex(tree, next + 1));
    FUZZ_CHECK(CFGetRetainCount(child) == 1);
    ++next;
    CheckNode(CFXMLTreeGetNode(child), false);
    CheckEntry(child, entry);
    if (stack.size() == 1 && CFXMLNodeGetTypeCode(CFXMLTreeGetNode(child)) == kCFXMLNodeTypeElement)
      ++elements_at_top;
    stack.emplace_back(child, 0);
  }
  FUZZ_CHECK(elements_at_top == 1);
  FUZZ_CHECK(entry.Load(nullptr) == 0);
  CFRelease(doc);
}

}  // namespace

const std::vector<fuzz::Case> fuzz::kCases = {{"XML document", Document}};
