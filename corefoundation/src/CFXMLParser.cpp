// CFXMLTreeCreateFromData: pugixml reads the structure of the document; this
// file checks what pugixml lets pass, resolves references itself (so that
// other entities become nodes of their own and nothing is ever expanded)
// and builds the CFTree of CFXMLNodes without recursion.
#include <cstring>
#include <exception>
#include <new>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "Object.h"
#include "Unicode.h"
#include "XMLDecode.h"

using velcf::detail::Ref;

namespace velcf::detail {
namespace {

// pugixml leaves references alone (no parse_escapes): they are resolved
// here. parse_fragment keeps the text between top-level nodes, so that
// white space there becomes nodes and other text there can be refused.
constexpr unsigned kPugiOptions = pugi::parse_cdata | pugi::parse_wconv_attribute |
                                  pugi::parse_eol | pugi::parse_comments | pugi::parse_declaration |
                                  pugi::parse_doctype | pugi::parse_pi | pugi::parse_ws_pcdata |
                                  pugi::parse_fragment;

// What a reference stands for.
enum class Reference { kCharacter, kEntity, kMalformed };

bool IsNameStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Reads the reference that starts at the '&' at p. For a character
// reference or a predefined entity, sets cp; for another entity, sets name.
// Sets next past the ';'.
Reference ReadReference(const unsigned char* p, char32_t& cp, std::string_view& name,
                        const unsigned char*& next) {
  const unsigned char* q = p + 1;
  if (*q == '#') {
    ++q;
    const bool hex = *q == 'x';
    if (hex) ++q;
    char32_t value = 0;
    const unsigned char* digits = q;
    for (;; ++q) {
      int d;
      if (*q >= '0' && *q <= '9') {
        d = *q - '0';
      } else if (hex && *q >= 'a' && *q <= 'f') {
        d = *q - 'a' + 10;
      } else if (hex && *q >= 'A' && *q <= 'F') {
        d = *q - 'A' + 10;
      } else {
        break;
      }
      // Anything past the last code point stays past it.
      value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + d;
    }
    if (q == digits || *q != ';' || !IsXmlChar(value)) {
      return Reference::kMalformed;
    }
    cp = value;
    next = q + 1;
    return Reference::kCharacter;
  }
  if (!IsNameStart(*q)) return Reference::kMalformed;
  while (IsNameChar(*q)) ++q;
  if (*q != ';') return Reference::kMalformed;
  name = std::string_view(reinterpret_cast<const char*>(p + 1), q - p - 1);
  next = q + 1;
  static const struct {
    const char* name;
    char32_t cp;
  } kPredefined[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
  for (const auto& entity : kPredefined) {
    if (name == entity.name) {
      cp = entity.cp;
      return Reference::kCharacter;
    }
  }
  return Reference::kEntity;
}

// Appends the character of valid UTF-8 at p and advances p; returns it.
char32_t TakeChar(const unsigned char*& p, std::vector<UniChar>& out) {
  char32_t cp;
  if (!DecodeUtf8(p, p + 4, cp)) {
    // Not reached: the document was checked before parsing.
    cp = 0xFFFD;
    ++p;
  }
  AppendUtf16(out, cp);
  return cp;
}

const unsigned char* Bytes(const char* text) {
  return reinterpret_cast<const unsigned char*>(text);
}

__CFString* NewString(std::vector<UniChar> units) { return new __CFString(std::move(units)); }

__CFString* NewString(const char* utf8) { return NewString(Utf8ToUtf16(utf8, std::strlen(utf8))); }

__CFString* NewString(std::string_view utf8) {
  return NewString(Utf8ToUtf16(utf8.data(), utf8.size()));
}

__CFXMLNode& NodeOf(__CFTree* tree) {
  return const_cast<__CFXMLNode&>(*static_cast<const __CFXMLNode*>(tree->info));
}

class Builder {
 public:
  Builder(const DecodedDocument& document, CFOptionFlags options)
      : text_(document.text),
        size_(document.size),
        encoding_(document.encoding),
        skip_whitespace_((options & kCFXMLParserSkipWhitespace) != 0),
        skip_metadata_((options & kCFXMLParserSkipMetaData) != 0) {}

  // The tree of the parsed document, or null when it is malformed.
  __CFTree* Build(const pugi::xml_document& document);

 private:
  struct Frame {
    pugi::xml_node next;
    __CFTree* tree;
  };

  // Appends a new tree with a node of `type` and `string` (owned, may be
  // null) as the last child of `parent`.
  __CFTree* Append(__CFTree* parent, CFXMLNodeTypeCode type, __CFString* string);
  bool AddElement(__CFTree* parent, const pugi::xml_node& element, __CFTree*& added);
  bool AddText(__CFTree* parent, const char* raw, bool top_level);
  bool AddComment(__CFTree* parent, const char* text);
  bool AddInstruction(__CFTree* parent, const char* target, const char* data);
  bool AddDeclaration(__CFTree* parent, const pugi::xml_node& declaration);
  bool AddDocumentType(__CFTree* parent, const char* text);
  bool ResolveAttribute(const char* raw, std::vector<UniChar>& out) const;
  bool IsEmptyElementTag(const pugi::xml_node& element) const;

  const char* text_;
  std::size_t size_;
  CFStringEncoding encoding_;
  bool skip_whitespace_;
  bool skip_metadata_;
  bool has_doctype_ = false;
  bool has_root_ = false;
};

__CFTree* Builder::Append(__CFTree* parent, CFXMLNodeTypeCode type, __CFString* string) {
  Ref<__CFString> owned_string(string);
  Ref<__CFXMLNode> node(new __CFXMLNode(type));
  Ref<__CFTree> tree(new __CFTree);
  node->string = owned_string.release();
  tree->info = node.release();
  if (parent != nullptr) parent->AdoptChild(tree.get());
  return tree.release();
}

__CFTree* Builder::Build(const pugi::xml_document& document) {
  Ref<__CFTree> root(Append(nullptr, kCFXMLNodeTypeDocument, nullptr));
  NodeOf(root.get()).info.document.encoding = encoding_;

  std::vector<Frame> stack{{document.first_child(), root.get()}};
  while (!stack.empty()) {
    const pugi::xml_node node = stack.back().next;
    __CFTree* const parent = stack.back().tree;
    if (!node) {
      stack.pop_back();
      continue;
    }
    stack.back().next = node.next_sibling();
    const bool top_level = stack.size() == 1;
    bool ok = true;
    switch (node.type()) {
      case pugi::node_element: {
        if (top_level) {
          ok = !has_root_;
          has_root_ = true;
        }
        __CFTree* added = nullptr;
        ok = ok && AddElement(parent, node, added);
        if (ok) stack.push_back({node.first_child(), added});
        break;
      }
      case pugi::node_pcdata:
        ok = AddText(parent, node.value(), top_level);
        break;
      case pugi::node_cdata:
        ok = !top_level;
        if (ok) Append(parent, kCFXMLNodeTypeCDATASection, NewString(node.value()));
        break;
      case pugi::node_comment:
        ok = AddComment(parent, node.value());
        break;
      case pugi::node_pi:
        ok = AddInstruction(parent, node.name(), node.value());
        break;
      case pugi::node_declaration:
        ok = AddDeclaration(parent, node);
        break;
      case pugi::node_doctype:
        ok = top_level && !has_doctype_ && !has_root_ && AddDocumentType(parent, node.value());
        has_doctype_ = true;
        break;
      default:
        ok = false;
        break;
    }
    if (!ok) return nullptr;
  }
  return has_root_ ? root.release() : nullptr;
}

bool Builder::AddElement(__CFTree* parent, const pugi::xml_node& element, __CFTree*& added) {
  __CFTree* tree = Append(parent, kCFXMLNodeTypeElement, NewString(element.name()));
  CFXMLElementInfo& info = NodeOf(tree).info.element;
  auto* attributes = new __CFDictionary;
  info.attributes = attributes;
  auto* order = new __CFArray;
  info.attributeOrder = order;
  info.isEmpty = IsEmptyElementTag(element);

  std::size_t count = 0;
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    ++count;
  }
  // Reserved, so that adopting a pair cannot fail halfway.
  attributes->keys.reserve(count);
  attributes->values.reserve(count);
  order->values.reserve(count);
  std::vector<UniChar> value;
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    value.clear();
    if (!ResolveAttribute(a.value(), value)) return false;
    Ref<__CFString> key(NewString(a.name()));
    Ref<__CFString> text(NewString(value));
    CFRetain(key.get());
    order->Adopt(key.get());
    attributes->Adopt(key.release(), text.release());
  }
  added = tree;
  return attributes->Seal();  // false for a repeated attribute
}

bool Builder::AddText(__CFTree* parent, const char* raw, bool top_level) {
  const unsigned char* p = Bytes(raw);
  if (top_level) {
    // Only white space may stand between the top-level nodes.
    for (const unsigned char* q = p; *q != 0; ++q) {
      if (!IsXmlSpace(*q)) return false;
    }
  }
  std::vector<UniChar> run;
  bool blank = true;  // the run is literal white space only
  auto flush = [&] {
    if (run.empty()) return;
    if (!(blank && skip_whitespace_)) {
      Append(parent, blank ? kCFXMLNodeTypeWhitespace : kCFXMLNodeTypeText,
             NewString(std::move(run)));
    }
    run.clear();
    blank = true;
  };
  while (*p != 0) {
    if (*p == '&') {
      char32_t cp = 0;
      std::string_view name;
      switch (ReadReference(p, cp, name, p)) {
        case Reference::kCharacter:
          AppendUtf16(run, cp);
          blank = false;
          break;
        case Reference::kEntity: {
          if (!has_doctype_) return false;
          flush();
          __CFTree* tree = Append(parent, kCFXMLNodeTypeEntityReference, NewString(name));
          NodeOf(tree).info.entity.entityType = kCFXMLEntityTypeParsedInternal;
          break;
        }
        case Reference::kMalformed:
          return false;
      }
      continue;
    }
    if (p[0] == ']' && p[1] == ']' && p[2] == '>') return false;
    if (!IsXmlSpace(TakeChar(p, run))) blank = false;
  }
  flush();
  return true;
}

bool Builder::ResolveAttribute(const char* raw, std::vector<UniChar>& out) const {
  const unsigned char* p = Bytes(raw);
  while (*p != 0) {
    if (*p == '<') return false;
    if (*p != '&') {
      TakeChar(p, out);
      continue;
    }
    const unsigned char* start = p;
    char32_t cp = 0;
    std::string_view name;
    switch (ReadReference(p, cp, name, p)) {
      case Reference::kCharacter:
        AppendUtf16(out, cp);
        break;
      case Reference::kEntity:
        // Kept as written: an attribute value has no place for a node.
        if (!has_doctype_) return false;
        for (const unsigned char* q = start; q < p;) TakeChar(q, out);
        break;
      case Reference::kMalformed:
        return false;
    }
  }
  return true;
}

bool Builder::AddComment(__CFTree* parent, const char* text) {
  const std::size_t n = std::strlen(text);
  if (std::strstr(text, "--") != nullptr || (n > 0 && text[n - 1] == '-')) {
    return false;
  }
  if (!skip_metadata_) Append(parent, kCFXMLNodeTypeComment, NewString(text));
  return true;
}

bool Builder::AddInstruction(__CFTree* parent, const char* target, const char* data) {
  if (skip_metadata_) return true;
  __CFTree* tree = Append(parent, kCFXMLNodeTypeProcessingInstruction, NewString(target));
  NodeOf(tree).info.instruction.dataString = NewString(data);
  return true;
}

bool Builder::AddDeclaration(__CFTree* parent, const pugi::xml_node& declaration) {
  // Only "<?xml" at the very start of the document declares it; pugixml
  // also takes a later one, or "<?XML".
  if (declaration.offset_debug() != 2 || size_ < 5 || std::memcmp(text_, "<?xml", 5) != 0) {
    return false;
  }
  // The data is the declaration's text, which is quoted and ends at "?>".
  std::size_t end = 5;
  char quote = 0;
  while (end + 1 < size_ && (quote != 0 || text_[end] != '?' || text_[end + 1] != '>')) {
    if (quote != 0 && text_[end] == quote) {
      quote = 0;
    } else if (quote == 0 && (text_[end] == '"' || text_[end] == '\'')) {
      quote = text_[end];
    }
    ++end;
  }
  std::size_t begin = 5;
  while (begin < end && IsXmlSpace(static_cast<unsigned char>(text_[begin]))) ++begin;
  while (end > begin && IsXmlSpace(static_cast<unsigned char>(text_[end - 1]))) --end;
  return AddInstruction(parent, "xml", std::string(text_ + begin, end - begin).c_str());
}

bool Builder::AddDocumentType(__CFTree* parent, const char* text) {
  // text: the root element's name, then an optional external identifier
  // and internal subset, which are never read further.
  std::string_view rest(text);
  auto skip_space = [&rest] {
    while (!rest.empty() && IsXmlSpace(static_cast<unsigned char>(rest.front()))) {
      rest.remove_prefix(1);
    }
  };
  skip_space();
  std::size_t n = 0;
  while (n < rest.size() && !IsXmlSpace(static_cast<unsigned char>(rest[n])) && rest[n] != '[') {
    ++n;
  }
  if (n == 0) return false;
  const std::string_view name = rest.substr(0, n);
  rest.remove_prefix(n);
  skip_space();
  __CFTree* tree = Append(parent, kCFXMLNodeTypeDocumentType, NewString(name));
  if (rest.substr(0, 6) == "PUBLIC") {
    rest.remove_prefix(6);
    skip_space();
    if (!rest.empty() && (rest.front() == '"' || rest.front() == '\'')) {
      const std::size_t close = rest.find(rest.front(), 1);
      if (close == std::string_view::npos) return false;
      NodeOf(tree).info.doctype.externalID.publicID = NewString(rest.substr(1, close - 1));
    }
  }
  return true;
}

bool Builder::IsEmptyElementTag(const pugi::xml_node& element) const {
  const std::ptrdiff_t offset = element.offset_debug();
  if (offset < 0 || static_cast<std::size_t>(offset) >= size_) {
    return !element.first_child();
  }
  // Past the name and the attributes, whose quoted values may hold '>'.
  char quote = 0;
  for (std::size_t i = static_cast<std::size_t>(offset); i < size_; ++i) {
    const char c = text_[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i > 0 && text_[i - 1] == '/';
    }
  }
  return !element.first_child();
}

}  // namespace
}  // namespace velcf::detail

CFXMLTreeRef CFXMLTreeCreateFromData(CFAllocatorRef, CFDataRef xmlData, CFURLRef,
                                     CFOptionFlags parseOptions, CFIndex) {
  const auto* data = velcf::detail::Cast<__CFData>(xmlData);
  if (data == nullptr) return nullptr;
  try {
    velcf::detail::DecodedDocument decoded;
    if (!velcf::detail::DecodeDocument(data->bytes.data(), data->bytes.size(), decoded)) {
      return nullptr;
    }
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(
        decoded.text, decoded.size, velcf::detail::kPugiOptions, pugi::encoding_utf8);
    if (result.status != pugi::status_ok) return nullptr;
    velcf::detail::Builder builder(decoded, parseOptions);
    return builder.Build(document);
  } catch (const std::exception&) {
    // Memory exhaustion: whatever was built has been released.
    return nullptr;
  }
}
