// CFXMLTreeCreateFromData: parses an XML document into a CFXMLTree.
#pragma once

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFXMLNode.h>

CF_EXTERN_C_BEGIN

// CFXMLParserOptions: the option bits of CFXMLTreeCreateFromData (see
// there for the ones it honours).
typedef CF_OPTIONS(CFOptionFlags, CFXMLParserOptions) {
  // Accepted, with no effect: nothing is validated.
  kCFXMLParserValidateDocument = (1UL << 0),
  // Leaves out the comments and processing instructions (the XML declaration too).
  kCFXMLParserSkipMetaData = (1UL << 1),
  // Accepted, with no effect.
  kCFXMLParserReplacePhysicalEntities = (1UL << 2),
  // Leaves out the white-space nodes.
  kCFXMLParserSkipWhitespace = (1UL << 3),
  // Accepted, with no effect: external entities are never resolved.
  kCFXMLParserResolveExternalEntities = (1UL << 4),
  // Accepted, with no effect.
  kCFXMLParserAddImpliedAttributes = (1UL << 5),
  // Every option.
  kCFXMLParserAllOptions = 0x00FFFFFF,
  // No option.
  kCFXMLParserNoOptions = 0,
};

// CFXMLTreeCreateFromData: parses the document in `xmlData` into a new tree,
// which the caller releases, or returns null when the document is not
// well-formed XML (or is null or empty) and when memory runs out.
//
// The root of the tree carries the document node (type 1); its children
// are the document's top-level nodes in order, one of them the root
// element; each element's children are its content in document order
// (node types in CFXMLNode.h).
//
// Text: references to the predefined entities (&lt; &gt; &amp; &apos;
// &quot;) and character references (&#233; &#xE9;) are resolved into the
// text; line ends (CR LF, CR) read as LF, as XML prescribes. A run of text
// made only of spaces, tabs, CRs and LFs, written without references, is
// a white-space node (12) wherever it stands, inside an element or between
// top-level nodes; all other text is a text node (6). Adjacent text is one
// node, but a CDATA section, comment or other node between two runs
// separates them. Attribute values are resolved the same way, with their
// literal tabs and line ends turned into spaces.
//
// Entities: the document type declaration is kept as a node (11) but never
// read: no DTD, internal subset or external entity is ever loaded or
// expanded. A reference to any other entity is an entity-reference node
// (10) inside text when the document has a document type declaration, and
// stays in an attribute value as written; without one it makes the
// document malformed, as XML prescribes.
//
// Encodings: UTF-8 and UTF-16 (little- or big-endian), with or without a
// byte-order mark, and the 8-bit ISO-8859-1 and windows-1252 when the XML
// declaration names them. A byte-order mark decides the encoding whatever
// the declaration says; without one, a UTF-16 document is recognised by
// its first character ("<" in UTF-16 has a zero byte). Otherwise the
// declaration's encoding decides ("UTF-8", "US-ASCII",
// "ISO-8859-1", "latin1", "windows-1252"; a "UTF-16" label on 8-bit
// content reads it as UTF-8); an unknown encoding gives null. An invalid
// byte sequence, an unpaired surrogate or a character that XML forbids
// (U+0000, most C0 controls, U+FFFE, U+FFFF) gives null.
//
// Malformed documents give null, among them: unclosed or mismatched tags,
// truncation, no root element or more than one, text outside the root
// element, a duplicate attribute, "<" or a bare "&" in an attribute value,
// a bare "&" or "]]>" in text, "--" inside a comment, an XML declaration
// anywhere but at the very start, a document type declaration after the
// root element or twice, and a character reference to a character XML
// forbids.
//
// Options: kCFXMLParserSkipWhitespace leaves out the white-space nodes,
// kCFXMLParserSkipMetaData the comments and processing instructions (the
// XML declaration included). The other options change nothing: there is no
// validation, and external entities are never resolved. `allocator` and
// `dataSource` are ignored; `versionOfNodes` is accepted whatever its value,
// and the nodes are of version kCFXMLNodeCurrentVersion.
//
// The parser and the tree it builds use no recursion, so a document nested
// a million levels deep parses and releases without exhausting the stack.
// The tree holds memory in proportion to its nodes and texts: each run of
// a text cut by entity references takes room for itself alone, and the
// white-space nodes of equal text share one string.
// That memory comes in blocks that double from 4 KiB up to 8 MiB, the
// first sized for about four times the document, and blocks of 2 MiB and
// more are asked for in huge pages. A thread that releases a document
// keeps the largest of its blocks (one block, at most 8 MiB) for the next
// document it parses, and frees it when it exits.
//
// Example:
//   CFDataRef data = CFDataCreate(NULL, (const UInt8*)"<t><s id='a'>Hi</s></t>", 23);
//   CFXMLTreeRef doc = CFXMLTreeCreateFromData(NULL, data, NULL,
//       kCFXMLParserNoOptions, kCFXMLNodeCurrentVersion);
//   // doc: Document -> Element "t" -> Element "s" {id: "a"} -> Text "Hi"
//   CFRelease(doc);
//   CFRelease(data);
VELCF_API CFXMLTreeRef CFXMLTreeCreateFromData(CFAllocatorRef allocator, CFDataRef xmlData,
                                               CFURLRef dataSource, CFOptionFlags parseOptions,
                                               CFIndex versionOfNodes);

CF_EXTERN_C_END
