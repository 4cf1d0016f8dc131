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
  std::wstring text;  // in the buffer afterwards, which held `size` x's
};

// A caller's buffer takes the text and terminator, what fits of it, or the text before a fault;
// an allocated one has at least `size` units. No length is too long for either (insert 1 is
// `longest`).
TEST(FormatMessage, Buffers) {
  const DWORD system = FORMAT_MESSAGE_FROM_SYSTEM, string = FORMAT_MESSAGE_FROM_STRING;
  const DWORD allocate = FORMAT_MESSAGE_ALLOCATE_BUFFER | string;
  const DWORD short_of_room = ERROR_INSUFFICIENT_BUFFER, invalid = ERROR_INVALID_PARAMETER;
  const std::wstring denied = L"Access is denied.\r\n", longest(953085, L'x');
  const BufferRow rows[] = {
      {"fits with its terminator", system, L"", true, 20, 19, 0, denied},
      {"cut, terminated", system, L"", true, 19, 0, short_of_room, denied.substr(0, 18)},
      {"an empty text: \"\"", string, L"%0", true, 6, 0, ERROR_NO_WORK_DONE, L""},
      {"a '%' at the end: what came before", string, L"test%", true, 6, 0, invalid, L"testxx"},
      {"no buffer", system, L"", false, 3, 0, invalid, L"xxx"},
      {"no source", FORMAT_MESSAGE_IGNORE_INSERTS, L"", true, 3, 0, invalid, L"xxx"},
      {"allocated: at least `size` units", allocate, L"abc", true, 500, 3, 0, L"abc"},
      {"a long text", string, longest, true, 953086, 953085, 0, longest},
      {"a long text, allocated", allocate, longest, true, 0, 953085, 0, longest},
      {"a long insert", string, L"%1", true, 953086, 953085, 0, longest},
      {"a long insert, allocated", allocate, L"%1", true, 0, 953085, 0, longest}};
  velut_test::ForEachRow(rows, [&](const BufferRow& row) {
    std::wstring caller(row.size, L'x');
    wchar_t* allocated = nullptr;
    const bool allocates = row.flags & FORMAT_MESSAGE_ALLOCATE_BUFFER;
    wchar_t* buffer = allocates ? reinterpret_cast<LPWSTR>(&allocated) : &caller[0];
    DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(longest.c_str())};
    SetLastError(0);
    EXPECT_EQ(row.result, FormatMessageW(row.flags | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                         row.source.c_str(), 5, 0, row.buffer ? buffer : nullptr,
                                         row.size, reinterpret_cast<va_list*>(args)));
    EXPECT_EQ(row.error, GetLastError());
    EXPECT_EQ(row.text, allocates ? (allocated ? allocated : L"") : caller.c_str());
    if (allocated != nullptr) allocated[row.size > 0 ? row.size - 1 : 0] = L'x';  // for ASan
    LocalFree(allocated);
  });
}

// Inserts (l ll I64 I z j t take a whole DWORD_PTR, others 32 bits), escapes and widths.
TEST(FormatMessage, InsertsEscapesAndWidths) {
  const auto w = [](const void* s) { return reinterpret_cast<DWORD_PTR>(s); };
  const std::wstring wide(30000, L'x');
  const std::string narrow(30000, 'x');
  const DWORD raw = FORMAT_MESSAGE_IGNORE_INSERTS;
  // 2^40 + 2 where DWORD_PTR has 64 bits, 2 where it has 32.
  const auto big = static_cast<DWORD_PTR>(0x10000000002ULL);
  const bool wide_inserts = sizeof(DWORD_PTR) == 8;
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
      {"I64 reads a whole DWORD_PTR, u 32 bits", L"%1!u! %1!I64u!", 0, big, 0,
       wide_inserts ? L"2 1099511627778" : L"2 2"},
      {"size prefixes", L"%1!zu! %2!td! %1!jd! %1!Iu! %1!lx!", 0, big, static_cast<DWORD_PTR>(-7),
       wide_inserts ? L"1099511627778 -7 1099511627778 1099511627778 10000000002" : L"2 -7 2 2 2"},
      {"narrow and wide texts", L"%1!S!|%2!-6ls!|", 0, w("narrow"), w(L"ab"), L"narrow|ab    |"},
      {"kept as written: floating point, unknown letters, all but a single conversion",
       L"%1!f!%1!q!%1!s %s!%1!d%n!%1!5.2.1d!%1!Ld!", 0, 1, 0,
       L"%1!f!%1!q!%1!s %s!%1!d%n!%1!5.2.1d!%1!Ld!"},
      {"'*': the width is insert 1, the number insert 2", L"[%1!*d!]", 0, 4, 7, L"[   7]"},
      {"escapes", L"100%% %n%.%!%b|a%rb%tc", 0, 0, 0, L"100% \r\n.! |a\rb\tc"},
      {"an empty result: ERROR_NO_WORK_DONE", L"%0", 0, 0, 0, L"<error 235>"},
      {"a bare LF or CR comes out as CR LF", L"hi\na\rb", 0, 0, 0, L"hi\r\na\r\nb"},
      {"IGNORE_INSERTS leaves %% %space %. %!", L"%%% %.%!", raw, 0, 0, L"%%% %.%!"},
      {"IGNORE_INSERTS leaves inserts", L"test%1%2!*.*s!%99", raw, 0, 0, L"test%1%2!*.*s!%99"},
      {"IGNORE_INSERTS acts on %n %r %t %0", L"a%nb%rc%td%0e", raw, 0, 0, L"a\r\nb\rc\td"},
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

// A width of 1-254 breaks the lines: at the last blank of a line that reaches the width, the
// blanks that fit dropped, or after the width in a longer word; %n and %r start a line.
TEST(FormatMessage, BreaksLinesAtTheWidth) {
  const std::wstring blanks(16, L' '), words = L"short long    line";
  const std::wstring longer = L"short long    wordlongerthanaline";
  const std::tuple<const char*, DWORD, std::wstring, std::wstring> rows[] = {
      {"line breaks become blanks", 255, L"a\r\nb\nc%nd%re", L"a b c\r\nd\re"},
      {"a line of words stays shorter", 10, L"short long line", L"short\r\nlong line"},
      {"blanks beyond the line start the next", 12, words, L"short long\r\n  line"},
      {"blanks that fit are dropped", 16, words, L"short long\r\nline"},
      {"no room after blanks: an empty line", 11, L"   shortlong line", L"\r\nshortlong\r\nline"},
      {"the same after %n", 11, L"l1%n   shortlong line", L"l1\r\n\r\nshortlong\r\nline"},
      {"blanks alone", 5, blanks, L"\r\n\r\n\r\n "},
      {"blanks after a word", 5, L"l1" + blanks.substr(1), L"l1\r\n\r\n\r\n  "},
      {"a word of the width", 8, L"shortlon", L"shortlon\r\n"},
      {"a longer word is cut after the width", 8, L"shortlongline", L"shortlon\r\ngline"},
      {"%n after a full line", 8, L"shortlon%n", L"shortlon\r\n\r\n"},
      {"a cut after blanks", 16, longer, L"short long\r\nwordlongerthanal\r\nine"},
      {"a cut after an empty line", 12, longer, L"short long\r\n\r\nwordlongerth\r\nanaline"},
      {"%r starts a line", 6, L"aaaa%rbbbb cc", L"aaaa\rbbbb\r\ncc"}};
  velut_test::ForEachRow(rows, [](auto&, auto& width, auto& text, auto& wrapped) {
    EXPECT_EQ(wrapped, Format(FORMAT_MESSAGE_FROM_STRING | width, text.c_str(), 0));
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

// The text (or "<error N>") into `size` units, then the argument after those FormatMessage read:
// it moves the caller's va_list past them.
std::wstring FromList(DWORD size, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  wchar_t buf[32];
  SetLastError(0);
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING, format, 0, 0, buf, size, &args);
  const wchar_t* next = va_arg(args, const wchar_t*);
  va_end(args);
  const std::wstring text = n != 0 ? buf : L"<error " + std::to_wstring(GetLastError()) + L">";
  return text + L"|" + next;
}

TEST(FormatMessage, InsertsFromAVaList) {
  EXPECT_EQ(L"wide narrow 7 19|20",
            FromList(32, L"%2 %1!hs! %3!d! %19!d!", "narrow", L"wide", 7, 4, 5, 6, 7, 8, 9, 10, 11,
                     12, 13, 14, 15, 16, 17, 18, 19, L"20"))
      << "two digits";
  EXPECT_EQ(L"  5|6", FromList(32, L"%1!*d!", 3, 5, L"6")) << "'*' takes insert 1";
  EXPECT_EQ(L"<error 122>|unused", FromList(1, L"%1!s! %2!s!", L"eaten", L"unused"))
      << "a buffer too small: the list stops at the insert that overflows it";
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
