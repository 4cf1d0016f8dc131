// Reading a string-table entry from its XML subtree.
#include <VelUt/VelUtResString.h>

#include "platform/Layer.h"

namespace {

// The value of attribute `name` as a wide text; "" when it is absent.
// `kept`: the name as a platform string made once (a table has thousands
// of entries), or null when that failed and one is made for this call.
CStdStr<wchar_t> AttributeValue(CFDictionaryRef attributes, const wchar_t* name, CFStringRef kept) {
  CStdStr<wchar_t> value;
  CFStringRef key = kept != nullptr ? kept : CreateCFStringFromUTF32(name);
  if (CFDictionaryContainsKey(attributes, key)) {
    CFString2CString(static_cast<CFStringRef>(CFDictionaryGetValue(attributes, key)), value);
  }
  if (key != kept) CFRelease(key);
  return value;
}

bool IsNodeOfType(CFTreeRef tree, CFXMLNodeTypeCode type) {
  const CFXMLNodeRef node = CFXMLTreeGetNode(tree);
  return node != nullptr && CFXMLNodeGetTypeCode(node) == type;
}

// The first child of `tree` whose node has type `type`, or null.
CFTreeRef FirstChildOfType(CFTreeRef tree, CFXMLNodeTypeCode type) {
  const CFIndex count = CFTreeGetChildCount(tree);
  for (CFIndex i = 0; i < count; ++i) {
    CFTreeRef child = CFTreeGetChildAtIndex(tree, i);
    if (child != nullptr && IsNodeOfType(child, type)) return child;
  }
  return nullptr;
}

}  // namespace

int VelUtResString::Load(__CFTree* entry) {
  if (entry == nullptr) return 0;
  mText.clear();
  mFlags = 0;
  mId = 0;
  mSrc.clear();

  CFDictionaryRef attributes = nullptr;
  const CFXMLNodeRef node = CFXMLTreeGetNode(entry);
  if (node != nullptr && CFXMLNodeGetTypeCode(node) == kCFXMLNodeTypeElement) {
    const auto* info = static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(node));
    if (info != nullptr) attributes = info->attributes;
  }

  if (attributes != nullptr && CFDictionaryGetCount(attributes) > 0) {
    static const CFStringRef kResource = CreateCFStringFromUTF32(L"resource");
    static const CFStringRef kSrc = CreateCFStringFromUTF32(L"src");
    const CStdStr<wchar_t> resource = AttributeValue(attributes, L"resource", kResource);
    const CStdStr<wchar_t> src = AttributeValue(attributes, L"src", kSrc);
    if (!resource.empty() && !src.empty()) {
      Set(static_cast<unsigned int>(ms_wtoi(resource.c_str())), src.c_str());
      return 1;
    }
  }

  // A literal: the first text node of the text parent, which is the first
  // child element, or the entry itself when it has none.
  CFTreeRef parent = FirstChildOfType(entry, kCFXMLNodeTypeElement);
  if (parent == nullptr) parent = entry;
  CStdStr<wchar_t> content;
  if (CFTreeRef text = FirstChildOfType(parent, kCFXMLNodeTypeText)) {
    if (CFStringRef s = CFXMLNodeGetString(CFXMLTreeGetNode(text))) CFString2CString(s, content);
  }
  mText = std::move(content);
  mFlags = 0;
  mId = 0;
  mSrc.clear();
  return 1;
}

int VelUtResString::Set(unsigned int id, const wchar_t* src) {
  mFlags |= kReference;
  mId = id;
  // src may point into mSrc itself: copy it before replacing.
  CStdStr<wchar_t> name(std::wstring(src ? src : L""));
  mSrc.swap(name);
  mText.clear();
  return 1;
}
