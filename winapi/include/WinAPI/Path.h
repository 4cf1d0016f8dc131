// Shell path operations on zero-terminated wide paths. Both '\' and '/'
// separate components on input; a path that begins with a separator or
// with a drive "X:" is rooted.
#pragma once

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// PathRemoveBackslash: removes one trailing separator ('\' or '/') from
// `path` in place, unless the whole path is a root that ends in one: a
// lone separator ("\", "/"), a drive root ("C:\", "c:/") or the bare
// network prefix ("\\", "//"). Returns a pointer to the terminator that
// replaced the separator, or, when nothing was removed, to the last
// character (to the terminator of an empty path); null for a null path.
// Win32: PathRemoveBackslashW.
//
// Example:
//   "C:\\Temp\\"   -> "C:\\Temp",   returns path + 7 (now the terminator)
//   "C:\\Temp\\\\" -> "C:\\Temp\\", one separator at a time
//   "C:\\"         -> unchanged,    returns path + 2 (the backslash)
//   "/usr/"        -> "/usr";  "/" -> unchanged;  "abc" -> returns path + 2
VELWIN_API LPWSTR PathRemoveBackslash(LPWSTR path);
