// The base types of the CoreFoundation subset: scalar types, ranges, and the
// reference counting shared by every object of the layer.
//
// Every object (string, data, array, dictionary, tree, XML node) starts with
// a reference count of 1. A function whose name contains Create or Copy
// returns an object the caller owns and must CFRelease; a function whose
// name contains Get returns an object the caller does not own, valid while
// its owner lives (CFRetain it to keep it longer). Unlike CoreFoundation,
// CFRetain and CFRelease accept null and do nothing with it, and the query
// functions return 0, false or null for a null or mistyped argument.
// The headers are valid C as well as C++.
//
// Threads: CFRetain and CFRelease may be called on one object from any
// number of threads at once, and the objects are never changed after they
// are made, so every thread that holds a reference may read them at once;
// a part of a document (a subtree, node or string) retained by one thread
// may be handed to another and released there. A reference keeps alive
// its object and what the object holds, never what holds the object:
// walking up or across a tree (CFTreeGetParent, CFTreeGetNextSibling)
// needs a reference to the document, and must not run while another
// thread may release the document's last one.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <CoreFoundation/CFExport.h>

// CF_EXTERN_C_BEGIN, CF_EXTERN_C_END: enclose declarations that have C
// linkage in C++.
#ifdef __cplusplus
#define CF_EXTERN_C_BEGIN extern "C" {
#define CF_EXTERN_C_END }
#else
#define CF_EXTERN_C_BEGIN
#define CF_EXTERN_C_END
#endif

// CF_INLINE: how the headers declare their inline functions.
#define CF_INLINE static inline

// CF_ENUM(type, name): an enumeration whose values have the given integer
// type, written as CoreFoundation writes its enumerations.
#if defined(__cplusplus)
#define CF_ENUM(_type, _name) \
  _type _name;                \
  enum : _type
#else
#define CF_ENUM(_type, _name) \
  _type _name;                \
  enum
#endif
// CF_OPTIONS(type, name): an enumeration of option bits, written as
// CF_ENUM writes an enumeration.
#define CF_OPTIONS(_type, _name) CF_ENUM(_type, _name)

CF_EXTERN_C_BEGIN

// Integers of fixed width, the truth value Boolean (0 or 1), and UTF-16
// and UTF-32 code units, as CoreFoundation names them.
typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef unsigned char Boolean;
typedef UInt16 UniChar;
typedef UInt32 UTF32Char;

// An index or a count (signed), option bits, an object type (see
// CFGetTypeID) and a hash value.
typedef signed long CFIndex;
typedef unsigned long CFOptionFlags;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;

// References to any object, to an allocator, to a string (CFMutableStringRef
// is accepted where CFStringRef is) and to a URL, which the layer never makes.
typedef const void* CFTypeRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef const struct __CFURL* CFURLRef;

// The layer has one allocator, the default one: every CFAllocatorRef
// argument is accepted and ignored.
VELCF_API extern const CFAllocatorRef kCFAllocatorDefault;

// CFComparisonResult: the order of two values, as comparisons report it.
typedef CF_ENUM(CFIndex, CFComparisonResult) {
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1,
};

enum { kCFNotFound = -1 };

// CFRange: `length` units starting at `location`.
typedef struct {
  CFIndex location;  // the first unit
  CFIndex length;    // the number of units
} CFRange;

// CFRangeMake: the range of `len` units at `loc`.
// Example: CFRangeMake(2, 3) -> {location 2, length 3}
CF_INLINE CFRange CFRangeMake(CFIndex loc, CFIndex len) {
  CFRange range;
  range.location = loc;
  range.length = len;
  return range;
}

// CFRetain: adds one reference to `cf` and returns it. Null gives null.
VELCF_API CFTypeRef CFRetain(CFTypeRef cf);

// CFRelease: drops one reference to `cf`; the last one destroys the object
// and drops the references it held (a tree releases its node and its
// children, a dictionary its keys and values). Null is ignored. Releasing
// a tree of any depth uses a constant amount of stack.
VELCF_API void CFRelease(CFTypeRef cf);

// CFGetRetainCount: the number of references to `cf`; 0 for null. The
// constant strings made by CFSTR report a very large count, as they are
// never destroyed.
// Example: a new string -> 1; after CFRetain -> 2
VELCF_API CFIndex CFGetRetainCount(CFTypeRef cf);

// CFGetTypeID: the type of `cf`, to be compared with CFStringGetTypeID()
// and its siblings; 0 for null.
VELCF_API CFTypeID CFGetTypeID(CFTypeRef cf);

// CFEqual: true when both objects are the same object, or are strings with
// the same UTF-16 units, data with the same bytes, or arrays or
// dictionaries with equal contents. Trees and XML nodes are equal only to
// themselves; null is equal to nothing.
// Example: CFEqual(CFSTR("a"), a new string "a") -> true
VELCF_API Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);

CF_EXTERN_C_END
