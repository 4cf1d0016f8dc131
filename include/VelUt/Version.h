// Version numbers packed into 32 bits: the major number in the high half,
// the minor in the low half, so that versions compare as numbers.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>

namespace VelUt {

// StringToVersion: packs `text` into `version`: the leading decimal
// number of the text before the first "." shifted left by 16 (kept to 32
// bits), OR the low 16 bits of the leading number of everything after that
// dot with all further dots removed (so "1.2.3" has the minor number 23).
// Without a dot the whole text is the major number. Numbers are read as
// ms_wtoi reads them: after white space and a sign, 0 when there is none.
// Returns 1 for any non-empty text, malformed or not; 0 with `version` 0
// for an empty one.
//
// Example:
//   "2.1" -> 0x20001    "2.10" -> 0x2000A    "1.2.3" -> 0x10017
//   "5"   -> 0x50000    ".5"   -> 5          "abc"   -> 0, returns 1
//   "70000.1" -> 0x11700001    "-1.2" -> 0xFFFF0002
VELUT_API signed char StringToVersion(const CStdStr<wchar_t>& text, unsigned int& version);

}  // namespace VelUt
