// The calling thread's last error, as Win32 keeps it.
#pragma once

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// Win32 error codes that the layer sets.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_BAD_FORMAT = 11;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr DWORD ERROR_INVALID_FLAGS = 1004;

// GetLastError: the last error code set on the calling thread (0 at the
// start of every thread). Win32: GetLastError.
VELWIN_API DWORD GetLastError();

// SetLastError: sets the calling thread's last error code.
// Win32: SetLastError.
VELWIN_API void SetLastError(DWORD code);
