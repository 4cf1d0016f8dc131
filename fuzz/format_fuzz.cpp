// The layer's formatters on arbitrary formats, messages, pictures and
// buffer sizes: none writes past the count it is given, each terminates
// what it writes, and each agrees with the size it gives or asks for.
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include <WinAPI/WinAPI.h>

#include "fuzz_input.h"

namespace {

// Every argument is a pointer to a text that reads as a valid wide text and
// as a valid narrow one (L"a" is the bytes 'a', 0, 0, 0).
const wchar_t kArg[] = L"a";

// Input: the count (two bytes), then the format, one unit a byte, cut at
// its fifth '%'; its bytes 0 and 1 and the eight from 2 also give the
// flags, width, precision and value of a %f.
void Printf(fuzz::Input& in) {
  const std::uint8_t* bytes = in.data();
  const std::size_t size = in.size();
  if (size < 2) return;
  const auto byte = [bytes](std::size_t i) { return bytes[i]; };
  const std::size_t count = byte(0) * 8u + byte(1) % 8u;
  std::wstring format;
  // At most four conversions, so the arguments below always suffice.
  for (std::size_t i = 2, conversions = 0; i < size; ++i) {
    if (byte(i) == '%' && ++conversions > 4) break;
    format.push_back(byte(i));
  }
  fuzz::Guarded<wchar_t> buffer(count);
  const int n = ms_swprintf(count ? buffer.data() : nullptr, count, format.c_str(), kArg, kArg,
                            kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg,
                            kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg, kArg);
  FUZZ_CHECK(buffer.Intact());
  if (count == 0) {
    FUZZ_CHECK(n == -1);
  } else {
    const std::size_t len = wcsnlen(buffer.data(), count);
    FUZZ_CHECK(len < count);
    FUZZ_CHECK(n < 0 || static_cast<std::size_t>(n) >= len);
  }

  // %f of a finite double, which the layer writes without snprintf.
  double value;
  if (size < 10) return;
  std::memcpy(&value, bytes + 2, sizeof value);
  if (!std::isfinite(value)) return;
  std::wstring fixed = L"%";
  const wchar_t kFlags[] = L"+ -0#";
  for (int bit = 0; bit < 5; ++bit)
    if (byte(0) & (1 << bit)) fixed += kFlags[bit];
  if (byte(0) & 32) fixed += std::to_wstring(byte(1) % 24);
  if (byte(0) & 64) fixed += L'.' + std::to_wstring(byte(1) % 80);
  fixed += (byte(0) & 128) ? L'F' : L'f';
  wchar_t ours[1024], glibc[1024];
  const int a = ms_swprintf(ours, 1024, fixed.c_str(), value);
  FUZZ_CHECK(a == std::swprintf(glibc, 1024, fixed.c_str(), value));
  FUZZ_CHECK(a < 0 || std::wcscmp(ours, glibc) == 0);
}

// Input: the line width, whether inserts are ignored, the count in units
// of 4, then the message text as Input::AsciiUnit reads it.
void Message(fuzz::Input& in) {
  const DWORD width = in.Byte();
  const bool ignore_inserts = (in.Byte() & 1) != 0;
  const DWORD count = in.Byte() * 4u;
  const std::wstring text = in.AsciiRest(2048);
  // Widths of eight digits and more only cost memory: they are refused or
  // take hundreds of megabytes.
  for (std::size_t i = 0, run = 0; i < text.size(); ++i) {
    run = text[i] >= L'0' && text[i] <= L'9' ? run + 1 : 0;
    if (run > 7) return;
  }
  std::vector<DWORD_PTR> args(99, reinterpret_cast<DWORD_PTR>(kArg));
  auto* list = reinterpret_cast<va_list*>(args.data());
  const DWORD flags = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | width |
                      (ignore_inserts ? FORMAT_MESSAGE_IGNORE_INSERTS : 0);

  wchar_t* allocated = nullptr;
  const DWORD n = FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, text.c_str(), 0, 0,
                                 reinterpret_cast<LPWSTR>(&allocated), 0, list);
  FUZZ_CHECK((n == 0) == (allocated == nullptr));
  FUZZ_CHECK(allocated == nullptr || std::wcslen(allocated) == n);
  const std::wstring whole = allocated ? std::wstring(allocated, n) : L"";
  LocalFree(allocated);

  fuzz::Guarded<wchar_t> buffer(count);
  const DWORD m = FormatMessageW(flags, text.c_str(), 0, 0, buffer.data(), count, list);
  FUZZ_CHECK(buffer.Intact());
  if (m != 0)
    FUZZ_CHECK(m < count && buffer.data()[m] == L'\0' && std::wstring(buffer.data(), m) == whole);
  else
    FUZZ_CHECK(n == 0 || n + 1 > count);
}

using Formatter = int (*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

void CheckPicture(Formatter format, DWORD flags, const SYSTEMTIME& when, const wchar_t* picture,
                  int count) {
  const int needed = format(LOCALE_INVARIANT, flags, &when, picture, nullptr, 0);
  // A count of 0 asks for the size, whatever the buffer.
  fuzz::Guarded<wchar_t> buffer(static_cast<std::size_t>(count));
  const int n = format(LOCALE_INVARIANT, flags, &when, picture, buffer.data(), count);
  FUZZ_CHECK(buffer.Intact());
  if (count == 0) {
    FUZZ_CHECK(n == needed);
    return;
  }
  FUZZ_CHECK(n >= 0 && n <= count);
  if (n > 0)
    FUZZ_CHECK(n == needed && std::wcslen(buffer.data()) + 1 == static_cast<std::size_t>(n));
  else
    FUZZ_CHECK(needed <= 0 || needed > count);
  if (needed <= 0) return;
  std::vector<wchar_t> exact(static_cast<std::size_t>(needed));
  FUZZ_CHECK(format(LOCALE_INVARIANT, flags, &when, picture, exact.data(), needed) == needed);
  FUZZ_CHECK(n == 0 || std::wstring(exact.data()) == buffer.data());
}

// Input: the date and time (seven bytes), a choice (bit 0: the picture,
// else the flags of bits 1-6), the count, then the picture as
// Input::AsciiUnit reads it.
void Picture(fuzz::Input& in) {
  SYSTEMTIME when{};
  when.wYear = static_cast<WORD>(1601 + in.Byte() * 100 + in.Byte());
  when.wMonth = static_cast<WORD>(1 + in.Byte() % 12);
  when.wDay = static_cast<WORD>(1 + in.Byte() % 28);
  when.wHour = static_cast<WORD>(in.Byte() % 24);
  when.wMinute = static_cast<WORD>(in.Byte() % 60);
  when.wSecond = static_cast<WORD>(in.Byte() % 60);
  const std::uint8_t choice = in.Byte();
  const int count = in.Byte();
  const std::wstring text = in.AsciiRest(512);
  const bool use_picture = (choice & 1) != 0;
  const wchar_t* picture = use_picture ? text.c_str() : nullptr;
  static const DWORD kDateFlags[] = {DATE_SHORTDATE,
                                     DATE_LONGDATE,
                                     DATE_YEARMONTH,
                                     DATE_MONTHDAY,
                                     DATE_SHORTDATE | DATE_LONGDATE,
                                     DATE_LONGDATE | DATE_RTLREADING,
                                     DATE_SHORTDATE | DATE_AUTOLAYOUT};
  CheckPicture(GetDateFormatW, use_picture ? 0 : kDateFlags[(choice >> 1) % 7], when, picture,
               count);
  CheckPicture(GetTimeFormatW, use_picture ? 0 : (choice >> 3) & 0xF, when, picture, count);
}

}  // namespace

const std::vector<fuzz::Case> fuzz::kCases = {
    {"ms_swprintf", Printf}, {"FormatMessageW", Message}, {"date and time pictures", Picture}};
