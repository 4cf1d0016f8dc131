// CFString: creation from units and 8-bit encodings, reading, conversion
// back to 8-bit text, comparison, and the constant strings behind CFSTR.
#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>

#include "Object.h"
#include "xml/XMLChars.h"

using velcf::detail::Cast;

namespace {

// Reads `size` bytes in `encoding` into UTF-16 units; false when they are
// not valid in it or the encoding is not one the layer converts.
bool DecodeBytes(const UInt8* bytes, std::size_t size, CFStringEncoding encoding, bool external,
                 std::vector<UniChar>& out) {
  const UInt8* p = bytes;
  const UInt8* end = bytes + size;
  switch (encoding) {
    case kCFStringEncodingUTF8:
      if (external && size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        p += 3;
      }
      out.reserve(end - p);
      while (p < end) {
        char32_t cp;
        if (!velcf::detail::DecodeUtf8(p, end, cp)) return false;
        velcf::detail::AppendUtf16(out, cp);
      }
      return true;
    case kCFStringEncodingASCII:
      for (; p < end; ++p) {
        if (*p > 0x7F) return false;
        out.push_back(*p);
      }
      return true;
    case kCFStringEncodingISOLatin1:
      out.assign(p, end);
      return true;
    case kCFStringEncodingWindowsLatin1:
      out.reserve(size);
      for (; p < end; ++p) {
        out.push_back(static_cast<UniChar>(velcf::detail::DecodeWindowsLatin1(*p)));
      }
      return true;
    case kCFStringEncodingUTF16:
    case kCFStringEncodingUTF16BE:
    case kCFStringEncodingUTF16LE: {
      if (size % 2 != 0) return false;
      bool big = encoding != kCFStringEncodingUTF16LE;
      if (encoding == kCFStringEncodingUTF16 && size >= 2) {
        if (p[0] == 0xFE && p[1] == 0xFF) {
          p += 2;
        } else if (p[0] == 0xFF && p[1] == 0xFE) {
          big = false;
          p += 2;
        }
      }
      out.reserve((end - p) / 2);
      for (; p < end; p += 2) {
        out.push_back(static_cast<UniChar>(big ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]));
      }
      return true;
    }
    default:
      return false;
  }
}

// Writes `units` in the 8-bit `encoding`; false when a character has no
// form in it or the encoding is not one the layer converts.
bool EncodeUnits(const UniChar* units, std::size_t n, CFStringEncoding encoding, std::string& out) {
  for (std::size_t i = 0; i < n;) {
    const char32_t cp =
        velut::textbase::DecodeUtf16([units](std::size_t k) { return units[k]; }, i, n);
    switch (encoding) {
      case kCFStringEncodingUTF8:
        if (!velcf::detail::AppendUtf8(out, cp)) return false;
        break;
      case kCFStringEncodingASCII:
        if (cp > 0x7F) return false;
        out.push_back(static_cast<char>(cp));
        break;
      case kCFStringEncodingISOLatin1:
        if (cp > 0xFF) return false;
        out.push_back(static_cast<char>(cp));
        break;
      case kCFStringEncodingWindowsLatin1: {
        const int byte = velcf::detail::EncodeWindowsLatin1(cp);
        if (byte < 0) return false;
        out.push_back(static_cast<char>(byte));
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

CFStringRef NewString(const std::vector<UniChar>& units) {
  __CFString* string = __CFString::New(units.size());
  std::copy(units.begin(), units.end(), string->units());
  return string;
}

}  // namespace

__CFString* __CFString::New(std::size_t units) {
  if (units > (static_cast<std::size_t>(LONG_MAX) - sizeof(__CFString)) / sizeof(UniChar)) {
    throw std::bad_alloc();
  }
  return new (::operator new(SizeFor(units))) __CFString(static_cast<CFIndex>(units));
}

void __CFString::Delete(__CFString* string) {
  string->~__CFString();
  ::operator delete(string);
}

bool __CFString::SortsBefore(const __CFString& other) const {
  return std::lexicographical_compare(units(), units() + length, other.units(),
                                      other.units() + other.length);
}

bool __CFString::Equals(const __CFString& other) const {
  return length == other.length &&
         std::memcmp(units(), other.units(), static_cast<std::size_t>(length) * sizeof(UniChar)) ==
             0;
}

CFTypeID CFStringGetTypeID(void) { return __CFString::kType; }

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars) {
  if (numChars < 0 || (chars == nullptr && numChars != 0)) return nullptr;
  try {
    __CFString* string = __CFString::New(static_cast<std::size_t>(numChars));
    std::copy(chars, chars + numChars, string->units());
    return string;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation) {
  if (numBytes < 0 || (bytes == nullptr && numBytes != 0)) return nullptr;
  try {
    std::vector<UniChar> units;
    if (numBytes > 0 && !DecodeBytes(bytes, static_cast<std::size_t>(numBytes), encoding,
                                     isExternalRepresentation != 0, units)) {
      return nullptr;
    }
    if (numBytes == 0 && CFStringGetMaximumSizeForEncoding(0, encoding) < 0) {
      return nullptr;
    }
    return NewString(units);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                      CFStringEncoding encoding) {
  if (cStr == nullptr) return nullptr;
  // UTF-16 text is not zero-terminated by a single byte.
  if (encoding == kCFStringEncodingUTF16 || encoding == kCFStringEncodingUTF16BE ||
      encoding == kCFStringEncodingUTF16LE) {
    return nullptr;
  }
  return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8*>(cStr),
                                 static_cast<CFIndex>(std::strlen(cStr)), encoding, false);
}

CFIndex CFStringGetLength(CFStringRef theString) {
  const auto* s = Cast<__CFString>(theString);
  return s != nullptr ? s->length : 0;
}

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx) {
  const auto* s = Cast<__CFString>(theString);
  if (s == nullptr || idx < 0 || idx >= s->length) return 0;
  return s->units()[idx];
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer) {
  const auto* s = Cast<__CFString>(theString);
  if (s == nullptr || buffer == nullptr || range.length <= 0) return;
  const CFIndex size = s->length;
  if (range.location >= size) return;
  // location + length, computed so that it cannot overflow.
  CFIndex end = range.location < 0 || range.length <= size - range.location
                    ? range.location + range.length
                    : size;
  end = std::min(end, size);
  const CFIndex begin = std::max<CFIndex>(range.location, 0);
  if (begin < end) {
    std::copy(s->units() + begin, s->units() + end, buffer + (begin - range.location));
  }
}

const UniChar* CFStringGetCharactersPtr(CFStringRef theString) {
  const auto* s = Cast<__CFString>(theString);
  return s != nullptr && s->length != 0 ? s->units() : nullptr;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  if (length < 0) return kCFNotFound;
  CFIndex factor;
  switch (encoding) {
    case kCFStringEncodingUTF8:
      factor = 3;
      break;
    case kCFStringEncodingASCII:
    case kCFStringEncodingISOLatin1:
    case kCFStringEncodingWindowsLatin1:
      factor = 1;
      break;
    case kCFStringEncodingUTF16:
    case kCFStringEncodingUTF16BE:
    case kCFStringEncodingUTF16LE:
      factor = 2;
      break;
    default:
      return kCFNotFound;
  }
  if (length > LONG_MAX / factor) return kCFNotFound;
  return length * factor;
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
  const auto* s = Cast<__CFString>(theString);
  if (s == nullptr || buffer == nullptr || bufferSize <= 0) return false;
  try {
    std::string bytes;
    if (!EncodeUnits(s->units(), static_cast<std::size_t>(s->length), encoding, bytes)) {
      return false;
    }
    if (bytes.size() >= static_cast<std::size_t>(bufferSize)) return false;
    std::memcpy(buffer, bytes.c_str(), bytes.size() + 1);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions) {
  const auto* a = Cast<__CFString>(theString1);
  const auto* b = Cast<__CFString>(theString2);
  if (a == nullptr || b == nullptr) {
    if (a == b) return kCFCompareEqualTo;
    return a == nullptr ? kCFCompareLessThan : kCFCompareGreaterThan;
  }
  const bool fold = (compareOptions & kCFCompareCaseInsensitive) != 0;
  auto lower = [fold](UniChar c) -> UniChar {
    return fold && c >= 'A' && c <= 'Z' ? static_cast<UniChar>(c + 32) : c;
  };
  const CFIndex n = std::min(a->length, b->length);
  for (CFIndex i = 0; i < n; ++i) {
    const UniChar x = lower(a->units()[i]);
    const UniChar y = lower(b->units()[i]);
    if (x != y) return x < y ? kCFCompareLessThan : kCFCompareGreaterThan;
  }
  if (a->length == b->length) return kCFCompareEqualTo;
  return a->length < b->length ? kCFCompareLessThan : kCFCompareGreaterThan;
}

CFStringRef __CFStringMakeConstantString(const char* cStr) {
  if (cStr == nullptr) return nullptr;
  // Never destroyed: constants live as long as the process.
  static std::mutex* const mutex = new std::mutex;
  static auto* const table = new std::unordered_map<std::string, __CFString*>;
  try {
    std::lock_guard<std::mutex> lock(*mutex);
    auto it = table->find(cStr);
    if (it != table->end()) return it->second;
    velcf::detail::Ref<const __CFString> made(
        CFStringCreateWithCString(nullptr, cStr, kCFStringEncodingUTF8));
    if (made.get() == nullptr) return nullptr;
    table->emplace(cStr, const_cast<__CFString*>(made.get()));
    auto* constant = const_cast<__CFString*>(made.release());
    constant->MakeConstant();
    return constant;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
