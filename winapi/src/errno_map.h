// The Win32 error code that stands for a C library errno value.
#pragma once

#include <WinAPI/Types.h>

namespace velwin::detail {

// The Win32 code for `err` (ENOENT -> ERROR_FILE_NOT_FOUND, EACCES ->
// ERROR_ACCESS_DENIED, ...); ERROR_GEN_FAILURE for a value with no
// counterpart, ERROR_SUCCESS for 0.
DWORD Win32ErrorFromErrno(int err);

// SetLastError(Win32ErrorFromErrno(err)).
void SetLastErrorFromErrno(int err);

}  // namespace velwin::detail
