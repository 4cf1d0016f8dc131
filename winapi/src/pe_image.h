// Reading the string table of a Win32 PE image (PE32 or PE32+) held in
// memory. Nothing here trusts the image: every offset, size and count is
// checked against the bytes actually present before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velwin::detail {

// One language version of one RT_STRING block (16 consecutive string ids):
// where its data lies in the image.
struct StringBlock {
  std::uint16_t block;   // 1..4096; holds the ids (block - 1) * 16 ..+15
  std::uint16_t lang;    // LANGID
  std::uint32_t size;    // bytes of data, all inside the image
  std::uint64_t offset;  // file offset of the data
};

// IndexStringTable: checks the image headers and collects every string block
// of the image into `index`, sorted by block, then language (the first of
// duplicate entries is kept). An image without resources, or without a
// string table, gives an empty index. Returns false, with `index` empty,
// when the bytes are not a PE image or the parts of the resource directory
// that lead to strings are damaged (an offset outside the image, a
// directory that does not fit, a data entry in place of a directory or the
// reverse, more entries than any real table has).
bool IndexStringTable(const std::uint8_t* image, std::size_t size, std::vector<StringBlock>& index);

// LocateBlockString: where the string in `slot` (0..15) of `block` lies:
// `count` UTF-16 units at `units`, zero units at its end left out (a
// terminator some resource compilers store). Returns false when the slot
// lies beyond the block's data or holds no text.
bool LocateBlockString(const std::uint8_t* image, std::size_t size, const StringBlock& block,
                       unsigned slot, const std::uint8_t*& units, std::size_t& count);

// AppendUtf16: appends `units` little-endian UTF-16 units read from `p` as
// wide characters: a surrogate pair becomes one character, an unpaired
// surrogate U+FFFD.
void AppendUtf16(const std::uint8_t* p, std::size_t units, std::wstring& out);

}  // namespace velwin::detail
