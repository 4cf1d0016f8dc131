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

using fuzz::Check;

// Reads every unit of a string, both ways, and returns its length.
CFIndex ReadString(CFStringRef s) {
  if (s == nullptr) return 0;
  const CFIndex n = CFStringGetLength(s);
  const UniChar* units = CFStringGetCharactersPtr(s);
  Check((n == 0) == (units == nullptr), "a string has units unless it is empty");
  std::vector<UniChar> copy(static_cast<std::size_t>(n));
  CFStringGetCharacters(s, CFRangeMake(0, n), copy.data());
  Check(std::equal(copy.begin(), copy.end(), units), "a string copies out its own units");
  // The parser makes no unpaired surrogate, so UTF-8 always works.
  std::vector<char> utf8(
      static_cast<std::size_t>(CFStringGetMaximumSizeForEncoding(n, kCFStringEncodingUTF8)) + 1);
  Check(
      CFStringGetCString(s, utf8.data(), static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8),
      "a string fits the UTF-8 size it gives");
  std::wstring wide;
  Check(CFString2CString(s, wide) && wide.size() <= static_cast<std::size_t>(n),
        "a string converts to a wide text");
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
  Check(CFArrayGetCount(element->attributeOrder) == count, "each attribute is in the order once");
  std::vector<const void*> keys(static_cast<std::size_t>(count));
  std::vector<const void*> values(static_cast<std::size_t>(count));
  CFDictionaryGetKeysAndValues(element->attributes, keys.data(), values.data());
  for (CFIndex i = 0; i < count; ++i) {
    Check(CFArrayGetValueAtIndex(element->attributeOrder, i) == keys[i] &&
              CFDictionaryContainsKey(element->attributes, keys[i]) &&
              CFDictionaryGetValue(element->attributes, keys[i]) == values[i],
          "the attributes come out in their order, each with its value");
    Check(ReadString(static_cast<CFStringRef>(keys[i])) > 0, "an attribute has a name");
    ReadString(static_cast<CFStringRef>(values[i]));
  }
}

void CheckNode(CFXMLNodeRef node, bool is_root) {
  const CFXMLNodeTypeCode type = CFXMLNodeGetTypeCode(node);
  Check((type == kCFXMLNodeTypeDocument) == is_root, "the document is the root and only it");
  CFStringRef string = CFXMLNodeGetString(node);
  Check((string == nullptr) == is_root, "every node but the document has a string");
  ReadString(string);
  const void* info = CFXMLNodeGetInfoPtr(node);
  switch (type) {
    case kCFXMLNodeTypeElement:
      CheckAttributes(static_cast<const CFXMLElementInfo*>(info));
      break;
    case kCFXMLNodeTypeText:
      Check(CFStringGetLength(string) > 0, "a text node is not empty");
      break;
    case kCFXMLNodeTypeWhitespace:
      Check(CFStringGetLength(string) > 0 && IsBlank(string), "white space is blanks only");
      break;
    case kCFXMLNodeTypeProcessingInstruction:
      ReadString(static_cast<const CFXMLProcessingInstructionInfo*>(info)->dataString);
      break;
    case kCFXMLNodeTypeDocumentType:
      ReadString(static_cast<const CFXMLDocumentTypeInfo*>(info)->externalID.publicID);
      break;
    case kCFXMLNodeTypeDocument:
    case kCFXMLNodeTypeEntityReference:
      Check(info != nullptr, "a document and an entity reference have a record");
      break;
    case kCFXMLNodeTypeComment:
    case kCFXMLNodeTypeCDATASection:
      Check(info == nullptr, "a comment and a CDATA section have no record");
      break;
    default:
      Check(false, "a node has a known type");
  }
}

// A string-table entry from any node ends as a literal or an unloaded
// reference, and a reference only when both attributes were given.
void CheckEntry(CFTreeRef tree, VelUtResString& s) {
  Check(s.Load(tree) == 1, "an entry loads from any node");
  Check(s.mFlags == 0 || s.mFlags == VelUtResString::kReference, "an entry has known flags");
  if (s.mFlags == 0)
    Check(s.mId == 0 && s.mSrc.empty(), "a literal entry has no id and no source");
  else
    Check(!s.mSrc.empty() && s.mText.empty(), "a reference has a source and no text yet");
}

void Document(fuzz::Input& in) {
  CFDataRef bytes = CFDataCreate(kCFAllocatorDefault, in.data(), static_cast<CFIndex>(in.size()));
  Check(bytes != nullptr, "the bytes are held");
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
      Check(CFTreeGetChildAtIndex(tree, next) == nullptr, "no child past the count");
      stack.pop_back();
      continue;
    }
    CFTreeRef child = CFTreeGetChildAtIndex(tree, next);
    Check(CFTreeGetParent(child) == tree, "a child's parent is the tree it is in");
    Check(CFTreeGetNextSibling(child) == CFTreeGetChildAtIndex(tree, next + 1),
          "a child's next sibling is the next child");
    Check(CFGetRetainCount(child) == 1, "a child is held by its parent only");
    ++next;
    CheckNode(CFXMLTreeGetNode(child), false);
    CheckEntry(child, entry);
    if (stack.size() == 1 && CFXMLNodeGetTypeCode(CFXMLTreeGetNode(child)) == kCFXMLNodeTypeElement)
      ++elements_at_top;
    stack.emplace_back(child, 0);
  }
  Check(elements_at_top == 1, "a document has one root element");
  Check(entry.Load(nullptr) == 0, "no entry loads from no node");
  CFRelease(doc);
}

}  // namespace

const std::vector<fuzz::Case> fuzz::kCases = {{"XML document", Document}};
