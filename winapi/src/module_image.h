// A loaded resource library as the readers of its resources see it, while
// the table of loaded libraries keeps it mapped.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include <WinAPI/Types.h>

#include "pe_image.h"

namespace velwin::detail {

// The mapped image of a loaded library and the index of its string table,
// by block, then language.
struct ModuleImage {
  const std::uint8_t* image;
  std::size_t size;
  const std::vector<StringBlock>* strings;
};

// ReadModuleImage: calls `read` with the loaded library `module` while the
// table of loaded libraries is locked for reading, so the image stays
// mapped for the call (`read` must not load or free libraries). False when
// `module` is null, unknown or freed; `read` is then not called.
bool ReadModuleImage(HMODULE module, const std::function<void(const ModuleImage& m)>& read);

// Counts the libraries unloaded so far: what a reader keeps from earlier
// lookups holds only while it stays the same.
extern std::atomic<std::uint64_t> g_libraries_unloaded;

}  // namespace velwin::detail
