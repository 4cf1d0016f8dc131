// CFArray: an immutable, ordered list of retained objects. The XML tree
// hands them out (an element's attribute order); callers only read them.
#pragma once

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

// CFArrayRef: a reference to a CFArray.
typedef const struct __CFArray* CFArrayRef;

// CFArrayGetTypeID: the type of every CFArray object.
VELCF_API CFTypeID CFArrayGetTypeID(void);

// CFArrayGetCount: the number of values; 0 for null.
VELCF_API CFIndex CFArrayGetCount(CFArrayRef theArray);

// CFArrayGetValueAtIndex: the value at `idx` (not owned by the caller), or
// null when `idx` is outside 0 .. count - 1.
VELCF_API const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx);

CF_EXTERN_C_END
