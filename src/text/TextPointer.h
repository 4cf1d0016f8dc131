// Pointer arguments of the text utilities.
#pragma once

#include <cstdint>

namespace VelUt::detail {

// True when `p` may point at a text. Null cannot, and neither can the
// values 1 to 0xFFFF, which the CStdStr constructor reads as string-resource
// ids and which no mapping on Linux occupies.
inline bool IsTextPointer(const wchar_t* p) { return reinterpret_cast<std::uintptr_t>(p) > 0xFFFF; }

}  // namespace VelUt::detail
