// GUIDs and their text: the braced registry form
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", or the same 36 characters
// without braces.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>
#include <WinAPI/Guid.h>

namespace VelUt {

// IsZeroGuid: 1 when all 16 bytes of `guid` are zero, else 0.
// Example: IsZeroGuid(_GUID{}) -> 1
VELUT_API signed char IsZeroGuid(const _GUID& guid);

// GuidToString: the text of `guid` with upper-case digits, with braces
// (38 characters) when `withBraces` is non-zero and without (36) when it
// is zero; "" when the layer cannot write it.
//
// Example (guid {12345678-9ABC-DEF0-0123-456789ABCDEF}):
//   GuidToString(guid, 1) -> L"{12345678-9ABC-DEF0-0123-456789ABCDEF}"
//   GuidToString(guid, 0) -> L"12345678-9ABC-DEF0-0123-456789ABCDEF"
VELUT_API CStdStr<wchar_t> GuidToString(const _GUID& guid, signed char withBraces);

// StringToGuid: reads `text` into `guid` and returns 1, or returns 0. A
// missing "{" at the start or "}" at the end is added first, so the forms
// with both braces, with one and with none are all read; the digits may be
// of either case. Nothing is trimmed: a blank anywhere fails. `guid` is
// zeroed first and stays zero on failure. A null `text` gives 0; a pointer
// value from 1 to 0xFFFF is read as a string-resource id, as CStdStr's
// constructor reads it.
//
// Example:
//   StringToGuid(L"12345678-9abc-def0-0123-456789abcdef", g) -> 1
//   StringToGuid(L"{12345678-9ABC-DEF0-0123-456789ABCDEF", g) -> 1
//   StringToGuid(L" {12345678-9ABC-DEF0-0123-456789ABCDEF}", g) -> 0
VELUT_API signed char StringToGuid(const wchar_t* text, _GUID& guid);

}  // namespace VelUt
