// Shell path operations.
#include <WinAPI/Path.h>

#include <cwchar>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// True for the roots that end in a separator: "\", "X:\" and "\\" (the
// start of a network path with no server yet), with either separator.
bool IsRootEndingInSeparator(const wchar_t* path, std::size_t length) {
  switch (length) {
    case 1:
      return IsSeparator(path[0]);
    case 2:
      return IsSeparator(path[0]) && IsSeparator(path[1]);
    case 3:
      return IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]);
    default:
      return false;
  }
}

}  // namespace

LPWSTR PathRemoveBackslash(LPWSTR path) {
  if (path == nullptr) return nullptr;
  const std::size_t length = std::wcslen(path);
  if (length == 0) return path;
  wchar_t* last = path + length - 1;
  if (IsSeparator(*last) && !IsRootEndingInSeparator(path, length)) *last = L'\0';
  return last;
}
