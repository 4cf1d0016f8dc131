// ms_vswprintf on arbitrary formats and buffer sizes: never writes past
// the count it is given, always terminates, and agrees with its result.
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include <WinAPI/Strings.h>

namespace {

// Every argument is a pointer to a text that reads as a valid wide text and
// as a valid narrow one (L"a" is the bytes 'a', 0, 0, 0).
const wchar_t kArg[] = L"a";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t count = data[0] * 8u + data[1] % 8u;
  std::wstring format;
  int conversions = 0;
  for (std::size_t i = 2; i < size; ++i) {
    const wchar_t c = static_cast<wchar_t>(data[i]);
    // At most four conversions, so the arguments below always suffice.
    if (c == L'%' && ++conversions > 4) break;
    format.push_back(c);
  }
  const std::size_t guard = 16;
  std::vector<wchar_t> buffer(count + guard, L'#');
  const int n = ms_swprintf(count ? buffer.data() : nullptr, count, format.c_str(), kArg, kArg,
                            kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg,
                            kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg);
  for (std::size_t i = count; i < count + guard; ++i)
    if (buffer[i] != L'#') std::abort();
  if (count == 0) {
    if (n != -1) std::abort();
    return 0;
  }
  const std::size_t len = wcsnlen(buffer.data(), count);
  if (len >= count) std::abort();  // not terminated
  if (n >= 0 && static_cast<std::size_t>(n) < len) std::abort();
  return 0;
}
