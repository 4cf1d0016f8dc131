// The fold of the classic locale, which changes only A-Z: CompareNoCase,
// FindNoCase and ReplaceNoCase compare through it. Written out, since the
// classic ctype facet maps every other unit to itself and a virtual call
// per unit costs more than the comparison.
#pragma once

#include <cstdint>

namespace VelUt::detail {

// FoldClassic: `c` lowered as the classic locale lowers it, as a 32-bit
// value (A-Z to a-z, every other unit unchanged).
// Example: FoldClassic(L'Q') -> U'q';  FoldClassic(L'\u00C9') -> 0xC9
inline std::uint32_t FoldClassic(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  return u - 0x41u < 26u ? u + 0x20u : u;
}

}  // namespace VelUt::detail
