// Message texts, a module's or the system's (FormatMessage with its
// local-memory buffers), and message boxes (AfxMessageBox with an
// application-installed handler).
//
// Differs from Win32: Linux has no system message table, so FormatMessage
// knows the English Windows texts the layer carries, of the codes it sets,
// of a few neighbours and of the common COM HRESULTs; other codes have none
// (ERROR_MR_MID_NOT_FOUND), other languages none either
// (ERROR_RESOURCE_LANG_NOT_FOUND), and SetSystemMessageText lets an
// application add its own.
// Differs from Win32: FormatMessage reads message tables from the resource
// libraries LoadLibrary opens. The program itself is no PE image, so a null
// module holds no message table (ERROR_RESOURCE_TYPE_NOT_FOUND).
// Differs from Win32: FormatMessage reads ANSI texts in a message table as
// windows-1252, since Linux has no ANSI code page.
// Differs from Win32: there is no window to show a message box in, so
// AfxMessageBox goes to a handler the application installs (standard error
// by default).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// DWORD_PTR: an unsigned integer as wide as a pointer.
typedef std::uintptr_t DWORD_PTR;

// Flags of LocalAlloc.
constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// LocalAlloc: `bytes` bytes of local memory (zeroed with LMEM_ZEROINIT),
// or null with the last error ERROR_NOT_ENOUGH_MEMORY. Win32: LocalAlloc.
VELWIN_API HLOCAL LocalAlloc(UINT flags, std::size_t bytes);

// LocalFree: releases a block from LocalAlloc or from a function that
// documents local memory (FormatMessage's allocated buffer). Returns null;
// a null block is ignored. Win32: LocalFree.
VELWIN_API HLOCAL LocalFree(HLOCAL block);

// Flags of FormatMessage.
constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

// FormatMessageW: formats a message: the text of `source` with
// FORMAT_MESSAGE_FROM_STRING, else the text of `messageId` in the message
// table of the module `source` (an HMODULE from LoadLibrary) with
// FORMAT_MESSAGE_FROM_HMODULE, else, or when that module has no such
// text, in the system table with FORMAT_MESSAGE_FROM_SYSTEM. Returns the
// number of units written (terminator not counted), or 0 with the last
// error set.
//
// A module's table is read in language `languageId` only, unless that is
// 0 or another neutral language: then in a neutral language, the
// thread's (SetThreadUILanguage, else the user's from the environment),
// English (US), else any the module has. A module LoadLibrary did not
// return fails with ERROR_INVALID_HANDLE, one without a message table with
// ERROR_RESOURCE_TYPE_NOT_FOUND, one without the language with
// ERROR_RESOURCE_LANG_NOT_FOUND, an id its table in that language lacks
// with ERROR_MR_MID_NOT_FOUND, and one whose way to the table is damaged
// with ERROR_BAD_EXE_FORMAT.
//
// The system table holds the English Windows text, ending in CR LF, of
// every code this layer sets (ERROR_FILE_NOT_FOUND, ...), of a few more,
// of STG_E_UNKNOWN (0x800300FD) and of the common COM HRESULTs (E_FAIL,
// E_NOTIMPL, E_POINTER, E_UNEXPECTED, ...); an HRESULT of facility Win32
// (0x8007xxxx) reads the text of its code. A code without text fails with
// ERROR_MR_MID_NOT_FOUND. `languageId` 0, a neutral or an English language
// reads the table; others fail with ERROR_RESOURCE_LANG_NOT_FOUND.
//
// With FORMAT_MESSAGE_ALLOCATE_BUFFER, `buffer` is really a wchar_t**
// that receives a new buffer of at least `size` units, released with
// LocalFree. Otherwise the text goes into `buffer`, which holds `size`
// units: when the text and its terminator do not fit, the call fails with
// ERROR_INSUFFICIENT_BUFFER at the insert that overflows the buffer (a
// va_list then stands past the inserts read up to there) and leaves what
// fits, terminated. A text may be of any length.
//
// In the text: %1 to %99 are inserts, each optionally followed by a printf
// format between '!' (default !s!), taken from `args`: a va_list*, each
// argument read as one pointer-sized value, or with
// FORMAT_MESSAGE_ARGUMENT_ARRAY a DWORD_PTR array. A '*' in the format
// takes the next insert ("%1!*d!": the width is insert 1, the number insert
// 2). A va_list is left past the inserts read. Inserts with a null `args`
// fail with ERROR_INVALID_PARAMETER. %0 ends the text, %n is a hard line
// break (CR LF), %r a CR, %t a tab, %b %space a blank, %% %. %! those
// characters; a '%' that ends the text fails with ERROR_INVALID_PARAMETER.
// A text that fails so leaves in a caller's buffer what came before the
// fault, without a terminator. With FORMAT_MESSAGE_IGNORE_INSERTS only %0,
// %n, %r, %t and the line breaks apply: every other '%' and the character
// after it stand as written ("%1!d! %%" stays so), for formatting later. A
// text that comes out empty gives 0 and ERROR_NO_WORK_DONE, with no buffer
// allocated, or "" in a caller's buffer. An insert that would come out
// longer than 64 Mi units, or memory running out, fails with
// ERROR_NOT_ENOUGH_MEMORY. The low byte of `flags` is the line width: 0
// keeps the text's line breaks, each CR, LF or CR LF written as CR LF;
// FORMAT_MESSAGE_MAX_WIDTH_MASK turns them into blanks; 1-254 turns them
// into blanks and breaks each line that reaches the width: at its last
// blank, the blanks that fit on the line dropped and the others starting
// the next one (a line of blanks only comes out empty), or, in a word
// longer than a line, after the width. %n and %r start a line.
// Win32: FormatMessageW.
//
// Example:
//   wchar_t* text = nullptr;
//   FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
//                  nullptr, 5, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr)
//     -> 19, text == L"Access is denied.\r\n";  then LocalFree(text)
VELWIN_API DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                                LPWSTR buffer, DWORD size, va_list* args);

// FormatMessage: the wide function, as the Win32 headers name it for
// Unicode builds.
inline DWORD FormatMessage(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                           LPWSTR buffer, DWORD size, va_list* args) {
  return FormatMessageW(flags, source, messageId, languageId, buffer, size, args);
}

// SetSystemMessageText: gives `code` the text `text` in this process's
// system message table, in place of its own (or none); a null `text`
// makes `code` have no text at all. Lets an application add texts for its
// own codes, and tests reach texts the table does not hold.
// Differs from Win32: SetSystemMessageText is an addition, since the
// layer's system message table is its own.
VELWIN_API void SetSystemMessageText(DWORD code, LPCWSTR text);

// ResetSystemMessageText: gives `code` back the table's own text (or
// none).
// Differs from Win32: ResetSystemMessageText is an addition, the undoing
// of SetSystemMessageText.
VELWIN_API void ResetSystemMessageText(DWORD code);

// Message box types (buttons and icons) and the buttons a box returns.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// A message box: receives the text, the box type and the help id, and
// returns the button pressed (IDOK, ...).
typedef int (*AFX_MESSAGEBOX_HANDLER)(const wchar_t* text, UINT type, UINT helpId);

// AfxSetMessageBoxHandler: makes `handler` show every later message box
// (null: the default handler, which writes the text and a line feed to
// standard error as UTF-8 and returns IDOK). Returns the handler it
// replaces, never null. Safe to call from any thread.
// Differs from Win32: AfxSetMessageBoxHandler is an addition to MFC, since
// there are no windows here to show a box in.
VELWIN_API AFX_MESSAGEBOX_HANDLER AfxSetMessageBoxHandler(AFX_MESSAGEBOX_HANDLER handler);

// AfxMessageBox: shows `text` (null: "") through the installed handler and
// returns the button it reports. MFC: AfxMessageBox.
//
// Example: AfxMessageBox(L"Disk full", MB_OK | MB_ICONERROR) -> IDOK
VELWIN_API int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);

// AfxMessageBox: shows the string resource `promptId` of the current
// resource module (AfxGetResourceHandle; "" when it has none). MFC:
// AfxMessageBox.
VELWIN_API int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
