// The system's message text for an error code, as one line for display.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>

namespace VelUt {

// GetSystemErrorMessage: the system's text for `code` (0xFFFFFFFF: the
// calling thread's last error, GetLastError()), or, when it has none, the
// text of 0x800300FD ("An unexpected error occurred"); "" when neither has
// one. The text is trimmed: up to two final line breaks (CR or LF) go,
// then one final period, but a text is never cut below one character.
//
// Example:
//   GetSystemErrorMessage(5)          -> L"Access is denied"
//   GetSystemErrorMessage(0x12345678) -> L"An unexpected error occurred"
//   SetLastError(2); GetSystemErrorMessage(0xFFFFFFFF)
//                                     -> L"The system cannot find the file specified"
VELUT_API CStdStr<wchar_t> GetSystemErrorMessage(unsigned int code);

}  // namespace VelUt
