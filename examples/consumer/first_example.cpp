// Formats a wide string as CString::Format would and prints it as UTF-8.
#include <cstdio>

#include <VelUt/VelUt.h>

int main() {
  CStdStr<wchar_t> line;
  line.Format(L"%s has %d entries", L"Caf\u00E9 list", 3);  // "%s" takes a wide text
  std::printf("%s\n", WideToUtf8(line).c_str());            // Café list has 3 entries
  return line == L"Caf\u00E9 list has 3 entries" ? 0 : 1;
}
