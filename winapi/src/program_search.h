// Finding the program a command names, the way CreateProcessW does on
// Linux.
#pragma once

#include <string>

#include <WinAPI/Types.h>

namespace velwin::detail {

// Finds the program `name` (a native path): in its own folder or, with
// `search_path`, in each folder of PATH (or of the system's default path).
// Each folder is tried with the name, then for "x.exe" with "x" and "x"
// lower-cased; the first regular, executable file wins. Sets `path` to it,
// made absolute, and returns ERROR_SUCCESS; otherwise returns the Win32
// error (ERROR_ACCESS_DENIED when only files that cannot run were found).
DWORD FindProgram(const std::string& name, bool search_path, std::string& path);

}  // namespace velwin::detail
