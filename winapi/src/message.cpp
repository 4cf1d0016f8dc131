// FormatMessage over the layer's system message table, and the local
// memory its buffers come from.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#include <WinAPI/Error.h>
#include <WinAPI/Message.h>
#include <WinAPI/Strings.h>

#include "conversion.h"
#include "system_messages.h"

namespace {

using velwin::detail::FindSystemMessage;
using velwin::detail::PrintfConversion;
using velwin::detail::Size;

// The insert arguments: a va_list or an array of pointer-sized values.
struct Inserts {
  va_list* list = nullptr;
  const DWORD_PTR* array = nullptr;

  DWORD_PTR Get(int index) const {
    if (array != nullptr) return array[index - 1];
    va_list copy;
    va_copy(copy, *list);
    DWORD_PTR v = 0;
    for (int i = 0; i < index; ++i) v = va_arg(copy, DWORD_PTR);
    va_end(copy);
    return v;
  }
};

// Reads `printf_form` as flags, width, precision, size and the conversion
// letter, in that order; a '*' is no count here, so it stands as the
// letter. False when it is anything else (a second conversion, text),
// since the formatter would then read arguments that are not there, and
// for the long double size.
bool ReadInsertForm(const std::wstring& printf_form, PrintfConversion& form) {
  const wchar_t* p = printf_form.c_str();
  velwin::detail::ReadPrintfConversion(p, form, false);
  return form.size != Size::kLongDouble && form.letter != L'\0' && p[1] == L'\0';
}

// Formats insert `index` with the printf conversion `printf_form` ("s", "08lx",
// ...). False for a conversion the inserts cannot take (floating point,
// '*', an unknown letter, anything but one conversion).
bool FormatInsert(int index, const std::wstring& printf_form, const Inserts& inserts,
                  std::wstring& out) {
  PrintfConversion form;
  if (!ReadInsertForm(printf_form, form)) return false;
  const wchar_t conv = form.letter;
  const Size size = form.size;
  const bool wide_size = size == Size::kLong || size == Size::kLongLong || size == Size::kInt64 ||
                         size == Size::kSizeT || size == Size::kIntMax || size == Size::kPtrDiff;
  const bool narrow_text = size == Size::kShort || conv == L'S';
  const std::wstring format = L"%" + printf_form;
  const DWORD_PTR v = inserts.Get(index);
  // The result is never longer than the width and the precision, plus the
  // text for a text insert, plus the digits of a number.
  if (form.width > INT_MAX || form.precision > INT_MAX) throw std::bad_alloc();
  std::size_t room = 64 + form.width + form.precision;
  if ((conv == L's' || conv == L'S') && v != 0) {
    const bool wide =
        size == Size::kLong || size == Size::kWide || (conv == L's' && size != Size::kShort);
    room += wide ? std::wcslen(reinterpret_cast<const wchar_t*>(v))
                 : std::strlen(reinterpret_cast<const char*>(v));
  }
  // Beyond this the insert is refused rather than allocated.
  constexpr std::size_t kMaxInsertUnits = std::size_t{1} << 26;
  if (room > kMaxInsertUnits) throw std::bad_alloc();
  std::wstring buf(std::min<std::size_t>(room, 256), L'\0');
  for (;;) {
    int n = -1;
    switch (conv) {
      case L's':
      case L'S':
        n = narrow_text
                ? ms_swprintf(&buf[0], buf.size(), format.c_str(), reinterpret_cast<const char*>(v))
                : ms_swprintf(&buf[0], buf.size(), format.c_str(),
                              reinterpret_cast<const wchar_t*>(v));
        break;
      case L'c':
      case L'C':
        n = ms_swprintf(&buf[0], buf.size(), format.c_str(), static_cast<int>(v));
        break;
      case L'd':
      case L'i':
        n = wide_size ? ms_swprintf(&buf[0], buf.size(), format.c_str(), static_cast<long long>(v))
                      : ms_swprintf(&buf[0], buf.size(), format.c_str(), static_cast<int>(v));
        break;
      case L'u':
      case L'x':
      case L'X':
      case L'o':
        n = wide_size ? ms_swprintf(&buf[0], buf.size(), format.c_str(),
                                    static_cast<unsigned long long>(v))
                      : ms_swprintf(&buf[0], buf.size(), format.c_str(), static_cast<unsigned>(v));
        break;
      case L'p':
        n = ms_swprintf(&buf[0], buf.size(), format.c_str(), reinterpret_cast<void*>(v));
        break;
      default:
        return false;
    }
    if (n >= 0) {
      out.assign(buf, 0, static_cast<std::size_t>(n));
      return true;
    }
    if (buf.size() >= room) return false;
    buf.assign(room, L'\0');
  }
}

// Expands the escapes and inserts of a message text.
std::wstring Expand(const std::wstring& msg, DWORD flags, const Inserts* inserts) {
  const DWORD width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
  const bool raw = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
  std::wstring out;
  const std::size_t n = msg.size();
  for (std::size_t i = 0; i < n;) {
    const wchar_t c = msg[i];
    if (c == L'\r' || c == L'\n') {
      const std::size_t len = c == L'\r' && i + 1 < n && msg[i + 1] == L'\n' ? 2 : 1;
      if (width == 0)
        out.append(msg, i, len);
      else
        out += L' ';
      i += len;
      continue;
    }
    if (c != L'%' || raw || i + 1 >= n) {
      out += c;
      ++i;
      continue;
    }
    const wchar_t d = msg[i + 1];
    if (d == L'0') break;
    if (d >= L'1' && d <= L'9') {
      std::size_t j = i + 2;
      int index = d - L'0';
      if (j < n && msg[j] >= L'0' && msg[j] <= L'9') index = index * 10 + (msg[j++] - L'0');
      std::wstring printf_form = L"s";
      if (j < n && msg[j] == L'!') {
        const std::size_t close = msg.find(L'!', j + 1);
        if (close != std::wstring::npos) {
          printf_form = msg.substr(j + 1, close - j - 1);
          j = close + 1;
        }
      }
      std::wstring piece;
      if (inserts != nullptr && FormatInsert(index, printf_form, *inserts, piece))
        out += piece;
      else
        out.append(msg, i, j - i);
      i = j;
      continue;
    }
    switch (d) {
      case L'n':
        out += L"\r\n";
        break;
      case L'r':
        out += L'\r';
        break;
      case L't':
        out += L'\t';
        break;
      case L'b':
        out += L' ';
        break;
      default:
        out += d;
        break;  // %% %. %! %space and any other
    }
    i += 2;
  }
  if (width == 0 || width == FORMAT_MESSAGE_MAX_WIDTH_MASK) return out;

  // Break lines at blanks so that none is longer than `width`, where a
  // blank allows it; CR LF already in the text are hard breaks.
  std::wstring wrapped;
  std::size_t line_start = 0;
  std::size_t last_blank = std::wstring::npos;
  for (const wchar_t ch : out) {
    wrapped += ch;
    if (ch == L'\n' && wrapped.size() >= 2 && wrapped[wrapped.size() - 2] == L'\r') {
      line_start = wrapped.size();
      last_blank = std::wstring::npos;
      continue;
    }
    if (ch == L' ') last_blank = wrapped.size() - 1;
    if (wrapped.size() - line_start > width && last_blank != std::wstring::npos) {
      wrapped.replace(last_blank, 1, L"\r\n");
      line_start = last_blank + 2;
      last_blank = std::wstring::npos;
    }
  }
  return wrapped;
}

DWORD Fail(DWORD code) {
  SetLastError(code);
  return 0;
}

}  // namespace

HLOCAL LocalAlloc(UINT flags, std::size_t bytes) {
  const std::size_t n = bytes == 0 ? 1 : bytes;
  void* block = (flags & LMEM_ZEROINIT) ? std::calloc(1, n) : std::malloc(n);
  if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}

namespace {

DWORD FormatMessageOrThrow(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                           LPWSTR buffer, DWORD size, va_list* args) {
  const bool allocate = (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
  if (buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (allocate) *reinterpret_cast<LPWSTR*>(buffer) = nullptr;

  std::wstring text;
  if (flags & FORMAT_MESSAGE_FROM_STRING) {
    if (source == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    text = static_cast<const wchar_t*>(source);
  } else if (flags & FORMAT_MESSAGE_FROM_SYSTEM) {
    if (!velwin::detail::HasSystemMessagesIn(languageId))
      return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
    const bool win32_hresult = (messageId & 0xFFFF0000u) == 0x80070000u;
    if (!FindSystemMessage(messageId, text) &&
        !(win32_hresult && FindSystemMessage(messageId & 0xFFFF, text)))
      return Fail(ERROR_MR_MID_NOT_FOUND);
  } else if (flags & FORMAT_MESSAGE_FROM_HMODULE) {
    return Fail(ERROR_MR_MID_NOT_FOUND);
  } else {
    return Fail(ERROR_INVALID_PARAMETER);
  }

  Inserts inserts;
  if (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY)
    inserts.array = reinterpret_cast<const DWORD_PTR*>(args);
  else
    inserts.list = args;
  const bool have_inserts = args != nullptr;
  const std::wstring result = Expand(text, flags, have_inserts ? &inserts : nullptr);
  if (result.empty()) return 0;
  if (result.size() >= 0xFFFFFFFFu) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const DWORD length = static_cast<DWORD>(result.size());

  if (allocate) {
    const std::size_t units = std::max<std::size_t>(result.size() + 1, size);
    auto* block = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, units * sizeof(wchar_t)));
    if (block == nullptr) return 0;
    std::wmemcpy(block, result.c_str(), result.size() + 1);
    *reinterpret_cast<LPWSTR*>(buffer) = block;
    return length;
  }
  if (result.size() + 1 > size) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::wmemcpy(buffer, result.c_str(), result.size() + 1);
  return length;
}

}  // namespace

DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     LPWSTR buffer, DWORD size, va_list* args) {
  try {
    return FormatMessageOrThrow(flags, source, messageId, languageId, buffer, size, args);
  } catch (const std::bad_alloc&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}
