// A bounded formatter into a fixed array, for the library's own use: it
// stays out of the exported interface.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cwchar>

#include <WinAPI/Strings.h>

// ms_swprintf: sets all N units of `buffer` to zero, then formats `format`
// with the arguments into it by the layer's ms_vswprintf ("%s" takes a
// wide text) and returns what that returns: the units written, or -1 when
// the text did not fit (the buffer then holds its first N - 1 units).
//
// Example: wchar_t b[1024]; ms_swprintf(b, L"%s_%d", L"a", 2) -> 3, b == L"a_2"
template <std::size_t N>
int ms_swprintf(wchar_t (&buffer)[N], const wchar_t* format, ...) {
  std::wmemset(buffer, L'\0', N);
  va_list args;
  va_start(args, format);
  const int written = ms_vswprintf(buffer, N, format, args);
  va_end(args);
  return written;
}
