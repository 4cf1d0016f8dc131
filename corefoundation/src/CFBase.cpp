// Reference counting, release, type identity and equality for every object
// of the layer.
#include <climits>
#include <cstring>

#include "Arena.h"
#include "Object.h"

namespace velcf::detail {

Arena* Object::arena() const { return Arena::Of(this); }

void Object::Retain() const {
  if ((bits_ & kConstant) != 0) return;
  if ((bits_ & kInArena) != 0) Arena::Of(this)->NoteRetained();
  refs_.fetch_add(1, std::memory_order_relaxed);
}

bool Object::Unref() const {
  if ((bits_ & kConstant) != 0) return false;
  // The only reference is ours: no other thread may touch the count.
  if (refs_.load(std::memory_order_acquire) == 1) return true;
  return refs_.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

CFIndex Object::RetainCount() const {
  return (bits_ & kConstant) != 0 ? LONG_MAX : refs_.load(std::memory_order_relaxed);
}

namespace {

// Destroys the objects of one release. Only trees nest without bound: a
// dead tree waits in a list linked through its parent field (no longer
// needed) until its children are released; anything else holds strings,
// or a dictionary or array of strings, and goes at once.
class Reaper {
 public:
  Reaper() = default;
  Reaper(const Reaper&) = delete;
  Reaper& operator=(const Reaper&) = delete;
  ~Reaper() { Flush(); }

  void Drop(const Object* object) {
    if (object != nullptr && object->Unref()) Destroy(const_cast<Object*>(object));
  }

  void Run() {
    while (trees_ != nullptr) {
      __CFTree* tree = trees_;
      trees_ = tree->parent;
      Drop(tree->node());
      for (std::uint32_t i = 0; i < tree->child_count; ++i) {
        // A child that outlives its parent becomes a root.
        tree->children[i]->parent = nullptr;
        Drop(tree->children[i]);
      }
      Count(tree);
    }
  }

 private:
  void Destroy(Object* object) {
    switch (object->type()) {
      case kStringType:
        if (object->arena() == nullptr) {
          __CFString::Delete(static_cast<__CFString*>(object));
          return;
        }
        break;
      case kDataType:
        delete static_cast<__CFData*>(object);
        return;
      case kArrayType: {
        const auto* array = static_cast<__CFArray*>(object);
        for (CFIndex i = 0; i < array->count; ++i) Drop(array->values[i]);
        break;
      }
      case kDictionaryType: {
        const auto* dict = static_cast<__CFDictionary*>(object);
        for (CFIndex i = 0; i < dict->count; ++i) {
          Drop(dict->keys[i]);
          Drop(dict->values[i]);
        }
        break;
      }
      case kXMLNodeType: {
        const auto* node = static_cast<__CFXMLNode*>(object);
        Drop(node->string);
        switch (node->code()) {
          case kCFXMLNodeTypeElement:
            Drop(node->info_as<CFXMLElementInfo>().attributes);
            Drop(node->info_as<CFXMLElementInfo>().attributeOrder);
            break;
          case kCFXMLNodeTypeProcessingInstruction:
            Drop(node->info_as<CFXMLProcessingInstructionInfo>().dataString);
            break;
          case kCFXMLNodeTypeDocumentType:
            Drop(node->info_as<CFXMLDocumentTypeInfo>().externalID.publicID);
            break;
          default:
            break;
        }
        break;
      }
      case kTreeType: {
        Arena* arena = object->arena();
        if (arena->DiesWithRoot(object)) {
          // Nothing else of the document is referenced: all of it goes,
          // and nothing of it was counted before its root.
          arena->Free();
          return;
        }
        auto* tree = static_cast<__CFTree*>(object);
        tree->parent = trees_;
        trees_ = tree;
        return;  // counted once its children are released
      }
      default:
        return;
    }
    Count(object);
  }

  // Counts a destroyed object of an arena. The objects of one release
  // share their arena; the count reaches it in one step.
  void Count(const Object* object) {
    Arena* arena = object->arena();
    if (arena != arena_) {
      Flush();
      arena_ = arena;
    }
    ++dead_;
  }

  void Flush() {
    if (arena_ != nullptr && dead_ != 0) arena_->Destroyed(dead_);
    arena_ = nullptr;
    dead_ = 0;
  }

  __CFTree* trees_ = nullptr;
  Arena* arena_ = nullptr;
  std::size_t dead_ = 0;
};

}  // namespace

void Release(const Object* object) {
  Reaper reaper;
  reaper.Drop(object);
  reaper.Run();
}

}  // namespace velcf::detail

using velcf::detail::AsObject;
using velcf::detail::Cast;

const CFAllocatorRef kCFAllocatorDefault = nullptr;

CFTypeRef CFRetain(CFTypeRef cf) {
  if (const auto* object = AsObject(cf)) object->Retain();
  return cf;
}

void CFRelease(CFTypeRef cf) { velcf::detail::Release(AsObject(cf)); }

CFIndex CFGetRetainCount(CFTypeRef cf) {
  const auto* object = AsObject(cf);
  return object != nullptr ? object->RetainCount() : 0;
}

CFTypeID CFGetTypeID(CFTypeRef cf) {
  const auto* object = AsObject(cf);
  return object != nullptr ? object->type() : velcf::detail::kNoType;
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
  if (cf1 == nullptr || cf2 == nullptr) return false;
  if (cf1 == cf2) return true;
  if (CFGetTypeID(cf1) != CFGetTypeID(cf2)) return false;
  if (const auto* a = Cast<__CFString>(cf1)) {
    return a->Equals(*Cast<__CFString>(cf2));
  }
  if (const auto* a = Cast<__CFData>(cf1)) {
    return a->bytes == Cast<__CFData>(cf2)->bytes;
  }
  if (const auto* a = Cast<__CFArray>(cf1)) {
    const auto* b = Cast<__CFArray>(cf2);
    if (a->count != b->count) return false;
    for (CFIndex i = 0; i < a->count; ++i) {
      if (!CFEqual(a->values[i], b->values[i])) return false;
    }
    return true;
  }
  if (const auto* a = Cast<__CFDictionary>(cf1)) {
    const auto* b = Cast<__CFDictionary>(cf2);
    if (a->count != b->count) return false;
    for (CFIndex i = 0; i < a->count; ++i) {
      const CFIndex j = b->Find(a->keys[i]);
      if (j < 0 || !CFEqual(a->values[i], b->values[j])) return false;
    }
    return true;
  }
  return false;
}
