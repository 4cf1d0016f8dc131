// Reference counting, type identity and equality for every object of the
// layer.
#include <climits>
#include <cstring>

#include "Object.h"

namespace velcf::detail {

void Object::Retain() const {
  if (!constant_) refs_.fetch_add(1, std::memory_order_relaxed);
}

bool Object::Unref() const {
  if (constant_) return false;
  return refs_.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

CFIndex Object::RetainCount() const {
  return constant_ ? LONG_MAX : refs_.load(std::memory_order_relaxed);
}

void ReleaseQueue::Run() {
  while (head_ != nullptr) {
    Object* object = const_cast<Object*>(head_);
    head_ = object->next_dead_;
    object->DropReferences(*this);
    delete object;
  }
}

}  // namespace velcf::detail

using velcf::detail::AsObject;
using velcf::detail::Cast;

const CFAllocatorRef kCFAllocatorDefault = nullptr;

CFTypeRef CFRetain(CFTypeRef cf) {
  if (const auto* object = AsObject(cf)) object->Retain();
  return cf;
}

void CFRelease(CFTypeRef cf) {
  velcf::detail::ReleaseQueue queue;
  queue.Release(AsObject(cf));
}

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
    return a->text == Cast<__CFString>(cf2)->text;
  }
  if (const auto* a = Cast<__CFData>(cf1)) {
    return a->bytes == Cast<__CFData>(cf2)->bytes;
  }
  if (const auto* a = Cast<__CFArray>(cf1)) {
    const auto* b = Cast<__CFArray>(cf2);
    if (a->values.size() != b->values.size()) return false;
    for (std::size_t i = 0; i < a->values.size(); ++i) {
      if (!CFEqual(a->values[i], b->values[i])) return false;
    }
    return true;
  }
  if (const auto* a = Cast<__CFDictionary>(cf1)) {
    const auto* b = Cast<__CFDictionary>(cf2);
    if (a->keys.size() != b->keys.size()) return false;
    for (std::size_t i = 0; i < a->keys.size(); ++i) {
      const CFIndex j = b->Find(a->keys[i]);
      if (j < 0 || !CFEqual(a->values[i], b->values[j])) return false;
    }
    return true;
  }
  return false;
}
