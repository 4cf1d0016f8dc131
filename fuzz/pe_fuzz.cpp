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

#include "fuzz_input.h"
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

void Image(fuzz::Input& in) {
  using namespace velwin::detail;
  const std::uint8_t* data = in.data();
  const std::size_t size = in.size();
  // The reader on the exact bytes: every block it indexes lies inside them,
  // in order, and so does every string it finds in a block.
  std::vector<StringBlock> index;
  const bool valid = IndexStringTable(data, size, index);
  for (std::size_t i = 0; i < index.size(); ++i) {
    const StringBlock& b = index[i];
    FUZZ_CHECK(b.block != 0 && b.block <= 4096 && b.offset <= size && b.size <= size - b.offset);
    FUZZ_CHECK(i == 0 || index[i - 1].block < b.block ||
               (index[i - 1].block == b.block && index[i - 1].lang < b.lang));
    for (unsigned slot = 0; slot < 16; ++slot) {
      const std::uint8_t* units = nullptr;
      std::size_t count = 0;
      if (!LocateBlockString(data, size, b, slot, units, count)) continue;
      FUZZ_CHECK(units >= data && units <= data + size &&
                 count <= (size - static_cast<std::size_t>(units - data)) / 2);
      std::wstring text;
      AppendUtf16(units, count, text);
    }
  }

  // The message tables: each lies inside the bytes, and so does each entry
  // found in it.
  std::vector<MessageTable> tables;
  IndexMessageTables(data, size, tables);
  for (const MessageTable& t : tables) {
    FUZZ_CHECK(t.offset <= size && t.size <= size - t.offset);
    for (std::uint32_t id : kMessageIds) {
      const std::uint8_t* text = nullptr;
      std::size_t bytes = 0;
      std::uint16_t flags = 0;
      if (!LocateMessage(data, size, t, id, text, bytes, flags)) continue;
      FUZZ_CHECK(text >= data && text <= data + size &&
                 bytes <= size - static_cast<std::size_t>(text - data));
      std::wstring message;
      AppendMessageText(text, bytes, flags, message);
    }
  }

  // The same bytes through the public functions.
  WriteInput(data, size);
  static const std::wstring path(InputPath().begin(), InputPath().end());
  const HMODULE h = LoadLibraryW(path.c_str());
  FUZZ_CHECK((h != nullptr) == valid);
  if (h == nullptr) return;
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
  FUZZ_CHECK(FreeLibrary(h));
}

}  // namespace

const std::vector<fuzz::Case> fuzz::kCases = {{"resource DLL", Image}};
