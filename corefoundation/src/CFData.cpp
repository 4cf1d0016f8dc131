// CFData: an immutable copy of a run of bytes.
#include <memory>
#include <new>

#include "Object.h"

using velcf::detail::Cast;

CFTypeID CFDataGetTypeID(void) { return __CFData::kType; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (bytes == nullptr && length != 0)) return nullptr;
  try {
    std::unique_ptr<__CFData> data(new __CFData);
    // The spare byte keeps the pointer of an empty object non-null.
    data->bytes.reserve(static_cast<std::size_t>(length) + 1);
    data->bytes.assign(bytes, bytes + length);
    return data.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CFIndex CFDataGetLength(CFDataRef theData) {
  const auto* data = Cast<__CFData>(theData);
  return data != nullptr ? static_cast<CFIndex>(data->bytes.size()) : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) {
  const auto* data = Cast<__CFData>(theData);
  return data != nullptr ? data->bytes.data() : nullptr;
}
