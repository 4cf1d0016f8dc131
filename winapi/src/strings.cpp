// Bounded string helpers of the Microsoft C runtime and Win32.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <string>

#include <WinAPI/Error.h>
#include <WinAPI/Strings.h>

#include <textbase/transcode.h>

int ms_wtoi(const wchar_t* text) {
  if (text == nullptr) return 0;
  const wchar_t* p = text;
  while (*p == L' ' || (*p >= L'\t' && *p <= L'\r')) ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  long long value = 0;  // kept within INT_MAX + 2, so it never overflows
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    value = value * 10 + (*p - L'0');
    if (value > static_cast<long long>(INT_MAX) + 2) value = static_cast<long long>(INT_MAX) + 2;
  }
  // Out of range, the result saturates and errno is ERANGE.
  if (value > static_cast<long long>(INT_MAX) + (negative ? 1 : 0)) errno = ERANGE;
  if (negative) return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

namespace {

// The secure functions' failure: errno is set to the code they return.
errno_t Refuse(errno_t code) {
  errno = code;
  return code;
}

}  // namespace

errno_t wcscpy_s(wchar_t* dest, std::size_t size, const wchar_t* src) {
  if (dest == nullptr || size == 0) return Refuse(EINVAL);
  if (src == nullptr) {
    dest[0] = L'\0';
    return Refuse(EINVAL);
  }
  const std::size_t len = wcsnlen(src, size);
  if (len >= size) {
    dest[0] = L'\0';
    return Refuse(ERANGE);
  }
  std::wmemmove(dest, src, len + 1);
  return 0;
}

wchar_t* _wcsdup(const wchar_t* text) {
  if (text == nullptr) return nullptr;
  const std::size_t len = std::wcslen(text);
  wchar_t* copy = new wchar_t[len + 1];
  std::wmemcpy(copy, text, len + 1);
  return copy;
}

LPWSTR CharNextW(LPCWSTR p) {
  if (p == nullptr) return nullptr;
  return const_cast<LPWSTR>(*p ? p + 1 : p);
}

namespace {

// The count a conversion returns, or 0 with the last error that says why
// it stopped: a refused byte or unit, an output too small, or (counting
// only) a count past what an int holds.
int Converted(velut::textbase::Utf8Result result, int outCount) {
  switch (result.outcome) {
    case velut::textbase::Utf8Outcome::kDone:
      return static_cast<int>(result.count);
    case velut::textbase::Utf8Outcome::kRefused:
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    case velut::textbase::Utf8Outcome::kFull:
      break;
  }
  SetLastError(outCount > 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER);
  return 0;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count, wchar_t* out,
                        int outCount) {
  // Any negative count reads up to the terminator; a count of 0 fails.
  if (codePage != CP_UTF8 || text == nullptr || count == 0 || outCount < 0 ||
      (outCount > 0 && out == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if ((flags & ~MB_ERR_INVALID_CHARS) != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const auto errors = (flags & MB_ERR_INVALID_CHARS) != 0 ? velut::textbase::Utf8Errors::kStop
                                                          : velut::textbase::Utf8Errors::kReplace;
  const std::size_t n =
      count < 0 ? std::char_traits<char>::length(text) + 1 : static_cast<std::size_t>(count);
  return Converted(velut::textbase::DecodeUtf8Text(reinterpret_cast<const std::uint8_t*>(text), n,
                                                   outCount > 0 ? out : nullptr,
                                                   outCount > 0 ? outCount : INT_MAX, errors),
                   outCount);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* text, int count, char* out,
                        int outCount, const char* defaultChar, BOOL* usedDefault) {
  // Any negative count reads up to the terminator; a count of 0 fails. A
  // UTF-8 conversion has no default character to use.
  if (codePage != CP_UTF8 || text == nullptr || count == 0 || outCount < 0 ||
      (outCount > 0 && out == nullptr) || defaultChar != nullptr || usedDefault != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if ((flags & ~WC_ERR_INVALID_CHARS) != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const auto errors = (flags & WC_ERR_INVALID_CHARS) != 0 ? velut::textbase::Utf8Errors::kStop
                                                          : velut::textbase::Utf8Errors::kReplace;
  const std::size_t n = count < 0 ? std::wcslen(text) + 1 : static_cast<std::size_t>(count);
  return Converted(velut::textbase::EncodeUtf8Text(text, n, outCount > 0 ? out : nullptr,
                                                   outCount > 0 ? outCount : INT_MAX, errors),
                   outCount);
}
