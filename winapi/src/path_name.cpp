#include <WinAPI/PathName.h>

#include "path_syntax.h"

using velwin::detail::HasDrive;
using velwin::detail::IsSeparator;

LPWSTR PathFindExtensionW(LPCWSTR path) {
  if (path == nullptr) return nullptr;
  const wchar_t* dot = nullptr;
  const wchar_t* p = path;
  for (; *p != L'\0'; ++p) {
    if (IsSeparator(*p) || *p == L' ')
      dot = nullptr;
    else if (*p == L'.')
      dot = p;
  }
  return const_cast<LPWSTR>(dot != nullptr ? dot : p);
}

LPWSTR PathFindFileNameW(LPCWSTR path) {
  if (path == nullptr) return nullptr;
  // A colon ends the drive of "C:file" only: elsewhere it is part of a
  // name, as Linux file names may hold one.
  const wchar_t* name =
      HasDrive(path) && path[2] != L'\0' && !IsSeparator(path[2]) ? path + 2 : path;
  for (const wchar_t* p = path; *p != L'\0'; ++p) {
    if (IsSeparator(*p) && p[1] != L'\0' && !IsSeparator(p[1])) name = p + 1;
  }
  return const_cast<LPWSTR>(name);
}
