// CFDictionary: the immutable dictionaries the XML tree hands out (an
// element's attributes).
#include <algorithm>

#include "Object.h"

using velcf::detail::AsObject;
using velcf::detail::Cast;
using velcf::detail::Object;

namespace {
const __CFString& TextOf(const Object* key) { return *static_cast<const __CFString*>(key); }
}  // namespace

CFIndex __CFDictionary::Find(CFTypeRef key) const {
  const auto* name = Cast<__CFString>(key);
  if (name == nullptr || order == nullptr) {
    // Few keys, or a key that is no string and so matches by identity only.
    for (CFIndex i = 0; i < count; ++i) {
      if (keys[i] == AsObject(key) || (name != nullptr && TextOf(keys[i]).Equals(*name))) return i;
    }
    return -1;
  }
  const auto it =
      std::lower_bound(order, order + count, name, [this](std::uint32_t i, const __CFString* text) {
        return TextOf(keys[i]).SortsBefore(*text);
      });
  if (it == order + count || !TextOf(keys[*it]).Equals(*name)) return -1;
  return static_cast<CFIndex>(*it);
}

CFTypeID CFDictionaryGetTypeID(void) { return __CFDictionary::kType; }

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
  const auto* dict = Cast<__CFDictionary>(theDict);
  return dict != nullptr ? dict->count : 0;
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
  if (keys != nullptr) std::copy(dict->keys, dict->keys + dict->count, keys);
  if (values != nullptr) std::copy(dict->values, dict->values + dict->count, values);
}
