// The object model behind the layer's opaque CF types: every object derives
// from velcf::detail::Object, which holds the reference count, and the
// public struct names (__CFString, __CFTree, ...) are its subclasses.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include <CoreFoundation/CoreFoundation.h>

namespace velcf::detail {

enum TypeId : CFTypeID {
  kNoType = 0,
  kStringType,
  kDataType,
  kArrayType,
  kDictionaryType,
  kTreeType,
  kXMLNodeType,
};

class ReleaseQueue;

class Object {
 public:
  explicit Object(TypeId type) : type_(type) {}
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;

  TypeId type() const { return type_; }

  // Hands every reference this object holds to `queue`; called once, just
  // before the object is deleted.
  virtual void DropReferences(ReleaseQueue& queue) { (void)queue; }

  void Retain() const;
  // Drops one reference; true when it was the last one.
  bool Unref() const;
  CFIndex RetainCount() const;
  // Makes the object immortal: counting stops and it is never destroyed.
  void MakeConstant() { constant_ = true; }

 private:
  friend class ReleaseQueue;
  const TypeId type_;
  bool constant_ = false;
  mutable std::atomic<CFIndex> refs_{1};
  // Link of the queue of objects waiting to be deleted.
  mutable const Object* next_dead_ = nullptr;
};

// Releases objects without recursion: an object whose last reference goes
// is queued, and the queue deletes it after taking the references it held,
// which may queue more objects. A tree of any depth is freed in a loop.
class ReleaseQueue {
 public:
  ReleaseQueue() = default;
  ReleaseQueue(const ReleaseQueue&) = delete;
  ReleaseQueue& operator=(const ReleaseQueue&) = delete;
  ~ReleaseQueue() { Run(); }

  void Release(const Object* object) {
    if (object != nullptr && object->Unref()) {
      object->next_dead_ = head_;
      head_ = object;
    }
  }
  void Run();

 private:
  const Object* head_ = nullptr;
};

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
  ~Ref() { CFRelease(object_); }
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

struct __CFString final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kStringType;
  __CFString() : Object(kType) {}
  explicit __CFString(std::vector<UniChar> units) : Object(kType), text(std::move(units)) {}
  std::vector<UniChar> text;
};

struct __CFData final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kDataType;
  __CFData() : Object(kType) {}
  std::vector<UInt8> bytes;
};

struct __CFArray final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kArrayType;
  __CFArray() : Object(kType) {}
  void DropReferences(velcf::detail::ReleaseQueue& queue) override;
  // Appends `value`, taking over one reference the caller owns.
  void Adopt(const velcf::detail::Object* value) { values.push_back(value); }
  std::vector<const velcf::detail::Object*> values;
};

struct __CFDictionary final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kDictionaryType;
  __CFDictionary() : Object(kType) {}
  void DropReferences(velcf::detail::ReleaseQueue& queue) override;
  // Adds a pair, taking over one reference to each; call Seal when done.
  // The keys must be distinct.
  void Adopt(const __CFString* key, const velcf::detail::Object* value);
  // Indexes the string keys for lookup. False when two keys are equal.
  bool Seal();
  // The index of the pair whose key equals `key`, or -1.
  CFIndex Find(CFTypeRef key) const;

  std::vector<const velcf::detail::Object*> keys;
  std::vector<const velcf::detail::Object*> values;
  // Indexes of `keys` ordered by their text, for binary search.
  std::vector<std::size_t> order;
};

struct __CFTree final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kTreeType;
  __CFTree() : Object(kType) {}
  void DropReferences(velcf::detail::ReleaseQueue& queue) override;
  // Appends `child` as the last child, taking over one reference to it.
  void AdoptChild(__CFTree* child);

  // The node an XML tree carries, held by the tree.
  const velcf::detail::Object* info = nullptr;
  __CFTree* parent = nullptr;
  std::size_t index_in_parent = 0;
  std::vector<__CFTree*> children;
};

struct __CFXMLNode final : velcf::detail::Object {
  static constexpr velcf::detail::TypeId kType = velcf::detail::kXMLNodeType;
  explicit __CFXMLNode(CFXMLNodeTypeCode code) : Object(kType), type(code) {}
  void DropReferences(velcf::detail::ReleaseQueue& queue) override;

  CFXMLNodeTypeCode type;
  const __CFString* string = nullptr;
  // The record of the node's type; CFXMLNodeGetInfoPtr picks the member.
  union {
    CFXMLElementInfo element;
    CFXMLDocumentInfo document;
    CFXMLProcessingInstructionInfo instruction;
    CFXMLDocumentTypeInfo doctype;
    CFXMLEntityReferenceInfo entity;
  } info{};
};
