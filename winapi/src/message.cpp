// FormatMessage over the message tables of resource libraries and the
// layer's system message table.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
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

#include <textbase/conversion.h>

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
std::wstring_view PlainInsert(int index, const Inserts& inserts) {
  const auto* text = reinterpret_cast<const wchar_t*>(inserts.Get(index));
  if (text == nullptr) text = L"(null)";
  const std::size_t len = std::wcslen(text);
  if (64 + len > kMaxInsertUnits) throw std::bad_alloc();
  return {text, len};
}

// Formats the integer insert `v` into `buf`, passed as the type that the
// size prefix of `format` reads: a wider or narrower argument would be read
// in part, its high half on a big-endian machine.
int FormatInteger(std::wstring& buf, const std::wstring& format, Size size, bool is_signed,
                  DWORD_PTR v) {
  const auto print = [&](auto arg) {
    return ms_swprintf(&buf[0], buf.size(), format.c_str(), arg);
  };
  switch (size) {
    case Size::kLong:
      return is_signed ? print(static_cast<long>(v)) : print(static_cast<unsigned long>(v));
    case Size::kLongLong:
    case Size::kInt64:
      return is_signed ? print(static_cast<long long>(v))
                       : print(static_cast<unsigned long long>(v));
    case Size::kIntMax:
      return is_signed ? print(static_cast<std::intmax_t>(v))
                       : print(static_cast<std::uintmax_t>(v));
    case Size::kSizeT:
    case Size::kPtrDiff:
      return is_signed ? print(static_cast<std::ptrdiff_t>(v)) : print(static_cast<std::size_t>(v));
    default:
      return is_signed ? print(static_cast<int>(v)) : print(static_cast<unsigned>(v));
  }
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
        n = FormatInteger(buf, format, size, true, v);
        break;
      case L'p':
        n = ms_swprintf(&buf[0], buf.size(), format.c_str(), reinterpret_cast<void*>(v));
        break;
      default:  // u x X o
        n = FormatInteger(buf, format, size, false, v);
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

// The text FormatMessage writes, built as it goes. A width of 1-254
// breaks its lines: a line that reaches the width ends at its last blank,
// the blanks that fit on it dropped, or, with no blank, after the width.
// `limit` is the caller's buffer, which the text and its terminator
// overflow once they pass it.
class Output {
 public:
  Output(DWORD width, std::size_t limit)
      : width_(width == FORMAT_MESSAGE_MAX_WIDTH_MASK ? 0 : width), limit_(limit) {}

  void Append(std::wstring_view text) {
    if (width_ == 0) {
      text_.append(text);
      return;
    }
    for (const wchar_t c : text) Put(c);
  }
  // Whether the text overflows the buffer for certain: the line being
  // filled may yet lose the blanks at its break.
  bool Overflowed() const { return text_.size() >= limit_; }
  // The text so far, the line being filled included.
  std::wstring Take() { return std::move(text_) + line_; }

 private:
  void Put(wchar_t c) {
    if (c == L'\r' || c == L'\n') {  // %r and %n start a line of their own
      text_ += line_;
      text_ += c;
      line_.clear();
      return;
    }
    line_ += c;
    if (line_.size() < width_) return;
    // The line ends at its last blank, the blanks before it dropped (a line
    // of blanks comes out empty), and what follows starts the next line.
    // Without a blank the line stands whole: a longer word is cut there.
    std::wstring rest;
    const std::size_t blank = line_.find_last_of(L' ');
    if (blank != std::wstring::npos) {
      rest = line_.substr(blank + 1);
      line_.erase(blank);
      while (!line_.empty() && line_.back() == L' ') line_.pop_back();
    }
    text_ += line_;
    text_ += L"\r\n";
    line_ = std::move(rest);
  }

  std::size_t width_;  // 0: lines are not broken
  std::size_t limit_;
  std::wstring text_;  // the lines ended
  std::wstring line_;  // the line being filled, when lines are broken
};

// Appends the insert that starts at msg[i], "%N" or "%N!form!" with N
// from 1 to 99, and returns the position after it. A form the inserts
// cannot take is copied as it stands.
std::size_t AppendInsert(std::wstring_view msg, std::size_t i, const Inserts& inserts,
                         Output& out) {
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
    out.Append(PlainInsert(index, inserts));
    return j;
  }
  std::wstring piece;
  if (FormatInsert(index, printf_form, inserts, piece))
    out.Append(piece);
  else
    out.Append(msg.substr(i, j - i));
  return j;
}

// What the escape "%d" stands for, when `d` is not a digit.
std::wstring_view Escape(const wchar_t& d) {
  switch (d) {
    case L'n':
      return L"\r\n";
    case L'r':
      return L"\r";
    case L't':
      return L"\t";
    case L'b':
      return L" ";
    default:
      return {&d, 1};  // %% %. %! %space and any other
  }
}

// Expands the escapes and inserts of a message text into `out`, breaking
// its lines as it goes. Returns 0, or the error of a text FormatMessage
// refuses (a '%' that ends the text, an insert without arguments), or
// ERROR_INSUFFICIENT_BUFFER at the piece that overflows the caller's
// buffer: no insert after it is read.
DWORD Expand(std::wstring_view msg, DWORD flags, const Inserts* inserts, Output& out) {
  const bool breaks_to_blanks = (flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) != 0;
  const bool raw = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
  const std::size_t n = msg.size();
  for (std::size_t i = 0; i < n;) {
    if (out.Overflowed()) return ERROR_INSUFFICIENT_BUFFER;
    const wchar_t c = msg[i];
    if (c == L'\r' || c == L'\n') {
      // Any line break of the text, CR, LF or CR LF, comes out as CR LF;
      // with a width it is a blank.
      i += c == L'\r' && i + 1 < n && msg[i + 1] == L'\n' ? 2 : 1;
      out.Append(breaks_to_blanks ? L" " : L"\r\n");
      continue;
    }
    if (c != L'%') {  // plain text runs to the next escape or line break
      std::size_t k = i + 1;
      while (k < n && msg[k] != L'%' && msg[k] != L'\r' && msg[k] != L'\n') ++k;
      out.Append(msg.substr(i, k - i));
      i = k;
      continue;
    }
    if (i + 1 >= n) return ERROR_INVALID_PARAMETER;
    const wchar_t d = msg[i + 1];
    if (d == L'0') break;
    if (raw && d != L'n' && d != L'r' && d != L't') {
      // Inserts and the other escapes stand as written, for formatting later.
      out.Append(msg.substr(i, 2));
      i += 2;
    } else if (d >= L'1' && d <= L'9') {
      if (inserts == nullptr) return ERROR_INVALID_PARAMETER;
      i = AppendInsert(msg, i, *inserts, out);
    } else {
      out.Append(Escape(msg[i + 1]));
      i += 2;
    }
  }
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

// Expands `message` with the inserts of `args`, a va_list or with
// FORMAT_MESSAGE_ARGUMENT_ARRAY an array, into `result`, stopping where
// the text overflows `limit` units. A va_list is moved past the inserts
// read up to there, as Windows leaves it. Returns 0 or the error of
// Expand; `result` then holds the text up to the fault.
DWORD ExpandWithArguments(std::wstring_view message, DWORD flags, va_list* args, std::size_t limit,
                          std::wstring& result) {
  Inserts inserts;
  if (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY)
    inserts.array = reinterpret_cast<const DWORD_PTR*>(args);
  else
    inserts.list = args;
  const bool have_inserts = args != nullptr;
  Output out(flags & FORMAT_MESSAGE_MAX_WIDTH_MASK, limit);
  DWORD error = Expand(message, flags, have_inserts ? &inserts : nullptr, out);
  result = out.Take();
  if (result.size() >= limit) error = ERROR_INSUFFICIENT_BUFFER;
  if (error != 0 && error != ERROR_INSUFFICIENT_BUFFER) return error;
  if (inserts.list != nullptr)
    for (int i = 0; i < inserts.used; ++i) (void)va_arg(*inserts.list, DWORD_PTR);
  return error;
}

// Leaves in the caller's `buffer` of `size` units what Windows leaves
// there: the text and its terminator; the part that fits, terminated,
// when it overflows; the text up to a fault of the message, without a
// terminator; "" when the text is empty. Returns the text's length or 0.
DWORD CopyToBuffer(const std::wstring& result, DWORD error, LPWSTR buffer, DWORD size) {
  if (error == ERROR_INSUFFICIENT_BUFFER) {
    if (size > 0) {
      std::wmemcpy(buffer, result.c_str(), size - 1);
      buffer[size - 1] = L'\0';
    }
    return Fail(error);
  }
  if (error != 0) {
    std::wmemcpy(buffer, result.c_str(), std::min<std::size_t>(result.size(), size));
    return Fail(error);
  }
  std::wmemcpy(buffer, result.c_str(), result.size() + 1);
  return result.empty() ? Fail(ERROR_NO_WORK_DONE) : static_cast<DWORD>(result.size());
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
  const std::size_t limit = allocate ? SIZE_MAX : size;
  const DWORD error = ExpandWithArguments(message, flags, args, limit, result);
  if (!allocate) return CopyToBuffer(result, error, buffer, size);
  if (error != 0) return Fail(error);
  if (result.empty()) return Fail(ERROR_NO_WORK_DONE);
  if (result.size() >= 0xFFFFFFFFu) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const std::size_t units = std::max<std::size_t>(result.size() + 1, size);
  auto* block = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, units * sizeof(wchar_t)));
  if (block == nullptr) return 0;
  std::wmemcpy(block, result.c_str(), result.size() + 1);
  *reinterpret_cast<LPWSTR*>(buffer) = block;
  return static_cast<DWORD>(result.size());
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
