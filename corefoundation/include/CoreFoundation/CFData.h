// CFData: an immutable run of bytes, the input of the XML parser.
#pragma once

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

// CFDataRef: a reference to a CFData.
typedef const struct __CFData* CFDataRef;

// CFDataGetTypeID: the type of every CFData object.
VELCF_API CFTypeID CFDataGetTypeID(void);

// CFDataCreate: a new CFData holding a copy of the `length` bytes at
// `bytes`, which the caller releases. Null when `length` is negative, or
// when `bytes` is null and `length` is not 0.
// Example: CFDataCreate(kCFAllocatorDefault, (const UInt8*)"<a/>", 4)
VELCF_API CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);

// CFDataGetLength: the number of bytes; 0 for null.
VELCF_API CFIndex CFDataGetLength(CFDataRef theData);

// CFDataGetBytePtr: the bytes, valid while the object lives; never null for
// a CFData, even an empty one. Null for null.
VELCF_API const UInt8* CFDataGetBytePtr(CFDataRef theData);

CF_EXTERN_C_END
