// Bounded wide-string operations with Microsoft C runtime conventions.
//
// Differs from Win32: wchar_t is 32 bits on Linux, so wide text is UTF-32,
// one unit a code point: MultiByteToWideChar writes no surrogate pairs,
// CharNextW steps one unit, and a unit that is no Unicode scalar value (a
// lone surrogate, a value past U+10FFFF) is invalid text.
// Differs from Win32: narrow text is UTF-8, the encoding of Linux's
// locales, which have no ANSI or OEM code page: %hs %S %hc %C and
// swscanf_s's narrow arrays are UTF-8, and MultiByteToWideChar and
// WideCharToMultiByte know CP_UTF8 only.
// Differs from Win32: the printf functions are ms_swprintf and
// ms_vswprintf, since glibc declares swprintf and vswprintf with its own
// conventions ("%s" narrow).
// Differs from Win32: _wcsdup's copy is released with delete[], as the
// library's callers release it, rather than with free().
#pragma once

#include <cstdarg>
#include <cstddef>

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// ms_vswprintf: formats into `buffer`, which holds `count` units, with the
// conventions of Microsoft's wide printf family (unlike glibc's):
//   %s %c        take a wide text / wide character (wchar_t)
//   %hs %S %hc %C take a narrow (UTF-8) text / narrow character
//   %ls %ws %lc %wc %lS %wS %lC %wC are wide as well
//   %I64d %I32d %Id (int64, int32, ptrdiff) besides hh h l ll j z t L
//   %p           16 upper-case hexadecimal digits; %#p with "0X" before
//   %n           is refused: it writes nothing, its argument is skipped
//   '0'          pads texts and characters with zeros too ("%04s" -> 0foo)
//   "*" then digits: the digits replace the width the argument gave
//   NaN          with its sign bit set (the default NaN) -nan(ind), or
//                -NAN(IND) for the upper-case conversions
//   %a %A        without a precision, all 13 hexadecimal digits of a double
// A null text prints "(null)". An unknown conversion is copied literally
// and takes no argument. Exact halves round to even in %e %f %g, as
// Windows 10 2004 and later round them; %a with a precision rounds them
// away from zero ("%.1a" of 1.03125 -> 0x1.1p+0).
// Win32 CRT: the vswprintf family.
//
// Never writes beyond `buffer[count - 1]` and always terminates the text
// when count > 0. Returns the number of units written (without the NUL),
// or -1 when the text did not fit (the buffer then holds the part that
// did, terminated), when `buffer` is null or `count` is 0, or when `format`
// is null (the buffer then holds "").
//
// Example:
//   wchar_t b[16];
//   ms_swprintf(b, 16, L"%s-%d", L"x", 5)   -> 3, b == L"x-5"
//   ms_swprintf(b, 4, L"%s", L"abcdef")     -> -1, b == L"abc"
VELWIN_API int ms_vswprintf(wchar_t* buffer, std::size_t count, const wchar_t* format,
                            va_list args);

// ms_swprintf: ms_vswprintf with its arguments given directly.
VELWIN_API int ms_swprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, ...);

// ms_wtoi: the leading decimal number of `text` after optional white space
// and one sign; 0 when there is none or `text` is null. Values beyond the
// range of int saturate at INT_MAX / INT_MIN and set errno to ERANGE.
// Win32 CRT: _wtoi.
//
// Example:
//   ms_wtoi(L"  42abc") -> 42     ms_wtoi(L"-7") -> -7    ms_wtoi(L"x1") -> 0
VELWIN_API int ms_wtoi(const wchar_t* text);

// wcscpy_s: copies `src` with its terminator into `dest` of `size` units.
// Returns 0 on success; EINVAL when `dest` is null or `size` is 0 (nothing
// written), or when `src` is null (dest becomes ""); ERANGE when `src` does
// not fit (dest becomes ""). A failure also sets errno to the code it
// returns. Win32 CRT: wcscpy_s.
VELWIN_API errno_t wcscpy_s(wchar_t* dest, std::size_t size, const wchar_t* src);

// wcscpy_s for an array destination, whose size is known.
template <std::size_t N>
inline errno_t wcscpy_s(wchar_t (&dest)[N], const wchar_t* src) {
  return wcscpy_s(dest, N, src);
}

// _wcsdup: a heap copy of `text`, to be released with delete[]; null when
// `text` is null. Throws std::bad_alloc when memory runs out.
// Win32 CRT: _wcsdup (whose copy is freed with free()).
VELWIN_API wchar_t* _wcsdup(const wchar_t* text);

// CharNextW: the position of the character after `p`; `p` itself when it
// stands at the terminator. Each wchar_t is one code point here.
// Win32: CharNextW.
VELWIN_API LPWSTR CharNextW(LPCWSTR p);

// Code page identifier of UTF-8 for the two conversions below, and the one
// flag each takes with it: fail on input that is no UTF-8 / no Unicode.
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

// MultiByteToWideChar: decodes `count` bytes of UTF-8 (any negative count:
// up to and with the NUL) into `out` of `outCount` units; with `outCount`
// 0 returns the units needed. Invalid sequences become U+FFFD. Returns the
// number of units written, or 0 with the last error set
// (ERROR_INSUFFICIENT_BUFFER; ERROR_INVALID_PARAMETER for a code page other
// than CP_UTF8 or a `count` of 0). `flags` is 0 or MB_ERR_INVALID_CHARS
// (ERROR_INVALID_FLAGS otherwise), which makes invalid input fail with
// ERROR_NO_UNICODE_TRANSLATION instead.
// Win32: MultiByteToWideChar.
VELWIN_API int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count,
                                   wchar_t* out, int outCount);

// WideCharToMultiByte: encodes `count` units (any negative count: up to
// and with the NUL; 0 fails with ERROR_INVALID_PARAMETER) as UTF-8; units
// that are not Unicode scalar values become U+FFFD. `flags` is 0 or
// WC_ERR_INVALID_CHARS (ERROR_INVALID_FLAGS otherwise), which makes such a
// unit fail with ERROR_NO_UNICODE_TRANSLATION instead. `defaultChar` and
// `usedDefault` must be null, as for any UTF-8 conversion
// (ERROR_INVALID_PARAMETER otherwise). Win32: WideCharToMultiByte.
VELWIN_API int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* text, int count,
                                   char* out, int outCount, const char* defaultChar,
                                   BOOL* usedDefault);

// swscanf_s: reads `buffer` under the control of `format` with the
// conventions of Microsoft's secure wide scanf family, and returns the
// number of fields assigned; EOF (-1) when the input ends before the first
// conversion, or when `buffer` or `format` is null. Directives:
//   white space  skips any amount of white space (also none)
//   other text   must match exactly; a mismatch ends the scan
//   %d %i %u %o %x %X   integers (%i takes 0x and 0 prefixes); sizes hh h
//                l ll I32 I64 j z t, which width digits may follow
//                ("%h02d": the last width written counts, and a width
//                of 0 is none); the value is read as a 64-bit number
//                (saturating there) and the argument keeps its low bits
//                ("%hd" of 70000 -> 4464)
//   %e %f %g %a  floating point (float*; l: double*, L: long double*),
//                always with '.' as the decimal point
//   %c %s %[set] text into a wide array (h, S, C, hs, hc: a narrow array,
//                UTF-8; l and w, as in %lS %wS, a wide one, as
//                ms_swprintf writes them); each is followed by its size in
//                elements, as an
//                unsigned int; a text that does not fit leaves the array
//                "" and ends the scan. %c reads `width` characters (1)
//   %n           stores the characters read so far (not counted)
//   %p %P        a pointer value of hexadecimal digits after an
//                optional sign (a negative one is stored as its two's
//                complement), no "0x";  %%  a literal '%', as is %q for
//                any letter q that is no conversion
//   *            after %, reads the field without assigning it
// A null destination (array or pointer) ends the scan at its field, which
// is not assigned.
// Win32 CRT: swscanf_s.
//
// Example:
//   int y, m, d;
//   swscanf_s(L"2024-5-17", L"%d-%d-%d", &y, &m, &d)   -> 3
//   swscanf_s(L"2024 5", L"%d-%d", &y, &m)              -> 1
//   wchar_t w[8]; swscanf_s(L" ab c", L"%s", w, 8u)     -> 1, w == L"ab"
VELWIN_API int swscanf_s(const wchar_t* buffer, const wchar_t* format, ...);

// vswscanf_s: swscanf_s with a va_list. Win32 CRT: vswscanf_s.
VELWIN_API int vswscanf_s(const wchar_t* buffer, const wchar_t* format, va_list args);
