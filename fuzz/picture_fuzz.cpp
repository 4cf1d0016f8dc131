// GetDateFormatW and GetTimeFormatW on arbitrary pictures, dates and buffer
// sizes: never write past the buffer, agree with the size they ask for,
// and give the same text whatever the buffer once it fits.
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include <WinAPI/Time.h>

#include "fuzz_input.h"

namespace {

using Format = int (*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

void Check(Format format, DWORD flags, const SYSTEMTIME& when, const wchar_t* picture, int count) {
  const int needed = format(LOCALE_INVARIANT, flags, &when, picture, nullptr, 0);
  if (count == 0) {
    // A size of 0 asks for the size, whatever the buffer.
    wchar_t untouched = L'#';
    if (format(LOCALE_INVARIANT, flags, &when, picture, &untouched, 0) != needed ||
        untouched != L'#')
      std::abort();
    return;
  }
  const std::size_t guard = 16;
  std::vector<wchar_t> buffer(static_cast<std::size_t>(count) + guard, L'#');
  const int n = format(LOCALE_INVARIANT, flags, &when, picture, buffer.data(), count);
  for (std::size_t i = static_cast<std::size_t>(count); i < buffer.size(); ++i)
    if (buffer[i] != L'#') std::abort();
  if (n < 0 || n > count) std::abort();
  if (n > 0) {
    if (n != needed || buffer[static_cast<std::size_t>(n) - 1] != L'\0' ||
        std::wcslen(buffer.data()) + 1 != static_cast<std::size_t>(n))
      std::abort();
  } else if (needed > 0 && needed <= count) {
    std::abort();  // it would have fitted
  }
  if (needed > 0) {
    std::vector<wchar_t> exact(static_cast<std::size_t>(needed));
    if (format(LOCALE_INVARIANT, flags, &when, picture, exact.data(), needed) != needed)
      std::abort();
    if (n > 0 && std::wstring(exact.data()) != std::wstring(buffer.data())) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  SYSTEMTIME when{};
  when.wYear = static_cast<WORD>(1601 + in.Byte() * 100 + in.Byte());
  when.wMonth = static_cast<WORD>(1 + in.Byte() % 12);
  when.wDay = static_cast<WORD>(1 + in.Byte() % 28);
  when.wHour = static_cast<WORD>(in.Byte() % 24);
  when.wMinute = static_cast<WORD>(in.Byte() % 60);
  when.wSecond = static_cast<WORD>(in.Byte() % 60);
  const std::uint8_t choice = in.Byte();
  const int count = in.Byte();
  const std::wstring picture = in.AsciiRest(512);
  // Half the inputs use the picture, the others the flags alone.
  const bool use_picture = (choice & 1) != 0;
  static const DWORD kDateFlags[] = {DATE_SHORTDATE,
                                     DATE_LONGDATE,
                                     DATE_YEARMONTH,
                                     DATE_MONTHDAY,
                                     DATE_SHORTDATE | DATE_LONGDATE,
                                     DATE_LONGDATE | DATE_RTLREADING,
                                     DATE_SHORTDATE | DATE_AUTOLAYOUT};
  const DWORD date_flags = use_picture ? 0 : kDateFlags[(choice >> 1) % 7];
  const DWORD time_flags = (choice >> 3) & 0xF;
  Check(GetDateFormatW, date_flags, when, use_picture ? picture.c_str() : nullptr, count);
  Check(GetTimeFormatW, use_picture ? 0 : time_flags, when, use_picture ? picture.c_str() : nullptr,
        count);
  return 0;
}
