// Any bytes as a resource DLL: written to a file, loaded with LoadLibrary,
// read with string and message lookups of many ids under several
// languages, then freed. The same bytes also go straight to the image
// reader, whose buffer here ends exactly where the input does, so a read
// one byte too far is caught.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <WinAPI/WinAPI.h>

#include "pe_image.h"

namespace {

// One file per fuzzing process, in a folder of its own.
const std::string& InputPath() {
  static const std::string path = [] {
    char folder[] = "/tmp/velut-pe-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr) std::abort();
    static std::string file = std::string(folder) + "/input.dll";
    static std::string dir = folder;
    std::atexit([] {
      unlink(file.c_str());
      rmdir(dir.c_str());
    });
    return file;
  }();
  return path;
}

void WriteInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = InputPath();
  unlink(path.c_str());  // a new file each time: no truncation of a mapped one
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

const LANGID kLanguages[] = {0, 0x0407, 0x0409, 0x040C, 0x0C07, 0x0411};
const std::uint32_t kMessageIds[] = {0, 1, 2, 3, 16, 100, 0x7FFFFFFF, 0xFFFFFFFF};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The reader on the exact bytes: every block it indexes lies inside them.
  std::vector<velwin::detail::StringBlock> index;
  const bool valid = velwin::detail::IndexStringTable(data, size, index);
  for (std::size_t i = 0; i < index.size(); ++i) {
    const velwin::detail::StringBlock& b = index[i];
    if (b.block == 0 || b.block > 4096 || b.offset > size || b.size > size - b.offset) std::abort();
    if (i > 0 && (index[i - 1].block > b.block ||
                  (index[i - 1].block == b.block && index[i - 1].lang >= b.lang)))
      std::abort();
    std::wstring text;
    for (unsigned slot = 0; slot < 16; ++slot) {
      const std::uint8_t* units = nullptr;
      std::size_t count = 0;
      if (velwin::detail::LocateBlockString(data, size, b, slot, units, count)) {
        // The string must lie inside the image.
        if (units < data || units > data + size ||
            count > (size - static_cast<std::size_t>(units - data)) / 2)
          std::abort();
        text.clear();
        velwin::detail::AppendUtf16(units, count, text);
      }
    }
  }

  // The message tables: each lies inside the bytes, and so does each entry found in it.
  std::vector<velwin::detail::MessageTable> tables;
  velwin::detail::IndexMessageTables(data, size, tables);
  for (const velwin::detail::MessageTable& t : tables) {
    if (t.offset > size || t.size > size - t.offset) std::abort();
    for (std::uint32_t id : kMessageIds) {
      const std::uint8_t* text = nullptr;
      std::size_t bytes = 0;
      std::uint16_t flags = 0;
      if (!velwin::detail::LocateMessage(data, size, t, id, text, bytes, flags)) continue;
      if (text < data || text > data + size || bytes > size - static_cast<std::size_t>(text - data))
        std::abort();
      std::wstring message;
      velwin::detail::AppendMessageText(text, bytes, flags, message);
    }
  }

  // The same bytes through the public functions.
  WriteInput(data, size);
  static const std::wstring path(InputPath().begin(), InputPath().end());
  const HMODULE h = LoadLibraryW(path.c_str());
  if ((h != nullptr) != valid) std::abort();
  if (h == nullptr) return 0;
  for (LANGID lang : kLanguages) {
    SetThreadUILanguage(lang);
    for (UINT id = 0; id <= 100; ++id) loadStringFromWin32ResourceDLL(h, id);
    for (UINT id : {255u, 256u, 4000u, 4095u, 65535u, 65536u, 0xFFFFFFFFu})
      loadStringFromWin32ResourceDLL(h, id);
    for (std::uint32_t id : kMessageIds) {
      wchar_t* text = nullptr;
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     h, id, lang, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
      LocalFree(text);
    }
  }
  SetThreadUILanguage(0);
  if (!FreeLibrary(h)) std::abort();
  return 0;
}
