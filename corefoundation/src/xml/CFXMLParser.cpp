// CFXMLTreeCreateFromData: pugixml reads the structure of the document; this
// file checks what pugixml lets pass, resolves references itself (so that
// other entities become nodes of their own and nothing is ever expanded)
// and builds the CFTree of CFXMLNodes without recursion. The tree lives in
// an arena of its own: each text is converted straight into it, and
// element names, attribute names and white-space runs are stored once per
// document however often they occur. The byte scanner, the reference
// reader, the interner and the reading of the markup as written live in
// XMLScan, XMLReference, XMLInterner and XMLMarkup.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "Arena.h"
#include "Object.h"
#include "XMLChars.h"
#include "XMLDecode.h"
#include "XMLInterner.h"
#include "XMLMarkup.h"
#include "XMLReference.h"
#include "XMLScan.h"

namespace velcf::detail {
namespace {

// pugixml leaves references alone (no parse_escapes): they are resolved
// here. parse_fragment keeps the text between top-level nodes, so that
// white space there becomes nodes and other text there can be refused.
constexpr unsigned kPugiOptions = pugi::parse_cdata | pugi::parse_wconv_attribute |
                                  pugi::parse_eol | pugi::parse_comments | pugi::parse_declaration |
                                  pugi::parse_doctype | pugi::parse_pi | pugi::parse_ws_pcdata |
                                  pugi::parse_fragment;

std::size_t UnitsOf(char32_t cp) { return cp < 0x10000 ? 1 : 2; }

const unsigned char* Bytes(const char* text) {
  return reinterpret_cast<const unsigned char*>(text);
}

// True when a repeated key of `attributes` (whose keys are interned, so
// that equal names are the same string) is found, in `order` when it has
// one, which is sorted here.
bool HasRepeatedKey(__CFDictionary& attributes) {
  const Object** keys = attributes.keys;
  const auto count = static_cast<std::size_t>(attributes.count);
  std::uint32_t* order = attributes.order;
  if (order == nullptr) {
    for (std::size_t i = 1; i < count; ++i) {
      for (std::size_t j = 0; j < i; ++j) {
        if (keys[i] == keys[j]) return true;
      }
    }
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<std::uint32_t>(i);
  std::sort(order, order + count, [keys](std::uint32_t a, std::uint32_t b) {
    return static_cast<const __CFString*>(keys[a])->SortsBefore(
        *static_cast<const __CFString*>(keys[b]));
  });
  for (std::size_t i = 1; i < count; ++i) {
    if (keys[order[i - 1]] == keys[order[i]]) return true;
  }
  return false;
}

// About the bytes the tree of a document will take: some 128 bytes per
// markup ('<'), counted in the first 64 KiB of its text and scaled to the
// whole. Only a hint for the arena's first block.
std::size_t ExpectedTreeBytes(const char* text, std::size_t size) {
  constexpr std::size_t kSample = 65536;
  constexpr std::size_t kBytesPerMarkup = 128;
  const std::size_t sample = std::min(size, kSample);
  std::size_t markups = 0;
  for (std::size_t i = 0; i < sample; ++i) markups += text[i] == '<' ? 1 : 0;
  if (sample == 0) return 0;
  // In 64 bits, so that a 32-bit size cannot overflow; at most 16 MiB.
  const std::uint64_t expected = std::uint64_t{markups} * kBytesPerMarkup * (size / sample);
  return static_cast<std::size_t>(std::min<std::uint64_t>(expected, std::uint64_t{16} << 20));
}

class Builder {
 public:
  // `buffer`: the copy of the document's text that pugixml parsed in place.
  Builder(const DecodedDocument& document, const char* buffer, CFOptionFlags options, Arena& arena)
      : arena_(arena),
        text_(document.text, document.size),
        buffer_(buffer),
        encoding_(document.encoding),
        skip_whitespace_((options & kCFXMLParserSkipWhitespace) != 0),
        skip_metadata_((options & kCFXMLParserSkipMetaData) != 0) {}

  // The tree of the parsed document, or null when it is malformed.
  __CFTree* Build(const pugi::xml_document& document);

 private:
  struct Frame {
    pugi::xml_node next;
    __CFTree* tree = nullptr;
    std::size_t first_child = 0;  // its children's place in children_
  };

  // A new tree with a node of `type` carrying `string` (one reference of
  // it, may be null), as the last child of the innermost open element.
  __CFTree* AddTree(CFXMLNodeTypeCode type, const __CFString* string);
  // Starts adding the children of `tree`, from `first` on.
  void Open(pugi::xml_node first, __CFTree* tree) {
    // Field by field: a whole new frame read back at once would wait for
    // the stores of its parts.
    Frame& frame = stack_.emplace_back();
    frame.next = first;
    frame.tree = tree;
    frame.first_child = children_.size();
  }
  // Gives the tree of `frame` its children, which end children_.
  void Close(const Frame& frame);
  // A string of `units` units to be written at `out`.
  __CFString* NewString(std::size_t units);
  // A string of the checked UTF-8 text [text, text + size).
  const __CFString* StringOf(const char* text, std::size_t size);
  const __CFString* StringOf(const char* text) { return StringOf(text, std::strlen(text)); }
  const __CFString* StringOf(std::string_view text) { return StringOf(text.data(), text.size()); }
  // The same, stored once per document, with one more reference.
  const __CFString* Intern(const char* text, std::size_t size) {
    if (const __CFString* found = interned_.Find(text, size)) {
      const_cast<__CFString*>(found)->AddBuildReference();
      return found;
    }
    return InternNew(text, size);
  }
  const __CFString* InternNew(const char* text, std::size_t size);
  // Adds `node` to the innermost open element; false when it is malformed.
  bool AddNode(const pugi::xml_node& node, bool top_level);
  bool AddElement(const pugi::xml_node& element, __CFTree*& added);
  // Gives `info` the empty attributes that elements without any share.
  void ShareNoAttributes(CFXMLElementInfo& info);
  // Gives `info` the attributes in attributes_ (not empty).
  bool AddAttributes(CFXMLElementInfo& info);
  bool AddText(const char* raw, bool top_level);
  // Adds the text run from p on (see ConvertText) as a text or white-space
  // node, if it is not empty, and moves p past it.
  bool AddTextRun(const unsigned char*& p, const unsigned char* end);
  // Adds the reference to another entity at p as a node; moves p past it.
  bool AddEntityReference(const unsigned char*& p);
  bool AddComment(const char* text);
  bool AddInstruction(const char* target, const char* data, std::size_t size);
  bool AddDeclaration(const pugi::xml_node& declaration);
  bool AddDocumentType(const char* text);
  // The value of an attribute as written at `raw`, references resolved;
  // null when it is malformed.
  const __CFString* AttributeValue(const char* raw);
  std::size_t OffsetInText(const char* string) const;
  // True for an element written as an empty-element tag ("<e/>"), not as
  // a start tag ("<e>"); its attributes are in attributes_.
  bool WrittenEmpty(const pugi::xml_node& element, const char* name, std::size_t name_size) const;

  Arena& arena_;
  std::string_view text_;  // the document as written
  const char* buffer_;
  CFStringEncoding encoding_;
  bool skip_whitespace_;
  bool skip_metadata_;
  bool has_doctype_ = false;
  bool has_root_ = false;
  std::vector<Frame> stack_;
  std::vector<__CFTree*> children_;
  struct Attribute {
    const char* name;
    const char* value;
  };
  std::vector<Attribute> attributes_;  // of the element being added
  Interner interned_;
  // Shared by the elements without attributes.
  __CFDictionary* no_attributes_ = nullptr;
  __CFArray* no_names_ = nullptr;
};

__CFXMLNode& NodeOf(__CFTree* tree) { return const_cast<__CFXMLNode&>(*tree->node()); }

__CFTree* Builder::AddTree(CFXMLNodeTypeCode type, const __CFString* string) {
  const std::size_t info = __CFXMLNode::InfoSize(type);
  char* place = static_cast<char*>(arena_.Allocate(sizeof(__CFTree) + sizeof(__CFXMLNode) + info));
  auto* tree = arena_.Make<__CFTree>(place);
  auto* node = arena_.Make<__CFXMLNode>(place + sizeof(__CFTree), type);
  std::memset(static_cast<void*>(node + 1), 0, info);
  node->string = string;
  if (!stack_.empty()) {
    const Frame& frame = stack_.back();
    const std::size_t index = children_.size() - frame.first_child;
    if (index >= UINT32_MAX) throw std::bad_alloc();
    tree->parent = frame.tree;
    tree->index_in_parent = static_cast<std::uint32_t>(index);
    children_.push_back(tree);
  }
  return tree;
}

void Builder::Close(const Frame& frame) {
  const std::size_t count = children_.size() - frame.first_child;
  if (count == 0) return;
  auto** children = static_cast<__CFTree**>(arena_.Allocate(count * sizeof(void*)));
  std::copy(children_.begin() + static_cast<std::ptrdiff_t>(frame.first_child), children_.end(),
            children);
  frame.tree->children = children;
  frame.tree->child_count = static_cast<std::uint32_t>(count);
  children_.resize(frame.first_child);
}

__CFString* Builder::NewString(std::size_t units) {
  return arena_.Make<__CFString>(arena_.Allocate(__CFString::SizeFor(units)),
                                 static_cast<CFIndex>(units));
}

const __CFString* Builder::StringOf(const char* text, std::size_t size) {
  const unsigned char* p = Bytes(text);
  const unsigned char* const end = p + size;
  const std::size_t ascii = AsciiPrefix(p, size);
  const bool plain = ascii == size;
  std::size_t units = ascii;
  for (const unsigned char* q = p + ascii; q < end;) units += UnitsOf(NextChar(q));
  __CFString* string = NewString(units);
  UniChar* out = string->units();
  if (plain) {
    std::copy(p, end, out);
  } else {
    while (p < end) out = WriteUtf16(out, NextChar(p));
  }
  return string;
}

const __CFString* Builder::InternNew(const char* text, std::size_t size) {
  const __CFString* string = StringOf(text, size);
  interned_.Add(string);
  return string;
}

__CFTree* Builder::Build(const pugi::xml_document& document) {
  __CFTree* root = AddTree(kCFXMLNodeTypeDocument, nullptr);
  NodeOf(root).info_as<CFXMLDocumentInfo>().encoding = encoding_;
  Open(document.first_child(), root);
  while (!stack_.empty()) {
    const pugi::xml_node node = stack_.back().next;
    if (!node) {
      Close(stack_.back());
      stack_.pop_back();
      continue;
    }
    stack_.back().next = node.next_sibling();
    if (!AddNode(node, stack_.size() == 1)) return nullptr;
  }
  return has_root_ ? root : nullptr;
}

bool Builder::AddNode(const pugi::xml_node& node, bool top_level) {
  switch (node.type()) {
    case pugi::node_element: {
      if (top_level && has_root_) return false;
      has_root_ = has_root_ || top_level;
      __CFTree* added = nullptr;
      if (!AddElement(node, added)) return false;
      Open(node.first_child(), added);
      return true;
    }
    case pugi::node_pcdata:
      return AddText(node.value(), top_level);
    case pugi::node_cdata:
      if (top_level) return false;
      AddTree(kCFXMLNodeTypeCDATASection, StringOf(node.value()));
      return true;
    case pugi::node_comment:
      return AddComment(node.value());
    case pugi::node_pi: {
      const char* data = node.value();
      return AddInstruction(node.name(), data, std::strlen(data));
    }
    case pugi::node_declaration:
      return AddDeclaration(node);
    case pugi::node_doctype: {
      const bool ok = top_level && !has_doctype_ && !has_root_ && AddDocumentType(node.value());
      has_doctype_ = true;
      return ok;
    }
    default:
      return false;
  }
}

bool Builder::AddElement(const pugi::xml_node& element, __CFTree*& added) {
  const char* name = element.name();
  const std::size_t name_size = std::strlen(name);
  added = AddTree(kCFXMLNodeTypeElement, Intern(name, name_size));
  CFXMLElementInfo& info = NodeOf(added).info_as<CFXMLElementInfo>();
  attributes_.clear();
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    attributes_.push_back({a.name(), a.value()});
  }
  info.isEmpty = WrittenEmpty(element, name, name_size);
  if (attributes_.empty()) {
    ShareNoAttributes(info);
    return true;
  }
  return AddAttributes(info);
}

void Builder::ShareNoAttributes(CFXMLElementInfo& info) {
  if (no_attributes_ == nullptr) {
    no_attributes_ = arena_.Make<__CFDictionary>(arena_.Allocate(sizeof(__CFDictionary)));
    no_names_ = arena_.Make<__CFArray>(arena_.Allocate(sizeof(__CFArray)));
  } else {
    no_attributes_->AddBuildReference();
    no_names_->AddBuildReference();
  }
  info.attributes = no_attributes_;
  info.attributeOrder = no_names_;
}

bool Builder::AddAttributes(CFXMLElementInfo& info) {
  const std::size_t count = attributes_.size();
  const bool indexed = count > static_cast<std::size_t>(__CFDictionary::kLinearLookup);
  const std::size_t order_bytes =
      indexed ? (count * sizeof(std::uint32_t) + 7) & ~std::size_t{7} : 0;
  char* place = static_cast<char*>(arena_.Allocate(sizeof(__CFDictionary) + sizeof(__CFArray) +
                                                   2 * count * sizeof(void*) + order_bytes));
  auto* attributes = arena_.Make<__CFDictionary>(place);
  auto* names = arena_.Make<__CFArray>(place + sizeof(__CFDictionary));
  attributes->keys =
      reinterpret_cast<const Object**>(place + sizeof(__CFDictionary) + sizeof(__CFArray));
  attributes->values = attributes->keys + count;
  if (indexed) attributes->order = reinterpret_cast<std::uint32_t*>(attributes->values + count);
  names->values = attributes->keys;
  info.attributes = attributes;
  info.attributeOrder = names;
  // The pairs are counted as they are filled, so that a failure leaves
  // nothing half made.
  for (const Attribute& a : attributes_) {
    const __CFString* value = AttributeValue(a.value);
    if (value == nullptr) return false;
    const __CFString* name_string = Intern(a.name, std::strlen(a.name));
    const_cast<__CFString*>(name_string)->AddBuildReference();  // held twice
    attributes->keys[attributes->count] = name_string;
    attributes->values[attributes->count] = value;
    ++attributes->count;
    ++names->count;
  }
  return !HasRepeatedKey(*attributes);
}

bool Builder::AddText(const char* raw, bool top_level) {
  const unsigned char* p = Bytes(raw);
  const unsigned char* const end = p + std::strlen(raw);
  if (top_level) {
    // Only white space may stand between the top-level nodes.
    for (const unsigned char* q = p; q < end; ++q) {
      if (!IsXmlSpace(*q)) return false;
    }
  }
  while (p < end) {
    if (!AddTextRun(p, end)) return false;
    if (*p == '&' && !AddEntityReference(p)) return false;
  }
  return true;
}

bool Builder::AddTextRun(const unsigned char*& p, const unsigned char* end) {
  // Written straight into the arena: the run takes at most a unit per
  // byte, and what it leaves is given back.
  const unsigned char* const start = p;
  const unsigned char* const run_end = has_doctype_ ? RunEnd(p, end) : end;
  char* const place = static_cast<char*>(
      arena_.Allocate(__CFString::SizeFor(static_cast<std::size_t>(run_end - p))));
  UniChar* const units = reinterpret_cast<UniChar*>(place + sizeof(__CFString));
  UniChar* out = units;
  unsigned not_space = 0;
  if (!ConvertText(p, run_end, out, not_space)) return false;
  const auto count = static_cast<std::size_t>(out - units);
  if (count != 0 && not_space != 0) {
    __CFString* string = arena_.Make<__CFString>(place, static_cast<CFIndex>(count));
    arena_.GiveBack(place + __CFString::SizeFor(count));
    AddTree(kCFXMLNodeTypeText, string);
    return true;
  }
  arena_.GiveBack(place);
  if (count != 0 && !skip_whitespace_) {
    AddTree(kCFXMLNodeTypeWhitespace,
            Intern(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p - start)));
  }
  return true;
}

bool Builder::AddEntityReference(const unsigned char*& p) {
  if (!has_doctype_) return false;
  char32_t cp = 0;
  std::string_view name;
  ReadReference(p, cp, name, p);
  __CFTree* tree = AddTree(kCFXMLNodeTypeEntityReference, StringOf(name));
  NodeOf(tree).info_as<CFXMLEntityReferenceInfo>().entityType = kCFXMLEntityTypeParsedInternal;
  return true;
}

const __CFString* Builder::AttributeValue(const char* raw) {
  // Written straight into the arena, as a text run is.
  const std::size_t size = std::strlen(raw);
  char* const place = static_cast<char*>(arena_.Allocate(__CFString::SizeFor(size)));
  UniChar* const units = reinterpret_cast<UniChar*>(place + sizeof(__CFString));
  UniChar* out = units;
  const unsigned char* p = Bytes(raw);
  // `end` only bounds the block copy, which a wrong end would slow, not
  // change: the value itself ends at its zero byte.
  const unsigned char* const end = p + size;
  unsigned not_space = 0;  // not needed here
  for (;;) {
    const std::size_t copied = CopyPlainBlocks(p, end, out, '&', '<', not_space);
    p += copied;
    out += copied;
    while (kAttributeBytes.of[*p] != kStop) *out++ = *p++;
    if (*p == 0) break;
    if (*p == '<') return nullptr;
    if (*p != '&') {
      out = WriteUtf16(out, NextChar(p));
      continue;
    }
    const unsigned char* start = p;
    char32_t cp = 0;
    std::string_view name;
    switch (ReadReference(p, cp, name, p)) {
      case Reference::kCharacter:
        out = WriteUtf16(out, cp);
        break;
      case Reference::kEntity:
        // Kept as written: an attribute value has no place for a node.
        if (!has_doctype_) return nullptr;
        while (start < p) out = WriteUtf16(out, NextChar(start));
        break;
      case Reference::kMalformed:
        return nullptr;
    }
  }
  const auto count = static_cast<std::size_t>(out - units);
  __CFString* string = arena_.Make<__CFString>(place, static_cast<CFIndex>(count));
  arena_.GiveBack(place + __CFString::SizeFor(count));
  return string;
}

bool Builder::AddComment(const char* text) {
  const std::size_t n = std::strlen(text);
  if (std::strstr(text, "--") != nullptr || (n > 0 && text[n - 1] == '-')) {
    return false;
  }
  if (!skip_metadata_) AddTree(kCFXMLNodeTypeComment, StringOf(text, n));
  return true;
}

bool Builder::AddInstruction(const char* target, const char* data, std::size_t size) {
  if (skip_metadata_) return true;
  __CFTree* tree = AddTree(kCFXMLNodeTypeProcessingInstruction, StringOf(target));
  NodeOf(tree).info_as<CFXMLProcessingInstructionInfo>().dataString = StringOf(data, size);
  return true;
}

bool Builder::AddDeclaration(const pugi::xml_node& declaration) {
  // Only "<?xml" at the very start of the document declares it; pugixml
  // also takes a later one, or "<?XML".
  if (OffsetInText(declaration.name()) != 2 || text_.substr(0, 5) != "<?xml") return false;
  const std::string_view data = DeclarationData(text_);
  return AddInstruction("xml", data.data(), data.size());
}

bool Builder::AddDocumentType(const char* text) {
  std::string_view name;
  std::string_view public_id;
  if (!ParseDocumentType(text, name, public_id)) return false;
  __CFTree* tree = AddTree(kCFXMLNodeTypeDocumentType, StringOf(name));
  if (public_id.data() != nullptr) {
    NodeOf(tree).info_as<CFXMLDocumentTypeInfo>().externalID.publicID = StringOf(public_id);
  }
  return true;
}

// Where a name or value that pugixml returned starts in the text as
// written, or npos. This is safe because the document is parsed in place
// (load_buffer_inplace) in a copy of that text: in place, pugixml's names
// and values are the buffer's own bytes, each starting where it was
// written; parsing only writes a zero over the byte that ends one and
// moves later bytes of a value to the left. A string outside the buffer
// (pugixml's "" for a missing name or value) gives npos; offset 0 (the
// '<' of the first tag) starts no name or value. Checked against pugixml
// 1.13 (Debian 12) and 1.14 (Debian 13).
std::size_t Builder::OffsetInText(const char* string) const {
  const auto at = reinterpret_cast<std::uintptr_t>(string);
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer_);
  if (at <= begin || at - begin >= text_.size()) return std::string_view::npos;
  return at - begin;
}

bool Builder::WrittenEmpty(const pugi::xml_node& element, const char* name,
                           std::size_t name_size) const {
  const std::size_t at = OffsetInText(name);
  const std::size_t value = attributes_.empty() ? 0 : OffsetInText(attributes_.back().value);
  if (at == std::string_view::npos || value == std::string_view::npos) {
    return !element.first_child();
  }
  return IsEmptyElementTag(text_, at + name_size, value == 0 ? std::string_view::npos : value);
}

}  // namespace
}  // namespace velcf::detail

CFXMLTreeRef CFXMLTreeCreateFromData(CFAllocatorRef, CFDataRef xmlData, CFURLRef,
                                     CFOptionFlags parseOptions, CFIndex) {
  using velcf::detail::ArenaOwner;
  const auto* data = velcf::detail::Cast<__CFData>(xmlData);
  if (data == nullptr) return nullptr;
  try {
    velcf::detail::DecodedDocument decoded;
    if (!velcf::detail::DecodeDocument(data->bytes.data(), data->bytes.size(), decoded)) {
      return nullptr;
    }
    // Parsed in place in a copy, so that the builder can read the text as
    // written where pugixml's strings start (see Builder::OffsetInText).
    // The copy ends with a zero, as load_buffer's own copy does: pugixml
    // overwrites the last byte it is given.
    const std::unique_ptr<char[]> buffer(new char[decoded.size + 1]);
    std::copy_n(decoded.text, decoded.size, buffer.get());
    buffer[decoded.size] = 0;
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer_inplace(
        buffer.get(), decoded.size + 1, velcf::detail::kPugiOptions, pugi::encoding_utf8);
    if (result.status != pugi::status_ok) return nullptr;
    ArenaOwner arena(
        velcf::detail::Arena::Create(velcf::detail::ExpectedTreeBytes(decoded.text, decoded.size)));
    velcf::detail::Builder builder(decoded, buffer.get(), parseOptions, *arena.get());
    __CFTree* root = builder.Build(document);
    if (root == nullptr) return nullptr;  // the arena goes with what was built
    arena.release()->Seal(root);
    return root;
  } catch (const std::exception&) {
    // Memory exhaustion: whatever was built has been released.
    return nullptr;
  }
}
