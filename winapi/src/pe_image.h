// Reading the string and message tables of a Win32 PE image (PE32 or PE32+) held in
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

// One language version of a message table (the RT_MESSAGETABLE resource
// named 1): where its data lies in the image.
struct MessageTable {
  std::uint16_t lang;    // LANGID
  std::uint32_t size;    // bytes of data, all inside the image
  std::uint64_t offset;  // file offset of the data
};

// IndexMessageTables: collects every language version of the image's
// message table into `tables`, by language (the first of duplicates is
// kept). No message table gives an empty list. False, with `tables`
// empty, when the bytes are not a PE image or the way to the table is
// damaged, as IndexStringTable judges it.
bool IndexMessageTables(const std::uint8_t* image, std::size_t size,
                        std::vector<MessageTable>& tables);

// Flags of a message entry: how its text is written. Neither: ANSI.
constexpr std::uint16_t kMessageUnicode = 0x0001;  // UTF-16
constexpr std::uint16_t kMessageUtf8 = 0x0002;

// LocateMessage: where the entry of message `id` lies in `table`: its
// text, `bytes` bytes at `text`, written as its `flags` say. Takes the
// first block whose id range holds `id`. False when none does, or when
// the table, the block or an entry before it does not lie inside the
// table's data.
bool LocateMessage(const std::uint8_t* image, std::size_t size, const MessageTable& table,
                   std::uint32_t id, const std::uint8_t*& text, std::size_t& bytes,
                   std::uint16_t& flags);

// AppendMessageText: appends the text of a message entry as wide
// characters, the zero units that pad its end left out. ANSI text is read
// as windows-1252, the code page in which message compilers write it.
void AppendMessageText(const std::uint8_t* text, std::size_t bytes, std::uint16_t flags,
                       std::wstring& out);

// AppendUtf16: appends `units` little-endian UTF-16 units read from `p` as
// wide characters: a surrogate pair becomes one character, an unpaired
// surrogate U+FFFD.
void AppendUtf16(const std::uint8_t* p, std::size_t units, std::wstring& out);

}  // namespace velwin::detail
