// Files and folders on Linux through their Win32 and MFC names: the
// temporary and current folders, temporary files, removal, file status,
// and the translation between path text and native paths.
//
// Every operation here that reaches the file system translates its path
// text with PathToNative; the paths it builds are '\'-separated path text
// (see Path.h). A failure sets the calling thread's last error to the
// Win32 code matching the system's error: ERROR_FILE_NOT_FOUND when the
// folder exists but the name does not, ERROR_PATH_NOT_FOUND when a folder
// on the way is missing, ERROR_ACCESS_DENIED, ERROR_FILE_EXISTS, ...
#pragma once

#include <string>

#include <WinAPI/Export.h>
#include <WinAPI/Path.h>
#include <WinAPI/Time.h>
#include <WinAPI/Types.h>

// PathToNative: the native path for path text: each '\' becomes '/', a
// drive prefix names the root of the one file system ("X:\a" is "/a") and
// a drive without separator the current folder ("X:a" is "a", "X:" is
// "."); other relative paths stay relative to the current folder. Text is
// written as UTF-8, except that U+DC80..U+DCFF stand for the single bytes
// 0x80..0xFF that NativeToPath could not read as UTF-8. FALSE, with
// `native` "" and the last error ERROR_INVALID_NAME, for a null path or
// one holding another surrogate or a value past U+10FFFF, which no file
// name can hold.
// No Win32 namesake: Windows paths need no translation.
//
// Differs from Win32: every drive letter names the root of the one file
// system, and "X:a" the current folder, since Linux has no drives.
// Example:
//   L"C:\\Users\\a.txt" -> "/Users/a.txt"    L"\\tmp\\x" -> "/tmp/x"
//   L"sub\\f"           -> "sub/f"           L"caf\u00E9" -> "caf\xC3\xA9"
VELWIN_API BOOL PathToNative(LPCWSTR path, std::string& native);

// NativeToPath: path text for a native path: each '/' becomes '\', UTF-8
// is decoded, and each byte that is no part of valid UTF-8 becomes the
// unit U+DC00 + byte, so that PathToNative gives the same bytes back. Two
// kinds of Linux names cannot come back: one holding a '\', which path
// text reads as a separator, and one beginning like a drive ("C:x"). A
// null path gives "".
// No Win32 namesake: Windows paths need no translation.
//
// Example: "/tmp/x" -> L"\\tmp\\x";   "a\xFF" -> L"a\uDCFF"
VELWIN_API std::wstring NativeToPath(const char* native);

// GetTempPath: writes the folder for temporary files into `buffer`
// (`size` units): the value of TMPDIR when it is set and not empty, else
// /tmp, made absolute against the current folder, canonical (see
// PathCombine) and ending in '\' ("\tmp\"). The folder is not checked for
// existence. Returns the units written without the terminator; when
// `size` is too small, the units needed with the terminator (nothing is
// written); 0 with the last error set when a relative TMPDIR cannot be
// made absolute because the current folder is gone.
// Win32: GetTempPathW (which reads TMP, TEMP and USERPROFILE instead).
//
// Example (TMPDIR unset): GetTempPath(1024, b) -> 5, b == L"\\tmp\\"
VELWIN_API DWORD GetTempPath(DWORD size, LPWSTR buffer);

// GetCurrentDirectory: writes the current folder as path text ("\home\u")
// into `buffer` (`size` units). Returns the units written without the
// terminator; when `size` is too small, the units needed with the
// terminator (nothing is written); 0 with the last error set when the
// folder cannot be read (it was removed, say) or `buffer` is null while
// `size` is not 0. Win32: GetCurrentDirectoryW.
VELWIN_API DWORD GetCurrentDirectory(DWORD size, LPWSTR buffer);

// GetTempFileName: makes the name "<path>\<pre><uuuu>.TMP" in `buffer`
// (MAX_PATH units), where <pre> is the first three units of `prefix` at
// most (none for null) and <uuuu> the number in upper-case hexadecimal
// without leading zeros, and returns that number.
//   - `unique` 0: the layer picks a number from 1 to 0xFFFF, starting at
//     an unpredictable one, and creates the file, empty, atomically
//     (O_CREAT|O_EXCL, mode 0600, never through a symbolic link found
//     under the name); a name that exists is skipped for the next number.
//   - `unique` not 0: only its low 16 bits are used, nothing is created or
//     tested, and `unique` itself is returned.
// The separators of `path` become '\' and one is added unless it ends in
// one. Returns 0 with the last error set on failure: ERROR_BUFFER_OVERFLOW
// when `path` is longer than MAX_PATH - 14 units, ERROR_DIRECTORY when it
// is empty or names no folder, ERROR_CANT_RESOLVE_FILENAME when its
// symbolic links loop, ERROR_FILE_EXISTS when all 65535 names are taken,
// ERROR_ACCESS_DENIED when files cannot be created there,
// ERROR_INVALID_PARAMETER for a null `path` or `buffer`. A failure leaves
// `buffer` as it was. Win32: GetTempFileNameW.
//
// Example:
//   GetTempFileName(L"\\tmp\\", L"TMPfile", 0, b) -> 0x1A2B, b == L"\\tmp\\TMP1A2B.TMP"
//   GetTempFileName(L"/var/x", nullptr, 0x12, b)  -> 0x12,   b == L"\\var\\x\\12.TMP"
VELWIN_API UINT GetTempFileName(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR buffer);

// DeleteFile: removes the file (or the symbolic link itself) that `path`
// names. Nonzero on success; 0 with the last error set otherwise:
// ERROR_ACCESS_DENIED also for a folder.
// Differs from Win32: DeleteFile removes a file without write permission
// when its folder allows it, as Linux decides by the folder's permission.
// Win32: DeleteFileW.
VELWIN_API BOOL DeleteFile(LPCWSTR path);

// Win32 file attributes beside FILE_ATTRIBUTE_DIRECTORY (Path.h).
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;

// CFileStatus: what CFile::GetStatus reports of a file. MFC: CFileStatus.
struct CFileStatus {
  CTime m_ctime;                 // creation (birth) time; the status-change time where
                                 // the file system keeps none (or reports 0)
  CTime m_mtime;                 // last modification
  CTime m_atime;                 // last access
  ULONGLONG m_size;              // size in bytes; 0 for a folder
  BYTE m_attribute;              // CFile::Attribute bits
  BYTE m_padding;                // unused
  WCHAR m_szFullName[MAX_PATH];  // absolute, canonical path text
};

// CFile: the static status query of MFC's file class (the class is not
// meant to be instantiated here). MFC: CFile.
class VELWIN_API CFile {
 public:
  // The bits of CFileStatus::m_attribute. On Linux: readOnly when the
  // owner may not write, hidden for a name beginning with '.', system for
  // what is neither a regular file nor a folder (devices, pipes, sockets),
  // archive for a regular file, directory for a folder. MFC's enumerator
  // `system` shares its name with ::system, which clang's -Wshadow reports
  // in every consumer; the name stays, the warning is silenced here alone.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wshadow"
#endif
  enum Attribute {
    normal = 0x00,
    readOnly = 0x01,
    hidden = 0x02,
    system = 0x04,
    volume = 0x08,
    directory = 0x10,
    archive = 0x20,
  };
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

  // GetStatus: fills `status` for the file or folder `name` names (a
  // symbolic link counts by what it points to). m_szFullName is written
  // first: `name` made absolute against the current folder and canonical
  // (see PathCombine). Returns TRUE when the status was read; FALSE, with
  // the last error set, when `name` is null, its full name does not fit
  // MAX_PATH units (m_szFullName is then ""), or the file is missing or out
  // of reach (not found, a folder on the way missing or not a folder,
  // access denied, a name too long); only m_szFullName is written then.
  //
  // Throws a new COleException (status HRESULT_FROM_WIN32 of the code)
  // when the file's status cannot be read for another reason: a loop of
  // symbolic links (ERROR_CANT_RESOLVE_FILENAME), an I/O error, memory
  // exhaustion in the kernel. m_szFullName has then been written, and
  // nothing else. MFC: CFile::GetStatus.
  static BOOL GetStatus(LPCWSTR name, CFileStatus& status);
};
