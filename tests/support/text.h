// Test support: UTF-8 and wide text, converted as the layer does.
#pragma once

#include <string>

#include <WinAPI/WinAPI.h>  // includers use its types too

namespace velut_test {

inline std::wstring Wide(const std::string& utf8) { return Utf8ToWide(utf8); }
inline std::string Utf8(const std::wstring& wide) { return WideToUtf8(wide); }

}  // namespace velut_test
