// FormatMessage over the message tables of resource libraries and the
// layer's system message table.
#include <textbase/conversion.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <WinAPI/Error.h>
#include <WinAPI/Message.h>
#include <WinAPI/Strings.h>

#include "module_image.h"
#include "pe_image.h"
#include "system_messages.h"
#include "ui_language.h"

namespace {

using velut::textbase::PrintfConversion;
using velut::textbase::Size;
using velwin::detail::FindSystemMessage;

// The insert arguments: a va_list or an array of pointer-sized values.
// `used` is the highest insert read, so the caller's va_list can be moved
// past them at the end.
struct Inserts {
  va_list* list = nullptr;
  const DWORD_PTR* array = nullptr;
  mutable int used = 0;

  DWORD_PTR Get(int index) const {
    used = std::max(used, index);
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
// letter, in that order. False when it is anything else (a second
// conversion, text), since the formatter would then read arguments that
// are not there, and for the long double size.
bool ReadInsertForm(const std::wstring& printf_form, PrintfConversion& form) {
  const wchar_t* p = printf_form.c_str();
  velut::textbase::ReadPrintfConversion(p, form, true);
  return form.size != Size::kLongDouble && form.letter != L'\0' && p[1] == L'\0';
}

// `printf_form` with each '*' replaced by the count that the inserts from
// `index` on give it, as FormatMessage reads "%1!*d!": the width is insert
// 1 and the number insert 2. Moves `index` to the insert of the value.
std::wstring ResolveStars(const std::wstring& printf_form, const Inserts& inserts, int& index) {
  std::wstring out;
  for (const wchar_t c : printf_form) {
    if (c != L'*') {
      out += c;
      continue;
    }
    const int count = static_cast<int>(inserts.Get(index++));
    out += std::to_wstring(!out.empty() && out.back() == L'.' ? std::max(count, 0) : count);
  }
  return out;
}

// An insert longer than this fails as memory running out would.
constexpr std::size_t kMaxInsertUnits = std::size_t{1} << 26;

// The insert of the form !s! (the default): the wide text as it stands,
// "(null)" for a null pointer, as FormatInsert would write it.
void AppendPlainInsert(int index, const Inserts& inserts, std::wstring& out) {
  const auto* text = reinterpret_cast<const wchar_t*>(inserts.Get(index));
  if (text == nullptr) text = L"(null)";
  const std::size_t len = std::wcslen(text);
  if (64 + len > kMaxInsertUnits) throw std::bad_alloc();
  out.append(text, len);
}

// Formats insert `index` with the printf conversion `printf_form` ("s",
// "08lx", "*d", ...). False for a conversion the inserts cannot take
// (floating point, an unknown letter, anything but one conversion).
bool FormatInsert(int index, const std::wstring& printf_form, const Inserts& inserts,
                  std::wstring& out) {
  PrintfConversion form;
  if (!ReadInsertForm(printf_form, form)) return false;
  const wchar_t conv = form.letter;
  if (!std::wcschr(L"sScCdiuxXop", conv)) return false;
  const std::wstring resolved = ResolveStars(printf_form, inserts, index);
  form = PrintfConversion();
  ReadInsertForm(resolved, form);
  const Size size = form.size;
  const bool wide_size = size == Size::kLong || size == Size::kLongLong || size == Size::kInt64 ||
                         size == Size::kSizeT || size == Size::kIntMax || size == Size::kPtrDiff;
  const bool narrow_text = velut::textbase::IsNarrowText(size, conv);
  const std::wstring format = L"%" + resolved;
  const DWORD_PTR v = inserts.Get(index);
  // The result is never longer than the width and the precision, plus the
  // text for a text insert, plus the digits of a number.
  if (form.width > INT_MAX || form.precision > INT_MAX) throw std::bad_alloc();
  std::size_t room = 64 + form.width + form.precision;
  if ((conv == L's' || conv == L'S') && v != 0) {
    room += narrow_text ? std::strlen(reinterpret_cast<const char*>(v))
                        : std::wcslen(reinterpret_cast<const wchar_t*>(v));
  }
  // Beyond this the insert is refused rather than allocated.
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
      case L'p':
        n = ms_swprintf(&buf[0], buf.size(), format.c_str(), reinterpret_cast<void*>(v));
        break;
      default:  // u x X o
        n = wide_size ? ms_swprintf(&buf[0], buf.size(), format.c_str(),
                                    static_cast<unsigned long long>(v))
                      : ms_swprintf(&buf[0], buf.size(), format.c_str(), static_cast<unsigned>(v));
        break;
    }
    if (n >= 0) {
      out.assign(buf, 0, static_cast<std::size_t>(n));
      return true;
    }
    if (buf.size() >= room) return false;
    buf.assign(room, L'\0');
  }
}

// Breaks the lines of `text` as FormatMessage does for a width of 1-254:
// every line stays shorter than `width`, a line breaks at its last blank
// and the blanks at a break are dropped, a word longer than a line is cut,
// and the CR of %r or the CR LF of %n start a new line.
std::wstring Wrap(const std::wstring& text, std::size_t width) {
  std::wstring wrapped;
  std::wstring line;
  bool at_break = false;  // blanks here are dropped
  auto end_line = [&](const std::wstring& rest) {
    while (!line.empty() && line.back() == L' ') line.pop_back();
    wrapped += line;
    wrapped += L"\r\n";
    const std::size_t start = rest.find_first_not_of(L' ');
    line = start == std::wstring::npos ? std::wstring() : rest.substr(start);
    at_break = line.empty();
  };
  for (const wchar_t ch : text) {
    if (ch == L'\r' || ch == L'\n') {
      wrapped += line;
      wrapped += ch;
      line.clear();
      at_break = false;
      continue;
    }
    if (ch == L' ' && at_break) continue;
    at_break = false;
    line += ch;
    if (line.size() < width) continue;
    const std::size_t blank = line.find_last_of(L' ');
    if (blank != std::wstring::npos && line.find_first_not_of(L' ') < blank) {
      std::wstring rest = line.substr(blank + 1);
      line.erase(blank);
      end_line(rest);
    } else {
      std::wstring rest(1, line.back());
      line.pop_back();
      end_line(rest);
    }
  }
  return wrapped + line;
}

// Appends the insert that starts at msg[i], "%N" or "%N!form!" with N
// from 1 to 99, and returns the position after it. A form the inserts
// cannot take is copied as it stands.
std::size_t AppendInsert(std::wstring_view msg, std::size_t i, const Inserts& inserts,
                         std::wstring& out) {
  const std::size_t n = msg.size();
  std::size_t j = i + 2;
  int index = msg[i + 1] - L'0';
  if (j < n && msg[j] >= L'0' && msg[j] <= L'9') index = index * 10 + (msg[j++] - L'0');
  std::wstring printf_form = L"s";
  if (j < n && msg[j] == L'!') {
    const std::size_t close = msg.find(L'!', j + 1);
    if (close != std::wstring_view::npos) {
      printf_form = std::wstring(msg.substr(j + 1, close - j - 1));
      j = close + 1;
    }
  }
  if (printf_form == L"s") {  // the common case, written without printf
    AppendPlainInsert(index, inserts, out);
    return j;
  }
  std::wstring piece;
  if (FormatInsert(index, printf_form, inserts, piece))
    out += piece;
  else
    out.append(msg.substr(i, j - i));
  return j;
}

// Appends what the escape "%d" stands for, when `d` is not a digit.
void AppendEscape(wchar_t d, std::wstring& out) {
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
}

// Expands the escapes and inserts of a message text into `out`, without
// breaking its lines. Returns 0, or the error of a text FormatMessage
// refuses: a '%' that ends the text, an insert without arguments.
DWORD ExpandEscapes(std::wstring_view msg, DWORD flags, const Inserts* inserts, std::wstring& out) {
  const DWORD width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
  const bool raw = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
  const std::size_t n = msg.size();
  for (std::size_t i = 0; i < n;) {
    const wchar_t c = msg[i];
    if (c == L'\r' || c == L'\n') {
      // Any line break of the text, CR, LF or CR LF, comes out as CR LF;
      // with a width it is a blank.
      i += c == L'\r' && i + 1 < n && msg[i + 1] == L'\n' ? 2 : 1;
      out += width == 0 ? L"\r\n" : L" ";
      continue;
    }
    if (c != L'%') {  // plain text runs to the next escape or line break
      std::size_t k = i + 1;
      while (k < n && msg[k] != L'%' && msg[k] != L'\r' && msg[k] != L'\n') ++k;
      out.append(msg.substr(i, k - i));
      i = k;
      continue;
    }
    if (i + 1 >= n) return ERROR_INVALID_PARAMETER;
    const wchar_t d = msg[i + 1];
    if (d == L'0') break;
    if (raw && d != L'n' && d != L'r' && d != L't') {
      // Inserts and the other escapes stand as written, for formatting later.
      out.append(msg.substr(i, 2));
      i += 2;
      continue;
    }
    if (d >= L'1' && d <= L'9') {
      if (inserts == nullptr) return ERROR_INVALID_PARAMETER;
      i = AppendInsert(msg, i, *inserts, out);
      continue;
    }
    AppendEscape(d, out);
    i += 2;
  }
  return 0;
}

// The message text as FormatMessage writes it: escapes and inserts
// expanded, then the lines broken at the width the flags give.
DWORD Expand(std::wstring_view msg, DWORD flags, const Inserts* inserts, std::wstring& out) {
  const DWORD error = ExpandEscapes(msg, flags, inserts, out);
  if (error != 0) return error;
  const DWORD width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
  if (width != 0 && width != FORMAT_MESSAGE_MAX_WIDTH_MASK) out = Wrap(out, width);
  return 0;
}

DWORD Fail(DWORD code) {
  SetLastError(code);
  return 0;
}

// Where a module's message table in language `present` stands in the
// order FormatMessage tries for `languageId`; -1 when it is not tried at
// all. A neutral `languageId` (0 among them) tries a neutral table, the
// `preferred` language (the thread's, else the user's), English (US),
// then any; any other takes that language only.
int MessageLanguageRank(DWORD languageId, LANGID preferred, LANGID present) {
  constexpr DWORD kPrimaryMask = 0x3FF;
  if ((languageId & kPrimaryMask) != 0 || languageId > 0xFFFF)
    return languageId == present ? 0 : -1;
  if ((present & kPrimaryMask) == 0) return 0;
  if (present == preferred) return 1;
  return present == 0x0409 ? 2 : 3;
}

// Reads the text of message `id` from the message table of `module` into
// `text`. Returns 0, or the error of a lookup that fails.
DWORD FindModuleMessage(HMODULE module, DWORD id, DWORD languageId, std::wstring& text) {
  // The program's own image is no PE file here: it holds no resources.
  if (module == nullptr) return ERROR_RESOURCE_TYPE_NOT_FOUND;
  const LANGID preferred = velwin::detail::PreferredLanguage();
  DWORD error = ERROR_INVALID_HANDLE;
  velwin::detail::ReadModuleImage(module, [&](const velwin::detail::ModuleImage& m) {
    std::vector<velwin::detail::MessageTable> tables;
    if (!velwin::detail::IndexMessageTables(m.image, m.size, tables)) {
      error = ERROR_BAD_EXE_FORMAT;
      return;
    }
    error = tables.empty() ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_RESOURCE_LANG_NOT_FOUND;
    const velwin::detail::MessageTable* chosen = nullptr;
    int best = INT_MAX;
    for (const velwin::detail::MessageTable& t : tables) {
      const int rank = MessageLanguageRank(languageId, preferred, t.lang);
      if (rank >= 0 && rank < best) {
        best = rank;
        chosen = &t;
      }
    }
    if (chosen == nullptr) return;
    const std::uint8_t* entry = nullptr;
    std::size_t bytes = 0;
    std::uint16_t entry_flags = 0;
    if (!velwin::detail::LocateMessage(m.image, m.size, *chosen, id, entry, bytes, entry_flags)) {
      error = ERROR_MR_MID_NOT_FOUND;
      return;
    }
    velwin::detail::AppendMessageText(entry, bytes, entry_flags, text);
    error = 0;
  });
  return error;
}

// The longest text FormatMessage allocates a buffer for: 128 KiB of
// Windows' two-byte units.
constexpr std::size_t kMaxAllocatedUnits = 65536;

// Expands `message` with the inserts of `args`, a va_list or with
// FORMAT_MESSAGE_ARGUMENT_ARRAY an array, into `result`. A va_list is
// moved past the inserts read, as Windows leaves it. Returns 0 or the
// error of the text.
DWORD ExpandWithArguments(std::wstring_view message, DWORD flags, va_list* args,
                          std::wstring& result) {
  Inserts inserts;
  if (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY)
    inserts.array = reinterpret_cast<const DWORD_PTR*>(args);
  else
    inserts.list = args;
  const bool have_inserts = args != nullptr;
  result.reserve(message.size() + 128);
  const DWORD error = Expand(message, flags, have_inserts ? &inserts : nullptr, result);
  if (error != 0) return error;
  if (inserts.list != nullptr)
    for (int i = 0; i < inserts.used; ++i) (void)va_arg(*inserts.list, DWORD_PTR);
  return 0;
}

// Copies `result` and its terminator into the caller's `buffer` of `size`
// units and returns its length; when it does not fit, fails and leaves
// the part that fits, terminated.
DWORD CopyToBuffer(const std::wstring& result, LPWSTR buffer, DWORD size) {
  if (result.size() + 1 > size) {
    if (size > 0) {
      std::wmemcpy(buffer, result.c_str(), size - 1);
      buffer[size - 1] = L'\0';
    }
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::wmemcpy(buffer, result.c_str(), result.size() + 1);
  return static_cast<DWORD>(result.size());
}

DWORD FormatMessageOrThrow(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                           LPWSTR buffer, DWORD size, va_list* args) {
  const bool allocate = (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
  if (buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (allocate) *reinterpret_cast<LPWSTR*>(buffer) = nullptr;

  std::wstring text;  // a message of a module or of the system
  std::wstring_view message;
  if (flags & FORMAT_MESSAGE_FROM_STRING) {
    if (source == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    message = static_cast<const wchar_t*>(source);
  } else if (flags & (FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM)) {
    // The module first; the system table when the module has no text.
    DWORD error = ERROR_MR_MID_NOT_FOUND;
    if (flags & FORMAT_MESSAGE_FROM_HMODULE) {
      const auto module = static_cast<HMODULE>(const_cast<void*>(source));
      error = FindModuleMessage(module, messageId, languageId, text);
    }
    if (error != 0 && (flags & FORMAT_MESSAGE_FROM_SYSTEM)) {
      text.clear();
      const bool win32_hresult = (messageId & 0xFFFF0000u) == 0x80070000u;
      if (!velwin::detail::HasSystemMessagesIn(languageId))
        error = ERROR_RESOURCE_LANG_NOT_FOUND;
      else if (FindSystemMessage(messageId, text) ||
               (win32_hresult && FindSystemMessage(messageId & 0xFFFF, text)))
        error = 0;
      else
        error = ERROR_MR_MID_NOT_FOUND;
    }
    if (error != 0) return Fail(error);
    message = text;
  } else {
    return Fail(ERROR_INVALID_PARAMETER);
  }

  std::wstring result;
  const DWORD error = ExpandWithArguments(message, flags, args, result);
  if (error != 0) return Fail(error);
  if (result.empty()) return Fail(ERROR_NO_WORK_DONE);
  if (result.size() >= 0xFFFFFFFFu) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const DWORD length = static_cast<DWORD>(result.size());

  if (allocate) {
    if (result.size() > kMaxAllocatedUnits) return Fail(ERROR_MORE_DATA);
    const std::size_t units = std::max<std::size_t>(result.size() + 1, size);
    auto* block = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, units * sizeof(wchar_t)));
    if (block == nullptr) return 0;
    std::wmemcpy(block, result.c_str(), result.size() + 1);
    *reinterpret_cast<LPWSTR*>(buffer) = block;
    return length;
  }
  return CopyToBuffer(result, buffer, size);
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
