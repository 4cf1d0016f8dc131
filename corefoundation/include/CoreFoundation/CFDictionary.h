// CFDictionary: an immutable map from keys to values, both retained. The XML
// tree hands them out (an element's attributes, keyed by attribute name);
// callers only read them. Keys are compared with CFEqual, so a string key
// matches any string with the same UTF-16 units: exact, case included.
#pragma once

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

// CFDictionaryRef: a reference to a CFDictionary.
typedef const struct __CFDictionary* CFDictionaryRef;

// CFDictionaryGetTypeID: the type of every CFDictionary object.
VELCF_API CFTypeID CFDictionaryGetTypeID(void);

// CFDictionaryGetCount: the number of key-value pairs; 0 for null.
VELCF_API CFIndex CFDictionaryGetCount(CFDictionaryRef theDict);

// CFDictionaryContainsKey: true when `key` is one of the keys.
// Example (attributes of <e resource="7"/>):
//   key "resource" -> true;  key "Resource" -> false
VELCF_API Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key);

// CFDictionaryGetValue: the value stored under `key` (not owned by the
// caller), or null when there is none.
// Example (attributes of <e src="a.dll"/>): key "src" -> "a.dll"
VELCF_API const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key);

// CFDictionaryGetValueIfPresent: true when `key` is present, and then
// stores its value in *value when `value` is not null.
VELCF_API Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key,
                                                const void** value);

// CFDictionaryGetKeysAndValues: fills `keys` and `values` (either may be
// null), each with room for CFDictionaryGetCount entries. An XML element's
// attributes come out in the order the document lists them.
VELCF_API void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys,
                                            const void** values);

CF_EXTERN_C_END
