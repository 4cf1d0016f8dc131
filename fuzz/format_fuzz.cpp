// ms_vswprintf on arbitrary formats and buffer sizes: never writes past
// the count it is given, always terminates, and agrees with its result.
// Then %f of a finite double, which it writes without snprintf, against
// glibc's swprintf, with flags, width and precision from the input.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
  } else {
    const std::size_t len = wcsnlen(buffer.data(), count);
    if (len >= count) std::abort();  // not terminated
    if (n >= 0 && static_cast<std::size_t>(n) < len) std::abort();
  }

  if (size < 10) return 0;
  double value;
  std::memcpy(&value, data + 2, sizeof value);
  if (!std::isfinite(value)) return 0;
  std::wstring fixed = L"%";
  if (data[0] & 1) fixed += L'+';
  if (data[0] & 2) fixed += L' ';
  if (data[0] & 4) fixed += L'-';
  if (data[0] & 8) fixed += L'0';
  if (data[0] & 16) fixed += L'#';
  if (data[0] & 32) fixed += std::to_wstring(data[1] % 24);
  if (data[0] & 64) fixed += L'.' + std::to_wstring(data[1] % 80);
  fixed += (data[0] & 128) ? L'F' : L'f';
  wchar_t ours[1024];
  wchar_t glibc[1024];
  const int a = ms_swprintf(ours, 1024, fixed.c_str(), value);
  const int b = std::swprintf(glibc, 1024, fixed.c_str(), value);
  if (a != b || (a >= 0 && std::wcscmp(ours, glibc) != 0)) std::abort();
  return 0;
}
