// Resource libraries: loading Win32 resource DLLs, the current resource
// module, the language of their string resources, and reading those strings.
//
// A resource library is a real Win32 PE DLL (32- or 64-bit), as a resource
// compiler and linker make it. LoadLibrary maps the file read-only and
// indexes its string table once; nothing in it is ever run. Every offset,
// size and count read from the file is checked before use, so a truncated,
// garbage or hostile file gives a null handle or an empty string, never a
// read outside the file.
//
// Threads: any number of threads may load, look up and free at once. A
// lookup that meets a handle freed meanwhile gives "" with
// ERROR_INVALID_HANDLE, never the freed library's text.
//
// Example:
//   HMODULE res = LoadLibrary(L"Strings");      // finds strings.dll
//   std::wstring ok = loadStringFromWin32ResourceDLL(res, 101);
//   FreeLibrary(res);
#pragma once

#include <cstdint>
#include <string>

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// A Win32 language identifier: the primary language in the low 10 bits,
// the region ("sublanguage") in the high 6. 0x0407 is German (Germany),
// 0x0C07 German (Austria), 0x0007 German without a region, 0x0409 English
// (United States), 0 the neutral language.
typedef WORD LANGID;

// A Win32 locale identifier; for the locales this layer knows, the LANGID
// of the locale's language.
typedef DWORD LCID;

// AfxGetResourceHandle: the current resource module, whose resources are
// used when no module is named; null until one is set.
// MFC: AfxGetResourceHandle.
VELWIN_API HINSTANCE AfxGetResourceHandle();

// AfxSetResourceHandle: makes `module` the current resource module.
// MFC: AfxSetResourceHandle.
VELWIN_API void AfxSetResourceHandle(HINSTANCE module);

// LoadLibraryW: loads the resource library `name` and returns its handle,
// or null with the last error set: ERROR_MOD_NOT_FOUND when no file is
// found, ERROR_BAD_EXE_FORMAT when the file is not a valid PE image,
// ERROR_ACCESS_DENIED when it cannot be read, ERROR_INVALID_PARAMETER for
// a null name (or a pointer value below 0x10000, which is an id, not a
// text), ERROR_NOT_ENOUGH_MEMORY when memory runs out. Win32: LoadLibraryW
// (as with LOAD_LIBRARY_AS_DATAFILE: the image is only read, never run).
//
// The name follows the Win32 rules:
//   - ".dll" is appended when the file name has no extension; a name that
//     ends in "." has none, and the dots are dropped ("res." opens "res").
//   - A name with a separator ('/' or '\'), or with a drive "X:", is a path
//     and is used as given: '\' becomes '/', "X:\" names the root and
//     "X:name" the current folder.
//   - A bare name is searched in the folder set with SetDllDirectoryW,
//     then in the executable's folder, then in the current folder.
//   - In each folder (and for each component of a path) an exact match
//     wins; when there is none, a match that differs only in letter case is
//     accepted (the first such name in byte order), as applications written
//     for case-insensitive file systems expect.
//
// Any valid PE32 or PE32+ image is accepted, whatever its machine. One
// without a string table loads (its lookups give ""); one whose string
// table's directories or data lie outside the file, loop, or hold more
// entries than any real table is refused with ERROR_BAD_EXE_FORMAT.
//
// Loading the same file again (by any name that reaches it) returns the
// same handle and counts one more reference; each successful call is
// balanced by one FreeLibrary. The file must not be truncated in place
// while it is loaded: replace it by renaming a new file over it.
//
// Example:
//   LoadLibraryW(L"Strings.DLL")   -> strings.dll when no exact match exists
//   LoadLibraryW(L"C:\\res\\de")   -> /res/de.dll
//   LoadLibraryW(L"missing")       -> nullptr, GetLastError() == 126
VELWIN_API HMODULE LoadLibraryW(LPCWSTR name);

// LoadLibrary: the same as LoadLibraryW (all text is wide here).
// Win32: LoadLibrary.
VELWIN_API HMODULE LoadLibrary(LPCWSTR name);

// FreeLibrary: drops one reference to `module`; the file is unmapped when
// the last one goes. Returns TRUE, or FALSE with ERROR_INVALID_HANDLE for
// a null, unknown or already freed handle. A freed handle is never handed
// out again, so a stale one is always recognised. Win32: FreeLibrary.
VELWIN_API BOOL FreeLibrary(HMODULE module);

// SetDllDirectoryW: makes `folder` the first folder in which LoadLibrary
// searches bare names, for the whole process. Null or "" restores the
// default search (executable's folder, then the current folder). The
// folder is path text like any other ('\' or '/', drive prefix) and need
// not exist yet. Returns TRUE. Win32: SetDllDirectoryW.
//
// Example:
//   SetDllDirectoryW(L"/opt/app/lang");  LoadLibrary(L"de") -> /opt/app/lang/de.dll
VELWIN_API BOOL SetDllDirectoryW(LPCWSTR folder);

// SetThreadUILanguage: makes `lang` the language in which the calling
// thread reads string resources; 0 clears the setting, so that the user's
// language applies again. Returns `lang`. Unlike Win32 any LANGID is
// accepted: one the layer does not know still matches resources that carry
// it. Win32: SetThreadUILanguage.
VELWIN_API LANGID SetThreadUILanguage(LANGID lang);

// GetThreadUILanguage: the language set for the calling thread with
// SetThreadUILanguage, or 0 when none is set (string lookups then use the
// user's language, below). Win32: GetThreadUILanguage (which reports the
// user's language instead of 0).
VELWIN_API LANGID GetThreadUILanguage();

// LocaleNameToLCID: the locale identifier of a locale name, or 0 when the
// name is unknown. Accepts the Win32 form "de-DE" and the POSIX form
// "de_DE.UTF-8" (an encoding after '.' and a modifier after '@' are
// ignored, except "@latin" / "@cyrillic" where they choose the script). A
// language without a region, or with one the table lacks, gives the
// language's neutral identifier. "C" and "POSIX" give 0. `flags` is
// ignored. Win32: LocaleNameToLCID.
//
// Example:
//   LocaleNameToLCID(L"de-DE", 0)         -> 0x0407
//   LocaleNameToLCID(L"de_AT.UTF-8", 0)   -> 0x0C07
//   LocaleNameToLCID(L"de", 0)            -> 0x0007
//   LocaleNameToLCID(L"sr_RS@latin", 0)   -> 0x241A
//   LocaleNameToLCID(L"tlh_QS", 0)        -> 0
VELWIN_API LCID LocaleNameToLCID(LPCWSTR name, DWORD flags);

// loadStringFromWin32ResourceDLL: the string resource `id` of `module` (a
// handle from LoadLibrary), or "" when the module holds no such string.
//
// A null module gives "" (there is no executable image whose resources it
// could mean: callers that want the current resource module pass
// AfxGetResourceHandle()); so does a handle that is unknown or freed, with
// the last error ERROR_INVALID_HANDLE. A missing string sets
// ERROR_RESOURCE_NAME_NOT_FOUND.
//
// The text is the stored UTF-16 text as wide characters: a surrogate pair
// becomes one wchar_t, an unpaired surrogate U+FFFD. Zero units inside the
// text are kept; those at its end (a terminator some resource compilers
// store) are dropped.
//
// The language is chosen per string, in this order, taking the first one
// in which the library holds a non-empty string `id`:
//   1. the thread's language (SetThreadUILanguage), else the user's: the
//      first non-empty of LC_ALL, LC_MESSAGES, LANG read as a locale name
//      (LocaleNameToLCID: "de_DE.UTF-8" is 0x0407 whether or not that
//      locale is installed; "C" or "POSIX" means no preference, which skips
//      this step and the next);
//   2. the same primary language: without a region (0x0007), then its
//      default region (0x0407), then any region in ascending order;
//   3. neutral: 0, then any other LANGID with the neutral primary language;
//   4. English (United States), 0x0409;
//   5. the first language present (the lowest LANGID).
// The environment is read on every lookup rather than once per process: a
// program that switches LANG (or a test) sees the change at once, and the
// cost is a look at the variables whose names begin with 'L' (a few
// nanoseconds; the thread's language, when set, skips it, and so does a
// repeated lookup in a library that holds the string's block of 16 ids in
// one language only, where the language cannot change the answer). Like
// getenv, this must not race with a setenv in another thread.
//
// A lookup does not walk the file's resource directory: LoadLibrary indexes
// the string table once, and a lookup is a binary search in that index plus
// the decoding of one string.
//
// Ids above 65535 name no string resource and give "".
//
// Each thread keeps the texts it looked up last, so that a repeated lookup
// takes no lock: at most 64 texts of at most 256 units each (about
// 33 KiB), freed when the thread exits. Throws std::bad_alloc when memory
// runs out; what the thread keeps is then as it was before the call.
//
// Example (a library holding id 1 as "Hello" in 0x0409 and "Hallo" in
// 0x0407, and id 2 only as "Bye" in 0x0409):
//   with LANG=de_AT.UTF-8: id 1 -> "Hallo", id 2 -> "Bye"
//   with LANG=C:           id 1 -> "Hello"
//   id 3                   -> ""
VELWIN_API std::wstring loadStringFromWin32ResourceDLL(HMODULE module, UINT id);

// loadStringFromWin32ResourceDLL: the same text, written over `text`, whose
// memory is reused: a caller that loads strings again and again into the
// same string allocates nothing once it is large enough. After a throw,
// `text` holds any part of the string.
//
// Example:
//   std::wstring label;
//   loadStringFromWin32ResourceDLL(res, 101, label);  // label -> "OK"
VELWIN_API void loadStringFromWin32ResourceDLL(HMODULE module, UINT id, std::wstring& text);

// A pointer-sized integer: the caller's value handed through to a callback.
typedef std::intptr_t LONG_PTR;

// ENUMRESSTRINGPROCW: receives one string resource of `module` from
// EnumResourceStringsW: its id, its language, and its text of `length`
// units (zero units inside it are kept, so read `length`, not up to a
// terminator; text[length] is 0). Returns TRUE to go on, FALSE to stop.
typedef BOOL (*ENUMRESSTRINGPROCW)(HMODULE module, UINT id, LANGID lang, LPCWSTR text, UINT length,
                                   LONG_PTR param);

// EnumResourceStringsW: calls `proc` once for every string resource of
// `module` (a handle from LoadLibrary) in every language it holds, in
// ascending id and, for one id, ascending LANGID, with `param` passed
// through. The texts are those loadStringFromWin32ResourceDLL reads;
// empty strings are not resources and are skipped. The strings are read
// before the first call, so `proc` may load and free libraries, even this
// one. Returns TRUE when every string was passed (also when there is
// none); FALSE when `proc` stopped the enumeration (the last error is what
// `proc` left), or with the last error ERROR_INVALID_HANDLE for a null,
// unknown or freed module, ERROR_INVALID_PARAMETER for a null `proc`,
// ERROR_BAD_EXE_FORMAT when the file was changed in place under the loaded
// library and its string table can no longer be read,
// ERROR_NOT_ENOUGH_MEMORY when memory runs out.
// Not a Win32 function: Win32 reaches the same strings through
// EnumResourceNames, EnumResourceLanguages and FindResourceEx.
//
// Example (the library of loadStringFromWin32ResourceDLL's example):
//   EnumResourceStringsW(res, proc, 0) calls
//     proc(res, 1, 0x0407, L"Hallo", 5, 0), proc(res, 1, 0x0409, L"Hello", 5, 0),
//     proc(res, 2, 0x0409, L"Bye", 3, 0)                      -> TRUE
VELWIN_API BOOL EnumResourceStringsW(HMODULE module, ENUMRESSTRINGPROCW proc, LONG_PTR param);
