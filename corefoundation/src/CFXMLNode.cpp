// CFXMLNode: one node of a parsed document, and the node an XML tree
// carries.
#include "Object.h"

using velcf::detail::Cast;
using velcf::detail::ReleaseQueue;

void __CFXMLNode::DropReferences(ReleaseQueue& queue) {
  queue.Release(string);
  switch (type) {
    case kCFXMLNodeTypeElement:
      queue.Release(info.element.attributes);
      queue.Release(info.element.attributeOrder);
      break;
    case kCFXMLNodeTypeProcessingInstruction:
      queue.Release(info.instruction.dataString);
      break;
    case kCFXMLNodeTypeDocumentType:
      queue.Release(info.doctype.externalID.publicID);
      break;
    default:
      break;
  }
}

CFTypeID CFXMLNodeGetTypeID(void) { return __CFXMLNode::kType; }

CFXMLNodeTypeCode CFXMLNodeGetTypeCode(CFXMLNodeRef node) {
  const auto* n = Cast<__CFXMLNode>(node);
  return n != nullptr ? n->type : 0;
}

CFStringRef CFXMLNodeGetString(CFXMLNodeRef node) {
  const auto* n = Cast<__CFXMLNode>(node);
  return n != nullptr ? n->string : nullptr;
}

const void* CFXMLNodeGetInfoPtr(CFXMLNodeRef node) {
  const auto* n = Cast<__CFXMLNode>(node);
  if (n == nullptr) return nullptr;
  switch (n->type) {
    case kCFXMLNodeTypeDocument:
      return &n->info.document;
    case kCFXMLNodeTypeElement:
      return &n->info.element;
    case kCFXMLNodeTypeProcessingInstruction:
      return &n->info.instruction;
    case kCFXMLNodeTypeDocumentType:
      return &n->info.doctype;
    case kCFXMLNodeTypeEntityReference:
      return &n->info.entity;
    default:
      return nullptr;
  }
}

CFIndex CFXMLNodeGetVersion(CFXMLNodeRef node) {
  return Cast<__CFXMLNode>(node) != nullptr ? kCFXMLNodeCurrentVersion : 0;
}

CFXMLNodeRef CFXMLTreeGetNode(CFXMLTreeRef xmlTree) {
  const auto* tree = Cast<__CFTree>(xmlTree);
  return tree != nullptr ? Cast<__CFXMLNode>(tree->info) : nullptr;
}
