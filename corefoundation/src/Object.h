// The object model behind the layer's opaque CF types: every object derives
// from velcf::detail::Object, an 8-byte header with its type and reference
// count, and the public struct names (__CFString, __CFTree, ...) are its
// subclasses. The objects of a parsed document live in that document's
// arena (Arena.h); strings and data made by the CF functions are single
// heap allocations.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <CoreFoundation/CoreFoundation.h>

namespace velcf::detail {

enum TypeId : std::uint8_t {
  kNoType = 0,
  kStringType,
  kDataType,
  kArrayType,
  kDictionaryType,
  kTreeType,
  kXMLNodeType,
};

class Arena;

// Where an object of an arena lies: its distance from the start of its
// block, in units of 8 bytes (see Arena).
struct InArena {
  std::uint16_t block_offset;
};

class Object {
 public:
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  TypeId type() const { return static_cast<TypeId>(bits_ & kTypeMask); }

  void Retain() const;
  // Drops one reference; true when it was the last one.
  bool Unref() const;
  CFIndex RetainCount() const;
  // Makes the object immortal: counting stops and it is never destroyed.
  void MakeConstant() { bits_ |= kConstant; }

  // The arena that holds the object; null for a heap object.
  Arena* arena() const;
  // One more reference, held inside the object's own arena while it is
  // being built (no other thread can see it yet).
  void AddBuildReference() {
    refs_.store(refs_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  }

 protected:
  explicit Object(TypeId type) : bits_(type) {}
  Object(TypeId type, InArena place)
      : bits_(static_cast<std::uint8_t>(type | kInArena)), block_offset_(place.block_offset) {}
  ~Object() = default;

  // A small value of the subclass's own (a node's type code).
  std::uint8_t small_ = 0;

 private:
  friend class Arena;
  enum : std::uint8_t { kTypeMask = 0x0F, kConstant = 0x10, kInArena = 0x20 };

  std::uint8_t bits_;  // the type and the flags above
  // For an object in an arena: its distance from the start of its block,
  // in units of 8 bytes.
  std::uint16_t block_offset_ = 0;
  mutable std::atomic<std::uint32_t> refs_{1};
};
static_assert(sizeof(Object) == 8, "the header stays small: a document has many objects");

// Releases one reference to `object` (null is ignored) and destroys what
// it leaves without references, without recursion however deep a tree.
void Release(const Object* object);

// The object behind a CFTypeRef; null for null.
inline const Object* AsObject(CFTypeRef cf) { return static_cast<const Object*>(cf); }

// The object behind `cf` as a T, or null when it is null or of another type.
template <class T>
const T* Cast(CFTypeRef cf) {
  const Object* object = AsObject(cf);
  return object != nullptr && object->type() == T::kType ? static_cast<const T*>(object) : nullptr;
}

// Owns one reference to an object for the length of a scope.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* object) : object_(object) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Release(object_); }
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T* release() {
    T* object = object_;
    object_ = nullptr;
    return object;
  }

 private:
  T* object_ = nullptr;
};

}  // namespace velcf::detail

// Text in UTF-16 units, stored right after the object.
struct __CFString final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kStringType;
  explicit __CFString(CFIndex units) : Object(kType), length(units) {}
  __CFString(velcf::detail::InArena place, CFIndex units) : Object(kType, place), length(units) {}

  // A heap string of `units` units, to be filled; throws std::bad_alloc.
  static __CFString* New(std::size_t units);
  // The bytes a string of `units` units takes, rounded up to 8.
  static std::size_t SizeFor(std::size_t units) {
    return (sizeof(__CFString) + units * sizeof(UniChar) + 7) & ~std::size_t{7};
  }
  // Destroys a heap string.
  static void Delete(__CFString* string);

  const UniChar* units() const { return reinterpret_cast<const UniChar*>(this + 1); }
  UniChar* units() { return reinterpret_cast<UniChar*>(this + 1); }
  // True when this text sorts before `other`: by units, then by length.
  bool SortsBefore(const __CFString& other) const;
  bool Equals(const __CFString& other) const;

  const CFIndex length;
};

struct __CFData final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kDataType;
  __CFData() : Object(kType) {}
  std::vector<UInt8> bytes;
};

// Values of a document's element: the attribute names in document order.
struct __CFArray final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kArrayType;
  explicit __CFArray(velcf::detail::InArena place) : Object(kType, place) {}
  CFIndex count = 0;
  const velcf::detail::Object* const* values = nullptr;
};

// String keys and their values: an element's attributes. The keys are in
// document order; `order` indexes them by text when there are many.
struct __CFDictionary final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kDictionaryType;
  // Above this many keys, lookups search `order` instead of every key.
  static constexpr CFIndex kLinearLookup = 8;
  explicit __CFDictionary(velcf::detail::InArena place) : Object(kType, place) {}
  // The index of the pair whose key equals `key`, or -1.
  CFIndex Find(CFTypeRef key) const;

  CFIndex count = 0;
  const velcf::detail::Object** keys = nullptr;
  const velcf::detail::Object** values = nullptr;
  std::uint32_t* order = nullptr;
};

// A node of a document's tree. The node it carries follows it in memory.
struct __CFTree final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kTreeType;
  explicit __CFTree(velcf::detail::InArena place) : Object(kType, place) {}
  const struct __CFXMLNode* node() const {
    return reinterpret_cast<const struct __CFXMLNode*>(this + 1);
  }

  // Null for a root, and for a child whose parent went first.
  __CFTree* parent = nullptr;
  __CFTree** children = nullptr;
  std::uint32_t child_count = 0;
  std::uint32_t index_in_parent = 0;
};

// One node of a parsed document; the record of its type (CFXMLElementInfo,
// ...) follows it in memory.
struct __CFXMLNode final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kXMLNodeType;
  __CFXMLNode(velcf::detail::InArena place, CFXMLNodeTypeCode code) : Object(kType, place) {
    small_ = static_cast<std::uint8_t>(code);
  }
  CFXMLNodeTypeCode code() const { return small_; }
  // The size of the record a node of type `code` carries; 0 for none.
  static std::size_t InfoSize(CFXMLNodeTypeCode code) {
    static_assert(alignof(CFXMLElementInfo) <= alignof(__CFXMLNode) &&
                      alignof(CFXMLDocumentInfo) <= alignof(__CFXMLNode) &&
                      alignof(CFXMLProcessingInstructionInfo) <= alignof(__CFXMLNode) &&
                      alignof(CFXMLDocumentTypeInfo) <= alignof(__CFXMLNode) &&
                      alignof(CFXMLEntityReferenceInfo) <= alignof(__CFXMLNode),
                  "a record right after its node is aligned");
    switch (code) {
      case kCFXMLNodeTypeDocument:
        return sizeof(CFXMLDocumentInfo);
      case kCFXMLNodeTypeElement:
        return sizeof(CFXMLElementInfo);
      case kCFXMLNodeTypeProcessingInstruction:
        return sizeof(CFXMLProcessingInstructionInfo);
      case kCFXMLNodeTypeDocumentType:
        return sizeof(CFXMLDocumentTypeInfo);
      case kCFXMLNodeTypeEntityReference:
        return sizeof(CFXMLEntityReferenceInfo);
      default:
        return 0;
    }
  }
  const void* info() const { return InfoSize(code()) != 0 ? this + 1 : nullptr; }
  template <class Info>
  Info& info_as() {
    return *reinterpret_cast<Info*>(this + 1);
  }
  template <class Info>
  const Info& info_as() const {
    return *reinterpret_cast<const Info*>(this + 1);
  }

  const __CFString* string = nullptr;
};
