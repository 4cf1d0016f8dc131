// CFArray and CFDictionary: the immutable collections the XML tree hands
// out.
#include <algorithm>

#include "Object.h"

using velcf::detail::AsObject;
using velcf::detail::Cast;
using velcf::detail::Object;
using velcf::detail::ReleaseQueue;

void __CFArray::DropReferences(ReleaseQueue& queue) {
  for (const Object* value : values) queue.Release(value);
}

CFTypeID CFArrayGetTypeID(void) { return __CFArray::kType; }

CFIndex CFArrayGetCount(CFArrayRef theArray) {
  const auto* array = Cast<__CFArray>(theArray);
  return array != nullptr ? static_cast<CFIndex>(array->values.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
  const auto* array = Cast<__CFArray>(theArray);
  if (array == nullptr || idx < 0 || static_cast<std::size_t>(idx) >= array->values.size()) {
    return nullptr;
  }
  return array->values[idx];
}

void __CFDictionary::DropReferences(ReleaseQueue& queue) {
  for (const Object* key : keys) queue.Release(key);
  for (const Object* value : values) queue.Release(value);
}

void __CFDictionary::Adopt(const __CFString* key, const Object* value) {
  keys.push_back(key);
  values.push_back(value);
}

namespace {
const std::vector<UniChar>& TextOf(const Object* key) {
  return static_cast<const __CFString*>(key)->text;
}
}  // namespace

bool __CFDictionary::Seal() {
  order.resize(keys.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [this](std::size_t a, std::size_t b) { return TextOf(keys[a]) < TextOf(keys[b]); });
  for (std::size_t i = 1; i < order.size(); ++i) {
    if (TextOf(keys[order[i - 1]]) == TextOf(keys[order[i]])) return false;
  }
  return true;
}

CFIndex __CFDictionary::Find(CFTypeRef key) const {
  const auto* name = Cast<__CFString>(key);
  if (name == nullptr) {
    // Only string keys are stored; anything else matches by identity.
    auto it = std::find(keys.begin(), keys.end(), AsObject(key));
    return it == keys.end() ? -1 : static_cast<CFIndex>(it - keys.begin());
  }
  auto it = std::lower_bound(
      order.begin(), order.end(), name->text,
      [this](std::size_t i, const std::vector<UniChar>& text) { return TextOf(keys[i]) < text; });
  if (it == order.end() || TextOf(keys[*it]) != name->text) return -1;
  return static_cast<CFIndex>(*it);
}

CFTypeID CFDictionaryGetTypeID(void) { return __CFDictionary::kType; }

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
  const auto* dict = Cast<__CFDictionary>(theDict);
  return dict != nullptr ? static_cast<CFIndex>(dict->keys.size()) : 0;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key,
                                      const void** value) {
  const auto* dict = Cast<__CFDictionary>(theDict);
  if (dict == nullptr || key == nullptr) return false;
  const CFIndex i = dict->Find(key);
  if (i < 0) return false;
  if (value != nullptr) *value = dict->values[i];
  return true;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key) {
  return CFDictionaryGetValueIfPresent(theDict, key, nullptr);
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key) {
  const void* value = nullptr;
  return CFDictionaryGetValueIfPresent(theDict, key, &value) ? value : nullptr;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values) {
  const auto* dict = Cast<__CFDictionary>(theDict);
  if (dict == nullptr) return;
  if (keys != nullptr) std::copy(dict->keys.begin(), dict->keys.end(), keys);
  if (values != nullptr) {
    std::copy(dict->values.begin(), dict->values.end(), values);
  }
}
