// CFXMLNode: one node of a parsed document, and the node an XML tree
// carries.
#include "Object.h"

using velcf::detail::Cast;

CFTypeID CFXMLNodeGetTypeID(void) { return __CFXMLNode::kType; }

CFXMLNodeTypeCode CFXMLNodeGetTypeCode(CFXMLNodeRef node) {
  const auto* n = Cast<__CFXMLNode>(node);
  return n != nullptr ? n->code() : 0;
}

CFStringRef CFXMLNodeGetString(CFXMLNodeRef node) {
  const auto* n = Cast<__CFXMLNode>(node);
  return n != nullptr ? n->string : nullptr;
}

const void* CFXMLNodeGetInfoPtr(CFXMLNodeRef node) {
  const auto* n = Cast<__CFXMLNode>(node);
  return n != nullptr ? n->info() : nullptr;
}

CFIndex CFXMLNodeGetVersion(CFXMLNodeRef node) {
  return Cast<__CFXMLNode>(node) != nullptr ? kCFXMLNodeCurrentVersion : 0;
}

CFXMLNodeRef CFXMLTreeGetNode(CFXMLTreeRef xmlTree) {
  const auto* tree = Cast<__CFTree>(xmlTree);
  return tree != nullptr ? tree->node() : nullptr;
}
