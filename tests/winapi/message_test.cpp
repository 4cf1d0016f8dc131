// FormatMessage with its system texts, inserts, escapes and line widths;
// local memory and message boxes.
#include <cstdarg>
#include <cwchar>
#include <string>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Message.h>

namespace {

// FormatMessage into a block it allocates: the text, or "<error N>".
std::wstring Format(DWORD flags, const void* source, DWORD code, DWORD language = 0,
                    const DWORD_PTR* args = nullptr) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | flags | (args ? FORMAT_MESSAGE_ARGUMENT_ARRAY : 0), source,
      code, language, reinterpret_cast<LPWSTR>(&text), 0,
      reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
  if (n == 0) return text == nullptr ? L"<error " + std::to_wstring(GetLastError()) + L">" : L"?";
  std::wstring s(text);
  LocalFree(text);
  return s.size() == n ? s : L"<wrong length>";
}

TEST(FormatMessage, SystemTexts) {
  struct Row {
    DWORD code, flags, language;
    const wchar_t* text;
  };
  const Row rows[] = {
      {ERROR_SUCCESS, 0, 0, L"The operation completed successfully.\r\n"},
      {ERROR_FILE_NOT_FOUND, 0, 0, L"The system cannot find the file specified.\r\n"},
      {ERROR_INVALID_PARAMETER, 0, 0, L"The parameter is incorrect.\r\n"},
      {0x800300FD, 0, 0, L"An unexpected error occurred.\r\n"},
      {0x80070005, 0, 0, L"Access is denied.\r\n"},                // a Win32 HRESULT
      {ERROR_ACCESS_DENIED, 0, 0x0809, L"Access is denied.\r\n"},  // English (UK)
      {ERROR_ACCESS_DENIED, 0, 0x0400, L"Access is denied.\r\n"},  // user default
      {ERROR_ACCESS_DENIED, 0, 0x0407, L"<error 1815>"},           // German
      {ERROR_ACCESS_DENIED, FORMAT_MESSAGE_MAX_WIDTH_MASK, 0, L"Access is denied. "},
      {0x12345678, 0, 0, L"<error 317>"},
      {0x80074321, 0, 0, L"<error 317>"},
      // Without arguments the inserts stay as they are.
      {ERROR_MR_MID_NOT_FOUND, 0, 0,
       L"The system cannot find message text for message number 0x%1 in the message file for "
       L"%2.\r\n"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << r.code << " " << r.flags << " " << r.language);
    EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_SYSTEM | r.flags, nullptr, r.code, r.language), r.text);
  }
}

// An application's own texts go before the table's and can hide them.
TEST(FormatMessage, ApplicationTexts) {
  const DWORD own = 0xE0001234;
  SetSystemMessageText(own, L"Own text.\r\n");
  SetSystemMessageText(ERROR_ACCESS_DENIED, nullptr);
  EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, own), L"Own text.\r\n");
  EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED), L"<error 317>");
  ResetSystemMessageText(ERROR_ACCESS_DENIED);
  ResetSystemMessageText(own);
  EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED),
            L"Access is denied.\r\n");
  EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, own), L"<error 317>");
}

TEST(FormatMessage, Buffers) {
  struct Row {
    DWORD flags;
    bool buffer;
    DWORD size, result, error;
  };
  const Row rows[] = {{FORMAT_MESSAGE_FROM_SYSTEM, true, 20, 19, 0},  // 19 units and the terminator
                      {FORMAT_MESSAGE_FROM_SYSTEM, true, 19, 0, ERROR_INSUFFICIENT_BUFFER},
                      {FORMAT_MESSAGE_FROM_SYSTEM, false, 20, 0, ERROR_INVALID_PARAMETER},
                      {FORMAT_MESSAGE_FROM_HMODULE, true, 20, 0, ERROR_MR_MID_NOT_FOUND},
                      {FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM, true, 20, 19, 0},
                      {0, true, 20, 0, ERROR_INVALID_PARAMETER},  // no source at all
                      {FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_IGNORE_INSERTS, true, 20, 0,
                       ERROR_INVALID_PARAMETER}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << r.flags << " " << std::dec << r.size);
    wchar_t buf[20] = L"?";
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(r.flags, L"text", 5, 0, r.buffer ? buf : nullptr, r.size, nullptr),
              r.result);
    EXPECT_EQ(GetLastError(), r.error);
    EXPECT_EQ(std::wstring(buf), r.result != 0 ? L"Access is denied.\r\n" : L"?");
  }
  // With ALLOCATE_BUFFER the size is a minimum.
  wchar_t* text = nullptr;
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5,
                           0, reinterpret_cast<LPWSTR>(&text), 500, nullptr),
            19u);
  text[499] = L'x';
  EXPECT_EQ(LocalFree(text), nullptr);
}

// Inserts with the printf conversion each may carry, read from a DWORD_PTR
// array as a 64-bit caller fills it (sizes l ll I64 I z j t take the whole
// value, the others its low 32 bits); escapes; and line widths.
TEST(FormatMessage, InsertsEscapesAndWidths) {
  const auto w = [](const wchar_t* s) { return reinterpret_cast<DWORD_PTR>(s); };
  struct Row {
    const wchar_t* format;
    DWORD flags;
    DWORD_PTR first, second;
    const wchar_t* text;
  };
  const Row rows[] = {
      {L"%2 before %1", 0, w(L"one"), w(L"two"), L"two before one"},
      {L"[%1!5d!] [%2!08x!]", 0, 42, 255, L"[   42] [000000ff]"},
      {L"%1!c!%2!C!", 0, L'A', 'b', L"Ab"},
      {L"%1!u! %2!I64u!", 0, DWORD_PTR{0x100000002}, DWORD_PTR{0x100000002}, L"2 4294967298"},
      {L"%1!d! %2!lld!", 0, static_cast<DWORD_PTR>(-5), static_cast<DWORD_PTR>(-1), L"-5 -1"},
      {L"%1!#X! %2!o!", 0, 0xBEEF, 8, L"0XBEEF 10"},
      {L"%1!zu! %2!td!", 0, DWORD_PTR{1} << 40, static_cast<DWORD_PTR>(-7), L"1099511627776 -7"},
      {L"%1!p!", 0, 0x1234, 0, L"0000000000001234"},
      {L"%1!S!|%2!-6ls!|", 0, reinterpret_cast<DWORD_PTR>("narrow"), w(L"ab"), L"narrow|ab    |"},
      {L"%1!-05.3hhu!", 0, 0x1FF, 0, L"255  "},
      // What cannot be formatted stays as it is written: floating point, an
      // unknown letter, '*', and anything but a single conversion.
      {L"%1!f! %1!q! %1!*d!", 0, 1, 1, L"%1!f! %1!q! %1!*d!"},
      {L"%1!s %s! %1!d%n! %1!5.2.1d! %1!Ld!", 0, w(L"ab"), 0,
       L"%1!s %s! %1!d%n! %1!5.2.1d! %1!Ld!"},
      {L"100%% %n%.%!%b|a%rb%tc", 0, 0, 0, L"100% \r\n.! |a\rb\tc"},
      {L"cut%0 here", 0, 0, 0, L"cut"},
      {L"%1 %% %n", FORMAT_MESSAGE_IGNORE_INSERTS, w(L"x"), 0, L"%1 %% %n"},
      // A width turns the text's own line breaks into blanks; %n and %r stay.
      {L"a\r\nb\nc%nd%re", FORMAT_MESSAGE_MAX_WIDTH_MASK, 0, 0, L"a b c\r\nd\re"},
      {L"aaa bbb ccc ddd\r\neeeeeeeeeeeee f", 10, 0, 0,
       L"aaa bbb\r\nccc ddd\r\neeeeeeeeeeeee\r\nf"},
      // A hard break from %n starts the count of the width again.
      {L"aaa bbb ccc%nddd eee fff", 10, 0, 0, L"aaa bbb\r\nccc\r\nddd eee\r\nfff"},
      {L"aaaaaaaaa%nbbbbbbbb c", 10, 0, 0, L"aaaaaaaaa\r\nbbbbbbbb c"},
      {L"%0", 0, 0, 0, L"<error 0>"}};  // an empty result
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.format);
    const DWORD_PTR args[] = {r.first, r.second};
    SetLastError(0);
    EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_STRING | r.flags, r.format, 0, 0, args), r.text);
  }
}

std::wstring FromList(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  wchar_t buf[32];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING, format, 0, 0, buf, 32, &args);
  va_end(args);
  return n != 0 ? buf : L"<none>";
}

TEST(FormatMessage, InsertsFromAVaList) {
  EXPECT_EQ(FromList(L"%2 %1!hs! %3!d!", "narrow", L"wide", 7), L"wide narrow 7");
}

// Inserts far longer than any first guess at their size come out whole,
// wide or narrow, padded or not; one too long to allocate fails the call.
TEST(FormatMessage, LongInserts) {
  const std::wstring wide(3000000, L'x');
  const std::string narrow(3000000, 'x');
  struct Row {
    const wchar_t* format;
    std::size_t length;  // of the insert; 0: refused
    std::size_t padding;
  };
  const Row rows[] = {{L"[%1!-5002s!]", 5000, 2},       {L"[%1]", 3000000, 0},
                      {L"[%1!-3000001s!]", 3000000, 1}, {L"[%1!hs!]", 3000000, 0},
                      {L"[%1!lS!]", 3000000, 0},        {L"[%1!100000000s!]", 0, 0},
                      {L"[%1!.100000000d!]", 0, 0},     {L"%1!3000000000s!", 0, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.format);
    const bool is_narrow = std::wcsstr(r.format, L"hs") != nullptr;
    const std::size_t skip = wide.size() - r.length;
    const DWORD_PTR args[] = {is_narrow ? reinterpret_cast<DWORD_PTR>(narrow.c_str() + skip)
                                        : reinterpret_cast<DWORD_PTR>(wide.c_str() + skip)};
    SetLastError(0);
    const std::wstring text = Format(FORMAT_MESSAGE_FROM_STRING, r.format, 0, 0, args);
    EXPECT_EQ(text, r.length == 0
                        ? L"<error 8>"  // ERROR_NOT_ENOUGH_MEMORY
                        : L"[" + wide.substr(skip) + std::wstring(r.padding, L' ') + L"]");
  }
}

struct Shown {
  std::wstring text;
  UINT type = 0, help = 0;
} g_shown;

int Record(const wchar_t* text, UINT type, UINT help) {
  g_shown = {text, type, help};
  return IDNO;
}

// A message box goes to the installed handler; the default one writes the
// text to standard error and answers IDOK.
TEST(AfxMessageBox, GoesToTheInstalledHandler) {
  const AFX_MESSAGEBOX_HANDLER previous = AfxSetMessageBoxHandler(Record);
  EXPECT_EQ(AfxMessageBox(L"Disk full", MB_YESNO | MB_ICONERROR, 42), IDNO);
  EXPECT_EQ(g_shown.text, L"Disk full");
  EXPECT_EQ(g_shown.type, static_cast<UINT>(MB_YESNO | MB_ICONERROR));
  EXPECT_EQ(g_shown.help, 42u);
  EXPECT_EQ(AfxMessageBox(static_cast<LPCWSTR>(nullptr)), IDNO);
  EXPECT_EQ(g_shown.text, L"");
  EXPECT_EQ(g_shown.type, static_cast<UINT>(MB_OK));
  g_shown.text = L"x";
  EXPECT_EQ(AfxMessageBox(7u), IDNO);  // no resource module: an empty text
  EXPECT_EQ(g_shown.text, L"");
  EXPECT_EQ(g_shown.help, static_cast<UINT>(-1));
  EXPECT_EQ(AfxSetMessageBoxHandler(nullptr), Record);
  testing::internal::CaptureStderr();
  EXPECT_EQ(AfxMessageBox(L"Caf\u00E9 closed", MB_OKCANCEL), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Caf\xC3\xA9 closed\n");
  AfxSetMessageBoxHandler(previous);
}

TEST(LocalAlloc, ZeroInitialised) {
  auto* p = static_cast<unsigned char*>(LocalAlloc(LPTR, 16));
  EXPECT_EQ(std::wstring(p, p + 16), std::wstring(16, L'\0'));
  EXPECT_EQ(LocalFree(p), nullptr);
}

}  // namespace
