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

#include <textbase/ascii.h>
#include <textbase/unicode.h>

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
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const std::size_t n =
      count < 0 ? std::char_traits<char>::length(text) + 1 : static_cast<std::size_t>(count);
  const auto* end = p + n;
  long long written = 0;
  while (p < end) {
    // A run of ASCII bytes goes across whole, as far as the output has
    // room (or the count stays an int); what stops it takes the codec.
    const auto room =
        static_cast<std::size_t>(outCount > 0 ? outCount - written : INT_MAX - written);
    const std::size_t ascii =
        velut::textbase::WidenAscii(p, std::min(static_cast<std::size_t>(end - p), room),
                                    outCount > 0 ? out + written : nullptr);
    p += ascii;
    written += static_cast<long long>(ascii);
    if (p == end) break;
    char32_t cp;
    if (!velut::textbase::DecodeUtf8(p, end, cp, errors)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    if (outCount > 0) {
      if (written >= outCount) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
      }
      out[written] = static_cast<wchar_t>(cp);
    }
    if (++written > INT_MAX) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  }
  return static_cast<int>(written);
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
  long long written = 0;
  for (std::size_t i = 0; i < n; ++i) {
    // A run of ASCII units goes across whole, as far as the output has
    // room (or the count stays an int); what stops it takes the codec.
    const auto room =
        static_cast<std::size_t>(outCount > 0 ? outCount - written : INT_MAX - written);
    const std::size_t ascii = velut::textbase::NarrowAscii(text + i, std::min(n - i, room),
                                                           outCount > 0 ? out + written : nullptr);
    i += ascii;
    written += static_cast<long long>(ascii);
    if (i == n) break;
    char bytes[4];
    const char* end = velut::textbase::WriteUtf8(
        bytes, static_cast<char32_t>(static_cast<std::uint32_t>(text[i])), errors);
    if (end == nullptr) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    const int len = static_cast<int>(end - bytes);
    if (outCount > 0) {
      if (written + len > outCount) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
      }
      for (int k = 0; k < len; ++k) out[written + k] = bytes[k];
    }
    written += len;
    if (written > INT_MAX) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  }
  return static_cast<int>(written);
}
