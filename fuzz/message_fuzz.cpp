// FormatMessageW on arbitrary message texts, line widths and buffer sizes:
// never writes past the buffer it is given, terminates what it writes, and
// gives the same text into a caller's buffer as into one it allocates.
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include <WinAPI/Message.h>

#include "fuzz_input.h"

namespace {

// Every insert is a pointer to a text that reads as a valid wide text and
// as a valid narrow one (L"a" is the bytes 'a', 0, 0, 0).
const wchar_t kArg[] = L"a";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const DWORD width = in.Byte();
  const bool ignore_inserts = (in.Byte() & 1) != 0;
  const DWORD count = in.Byte() * 4u;
  const std::wstring text = in.AsciiRest(2048);
  // Widths of eight digits and more only cost memory: they are refused or
  // take hundreds of megabytes.
  for (std::size_t i = 0, run = 0; i < text.size(); ++i) {
    run = text[i] >= L'0' && text[i] <= L'9' ? run + 1 : 0;
    if (run > 7) return 0;
  }

  std::vector<DWORD_PTR> args(99, reinterpret_cast<DWORD_PTR>(kArg));
  auto* list = reinterpret_cast<va_list*>(args.data());
  const DWORD flags = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | width |
                      (ignore_inserts ? FORMAT_MESSAGE_IGNORE_INSERTS : 0);

  wchar_t* allocated = nullptr;
  const DWORD n = FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, text.c_str(), 0, 0,
                                 reinterpret_cast<LPWSTR>(&allocated), 0, list);
  if ((n == 0) != (allocated == nullptr)) std::abort();
  if (allocated != nullptr && std::wcslen(allocated) != n) std::abort();

  const std::size_t guard = 16;
  std::vector<wchar_t> buffer(count + guard, L'#');
  const DWORD m = FormatMessageW(flags, text.c_str(), 0, 0, buffer.data(), count, list);
  for (std::size_t i = count; i < count + guard; ++i)
    if (buffer[i] != L'#') std::abort();
  if (m != 0) {
    // Into a caller's buffer: the same text, when it fits.
    if (m >= count || buffer[m] != L'\0' || allocated == nullptr ||
        std::wstring(buffer.data(), m) != std::wstring(allocated, n))
      std::abort();
  } else if (n != 0 && n + 1 <= count) {
    std::abort();  // it would have fitted
  }
  if (allocated != nullptr) LocalFree(allocated);
  return 0;
}
