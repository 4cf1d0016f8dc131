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

// MAKELANGID: the language identifier of primary language `primary` and
// sublanguage `sub`. Win32: MAKELANGID (a macro there, a function here, so
// that its arguments are converted once and checked).
//
// Example:
//   MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_AUSTRIAN)   -> 0x0C07
constexpr LANGID MAKELANGID(WORD primary, WORD sub) {
  return static_cast<LANGID>((sub << 10) | primary);
}

// PRIMARYLANGID: the primary language of `lang`, its low 10 bits.
// Win32: PRIMARYLANGID.
constexpr WORD PRIMARYLANGID(LANGID lang) { return static_cast<WORD>(lang & 0x3FF); }

// SUBLANGID: the sublanguage of `lang`, its high 6 bits. Win32: SUBLANGID.
constexpr WORD SUBLANGID(LANGID lang) { return static_cast<WORD>(lang >> 10); }

// Primary languages, with Win32's values.
constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD LANG_INVARIANT = 0x7F;
constexpr WORD LANG_ARABIC = 0x01;
constexpr WORD LANG_BULGARIAN = 0x02;
constexpr WORD LANG_CATALAN = 0x03;
constexpr WORD LANG_CHINESE = 0x04;
constexpr WORD LANG_CZECH = 0x05;
constexpr WORD LANG_DANISH = 0x06;
constexpr WORD LANG_GERMAN = 0x07;
constexpr WORD LANG_GREEK = 0x08;
constexpr WORD LANG_ENGLISH = 0x09;
constexpr WORD LANG_SPANISH = 0x0A;
constexpr WORD LANG_FINNISH = 0x0B;
constexpr WORD LANG_FRENCH = 0x0C;
constexpr WORD LANG_HEBREW = 0x0D;
constexpr WORD LANG_HUNGARIAN = 0x0E;
constexpr WORD LANG_ICELANDIC = 0x0F;
constexpr WORD LANG_ITALIAN = 0x10;
constexpr WORD LANG_JAPANESE = 0x11;
constexpr WORD LANG_KOREAN = 0x12;
constexpr WORD LANG_DUTCH = 0x13;
constexpr WORD LANG_NORWEGIAN = 0x14;
constexpr WORD LANG_POLISH = 0x15;
constexpr WORD LANG_PORTUGUESE = 0x16;
constexpr WORD LANG_ROMANIAN = 0x18;
constexpr WORD LANG_RUSSIAN = 0x19;
constexpr WORD LANG_CROATIAN = 0x1A;
constexpr WORD LANG_SERBIAN = 0x1A;
constexpr WORD LANG_SLOVAK = 0x1B;
constexpr WORD LANG_ALBANIAN = 0x1C;
constexpr WORD LANG_SWEDISH = 0x1D;
constexpr WORD LANG_THAI = 0x1E;
constexpr WORD LANG_TURKISH = 0x1F;
constexpr WORD LANG_INDONESIAN = 0x21;
constexpr WORD LANG_UKRAINIAN = 0x22;
constexpr WORD LANG_BELARUSIAN = 0x23;
constexpr WORD LANG_SLOVENIAN = 0x24;
constexpr WORD LANG_ESTONIAN = 0x25;
constexpr WORD LANG_LATVIAN = 0x26;
constexpr WORD LANG_LITHUANIAN = 0x27;
constexpr WORD LANG_FARSI = 0x29;
constexpr WORD LANG_VIETNAMESE = 0x2A;
constexpr WORD LANG_BASQUE = 0x2D;
constexpr WORD LANG_AFRIKAANS = 0x36;
constexpr WORD LANG_HINDI = 0x39;
constexpr WORD LANG_MALAY = 0x3E;

// Sublanguages, with Win32's values. With LANG_NEUTRAL, SUBLANG_DEFAULT
// means the user's default language and SUBLANG_SYS_DEFAULT the system's.
constexpr WORD SUBLANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr WORD SUBLANG_SYS_DEFAULT = 0x02;
constexpr WORD SUBLANG_CHINESE_TRADITIONAL = 0x01;
constexpr WORD SUBLANG_CHINESE_SIMPLIFIED = 0x02;
constexpr WORD SUBLANG_DUTCH = 0x01;
constexpr WORD SUBLANG_DUTCH_BELGIAN = 0x02;
constexpr WORD SUBLANG_ENGLISH_US = 0x01;
constexpr WORD SUBLANG_ENGLISH_UK = 0x02;
constexpr WORD SUBLANG_ENGLISH_AUS = 0x03;
constexpr WORD SUBLANG_ENGLISH_CAN = 0x04;
constexpr WORD SUBLANG_ENGLISH_NZ = 0x05;
constexpr WORD SUBLANG_ENGLISH_EIRE = 0x06;
constexpr WORD SUBLANG_FRENCH = 0x01;
constexpr WORD SUBLANG_FRENCH_BELGIAN = 0x02;
constexpr WORD SUBLANG_FRENCH_CANADIAN = 0x03;
constexpr WORD SUBLANG_FRENCH_SWISS = 0x04;
constexpr WORD SUBLANG_GERMAN = 0x01;
constexpr WORD SUBLANG_GERMAN_SWISS = 0x02;
constexpr WORD SUBLANG_GERMAN_AUSTRIAN = 0x03;
constexpr WORD SUBLANG_GERMAN_LUXEMBOURG = 0x04;
constexpr WORD SUBLANG_GERMAN_LIECHTENSTEIN = 0x05;
constexpr WORD SUBLANG_ITALIAN = 0x01;
constexpr WORD SUBLANG_ITALIAN_SWISS = 0x02;
constexpr WORD SUBLANG_JAPANESE_JAPAN = 0x01;
constexpr WORD SUBLANG_KOREAN = 0x01;
constexpr WORD SUBLANG_NORWEGIAN_BOKMAL = 0x01;
constexpr WORD SUBLANG_NORWEGIAN_NYNORSK = 0x02;
constexpr WORD SUBLANG_POLISH_POLAND = 0x01;
constexpr WORD SUBLANG_PORTUGUESE_BRAZILIAN = 0x01;
constexpr WORD SUBLANG_PORTUGUESE = 0x02;
constexpr WORD SUBLANG_RUSSIAN_RUSSIA = 0x01;
constexpr WORD SUBLANG_SPANISH = 0x01;
constexpr WORD SUBLANG_SPANISH_MEXICAN = 0x02;
constexpr WORD SUBLANG_SPANISH_MODERN = 0x03;
constexpr WORD SUBLANG_SWEDISH = 0x01;

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
// text), ERROR_NOT_ENOUGH_MEMORY when memory runs out. Win32: LoadLibraryW.
// Differs from Win32: LoadLibraryW loads as with LOAD_LIBRARY_AS_DATAFILE:
// the image is only read, never run, since a Windows DLL cannot run here.
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
// language applies again. Returns `lang`. Win32: SetThreadUILanguage.
// Differs from Win32: SetThreadUILanguage accepts any LANGID: one the
// layer does not know still matches resources that carry it.
VELWIN_API LANGID SetThreadUILanguage(LANGID lang);

// GetThreadUILanguage: the language set for the calling thread with
// SetThreadUILanguage, or 0 when none is set (string lookups then use the
// user's language, below). Win32: GetThreadUILanguage.
// Differs from Win32: GetThreadUILanguage reports 0, not the user's
// language, when none is set.
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

// The units of the longest locale name, terminator included.
constexpr int LOCALE_NAME_MAX_LENGTH = 85;

// LCIDToLocaleName: writes the locale name of `locale` ("de-DE",
// "sr-Latn-RS", "de" for a language without a region) into `name` of
// `size` units, terminator included, and returns the units written with
// the terminator; with `size` 0 returns the units needed and writes
// nothing. 0 with ERROR_INSUFFICIENT_BUFFER when `name` is too small, and
// with ERROR_INVALID_PARAMETER for an identifier the layer does not know
// (LocaleNameToLCID's table), a negative `size` or a null `name`. `flags`
// is ignored. Win32: LCIDToLocaleName.
// Differs from Win32: LCIDToLocaleName knows no LOCALE_USER_DEFAULT or
// LOCALE_SYSTEM_DEFAULT, since the user's locale is read per category
// from the environment.
//
// LOCALE_NAME_MAX_LENGTH units always suffice.
//
// Example:
//   LCIDToLocaleName(0x0407, buf, 85, 0)   -> 6, buf == L"de-DE"
//   LCIDToLocaleName(0x241A, buf, 85, 0)   -> 11, buf == L"sr-Latn-RS"
VELWIN_API int LCIDToLocaleName(LCID locale, LPWSTR name, int size, DWORD flags);

// loadStringFromWin32ResourceDLL: the string resource `id` of `module` (a
// handle from LoadLibrary), or "" when the module holds no such string.
// No Win32 namesake.
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

// LoadStringW: copies the string resource `id` of `module` into `buffer`
// of `size` units, cut to size - 1 units and always terminated, and
// returns the number of units copied. With `size` 0, `buffer` is taken as
// an LPCWSTR* and receives a read-only pointer to the whole text, and the
// text's length is returned. The text and the choice of language are those
// of loadStringFromWin32ResourceDLL. Returns 0 when the string does not
// exist (ERROR_RESOURCE_NAME_NOT_FOUND), for an unknown or freed module
// (ERROR_INVALID_HANDLE), for a null `buffer` or a negative `size`
// (ERROR_INVALID_PARAMETER), and when memory runs out
// (ERROR_NOT_ENOUGH_MEMORY). Win32: LoadStringW.
//
// Differs from Win32: LoadStringW reads a null `module` as the current
// resource module (AfxGetResourceHandle), since the program is no PE image
// whose resources it could name.
// Differs from Win32: LoadStringW's pointer for `size` 0 cannot point into
// the file, whose UTF-16 text is no wchar_t text here; it points to a
// terminated copy kept until the process ends (one per distinct text), so
// it stays valid after FreeLibrary.
// Differs from Win32: LoadStringW counts lengths and `size` in wchar_t
// units, so a character beyond U+FFFF counts one unit, not two.
//
// Example (the library of loadStringFromWin32ResourceDLL's example, LANG=C):
//   wchar_t buf[4];  LoadStringW(res, 1, buf, 4)   -> 3, buf "Hel"
//   const wchar_t* p;
//   LoadStringW(res, 1, reinterpret_cast<LPWSTR>(&p), 0)   -> 5, p "Hello"
VELWIN_API int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int size);

// LoadString: the same as LoadStringW (all text is wide here).
// Win32: LoadString.
VELWIN_API int LoadString(HINSTANCE module, UINT id, LPWSTR buffer, int size);

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
// Differs from Win32: EnumResourceStringsW is an addition; Win32 reaches
// the same strings through EnumResourceNames, EnumResourceLanguages and
// FindResourceEx.
//
// Example (the library of loadStringFromWin32ResourceDLL's example):
//   EnumResourceStringsW(res, proc, 0) calls
//     proc(res, 1, 0x0407, L"Hallo", 5, 0), proc(res, 1, 0x0409, L"Hello", 5, 0),
//     proc(res, 2, 0x0409, L"Bye", 3, 0)                      -> TRUE
VELWIN_API BOOL EnumResourceStringsW(HMODULE module, ENUMRESSTRINGPROCW proc, LONG_PTR param);
