// The interner of the XML parser: the strings that recur in a document
// (element names, attribute names, white-space runs) are made once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "XMLScan.h"

struct __CFString;

namespace velcf::detail {

// A table from UTF-8 text (in the parsed buffer, which outlives the table)
// to the string made of it: open addressing on an FNV-1a hash, kept at
// most half full, with a small cache in front for the names that come
// back again and again.
// Example:
//   interner.Find("name", 4) -> null; then interner.Add(string)
//   interner.Find(another "name", 4) -> string
class Interner {
 public:
  // The string for [text, text + size), or null when there is none yet.
  const __CFString* Find(const char* text, std::size_t size) {
    // A small table indexed by the length and ends finds them without
    // hashing them whole.
    const Slot* quick = quick_[QuickIndex(text, size)];
    if (quick != nullptr && quick->size == size && SameBytes(quick->text, text, size)) {
      return quick->string;
    }
    return FindSlow(text, size);
  }
  // Records `string` (not null) for the text of the last Find, which found
  // none.
  void Add(const __CFString* string);

 private:
  struct Slot {
    const char* text;
    std::size_t size;
    std::uint32_t hash;
    const __CFString* string;
  };
  static constexpr std::size_t kQuick = 64;

  static std::size_t QuickIndex(const char* text, std::size_t size) {
    if (size == 0) return 0;
    const auto first = static_cast<unsigned char>(text[0]);
    const auto last = static_cast<unsigned char>(text[size - 1]);
    return (size * 31 + std::size_t{first} * 7 + last) % kQuick;
  }
  const __CFString* FindSlow(const char* text, std::size_t size);
  void Grow();

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  Slot* last_ = nullptr;
  const Slot* quick_[kQuick] = {};
};

}  // namespace velcf::detail
