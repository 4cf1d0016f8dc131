// The name parts of a path: its last component and its extension. '/' and
// '\' both separate components.
#pragma once

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// PathFindExtensionW: the position of the '.' that starts the extension
// of the last component of `path`, or of the terminator when it has none.
// An extension holds no blank: "a.b c" has none. Null gives null.
// Win32: PathFindExtensionW.
//
// Example:
//   L"C:\\dir.x\\fix.MSP" -> L".MSP"      L"patch.msp.bak" -> L".bak"
//   L"C:\\dir.x\\readme"  -> L""          L"a.b c"          -> L""
VELWIN_API LPWSTR PathFindExtensionW(LPCWSTR path);

// PathFindFileNameW: the position of the last component of `path`: after
// the last '/' or '\' that is followed by more than separators, or after
// the drive of "X:name"; `path` itself when there is none. A colon
// elsewhere belongs to the name ("a:b" on Linux). Null gives null.
// Win32: PathFindFileNameW.
//
// Example:
//   L"C:\\dir\\file.txt" -> L"file.txt"   L"C:\\dir\\" -> L"dir\\"
//   L"C:file"            -> L"file"       L"name"      -> L"name"
//   L"/tmp/x:y"          -> L"x:y"
VELWIN_API LPWSTR PathFindFileNameW(LPCWSTR path);

// PathFindExtension / PathFindFileName: the wide functions, as the Win32
// headers name them for Unicode builds.
inline LPWSTR PathFindExtension(LPCWSTR path) { return PathFindExtensionW(path); }
inline LPWSTR PathFindFileName(LPCWSTR path) { return PathFindFileNameW(path); }
