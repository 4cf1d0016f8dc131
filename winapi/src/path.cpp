// Shell path operations on the text of a path: finding its extension and
// last component, editing it in place, testing whether it is relative.
#include <cwchar>

#include <WinAPI/Path.h>

#include "path_syntax.h"

using velwin::detail::HasDrive;
using velwin::detail::IsSeparator;

namespace {

// True for the roots that end in a separator: "\", "X:\" and "\\" (the
// start of a network path with no server yet), with either separator.
bool IsRootEndingInSeparator(const wchar_t* path, std::size_t length) {
  switch (length) {
    case 1:
      return IsSeparator(path[0]);
    case 2:
      return IsSeparator(path[0]) && IsSeparator(path[1]);
    case 3:
      return HasDrive(path) && IsSeparator(path[2]);
    default:
      return false;
  }
}

}  // namespace

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

LPWSTR PathRemoveBackslash(LPWSTR path) {
  if (path == nullptr) return nullptr;
  const std::size_t length = std::wcslen(path);
  if (length == 0) return path;
  wchar_t* last = path + length - 1;
  if (IsSeparator(*last) && !IsRootEndingInSeparator(path, length)) *last = L'\0';
  return last;
}

BOOL PathRemoveFileSpec(LPWSTR path) {
  if (path == nullptr) return FALSE;
  // The cut goes after the root and at the last separator after it.
  wchar_t* p = path;
  if (HasDrive(p)) {
    p += IsSeparator(p[2]) ? 3 : 2;
  } else if (IsSeparator(p[0])) {
    p += IsSeparator(p[1]) ? 2 : 1;
  }
  wchar_t* cut = p;
  for (; *p != L'\0'; ++p)
    if (IsSeparator(*p)) cut = p;
  if (*cut == L'\0') return FALSE;
  *cut = L'\0';
  return TRUE;
}

void PathRemoveExtension(LPWSTR path) {
  if (path == nullptr) return;
  *PathFindExtension(path) = L'\0';
}

BOOL PathRenameExtension(LPWSTR path, LPCWSTR extension) {
  if (path == nullptr || extension == nullptr) return FALSE;
  wchar_t* at = PathFindExtension(path);
  const std::size_t length = std::wcslen(extension);
  if (static_cast<std::size_t>(at - path) + length >= MAX_PATH) return FALSE;
  std::wmemmove(at, extension, length + 1);
  return TRUE;
}

BOOL PathIsRelative(LPCWSTR path) {
  if (path == nullptr) return TRUE;
  return IsSeparator(path[0]) || HasDrive(path) ? FALSE : TRUE;
}
