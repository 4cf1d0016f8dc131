// FormatMessage and its system table, the errno mapping behind the layer's
// error codes, local memory, and message boxes.
#include <cerrno>
#include <cstdarg>
#include <cwchar>
#include <string>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Message.h>

#include "errno_map.h"

namespace {

// The system text of `code`, or "<error N>".
std::wstring SystemText(DWORD code, DWORD flags = 0, DWORD language = 0) {
  wchar_t* text = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | flags, nullptr,
                     code, language, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (n == 0) {
    EXPECT_EQ(text, nullptr);
    return L"<error " + std::to_wstring(GetLastError()) + L">";
  }
  std::wstring s(text);
  EXPECT_EQ(s.size(), n);
  LocalFree(text);
  return s;
}

// Every code the layer sets has the Windows text, ending in ".\r\n".
TEST(FormatMessage, SystemTableCoversTheLayersCodes) {
  const DWORD codes[] = {ERROR_SUCCESS,
                         ERROR_FILE_NOT_FOUND,
                         ERROR_PATH_NOT_FOUND,
                         ERROR_ACCESS_DENIED,
                         ERROR_INVALID_HANDLE,
                         ERROR_NOT_ENOUGH_MEMORY,
                         ERROR_BAD_FORMAT,
                         ERROR_INVALID_PARAMETER,
                         ERROR_INSUFFICIENT_BUFFER,
                         ERROR_NO_UNICODE_TRANSLATION,
                         ERROR_TOO_MANY_OPEN_FILES,
                         ERROR_NOT_SAME_DEVICE,
                         ERROR_WRITE_PROTECT,
                         ERROR_GEN_FAILURE,
                         ERROR_SHARING_VIOLATION,
                         ERROR_NOT_SUPPORTED,
                         ERROR_FILE_EXISTS,
                         ERROR_NO_PROC_SLOTS,
                         ERROR_DISK_FULL,
                         ERROR_DIR_NOT_EMPTY,
                         ERROR_BUSY,
                         ERROR_FILENAME_EXCED_RANGE,
                         ERROR_FILE_TOO_LARGE,
                         ERROR_DIRECTORY,
                         ERROR_MR_MID_NOT_FOUND,
                         ERROR_NOACCESS,
                         ERROR_INVALID_FLAGS,
                         ERROR_TIMEOUT,
                         ERROR_RESOURCE_LANG_NOT_FOUND,
                         ERROR_CANT_RESOLVE_FILENAME,
                         ERROR_BUFFER_OVERFLOW,
                         ERROR_INVALID_NAME,
                         0x800300FD};
  for (const DWORD code : codes) {
    SCOPED_TRACE(code);
    const std::wstring text = SystemText(code);
    ASSERT_GE(text.size(), 4u) << std::string(text.begin(), text.end());
    EXPECT_EQ(text.substr(text.size() - 3), L".\r\n");
  }
  for (int err = 0; err < 134; ++err) {
    SCOPED_TRACE(err);
    const std::wstring text = SystemText(velwin::detail::Win32ErrorFromErrno(err));
    EXPECT_EQ(text.substr(text.size() - 3), L".\r\n");
  }
}

TEST(FormatMessage, KnownTexts) {
  EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND), L"The system cannot find the file specified.\r\n");
  EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), L"Access is denied.\r\n");
  EXPECT_EQ(SystemText(0x800300FD), L"An unexpected error occurred.\r\n");
  EXPECT_EQ(SystemText(0x80070005), SystemText(ERROR_ACCESS_DENIED));  // Win32 HRESULT
  EXPECT_EQ(SystemText(0x12345678), L"<error 317>");
  EXPECT_EQ(SystemText(0x80070000 | 0x4321), L"<error 317>");
}

TEST(FormatMessage, Languages) {
  EXPECT_EQ(SystemText(5, 0, 0x0409), L"Access is denied.\r\n");  // English (US)
  EXPECT_EQ(SystemText(5, 0, 0x0809), L"Access is denied.\r\n");  // English (UK)
  EXPECT_EQ(SystemText(5, 0, 0x0400), L"Access is denied.\r\n");  // user default
  EXPECT_EQ(SystemText(5, 0, 0x0407), L"<error 1815>");           // German
}

TEST(FormatMessage, CallerBuffer) {
  wchar_t buf[20];
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buf, 20, nullptr), 19u);
  EXPECT_EQ(std::wstring(buf), L"Access is denied.\r\n");
  SetLastError(0);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buf, 19, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, nullptr, 20, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE, nullptr, 5, 0, buf, 20, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0,
                           buf, 20, nullptr),
            19u);
  // ALLOCATE_BUFFER: `size` is a minimum.
  wchar_t* text = nullptr;
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5,
                           0, reinterpret_cast<LPWSTR>(&text), 500, nullptr),
            19u);
  ASSERT_NE(text, nullptr);
  text[499] = L'x';  // the block holds at least 500 units
  EXPECT_EQ(LocalFree(text), nullptr);
}

std::wstring FromString(DWORD flags, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  wchar_t* text = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | flags, format, 0,
                     0, reinterpret_cast<LPWSTR>(&text), 0, &args);
  va_end(args);
  std::wstring s = n != 0 ? std::wstring(text) : L"<none>";
  LocalFree(text);
  return s;
}

TEST(FormatMessage, InsertsAndEscapes) {
  EXPECT_EQ(FromString(0, L"%1 and %2", L"one", L"two"), L"one and two");
  EXPECT_EQ(FromString(0, L"%2 before %1", L"one", L"two"), L"two before one");
  EXPECT_EQ(FromString(0, L"[%1!5d!] [%2!08x!]", 42, 255), L"[   42] [000000ff]");
  EXPECT_EQ(FromString(0, L"%1!hs!", "narrow"), L"narrow");
  EXPECT_EQ(FromString(0, L"100%% %n%.%!%b"), L"100% \r\n.! ");
  EXPECT_EQ(FromString(0, L"cut%0 here"), L"cut");
  EXPECT_EQ(FromString(0, L"%1!*d!", 5, 6), L"%1!*d!");  // no '*'
  EXPECT_EQ(FromString(FORMAT_MESSAGE_IGNORE_INSERTS, L"%1 %% %n", L"x"), L"%1 %% %n");
  EXPECT_EQ(FromString(0, L"%0"), L"<none>");  // an empty result

  const DWORD_PTR array[] = {reinterpret_cast<DWORD_PTR>(L"file.txt"), 7};
  wchar_t buf[64];
  ASSERT_GT(
      FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, L"%1 line %2!u!",
                     0, 0, buf, 64, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(array))),
      0u);
  EXPECT_EQ(std::wstring(buf), L"file.txt line 7");

  // Without arguments the inserts stay as they are.
  EXPECT_EQ(SystemText(ERROR_MR_MID_NOT_FOUND),
            L"The system cannot find message text for message number 0x%1 in the message file "
            L"for %2.\r\n");
}

// Each printf conversion an insert may carry, read from a DWORD_PTR array
// as a 64-bit caller fills it: sizes l ll I64 I z j t take the whole value,
// the others its low 32 bits.
TEST(FormatMessage, InsertConversions) {
  struct Row {
    const wchar_t* format;
    DWORD_PTR value;
    const wchar_t* text;
  };
  const Row rows[] = {
      {L"%1!c!", L'A', L"A"},
      {L"%1!C!", 'b', L"b"},  // narrow character
      {L"%1!3c!|", L'z', L"  z|"},
      {L"%1!u!", 4000000000u, L"4000000000"},
      {L"%1!d!", static_cast<DWORD_PTR>(-5), L"-5"},
      {L"%1!x!", 0xBEEF, L"beef"},
      {L"%1!#X!", 0xBEEF, L"0XBEEF"},
      {L"%1!o!", 8, L"10"},
      {L"%1!u!", DWORD_PTR{0x100000002}, L"2"},  // only the low 32 bits
      {L"%1!I64u!", DWORD_PTR{0x100000002}, L"4294967298"},
      {L"%1!llx!", DWORD_PTR{0x123456789AB}, L"123456789ab"},
      {L"%1!I64d!", static_cast<DWORD_PTR>(-5000000000LL), L"-5000000000"},
      {L"%1!lld!", static_cast<DWORD_PTR>(-1), L"-1"},
      {L"%1!Iu!", DWORD_PTR{1} << 40, L"1099511627776"},
      {L"%1!zu!", DWORD_PTR{1} << 40, L"1099511627776"},
      {L"%1!jd!", DWORD_PTR{1} << 40, L"1099511627776"},
      {L"%1!td!", static_cast<DWORD_PTR>(-7), L"-7"},
      {L"%1!p!", 0x1234, L"0000000000001234"},
      {L"%1!S!", reinterpret_cast<DWORD_PTR>("narrow"), L"narrow"},
      {L"%1!ls!", reinterpret_cast<DWORD_PTR>(L"wide"), L"wide"},
      {L"%1!-6s!|", reinterpret_cast<DWORD_PTR>(L"ab"), L"ab    |"},
      // Floating point and unknown letters cannot be formatted: the insert
      // stays as it is written.
      {L"%1!f!", 1, L"%1!f!"},
      {L"%1!q!", 1, L"%1!q!"},
      // So does anything but a single conversion: the formatter would read
      // arguments that were never passed.
      {L"%1!s %s!", reinterpret_cast<DWORD_PTR>(L"ab"), L"%1!s %s!"},
      {L"%1!-2A s!", reinterpret_cast<DWORD_PTR>(L"ab"), L"%1!-2A s!"},
      {L"%1!d%n!", 1, L"%1!d%n!"},
      {L"%1!5.2.1d!", 1, L"%1!5.2.1d!"},
      {L"%1!Ld!", 1, L"%1!Ld!"},
      {L"%1!-05.3hhu!", 0x1FF, L"255  "},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.format));
    const DWORD_PTR args[] = {r.value};
    wchar_t buf[64] = L"?";
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, r.format, 0, 0,
                       buf, 64, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
    EXPECT_EQ(std::wstring(buf), r.text);
    EXPECT_EQ(n, std::wcslen(r.text));
  }
}

// An insert longer than the first formatting buffer comes out whole.
// Inserts far longer than any first guess at their size are formatted
// whole, wide or narrow, padded or not.
TEST(FormatMessage, LongInsert) {
  struct Row {
    std::size_t length;
    const wchar_t* format;
    std::size_t padding;
  };
  const Row rows[] = {
      {5000, L"[%1!-5002s!]", 2}, {3000000, L"[%1]", 0},    {3000000, L"[%1!-3000001s!]", 1},
      {3000000, L"[%1!hs!]", 0},  {3000000, L"[%1!S!]", 0}, {3000000, L"[%1!lS!]", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.length << " " << std::wstring(r.format));
    const std::wstring wide(r.length, L'x');
    const std::string narrow(r.length, 'x');
    const std::wstring form(r.format);
    const bool is_narrow =
        form.find(L"hs") != std::wstring::npos || form.find(L"!S") != std::wstring::npos;
    const DWORD_PTR args[] = {is_narrow ? reinterpret_cast<DWORD_PTR>(narrow.c_str())
                                        : reinterpret_cast<DWORD_PTR>(wide.c_str())};
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        r.format, 0, 0, reinterpret_cast<LPWSTR>(&text), 0,
        reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
    ASSERT_EQ(n, r.length + r.padding + 2);
    EXPECT_EQ(std::wstring(text), L"[" + wide + std::wstring(r.padding, L' ') + L"]");
    LocalFree(text);
  }
}

// An insert too long to allocate fails the call instead of exhausting
// memory or coming out as the raw insert sequence.
TEST(FormatMessage, InsertTooLongToAllocate) {
  const DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(L"x")};
  for (const wchar_t* format : {L"[%1!100000000s!]", L"[%1!.100000000d!]", L"%1!3000000000s!"}) {
    SCOPED_TRACE(testing::Message() << std::wstring(format));
    wchar_t* text = nullptr;
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING |
                                 FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             format, 0, 0, reinterpret_cast<LPWSTR>(&text), 0,
                             reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args))),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(text, nullptr);
  }
}

TEST(FormatMessage, EscapesForControlCharacters) {
  EXPECT_EQ(FromString(0, L"a%rb%tc%bd"), L"a\rb\tc d");
  // %r and %n survive the width setting that turns the text's own line
  // breaks into blanks.
  EXPECT_EQ(FromString(FORMAT_MESSAGE_MAX_WIDTH_MASK, L"a%rb\r\nc"), L"a\rb c");
}

// Neither FROM_STRING, FROM_SYSTEM nor FROM_HMODULE: there is no source.
TEST(FormatMessage, NoSourceFlag) {
  wchar_t buf[8];
  SetLastError(0);
  EXPECT_EQ(FormatMessageW(0, L"text", 0, 0, buf, 8, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_IGNORE_INSERTS, L"text",
                           0, 0, buf, 8, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(FormatMessage, LineWidth) {
  EXPECT_EQ(SystemText(5, FORMAT_MESSAGE_MAX_WIDTH_MASK), L"Access is denied. ");
  EXPECT_EQ(FromString(FORMAT_MESSAGE_MAX_WIDTH_MASK, L"a\r\nb\nc%nd"), L"a b c\r\nd");
  EXPECT_EQ(FromString(10, L"aaa bbb ccc ddd\r\neeeeeeeeeeeee f"),
            L"aaa bbb\r\nccc ddd\r\neeeeeeeeeeeee\r\nf");
  // A hard break from %n starts a new line: the count of the width starts
  // again after it.
  EXPECT_EQ(FromString(10, L"aaa bbb ccc%nddd eee fff"), L"aaa bbb\r\nccc\r\nddd eee\r\nfff");
  EXPECT_EQ(FromString(10, L"aaaaaaaaa%nbbbbbbbb c"), L"aaaaaaaaa\r\nbbbbbbbb c");
}

TEST(FormatMessage, ApplicationTexts) {
  const DWORD code = 0xE0001234;
  EXPECT_EQ(SystemText(code), L"<error 317>");
  SetSystemMessageText(code, L"Own text.\r\n");
  EXPECT_EQ(SystemText(code), L"Own text.\r\n");
  SetSystemMessageText(ERROR_ACCESS_DENIED, nullptr);
  EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), L"<error 317>");
  ResetSystemMessageText(ERROR_ACCESS_DENIED);
  ResetSystemMessageText(code);
  EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), L"Access is denied.\r\n");
  EXPECT_EQ(SystemText(code), L"<error 317>");
}

TEST(ErrnoMap, Table) {
  struct Row {
    int err;
    DWORD code;
  };
  const Row rows[] = {
      {0, ERROR_SUCCESS},
      {ENOENT, ERROR_FILE_NOT_FOUND},
      {ENOTDIR, ERROR_PATH_NOT_FOUND},
      {EACCES, ERROR_ACCESS_DENIED},
      {EPERM, ERROR_ACCESS_DENIED},
      {EISDIR, ERROR_ACCESS_DENIED},
      {EEXIST, ERROR_FILE_EXISTS},
      {ENOEXEC, ERROR_BAD_FORMAT},
      {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
      {EINVAL, ERROR_INVALID_PARAMETER},
      {EBADF, ERROR_INVALID_HANDLE},
      {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
      {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
      {ENOSPC, ERROR_DISK_FULL},
      {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
      {EAGAIN, ERROR_NO_PROC_SLOTS},
      {EILSEQ, ERROR_NO_UNICODE_TRANSLATION},
      {ECONNRESET, ERROR_GEN_FAILURE},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.err);
    EXPECT_EQ(velwin::detail::Win32ErrorFromErrno(r.err), r.code);
  }
  velwin::detail::SetLastErrorFromErrno(ENOENT);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

// ---------------------------------------------------------------- boxes

struct Shown {
  std::wstring text;
  UINT type = 0;
  UINT help = 0;
  int count = 0;
};
Shown g_shown;

int Record(const wchar_t* text, UINT type, UINT help) {
  g_shown.text = text;
  g_shown.type = type;
  g_shown.help = help;
  ++g_shown.count;
  return IDNO;
}

TEST(AfxMessageBox, GoesToTheInstalledHandler) {
  g_shown = Shown();
  const AFX_MESSAGEBOX_HANDLER previous = AfxSetMessageBoxHandler(Record);
  ASSERT_NE(previous, nullptr);
  EXPECT_EQ(AfxMessageBox(L"Disk full", MB_YESNO | MB_ICONERROR, 42), IDNO);
  EXPECT_EQ(g_shown.text, L"Disk full");
  EXPECT_EQ(g_shown.type, MB_YESNO | MB_ICONERROR);
  EXPECT_EQ(g_shown.help, 42u);
  EXPECT_EQ(AfxMessageBox(static_cast<LPCWSTR>(nullptr)), IDNO);
  EXPECT_EQ(g_shown.text, L"");
  EXPECT_EQ(g_shown.type, MB_OK);
  EXPECT_EQ(AfxMessageBox(7u), IDNO);  // no resource module: an empty text
  EXPECT_EQ(g_shown.text, L"");
  EXPECT_EQ(g_shown.help, static_cast<UINT>(-1));
  EXPECT_EQ(g_shown.count, 3);
  EXPECT_EQ(AfxSetMessageBoxHandler(previous), Record);
}

TEST(AfxMessageBox, DefaultWritesToStandardError) {
  const AFX_MESSAGEBOX_HANDLER previous = AfxSetMessageBoxHandler(nullptr);
  testing::internal::CaptureStderr();
  const int button = AfxMessageBox(L"Caf\u00E9 closed", MB_OKCANCEL);
  const std::string err = testing::internal::GetCapturedStderr();
  AfxSetMessageBoxHandler(previous);
  EXPECT_EQ(button, IDOK);
  EXPECT_EQ(err, "Caf\xC3\xA9 closed\n");
}

TEST(LocalMemory, AllocZeroesAndFrees) {
  auto* p = static_cast<unsigned char*>(LocalAlloc(LPTR, 16));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
  EXPECT_EQ(LocalFree(p), nullptr);
  EXPECT_EQ(LocalFree(nullptr), nullptr);
}

}  // namespace
