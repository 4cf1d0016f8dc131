// CFString: an immutable string of UTF-16 units, as CoreFoundation keeps
// it. A character outside the Basic Multilingual Plane is a surrogate pair,
// two units; lengths, ranges and indexes count units.
#pragma once

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

// CFStringEncoding: a text encoding, one of the values below.
typedef UInt32 CFStringEncoding;

// The encodings the layer converts (the others of CoreFoundation are
// accepted by no function and make it fail).
typedef CF_ENUM(CFStringEncoding, CFStringBuiltInEncodings) {
  kCFStringEncodingWindowsLatin1 = 0x0500,
  kCFStringEncodingISOLatin1 = 0x0201,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUnicode = 0x0100,
  kCFStringEncodingUTF8 = 0x08000100,
  kCFStringEncodingUTF16 = 0x0100,
  kCFStringEncodingUTF16BE = 0x10000100,
  kCFStringEncodingUTF16LE = 0x14000100,
};

enum { kCFStringEncodingInvalidId = 0xffffffffU };

// CFStringCompareFlags: the option bits of the comparison functions.
typedef CF_OPTIONS(CFOptionFlags, CFStringCompareFlags) {
  kCFCompareCaseInsensitive = 1,
};

// CFStringGetTypeID: the type of every CFString object.
VELCF_API CFTypeID CFStringGetTypeID(void);

// CFStringCreateWithCharacters: a new string of the `numChars` UTF-16 units
// at `chars`, copied as they are (unpaired surrogates included), which the
// caller releases. Null when `numChars` is negative, or when `chars` is
// null and `numChars` is not 0.
VELCF_API CFStringRef CFStringCreateWithCharacters(CFAllocatorRef alloc, const UniChar* chars,
                                                   CFIndex numChars);

// CFStringCreateWithCString: a new string from the zero-terminated `cStr`
// in `encoding` (UTF-8, ASCII, ISO Latin-1 or Windows Latin-1), which the
// caller releases. Null when `cStr` is null, is not valid in `encoding`
// (an overlong or truncated UTF-8 sequence, an encoded surrogate, a byte
// above 0x7F in ASCII) or `encoding` is another one.
// Example: CFStringCreateWithCString(NULL, "\xF0\x9F\x98\x80",
//          kCFStringEncodingUTF8) -> a string of length 2 (a surrogate pair)
VELCF_API CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                                CFStringEncoding encoding);

// CFStringCreateWithBytes: like CFStringCreateWithCString for the
// `numBytes` bytes at `bytes`, zero bytes included. With
// `isExternalRepresentation`, a UTF-8 byte-order mark at the start is
// skipped. Also reads kCFStringEncodingUTF16LE and UTF16BE, and
// kCFStringEncodingUTF16 (big-endian unless a byte-order mark says
// otherwise; the mark is skipped).
VELCF_API CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes,
                                              CFIndex numBytes, CFStringEncoding encoding,
                                              Boolean isExternalRepresentation);

// CFStringGetLength: the number of UTF-16 units; 0 for null.
// Example: "a\U0001F600" -> 3
VELCF_API CFIndex CFStringGetLength(CFStringRef theString);

// CFStringGetCharacterAtIndex: the unit at `idx`, or 0 when `idx` is
// outside the string.
VELCF_API UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx);

// CFStringGetCharacters: copies the units of `range` into `buffer`, which
// has room for range.length units: buffer[i] receives the unit at
// range.location + i. Of a range reaching outside the string only the part
// inside it is copied; the rest of the buffer is left as it is.
// Example: "hello", CFRangeMake(1, 3) -> "ell"
VELCF_API void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer);

// CFStringGetCharactersPtr: the string's own units (not zero-terminated),
// valid while the string lives; null for an empty or null string.
VELCF_API const UniChar* CFStringGetCharactersPtr(CFStringRef theString);

// CFStringGetMaximumSizeForEncoding: the most bytes `length` units can
// take in `encoding`, without the terminator; kCFNotFound for an
// encoding the layer does not convert or a negative length.
// Example: (10, kCFStringEncodingUTF8) -> 30
VELCF_API CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);

// CFStringGetCString: writes the text in `encoding` (UTF-8, ASCII, ISO
// Latin-1 or Windows Latin-1) and a terminating zero into `buffer` of
// `bufferSize` bytes. False, with the buffer's contents unspecified, when
// it is too small, the text holds a character the encoding cannot express
// (an unpaired surrogate has no UTF-8 form) or the encoding is another one.
// Example: "\u00E9" in 3 bytes of UTF-8 -> true, "\xC3\xA9";  in 2 -> false
VELCF_API Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                                     CFStringEncoding encoding);

// CFStringCompare: orders two strings by their UTF-16 units. With
// kCFCompareCaseInsensitive, the letters A to Z equal a to z; the other
// flags of CoreFoundation are not supported and are ignored. A null string
// orders before every other.
// Example: ("a", "b", 0) -> kCFCompareLessThan
//          ("ID", "id", kCFCompareCaseInsensitive) -> kCFCompareEqualTo
VELCF_API CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                             CFStringCompareFlags compareOptions);

// __CFStringMakeConstantString: the constant string behind CFSTR: one
// shared string per distinct UTF-8 text, never destroyed, so CFRetain and
// CFRelease have no effect on it. Null for invalid UTF-8.
VELCF_API CFStringRef __CFStringMakeConstantString(const char* cStr);

// CFSTR: a constant CFString from a UTF-8 string literal.
// Example: CFDictionaryGetValue(attributes, CFSTR("id"))
#define CFSTR(cStr) __CFStringMakeConstantString("" cStr "")

// A conversion in the inline helpers below that is a named cast in C++,
// so that consumers who warn of C-style casts can include this header.
#ifdef __cplusplus
#define __CFCast(type, value) static_cast<type>(value)
#else
#define __CFCast(type, value) ((type)(value))
#endif

// Surrogate helpers.
// Example: CFStringGetLongCharacterForSurrogatePair(0xD83D, 0xDE00) -> 0x1F600
CF_INLINE Boolean CFStringIsSurrogateHighCharacter(UniChar character) {
  return __CFCast(Boolean, character >= 0xD800 && character <= 0xDBFF);
}

// CFStringIsSurrogateLowCharacter: true for a low (trailing) surrogate,
// 0xDC00 to 0xDFFF.
CF_INLINE Boolean CFStringIsSurrogateLowCharacter(UniChar character) {
  return __CFCast(Boolean, character >= 0xDC00 && character <= 0xDFFF);
}

// CFStringGetLongCharacterForSurrogatePair: the code point that a high
// and a low surrogate stand for.
CF_INLINE UTF32Char CFStringGetLongCharacterForSurrogatePair(UniChar surrogateHigh,
                                                             UniChar surrogateLow) {
  return __CFCast(UTF32Char,
                  ((surrogateHigh - 0xD800UL) << 10) + (surrogateLow - 0xDC00UL) + 0x10000UL);
}

// CFStringGetSurrogatePairForLongCharacter: for a character above 0xFFFF
// (and at most 0x10FFFF), writes its two units to surrogates[0] and [1]
// and returns true; otherwise writes the character itself to
// surrogates[0] and returns false. A null `surrogates` is written nothing.
CF_INLINE Boolean CFStringGetSurrogatePairForLongCharacter(UTF32Char character,
                                                           UniChar* surrogates) {
  if (!surrogates) return __CFCast(Boolean, character > 0xFFFF && character <= 0x10FFFF);
  if (character > 0xFFFF && character <= 0x10FFFF) {
    character -= 0x10000;
    surrogates[0] = __CFCast(UniChar, (character >> 10) + 0xD800);
    surrogates[1] = __CFCast(UniChar, (character & 0x3FF) + 0xDC00);
    return 1;
  }
  surrogates[0] = __CFCast(UniChar, character);
  return 0;
}

CF_EXTERN_C_END
