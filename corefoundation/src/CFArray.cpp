// CFArray: the immutable arrays the XML tree hands out.
#include "Object.h"

using velcf::detail::Cast;

CFTypeID CFArrayGetTypeID(void) { return __CFArray::kType; }

CFIndex CFArrayGetCount(CFArrayRef theArray) {
  const auto* array = Cast<__CFArray>(theArray);
  return array != nullptr ? array->count : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
  const auto* array = Cast<__CFArray>(theArray);
  if (array == nullptr || idx < 0 || idx >= array->count) return nullptr;
  return array->values[idx];
}
