// The bytes of a loaded resource library, for readers of its resources
// that live outside the library table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include <WinAPI/Types.h>

namespace velwin::detail {

// ReadModuleImage: calls `read` with the mapped image of `module` while the
// table of loaded libraries is locked for reading, so the image stays
// mapped for the call (`read` must not load or free libraries). False when
// `module` is null, unknown or freed; `read` is then not called.
bool ReadModuleImage(HMODULE module,
                     const std::function<void(const std::uint8_t* image, std::size_t size)>& read);

}  // namespace velwin::detail
