#include "pe_image.h"

#include <algorithm>
#include <string_view>

#include <textbase/unicode.h>

namespace velwin::detail {
namespace {

constexpr std::uint16_t kOptionalMagic32 = 0x10B;
constexpr std::uint16_t kOptionalMagic64 = 0x20B;
constexpr std::uint32_t kResourceDirectory = 2;  // index in the data directory
constexpr std::uint32_t kRtString = 6;
constexpr std::uint32_t kRtMessageTable = 11;
constexpr std::uint32_t kMessageTableName = 1;  // the one FormatMessage reads
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kMaxBlock = 4096;  // block of id 65535
// Directory entries examined at most: far beyond any real string table
// (4096 blocks in dozens of languages), small enough that a hostile file
// whose directories all point at one huge directory stays cheap.
constexpr std::size_t kEntryBudget = 1u << 20;

// A bounded view of the image: reads fail instead of leaving it.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t size() const { return size_; }

  // True when [offset, offset + length) lies inside the image.
  bool Has(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  std::uint16_t U16(std::uint64_t offset) const {
    const std::uint8_t* p = data_ + offset;
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
  }

  std::uint32_t U32(std::uint64_t offset) const {
    const std::uint8_t* p = data_ + offset;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

struct Section {
  std::uint32_t address;  // relative virtual address
  std::uint64_t extent;   // bytes of address space it claims
  std::uint64_t offset;   // file offset of its data
  std::uint64_t present;  // bytes of its data inside the file
};

class Image {
 public:
  explicit Image(Bytes bytes) : bytes_(bytes) {}

  // Reads the headers; false when they are not those of a PE image.
  bool ReadHeaders() {
    if (!bytes_.Has(0, 64) || bytes_.U16(0) != 0x5A4D) return false;  // "MZ"
    const std::uint64_t nt = bytes_.U32(0x3C);
    if (!bytes_.Has(nt, 24) || bytes_.U32(nt) != 0x00004550) return false;  // "PE\0\0"
    const std::uint64_t coff = nt + 4;
    const std::uint32_t section_count = bytes_.U16(coff + 2);
    const std::uint32_t optional_size = bytes_.U16(coff + 16);
    const std::uint64_t optional = coff + 20;
    if (optional_size < 2 || !bytes_.Has(optional, optional_size)) return false;

    std::uint64_t count_at;
    switch (bytes_.U16(optional)) {
      case kOptionalMagic32:
        count_at = 92;
        break;
      case kOptionalMagic64:
        count_at = 108;
        break;
      default:
        return false;
    }
    const std::uint64_t directories_at = count_at + 4;
    if (optional_size >= directories_at) {
      const std::uint32_t directory_count = bytes_.U32(optional + count_at);
      const std::uint64_t entry = directories_at + std::uint64_t{8} * kResourceDirectory;
      if (directory_count > kResourceDirectory && optional_size >= entry + 8) {
        resource_rva_ = bytes_.U32(optional + entry);
        resource_size_ = bytes_.U32(optional + entry + 4);
      }
    }

    const std::uint64_t table = optional + optional_size;
    if (!bytes_.Has(table, std::uint64_t{40} * section_count)) return false;
    sections_.reserve(section_count);
    for (std::uint32_t i = 0; i < section_count; ++i) {
      const std::uint64_t at = table + std::uint64_t{40} * i;
      const std::uint32_t virtual_size = bytes_.U32(at + 8);
      const std::uint32_t raw_size = bytes_.U32(at + 16);
      Section s;
      s.address = bytes_.U32(at + 12);
      s.extent = std::max(virtual_size, raw_size);
      s.offset = bytes_.U32(at + 20);
      // Data cut off by the end of the file is simply not there.
      s.present = s.offset >= bytes_.size()
                      ? 0
                      : std::min<std::uint64_t>(raw_size, bytes_.size() - s.offset);
      sections_.push_back(s);
    }
    return true;
  }

  bool HasResources() const { return resource_rva_ != 0 && resource_size_ != 0; }

  // Where `length` bytes at `rva` lie in the file; false unless all of them
  // are there, inside one section's data.
  bool Locate(std::uint32_t rva, std::uint64_t length, std::uint64_t& offset,
              std::uint64_t* available = nullptr) const {
    for (const Section& s : sections_) {
      if (rva < s.address || rva - s.address >= s.extent) continue;
      const std::uint64_t into = rva - s.address;
      // Even an empty span must start inside the file.
      if (s.offset + into > bytes_.size()) return false;
      if (into > s.present || length > s.present - into) return false;
      offset = s.offset + into;
      if (available != nullptr) *available = s.present - into;
      return true;
    }
    return false;
  }

  // Finds the root of the resource directory and, in it, the directory of
  // the resources of `type` at `directory` (`found` false when there is
  // none). False when the way there is damaged.
  bool FindType(std::uint32_t type, bool& found, std::uint32_t& directory) {
    std::uint64_t available = 0;
    if (!Locate(resource_rva_, 16, root_, &available)) return false;
    // Directories and data entries are addressed from the root and must
    // lie in the same section, after it.
    end_ = root_ + available;

    // Only the first entry of a type counts, as in a binary search.
    found = false;
    return ForEachIdEntry(root_, [&](std::uint32_t id, std::uint32_t target) {
      if (id != type || found) return true;
      found = true;
      directory = target & ~kHighBit;
      return (target & kHighBit) != 0;  // else data where a directory belongs
    });
  }

  // Collects the string blocks; false when the way to them is damaged.
  bool IndexStrings(std::vector<StringBlock>& index) {
    std::uint32_t names = 0;
    bool found = false;
    if (!FindType(kRtString, found, names)) return false;
    if (!found) return true;  // no string table

    const bool blocks_ok =
        ForEachIdEntry(root_ + names, [&](std::uint32_t block, std::uint32_t target) {
          if (!(target & kHighBit)) return false;
          if (block == 0 || block > kMaxBlock) return true;  // holds no string id
          return IndexLanguages(block, target & ~kHighBit, index);
        });
    if (!blocks_ok) return false;
    // Sorted for the lookups; of duplicates the first in the file stays.
    std::stable_sort(index.begin(), index.end(), [](const StringBlock& a, const StringBlock& b) {
      return a.block != b.block ? a.block < b.block : a.lang < b.lang;
    });
    index.erase(std::unique(index.begin(), index.end(),
                            [](const StringBlock& a, const StringBlock& b) {
                              return a.block == b.block && a.lang == b.lang;
                            }),
                index.end());
    return true;
  }

  // Collects the language versions of the message table (the resource of
  // type RT_MESSAGETABLE named 1); false when the way to them is damaged.
  bool IndexMessages(std::vector<StringBlock>& tables) {
    std::uint32_t names = 0;
    bool found = false;
    if (!FindType(kRtMessageTable, found, names)) return false;
    if (!found) return true;
    bool named = false;
    return ForEachIdEntry(root_ + names, [&](std::uint32_t name, std::uint32_t target) {
      if (name != kMessageTableName || named) return true;
      named = true;
      if (!(target & kHighBit)) return false;
      return IndexLanguages(0, target & ~kHighBit, tables);
    });
  }

 private:
  bool IndexLanguages(std::uint32_t block, std::uint32_t directory,
                      std::vector<StringBlock>& index) {
    return ForEachIdEntry(root_ + directory, [&](std::uint32_t lang, std::uint32_t target) {
      if (target & kHighBit) return false;  // a directory where data belongs
      const std::uint64_t data_entry = root_ + target;
      if (!InResources(data_entry, 16)) return false;
      const std::uint32_t rva = bytes_.U32(data_entry);
      const std::uint32_t size = bytes_.U32(data_entry + 4);
      std::uint64_t offset;
      if (!Locate(rva, size, offset)) return false;
      index.push_back(StringBlock{static_cast<std::uint16_t>(block),
                                  static_cast<std::uint16_t>(lang), size, offset});
      return true;
    });
  }

  // Calls visit(id, target) for each entry of the directory at `at` that is
  // named by a number (entries named by a string are passed over); false
  // when the directory is damaged or a visit returns false.
  template <typename Visit>
  bool ForEachIdEntry(std::uint64_t at, Visit visit) {
    std::uint64_t entries, count;
    if (!Directory(at, entries, count)) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint32_t name = bytes_.U32(entries + 8 * i);
      if (name & kHighBit) continue;
      if (!visit(name, bytes_.U32(entries + 8 * i + 4))) return false;
    }
    return true;
  }

  // A resource directory at `at`: its entries start at `entries`, `count`
  // of them, all inside the resource data. Charges them to the budget.
  bool Directory(std::uint64_t at, std::uint64_t& entries, std::uint64_t& count) {
    if (!InResources(at, 16)) return false;
    count = std::uint64_t{bytes_.U16(at + 12)} + bytes_.U16(at + 14);
    entries = at + 16;
    if (!InResources(entries, 8 * count)) return false;
    if (count > kEntryBudget - spent_) return false;
    spent_ += count;
    return true;
  }

  bool InResources(std::uint64_t offset, std::uint64_t length) const {
    return offset >= root_ && offset <= end_ && length <= end_ - offset;
  }

  Bytes bytes_;
  std::vector<Section> sections_;
  std::uint32_t resource_rva_ = 0;
  std::uint32_t resource_size_ = 0;
  std::uint64_t root_ = 0;
  std::uint64_t end_ = 0;
  std::size_t spent_ = 0;
};

// Reads the headers of `image` and calls index(pe) when it has resources.
// False when the image is no PE image or `index` finds damage.
template <typename Index>
bool IndexResources(const std::uint8_t* image, std::size_t size, Index index) {
  if (image == nullptr) return false;
  Image pe{Bytes(image, size)};
  if (!pe.ReadHeaders()) return false;
  return !pe.HasResources() || index(pe);
}

}  // namespace

bool IndexStringTable(const std::uint8_t* image, std::size_t size,
                      std::vector<StringBlock>& index) {
  index.clear();
  if (IndexResources(image, size, [&](Image& pe) { return pe.IndexStrings(index); })) return true;
  index.clear();
  return false;
}

bool IndexMessageTables(const std::uint8_t* image, std::size_t size,
                        std::vector<MessageTable>& tables) {
  tables.clear();
  std::vector<StringBlock> found;
  if (!IndexResources(image, size, [&](Image& pe) { return pe.IndexMessages(found); }))
    return false;
  // By language; of duplicates the first in the file stays.
  std::stable_sort(found.begin(), found.end(),
                   [](const StringBlock& a, const StringBlock& b) { return a.lang < b.lang; });
  for (const StringBlock& b : found)
    if (tables.empty() || tables.back().lang != b.lang)
      tables.push_back(MessageTable{b.lang, b.size, b.offset});
  return true;
}

bool LocateMessage(const std::uint8_t* image, std::size_t size, const MessageTable& table,
                   std::uint32_t id, const std::uint8_t*& text, std::size_t& bytes,
                   std::uint16_t& flags) {
  const Bytes all(image, size);
  if (image == nullptr || !all.Has(table.offset, table.size) || table.size < 4) return false;
  // The table: a block count, then blocks of (lowest id, highest id,
  // offset of the first entry from the table's start); an entry is its
  // length in bytes (itself included), its flags, then its text.
  const Bytes t(image + table.offset, table.size);
  const std::uint64_t blocks = t.U32(0);
  if (blocks > (table.size - 4) / 12) return false;
  for (std::uint64_t b = 0; b < blocks; ++b) {
    const std::uint64_t at = 4 + 12 * b;
    const std::uint32_t low = t.U32(at);
    if (id < low || id > t.U32(at + 4)) continue;
    std::uint64_t entry = t.U32(at + 8);
    for (std::uint32_t n = low;; ++n) {
      if (!t.Has(entry, 4)) return false;
      const std::uint16_t length = t.U16(entry);
      if (length < 4 || !t.Has(entry, length)) return false;
      if (n == id) {
        text = image + table.offset + entry + 4;
        bytes = length - 4u;
        flags = t.U16(entry + 2);
        return true;
      }
      entry += length;
    }
  }
  return false;
}

void AppendMessageText(const std::uint8_t* text, std::size_t bytes, std::uint16_t flags,
                       std::wstring& out) {
  if (flags & kMessageUnicode) {
    std::size_t units = bytes / 2;
    while (units > 0 && (text[2 * units - 2] | text[2 * units - 1]) == 0) --units;
    AppendUtf16(text, units, out);
    return;
  }
  while (bytes > 0 && text[bytes - 1] == 0) --bytes;
  if (flags & kMessageUtf8) {
    out +=
        velut::textbase::WideFromUtf8(std::string_view(reinterpret_cast<const char*>(text), bytes),
                                      velut::textbase::Utf8Rule::kReplace);
    return;
  }
  for (std::size_t i = 0; i < bytes; ++i)
    out += static_cast<wchar_t>(velut::textbase::DecodeWindowsLatin1(text[i]));
}

void AppendUtf16(const std::uint8_t* p, std::size_t units, std::wstring& out) {
  const std::size_t start = out.size();
  out.resize(start + units);  // a joined pair makes the text shorter
  wchar_t* w = &out[start];
  const auto unit_at = [p](std::size_t k) {
    return static_cast<char32_t>(p[2 * k] | p[2 * k + 1] << 8);
  };
  for (std::size_t i = 0; i < units;) {
    const char32_t cp = velut::textbase::DecodeUtf16(unit_at, i, units);
    // A surrogate without its partner is no character.
    *w++ = static_cast<wchar_t>(
        velut::textbase::IsScalarValue(cp) ? cp : velut::textbase::kReplacementCharacter);
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
}

bool LocateBlockString(const std::uint8_t* image, std::size_t size, const StringBlock& block,
                       unsigned slot, const std::uint8_t*& units, std::size_t& count) {
  const Bytes bytes(image, size);
  if (image == nullptr || slot > 15 || !bytes.Has(block.offset, block.size)) return false;
  // Each of the 16 strings is a unit count followed by that many units.
  std::uint64_t at = block.offset;
  const std::uint64_t end = block.offset + block.size;
  for (unsigned i = 0;; ++i) {
    if (end - at < 2) return false;
    std::uint64_t n = bytes.U16(at);
    at += 2;
    if (n * 2 > end - at) return false;
    if (i == slot) {
      while (n > 0 && bytes.U16(at + 2 * (n - 1)) == 0) --n;
      if (n == 0) return false;
      units = image + at;
      count = static_cast<std::size_t>(n);
      return true;
    }
    at += n * 2;
  }
}

}  // namespace velwin::detail
