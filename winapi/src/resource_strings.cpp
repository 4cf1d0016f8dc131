// Enumerating every string resource of a loaded resource library.
#include <string>
#include <vector>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "module_image.h"
#include "pe_image.h"

namespace {

struct Entry {
  UINT id;
  LANGID lang;
  std::wstring text;
};

// Every non-empty string of the image, by id, then language. False when
// the image's string table cannot be read.
bool ReadStrings(const std::uint8_t* image, std::size_t size, std::vector<Entry>& entries) {
  std::vector<velwin::detail::StringBlock> index;  // by block, then language
  if (!velwin::detail::IndexStringTable(image, size, index)) return false;
  for (std::size_t first = 0; first < index.size();) {
    std::size_t last = first;
    while (last < index.size() && index[last].block == index[first].block) ++last;
    for (unsigned slot = 0; slot < 16; ++slot) {
      for (std::size_t i = first; i < last; ++i) {
        const std::uint8_t* units = nullptr;
        std::size_t count = 0;
        if (!velwin::detail::LocateBlockString(image, size, index[i], slot, units, count)) continue;
        Entry e{(index[i].block - 1u) * 16u + slot, index[i].lang, std::wstring()};
        velwin::detail::AppendUtf16(units, count, e.text);
        entries.push_back(std::move(e));
      }
    }
    first = last;
  }
  return true;
}

}  // namespace

BOOL EnumResourceStringsW(HMODULE module, ENUMRESSTRINGPROCW proc, LONG_PTR param) {
  if (proc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<Entry> entries;
  bool readable = true;
  const bool known =
      velwin::detail::ReadModuleImage(module, [&](const std::uint8_t* image, std::size_t size) {
        readable = ReadStrings(image, size, entries);
      });
  if (!known || !readable) {
    // LoadLibrary refused unreadable tables, so only a file changed in
    // place under its mapping makes a known module unreadable here.
    SetLastError(known ? ERROR_BAD_EXE_FORMAT : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  for (const Entry& e : entries) {
    if (!proc(module, e.id, e.lang, e.text.c_str(), static_cast<UINT>(e.text.size()), param))
      return FALSE;
  }
  return TRUE;
}
