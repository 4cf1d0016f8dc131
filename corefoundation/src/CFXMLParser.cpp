// CFXMLTreeCreateFromData: pugixml reads the structure of the document; this
// file checks what pugixml lets pass, resolves references itself (so that
// other entities become nodes of their own and nothing is ever expanded)
// and builds the CFTree of CFXMLNodes without recursion. The tree lives in
// an arena of its own: each text is converted straight into it, and
// element names, attribute names and white-space runs are stored once per
// document however often they occur.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <textbase/hex.h>

#include "Arena.h"
#include "Object.h"
#include "XMLChars.h"
#include "XMLDecode.h"

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
      const int d = velut::textbase::DigitValue(*q);
      if (d >= (hex ? 16 : 10)) break;
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

// The character of checked UTF-8 at p; moves p past it.
char32_t NextChar(const unsigned char*& p) {
  if (*p < 0x80) return *p++;
  char32_t cp;
  // U+FFFD is not reached: the document was checked before parsing.
  DecodeUtf8(p, p + 4, cp, Utf8Errors::kReplace);
  return cp;
}

std::size_t UnitsOf(char32_t cp) { return cp < 0x10000 ? 1 : 2; }

const unsigned char* Bytes(const char* text) {
  return reinterpret_cast<const unsigned char*>(text);
}

// How the scans of character data and attribute values see a byte: most
// bytes are plain ASCII, counted in bulk; the others stop the bulk count.
enum ByteKind : std::uint8_t { kPlain = 0, kSpace = 1, kStop = 2 };

struct ByteKinds {
  ByteKind of[256] = {};
  // `stops`: the ASCII bytes besides the terminator that need a closer look.
  explicit constexpr ByteKinds(const char* stops) {
    for (int c = 0; c < 256; ++c) {
      of[c] = c == 0 || c >= 0x80                               ? kStop
              : c == ' ' || c == '\t' || c == '\n' || c == '\r' ? kSpace
                                                                : kPlain;
    }
    for (const char* p = stops; *p != 0; ++p) of[static_cast<unsigned char>(*p)] = kStop;
  }
};

constexpr ByteKinds kTextBytes("&]");
constexpr ByteKinds kAttributeBytes("&<");

// Copies the bytes from p on as UTF-16 units to `out` while they are ASCII
// other than `stop1` and `stop2`, 16 at a time while 16 remain before
// `end`; `out` has room for a unit per byte up to `end`. Returns how many
// it copied, and sets `not_space` when one of them is not white space.
std::size_t CopyPlainBlocks(const unsigned char* p, const unsigned char* end, UniChar* out,
                            char stop1, char stop2, unsigned& not_space) {
  std::size_t n = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i first = _mm_set1_epi8(stop1);
  const __m128i second = _mm_set1_epi8(stop2);
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  while (end - (p + n) >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n));
    // Stored whole; only the units before the first stop count.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n + 8), _mm_unpackhi_epi8(bytes, zero));
    const __m128i stops =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, first), _mm_cmpeq_epi8(bytes, second)),
                     _mm_cmplt_epi8(bytes, zero));
    const __m128i white =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, space), _mm_cmpeq_epi8(bytes, tab)),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)));
    const unsigned stop_mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
    const unsigned count = stop_mask == 0 ? 16 : static_cast<unsigned>(__builtin_ctz(stop_mask));
    const unsigned taken = count == 16 ? 0xFFFFu : (1u << count) - 1;
    if ((~static_cast<unsigned>(_mm_movemask_epi8(white)) & taken) != 0) not_space = 1;
    n += count;
    if (count != 16) break;
  }
#else
  (void)p, (void)end, (void)out, (void)stop1, (void)stop2, (void)not_space;
#endif
  return n;
}

// How many of the `size` bytes at p are ASCII before the first that is not.
std::size_t AsciiPrefix(const unsigned char* p, std::size_t size) {
  std::size_t n = 0;
  for (; size - n >= 8; n += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + n, sizeof word);
    if ((word & 0x8080808080808080ULL) != 0) break;
  }
  while (n < size && p[n] < 0x80) ++n;
  return n;
}

// True when the `size` bytes at a and b are equal; compared a word at a
// time, the last word overlapping the one before.
inline bool SameBytes(const char* a, const char* b, std::size_t size) {
  if (size >= 8) {
    std::uint64_t x, y;
    for (std::size_t i = 0; i + 8 < size; i += 8) {
      std::memcpy(&x, a + i, 8);
      std::memcpy(&y, b + i, 8);
      if (x != y) return false;
    }
    std::memcpy(&x, a + size - 8, 8);
    std::memcpy(&y, b + size - 8, 8);
    return x == y;
  }
  if (size >= 4) {
    std::uint32_t x, y, u, v;
    std::memcpy(&x, a, 4);
    std::memcpy(&y, b, 4);
    std::memcpy(&u, a + size - 4, 4);
    std::memcpy(&v, b + size - 4, 4);
    return x == y && u == v;
  }
  // 0 to 3 bytes: the first, middle and last cover them all.
  return size == 0 || (a[0] == b[0] && a[size / 2] == b[size / 2] && a[size - 1] == b[size - 1]);
}

// Stores the strings that recur in a document once: a table from UTF-8
// text (in the parsed buffer, which outlives the table) to the string.
class Interner {
 public:
  // The string for [text, text + size), or null when there is none yet.
  const __CFString* Find(const char* text, std::size_t size) {
    // The same few names come back again and again: a small table indexed
    // by their length and ends finds them without hashing them whole.
    const Slot* quick = quick_[QuickIndex(text, size)];
    if (quick != nullptr && quick->size == size && SameBytes(quick->text, text, size)) {
      return quick->string;
    }
    return FindSlow(text, size);
  }
  // Records `string` for the text of the last Find, which found none.
  void Add(const __CFString* string) {
    last_->string = string;
    quick_[QuickIndex(last_->text, last_->size)] = last_;
    if (++used_ * 2 > slots_.size()) Grow();
  }

 private:
  struct Slot {
    const char* text;
    std::size_t size;
    std::uint32_t hash;
    const __CFString* string;
  };
  static constexpr std::size_t kQuick = 64;

  static std::size_t QuickIndex(const char* text, std::size_t size) {
    if (size == 0) return 0;
    const auto first = static_cast<unsigned char>(text[0]);
    const auto last = static_cast<unsigned char>(text[size - 1]);
    return (size * 31 + std::size_t{first} * 7 + last) % kQuick;
  }

  const __CFString* FindSlow(const char* text, std::size_t size) {
    if (slots_.empty()) slots_.resize(64);
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) {
      hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
    }
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.string == nullptr) {
        slot = Slot{text, size, hash, nullptr};
        last_ = &slot;
        return nullptr;
      }
      if (slot.hash == hash && slot.size == size && SameBytes(slot.text, text, size)) {
        quick_[QuickIndex(text, size)] = &slot;
        return slot.string;
      }
    }
  }

  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.string == nullptr) continue;
      std::size_t i = slot.hash & mask;
      while (slots_[i].string != nullptr) i = (i + 1) & mask;
      slots_[i] = slot;
    }
    std::fill(std::begin(quick_), std::end(quick_), nullptr);
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  Slot* last_ = nullptr;
  const Slot* quick_[kQuick] = {};
};

class Builder {
 public:
  Builder(const DecodedDocument& document, CFOptionFlags options, Arena& arena)
      : arena_(arena),
        text_(document.text),
        size_(document.size),
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
  // The same, stored once per document, with one more reference.
  const __CFString* Intern(const char* text, std::size_t size) {
    if (const __CFString* found = interned_.Find(text, size)) {
      const_cast<__CFString*>(found)->AddBuildReference();
      return found;
    }
    return InternNew(text, size);
  }
  const __CFString* InternNew(const char* text, std::size_t size);
  bool AddElement(const pugi::xml_node& element, __CFTree*& added);
  bool AddText(const char* raw, bool top_level);
  bool AddComment(const char* text);
  bool AddInstruction(const char* target, const char* data, std::size_t size);
  bool AddDeclaration(const pugi::xml_node& declaration);
  bool AddDocumentType(const char* text);
  // The value of an attribute as written at `raw`, references resolved;
  // null when it is malformed.
  const __CFString* AttributeValue(const char* raw);
  // True for an element written as an empty-element tag ("<e/>"), not as
  // a start tag ("<e>"); `last_value`: its last attribute's value, if any.
  bool IsEmptyElementTag(const pugi::xml_node& element, const char* name, std::size_t name_size,
                         const char* last_value);

  Arena& arena_;
  const char* text_;
  std::size_t size_;
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
  // Where pugixml's copy of the text starts, once known: its names and
  // values point into it, at the same offsets as in text_.
  std::uintptr_t base_ = 0;
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
  // The records are one to three words long: zeroed word by word.
  void** words = static_cast<void**>(static_cast<void*>(node + 1));
  if (info > 0) words[0] = nullptr;
  if (info > 8) words[1] = nullptr;
  if (info > 16) words[2] = nullptr;
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
    const bool top_level = stack_.size() == 1;
    bool ok = true;
    switch (node.type()) {
      case pugi::node_element: {
        if (top_level) {
          ok = !has_root_;
          has_root_ = true;
        }
        __CFTree* added = nullptr;
        ok = ok && AddElement(node, added);
        if (ok) Open(node.first_child(), added);
        break;
      }
      case pugi::node_pcdata:
        ok = AddText(node.value(), top_level);
        break;
      case pugi::node_cdata:
        ok = !top_level;
        if (ok) AddTree(kCFXMLNodeTypeCDATASection, StringOf(node.value()));
        break;
      case pugi::node_comment:
        ok = AddComment(node.value());
        break;
      case pugi::node_pi: {
        const char* data = node.value();
        ok = AddInstruction(node.name(), data, std::strlen(data));
        break;
      }
      case pugi::node_declaration:
        ok = AddDeclaration(node);
        break;
      case pugi::node_doctype:
        ok = top_level && !has_doctype_ && !has_root_ && AddDocumentType(node.value());
        has_doctype_ = true;
        break;
      default:
        ok = false;
        break;
    }
    if (!ok) return nullptr;
  }
  return has_root_ ? root : nullptr;
}

bool Builder::AddElement(const pugi::xml_node& element, __CFTree*& added) {
  const char* name = element.name();
  const std::size_t name_size = std::strlen(name);
  __CFTree* tree = AddTree(kCFXMLNodeTypeElement, Intern(name, name_size));
  CFXMLElementInfo& info = NodeOf(tree).info_as<CFXMLElementInfo>();
  added = tree;

  attributes_.clear();
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    attributes_.push_back({a.name(), a.value()});
  }
  info.isEmpty = IsEmptyElementTag(element, name, name_size,
                                   attributes_.empty() ? nullptr : attributes_.back().value);
  const std::size_t count = attributes_.size();
  if (count == 0) {
    if (no_attributes_ == nullptr) {
      no_attributes_ = arena_.Make<__CFDictionary>(arena_.Allocate(sizeof(__CFDictionary)));
      no_names_ = arena_.Make<__CFArray>(arena_.Allocate(sizeof(__CFArray)));
    } else {
      no_attributes_->AddBuildReference();
      no_names_->AddBuildReference();
    }
    info.attributes = no_attributes_;
    info.attributeOrder = no_names_;
    return true;
  }

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
  // A repeated name is the same string: equal names are found by identity.
  if (!indexed) {
    for (CFIndex i = 1; i < attributes->count; ++i) {
      for (CFIndex j = 0; j < i; ++j) {
        if (attributes->keys[i] == attributes->keys[j]) return false;
      }
    }
    return true;
  }
  std::uint32_t* order = attributes->order;
  for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<std::uint32_t>(i);
  const Object** keys = attributes->keys;
  std::sort(order, order + count, [keys](std::uint32_t a, std::uint32_t b) {
    return static_cast<const __CFString*>(keys[a])->Compare(
               *static_cast<const __CFString*>(keys[b])) < 0;
  });
  for (std::size_t i = 1; i < count; ++i) {
    if (keys[order[i - 1]] == keys[order[i]]) return false;
  }
  return true;
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
    // One run, up to the end or to a reference to an entity other than the
    // predefined ones, written straight into the arena: it takes at most a
    // unit per byte, and what it leaves is given back.
    const unsigned char* const start = p;
    char* const place =
        static_cast<char*>(arena_.Allocate(__CFString::SizeFor(static_cast<std::size_t>(end - p))));
    UniChar* const units = reinterpret_cast<UniChar*>(place + sizeof(__CFString));
    UniChar* out = units;
    unsigned not_space = 0;
    for (;;) {
      const std::size_t copied = CopyPlainBlocks(p, end, out, '&', ']', not_space);
      p += copied;
      out += copied;
      ByteKind kind;
      while ((kind = kTextBytes.of[*p]) != kStop) {
        not_space |= kind ^ kSpace;
        *out++ = *p++;
      }
      const unsigned char c = *p;
      if (c == 0) break;
      if (c == ']') {
        if (p[1] == ']' && p[2] == '>') return false;
        *out++ = *p++;
      } else if (c == '&') {
        char32_t cp = 0;
        std::string_view name;
        const unsigned char* next = nullptr;
        const Reference reference = ReadReference(p, cp, name, next);
        if (reference == Reference::kMalformed) return false;
        if (reference == Reference::kEntity) break;  // a node of its own
        out = WriteUtf16(out, cp);
        p = next;
      } else {
        out = WriteUtf16(out, NextChar(p));
      }
      not_space = 1;  // a reference or a character beyond ASCII is text
    }
    const auto count = static_cast<std::size_t>(out - units);
    if (count == 0 || not_space == 0) {
      arena_.GiveBack(place);
      if (count != 0 && !skip_whitespace_) {
        AddTree(kCFXMLNodeTypeWhitespace,
                Intern(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p - start)));
      }
    } else {
      __CFString* string = arena_.Make<__CFString>(place, static_cast<CFIndex>(count));
      arena_.GiveBack(place + __CFString::SizeFor(count));
      AddTree(kCFXMLNodeTypeText, string);
    }
    if (*p == '&') {
      // A reference to an entity other than the predefined ones.
      if (!has_doctype_) return false;
      char32_t cp = 0;
      std::string_view name;
      ReadReference(p, cp, name, p);
      __CFTree* tree = AddTree(kCFXMLNodeTypeEntityReference, StringOf(name.data(), name.size()));
      NodeOf(tree).info_as<CFXMLEntityReferenceInfo>().entityType = kCFXMLEntityTypeParsedInternal;
    }
  }
  return true;
}

const __CFString* Builder::AttributeValue(const char* raw) {
  // Written straight into the arena, as a text run is.
  const std::size_t size = std::strlen(raw);
  char* const place = static_cast<char*>(arena_.Allocate(__CFString::SizeFor(size)));
  UniChar* const units = reinterpret_cast<UniChar*>(place + sizeof(__CFString));
  UniChar* out = units;
  const unsigned char* p = Bytes(raw);
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
  return AddInstruction("xml", text_ + begin, end - begin);
}

bool Builder::AddDocumentType(const char* text) {
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
  __CFTree* tree = AddTree(kCFXMLNodeTypeDocumentType, StringOf(name.data(), name.size()));
  if (rest.substr(0, 6) == "PUBLIC") {
    rest.remove_prefix(6);
    skip_space();
    if (!rest.empty() && (rest.front() == '"' || rest.front() == '\'')) {
      const std::size_t close = rest.find(rest.front(), 1);
      if (close == std::string_view::npos) return false;
      NodeOf(tree).info_as<CFXMLDocumentTypeInfo>().externalID.publicID =
          StringOf(rest.data() + 1, close - 1);
    }
  }
  return true;
}

bool Builder::IsEmptyElementTag(const pugi::xml_node& element, const char* name,
                                std::size_t name_size, const char* last_value) {
  const auto at = [this](const char* p) { return reinterpret_cast<std::uintptr_t>(p) - base_; };
  if (base_ == 0) {
    const std::ptrdiff_t offset = element.offset_debug();
    if (offset >= 0)
      base_ = reinterpret_cast<std::uintptr_t>(name) - static_cast<std::uintptr_t>(offset);
  }
  std::size_t offset = at(name);
  if (base_ == 0 || offset >= size_ || offset + name_size > size_ || text_[offset] != name[0]) {
    const std::ptrdiff_t found = element.offset_debug();
    if (found < 0 || static_cast<std::size_t>(found) >= size_) return !element.first_child();
    offset = static_cast<std::size_t>(found);
  } else {
    // Past the name, or the last attribute's value, whose quotes are seen
    // in the text as written.
    std::size_t i = offset + name_size;
    if (last_value != nullptr) {
      const std::size_t value = at(last_value);
      const char* close = nullptr;
      if (value > i && value <= size_ && (text_[value - 1] == '"' || text_[value - 1] == '\'')) {
        close =
            static_cast<const char*>(std::memchr(text_ + value, text_[value - 1], size_ - value));
      }
      i = close != nullptr ? static_cast<std::size_t>(close - text_) + 1 : size_;
    }
    while (i < size_ && IsXmlSpace(static_cast<unsigned char>(text_[i]))) ++i;
    if (i < size_ && (text_[i] == '/' || text_[i] == '>')) return text_[i] == '/';
  }
  // Past the name and the attributes, whose quoted values may hold '>'.
  char quote = 0;
  for (std::size_t i = offset; i < size_; ++i) {
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
  using velcf::detail::ArenaOwner;
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
    ArenaOwner arena(velcf::detail::Arena::Create());
    velcf::detail::Builder builder(decoded, parseOptions, *arena.get());
    __CFTree* root = builder.Build(document);
    if (root == nullptr) return nullptr;  // the arena goes with what was built
    arena.release()->Seal(root);
    return root;
  } catch (const std::exception&) {
    // Memory exhaustion: whatever was built has been released.
    return nullptr;
  }
}
