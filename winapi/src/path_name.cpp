#include <WinAPI/PathName.h>

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
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
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p != L'\0'; ++p) {
    if ((IsSeparator(*p) || *p == L':') && p[1] != L'\0' && !IsSeparator(p[1]))
      name = p + 1;
  }
  return const_cast<LPWSTR>(name);
}
