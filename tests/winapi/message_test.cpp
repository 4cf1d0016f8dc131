// FormatMessage: system texts, inserts, escapes, line widths; message boxes.
#include <cstdarg>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Message.h>

#include "support/rows.h"
#include "winapi/resource_support.h"

namespace {

// FormatMessage into a block it allocates: the text, or "<error N>".
std::wstring Format(DWORD flags, const void* source, DWORD code, DWORD language = 0,
                    const DWORD_PTR* args = nullptr) {
  wchar_t* text = nullptr;
  SetLastError(0);
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | flags | (args ? FORMAT_MESSAGE_ARGUMENT_ARRAY : 0), source,
      code, language, reinterpret_cast<LPWSTR>(&text), 0,
      reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
  if (n == 0) return text == nullptr ? L"<error " + std::to_wstring(GetLastError()) + L">" : L"?";
  std::wstring s(text);
  LocalFree(text);
  return s.size() == n ? s : L"<wrong length>";
}

// English for English or neutral languages; a Win32 HRESULT reads as its code; own texts first.
TEST(FormatMessage, SystemTexts) {
  const DWORD own = 0xE0001234;
  SetSystemMessageText(own, L"Own %1 text.\r\n");
  SetSystemMessageText(ERROR_FILE_EXISTS, nullptr);  // hides the table's
  const std::tuple<DWORD, DWORD, DWORD, const wchar_t*> rows[] = {
      {ERROR_SUCCESS, 0, 0, L"The operation completed successfully.\r\n"},
      {ERROR_INVALID_PARAMETER, 0, 0x0809, L"The parameter is incorrect.\r\n"},  // English (UK)
      {0x800300FD, 0, 0x0400, L"An unexpected error occurred.\r\n"},             // user default
      {0x80070057, 0, 0, L"The parameter is incorrect.\r\n"},                    // E_INVALIDARG
      {0x80004005, 0, 0, L"Unspecified error\r\n"},                              // E_FAIL
      {ERROR_ACCESS_DENIED, 0, 0x0407, L"<error 1815>"},                         // German
      {own, 0, 0, L"<error 87>"},  // an insert without arguments
      {own, FORMAT_MESSAGE_IGNORE_INSERTS, 0, L"Own %1 text.\r\n"},
      {ERROR_FILE_EXISTS, 0, 0, L"<error 317>"}};
  velut_test::ForEachRow(rows, [](auto& code, auto& flags, auto& language, auto& text) {
    EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_SYSTEM | flags, nullptr, code, language), text);
  });
  ResetSystemMessageText(ERROR_FILE_EXISTS);
  ResetSystemMessageText(own);
  EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_EXISTS),
            L"The file exists.\r\n");
  EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, own), L"<error 317>");
  std::ifstream in(VELUT_ERROR_HEADER);  // each code WinAPI/Error.h names has a text
  const std::string header(std::istreambuf_iterator<char>(in), {});
  const std::regex named(R"(constexpr DWORD (\w+) = (\d+);)");
  int codes = 0;
  const DWORD raw = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  for (std::sregex_iterator it(header.begin(), header.end(), named), end; it != end; ++it, ++codes)
    EXPECT_EQ(L'\n', Format(raw, nullptr, std::stoul((*it)[2])).back()) << (*it)[1];
  EXPECT_GT(codes, 30);
}

struct BufferRow {
  const char* name;
  DWORD flags;  // with FROM_STRING the text is `source`, else the system's message 5
  std::wstring source;
  bool buffer;  // false: a null one
  DWORD size, result, error;
  std::wstring text;  // in the buffer afterwards
};

// A caller's buffer takes the text and terminator, or what fits of it; an allocated one has at
// least `size` units, for a text of at most 65536 units (128 KiB of Windows' two-byte units).
TEST(FormatMessage, Buffers) {
  const DWORD system = FORMAT_MESSAGE_FROM_SYSTEM, short_of_room = ERROR_INSUFFICIENT_BUFFER;
  const DWORD allocate = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING;
  const std::wstring denied = L"Access is denied.\r\n", limit(65536, L'x');
  const BufferRow rows[] = {
      {"fits with its terminator", system, L"", true, 20, 19, 0, denied},
      {"cut, terminated", system, L"", true, 19, 0, short_of_room, denied.substr(0, 18)},
      {"no buffer", system, L"", false, 20, 0, ERROR_INVALID_PARAMETER, L""},
      {"no source", FORMAT_MESSAGE_IGNORE_INSERTS, L"", true, 20, 0, ERROR_INVALID_PARAMETER, L""},
      {"allocated: at least `size` units", allocate, L"abc", true, 500, 3, 0, L"abc"},
      {"allocated: at the limit", allocate, limit, true, 0, 65536, 0, limit},
      {"allocated: just above", allocate, limit + L"x", true, 0, 0, ERROR_MORE_DATA, L""}};
  velut_test::ForEachRow(rows, [](const BufferRow& row) {
    wchar_t caller[20] = L"", *allocated = nullptr;  // caller: at least each row's `size`
    const bool allocates = row.flags & FORMAT_MESSAGE_ALLOCATE_BUFFER;
    wchar_t* buffer = allocates ? reinterpret_cast<LPWSTR>(&allocated) : caller;
    SetLastError(0);
    EXPECT_EQ(row.result, FormatMessageW(row.flags, row.source.c_str(), 5, 0,
                                         row.buffer ? buffer : nullptr, row.size, nullptr));
    EXPECT_EQ(row.error, GetLastError());
    EXPECT_EQ(row.text, allocates ? (allocated ? allocated : L"") : caller);
    if (allocated != nullptr) allocated[row.size > 0 ? row.size - 1 : 0] = L'x';  // for ASan
    LocalFree(allocated);
  });
}

// Inserts (l ll I64 I z j t take a whole DWORD_PTR, others 32 bits), escapes and widths.
TEST(FormatMessage, InsertsEscapesAndWidths) {
  const auto w = [](const void* s) { return reinterpret_cast<DWORD_PTR>(s); };
  const std::wstring wide(30000, L'x');
  const std::string narrow(30000, 'x');
  struct Row {
    const char* name;
    const wchar_t* format;
    DWORD flags;
    DWORD_PTR first, second;  // the inserts
    std::wstring text;        // or "<error N>"
  };
  const Row rows[] = {
      {"inserts in any order", L"%2 before %1", 0, w(L"one"), w(L"two"), L"two before one"},
      {"printf forms", L"[%1!5d!] [%2!08x!] %2!c!", 0, 42, 255, L"[   42] [000000ff] \u00FF"},
      {"I64 reads 64 bits, u 32", L"%1!u! %2!I64u!", 0, DWORD_PTR{1} << 32 | 2,
       DWORD_PTR{1} << 32 | 2, L"2 4294967298"},
      {"size prefixes", L"%1!zu! %2!td! %1!jd! %1!Iu! %1!lx!", 0, DWORD_PTR{1} << 40,
       static_cast<DWORD_PTR>(-7), L"1099511627776 -7 1099511627776 1099511627776 10000000000"},
      {"narrow and wide texts", L"%1!S!|%2!-6ls!|", 0, w("narrow"), w(L"ab"), L"narrow|ab    |"},
      {"kept as written: floating point, unknown letters, all but a single conversion",
       L"%1!f!%1!q!%1!s %s!%1!d%n!%1!5.2.1d!%1!Ld!", 0, 1, 0,
       L"%1!f!%1!q!%1!s %s!%1!d%n!%1!5.2.1d!%1!Ld!"},
      {"'*': the width is insert 1, the number insert 2", L"[%1!*d!]", 0, 4, 7, L"[   7]"},
      {"escapes", L"100%% %n%.%!%b|a%rb%tc", 0, 0, 0, L"100% \r\n.! |a\rb\tc"},
      {"an empty result: ERROR_NO_WORK_DONE", L"%0", 0, 0, 0, L"<error 235>"},
      {"a '%' that ends the text", L"50%", 0, 0, 0, L"<error 87>"},
      {"a bare LF or CR comes out as CR LF", L"hi\na\rb", 0, 0, 0, L"hi\r\na\r\nb"},
      {"IGNORE_INSERTS leaves %% %space %. %!", L"%%% %.%!", FORMAT_MESSAGE_IGNORE_INSERTS, 0, 0,
       L"%%% %.%!"},
      {"IGNORE_INSERTS leaves inserts", L"test%1%2!*.*s!%99", FORMAT_MESSAGE_IGNORE_INSERTS, 0, 0,
       L"test%1%2!*.*s!%99"},
      {"IGNORE_INSERTS acts on %n %r %t %0", L"a%nb%rc%td%0e", FORMAT_MESSAGE_IGNORE_INSERTS, 0, 0,
       L"a\r\nb\rc\td"},
      {"a width turns line breaks into blanks; %n and %r stay, %n restarts the count",
       L"a\r\nb\nc%nd%re", FORMAT_MESSAGE_MAX_WIDTH_MASK, 0, 0, L"a b c\r\nd\re"},
      {"a long word is cut", L"abcdefghij k", 5, 0, 0, L"abcd\r\nefgh\r\nij k"},
      {"%r starts a line", L"aaaa%rbbbb cc", 6, 0, 0, L"aaaa\rbbbb\r\ncc"},
      {"%n restarts the count", L"aaa bbb ccc%nddd eee fff", 10, 0, 0,
       L"aaa bbb\r\nccc\r\nddd eee\r\nfff"},
      {"long inserts, narrow and wide", L"[%1!-30001s!][%2!hs!]", 0, w(wide.c_str()),
       w(narrow.c_str()), L"[" + wide + L" ][" + wide + L"]"},
      {"a width beyond memory: ERROR_NOT_ENOUGH_MEMORY", L"[%1!100000000s!]", 0, w(L""), 0,
       L"<error 8>"},
      {"a width beyond INT_MAX", L"%1!3000000000s!", 0, w(L""), 0, L"<error 8>"}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    const DWORD_PTR args[] = {row.first, row.second};
    EXPECT_EQ(row.text, Format(FORMAT_MESSAGE_FROM_STRING | row.flags, row.format, 0, 0, args));
  });
}

enum Module { kMessages, kNoTable, kNone, kUnknown };

struct ModuleRow {
  const char* name;
  Module module;
  DWORD flags, id, language;  // flags besides FROM_HMODULE
  LANGID thread;
  const wchar_t* text;  // or "<error N>"
};

// A module's message table: its encodings, the language FormatMessage picks, then the system's.
TEST(FormatMessage, ModuleMessageTables) {
  const velut_test::Library messages(velut_test::TestDll("messages.dll"));
  const velut_test::Library strings(velut_test::TestDll("strings64.dll"));
  ASSERT_NE(messages.get(), nullptr);
  const wchar_t* const german = L"Gr\u00FC\u00DFe, you \U0001F600.\r\n";
  const ModuleRow rows[] = {
      {"UTF-16 entry", kMessages, 0, 1, 0x0409, 0, L"Hello, you.\r\n"},
      {"a surrogate pair joined", kMessages, 0, 1, 0x0407, 0, german},
      {"ANSI entry as windows-1252", kMessages, 0, 1, 0x040C, 0, L"Caf\u00E9 you ferm\u00E9.\r\n"},
      {"UTF-8 entry", kMessages, 0, 1, 0x0C0A, 0, L"Ni\u00F1o\r\n"},
      {"a later block", kMessages, 0, 16, 0x0407, 0, L"Sechzehn"},
      {"language 0: the thread's", kMessages, 0, 1, 0, 0x0407, german},
      {"language 0: else English (US)", kMessages, 0, 1, 0, 0x0411, L"Hello, you.\r\n"},
      {"a language the table lacks", kMessages, 0, 1, 0x0411, 0, L"<error 1815>"},
      {"an id its language lacks", kMessages, 0, 2, 0x0407, 0, L"<error 317>"},
      {"then the system's", kMessages, FORMAT_MESSAGE_FROM_SYSTEM, 5, 0, 0,
       L"Access is denied.\r\n"},
      {"no message table", kNoTable, 0, 1, 0, 0, L"<error 1813>"},
      {"the program: no PE image", kNone, 0, 1, 0, 0, L"<error 1813>"},
      {"no such module", kUnknown, 0, 1, 0, 0, L"<error 6>"}};
  const HMODULE modules[] = {messages.get(), strings.get(), nullptr,
                             reinterpret_cast<HMODULE>(std::uintptr_t{0x5000})};
  const DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(L"you")};
  velut_test::ForEachRow(rows, [&](const ModuleRow& row) {
    const velut_test::ThreadLanguage thread(row.thread);
    EXPECT_EQ(Format(FORMAT_MESSAGE_FROM_HMODULE | row.flags, modules[row.module], row.id,
                     row.language, args),
              row.text);
  });
}

// The text, then the argument after those FormatMessage read: it moves the caller's va_list.
std::wstring FromList(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  wchar_t buf[32];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING, format, 0, 0, buf, 32, &args);
  const int next = va_arg(args, int);
  va_end(args);
  return (n != 0 ? buf : L"<none>") + (L"|" + std::to_wstring(next));
}

TEST(FormatMessage, InsertsFromAVaList) {
  EXPECT_EQ(FromList(L"%2 %1!hs! %3!d! %19!d!", "narrow", L"wide", 7, 4, 5, 6, 7, 8, 9, 10, 11, 12,
                     13, 14, 15, 16, 17, 18, 19, 20),
            L"wide narrow 7 19|20");  // two digits
  EXPECT_EQ(FromList(L"%1!*d!", 3, 5, 6), L"  5|6");
}

std::wstring g_shown;

// A message box goes to the installed handler; the default one writes to standard error.
TEST(AfxMessageBox, GoesToTheInstalledHandler) {
  const AFX_MESSAGEBOX_HANDLER previous =
      AfxSetMessageBoxHandler([](const wchar_t* text, UINT type, UINT help) {
        g_shown = std::wstring(text) + L"|" + std::to_wstring(type) + L"|" + std::to_wstring(help);
        return IDNO;
      });
  EXPECT_EQ(AfxMessageBox(static_cast<LPCWSTR>(nullptr)), IDNO);
  EXPECT_EQ(g_shown, L"|" + std::to_wstring(MB_OK) + L"|0");
  AfxMessageBox(7u);  // no resource module: an empty text
  EXPECT_EQ(g_shown, L"|" + std::to_wstring(MB_OK) + L"|" + std::to_wstring(static_cast<UINT>(-1)));
  AfxSetMessageBoxHandler(nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(AfxMessageBox(L"Caf\u00E9 closed", MB_OKCANCEL), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Caf\xC3\xA9 closed\n");
  AfxSetMessageBoxHandler(previous);
}

}  // namespace
