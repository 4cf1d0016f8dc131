// CFXMLNode: one node of a parsed XML document, and CFXMLTree, the tree of
// such nodes that CFXMLTreeCreateFromData builds.
//
// What each node type carries:
//
//   type code                  string                 info (CFXMLNodeGetInfoPtr)
//   1  Document                null                   CFXMLDocumentInfo
//   2  Element                 tag name               CFXMLElementInfo
//   4  ProcessingInstruction   target                 CFXMLProcessingInstructionInfo
//   5  Comment                 text of the comment    null
//   6  Text                    text, entities resolved null
//   7  CDATASection            text of the section    null
//   10 EntityReference         entity name            CFXMLEntityReferenceInfo
//   11 DocumentType            root element name      CFXMLDocumentTypeInfo
//   12 Whitespace              the white space        null
//
// The parser makes no nodes of the other types. The XML declaration is a
// processing instruction with the target "xml" and the declaration's
// pseudo-attributes as its data.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFTree.h>

CF_EXTERN_C_BEGIN

enum { kCFXMLNodeCurrentVersion = 1 };

// References to a node, and to a tree whose every node holds a CFXMLNode.
typedef const struct __CFXMLNode* CFXMLNodeRef;
typedef CFTreeRef CFXMLTreeRef;

// CFXMLNodeTypeCode: the type of a node (see the table above).
typedef CF_ENUM(CFIndex, CFXMLNodeTypeCode) {
  kCFXMLNodeTypeDocument = 1,
  kCFXMLNodeTypeElement = 2,
  kCFXMLNodeTypeAttribute = 3,
  kCFXMLNodeTypeProcessingInstruction = 4,
  kCFXMLNodeTypeComment = 5,
  kCFXMLNodeTypeText = 6,
  kCFXMLNodeTypeCDATASection = 7,
  kCFXMLNodeTypeDocumentFragment = 8,
  kCFXMLNodeTypeEntity = 9,
  kCFXMLNodeTypeEntityReference = 10,
  kCFXMLNodeTypeDocumentType = 11,
  kCFXMLNodeTypeWhitespace = 12,
  kCFXMLNodeTypeNotation = 13,
  kCFXMLNodeTypeElementTypeDeclaration = 14,
  kCFXMLNodeTypeAttributeListDeclaration = 15,
};

// An element's attributes: `attributes` maps each attribute name to its
// value (both CFStrings, the value with its references resolved);
// `attributeOrder` lists the names in document order. Both are present,
// possibly empty. `isEmpty` is true for an empty-element tag (<e/>), false
// for a start tag (<e></e>).
typedef struct {
  CFDictionaryRef attributes;  // attribute name -> value
  CFArrayRef attributeOrder;   // attribute names, in document order
  Boolean isEmpty;             // true for <e/>, false for <e></e>
  char _reserved[3];           // padding
} CFXMLElementInfo;

// A processing instruction's data: what follows its target.
typedef struct {
  CFStringRef dataString;  // the data, as written
} CFXMLProcessingInstructionInfo;

// The document's source (always null: the layer has no URLs) and the
// encoding its bytes were read in.
typedef struct {
  CFURLRef sourceURL;         // always null
  CFStringEncoding encoding;  // the encoding the bytes were read in
} CFXMLDocumentInfo;

// A document type's external identifier: the public identifier when one
// is given, else null. The system identifier is never resolved, so
// `systemID` is always null.
typedef struct {
  CFURLRef systemID;     // always null
  CFStringRef publicID;  // the public identifier, or null
} CFXMLExternalID;

// A document type declaration's external identifier.
typedef struct {
  CFXMLExternalID externalID;  // as declared
} CFXMLDocumentTypeInfo;

// CFXMLEntityTypeCode: the kind of an entity; the layer reports only
// kCFXMLEntityTypeParsedInternal.
typedef CF_ENUM(CFIndex, CFXMLEntityTypeCode) {
  kCFXMLEntityTypeParameter = 0,
  kCFXMLEntityTypeParsedInternal = 1,
  kCFXMLEntityTypeParsedExternal = 2,
  kCFXMLEntityTypeUnparsed = 3,
  kCFXMLEntityTypeCharacter = 4,
};

// A reference to an entity that is not predefined; the layer never reads
// declarations, so its type is always kCFXMLEntityTypeParsedInternal.
typedef struct {
  CFXMLEntityTypeCode entityType;  // always kCFXMLEntityTypeParsedInternal
} CFXMLEntityReferenceInfo;

// CFXMLNodeGetTypeID: the type of every CFXMLNode object.
VELCF_API CFTypeID CFXMLNodeGetTypeID(void);

// CFXMLNodeGetTypeCode: the node's type (table above); 0 for null.
VELCF_API CFXMLNodeTypeCode CFXMLNodeGetTypeCode(CFXMLNodeRef node);

// CFXMLNodeGetString: the node's string (table above), not owned by the
// caller; null for a document node and for null.
// Example: the node of <label id="x">Hi</label> -> "label"; its child -> "Hi"
VELCF_API CFStringRef CFXMLNodeGetString(CFXMLNodeRef node);

// CFXMLNodeGetInfoPtr: the node's type-specific record (table above), valid
// while the node lives; null for types without one and for null.
// Example: ((const CFXMLElementInfo*)CFXMLNodeGetInfoPtr(element))->attributes
VELCF_API const void* CFXMLNodeGetInfoPtr(CFXMLNodeRef node);

// CFXMLNodeGetVersion: the node's version, kCFXMLNodeCurrentVersion; 0 for
// null.
VELCF_API CFIndex CFXMLNodeGetVersion(CFXMLNodeRef node);

// CFXMLTreeGetNode: the node that `xmlTree` carries (not owned by the
// caller); null for null.
VELCF_API CFXMLNodeRef CFXMLTreeGetNode(CFXMLTreeRef xmlTree);

CF_EXTERN_C_END
