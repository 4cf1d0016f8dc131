// Shell path operations on zero-terminated wide paths.
//
// Path text on Linux: '\' and '/' both separate components on input. A
// path that begins with a separator or with a drive "X:" is rooted ("\\"
// followed by a name starts a network path, "\\server\share"). The
// separators these operations insert are '\', and the paths PathCombine,
// PathAppend and PathRelativePathTo build are '\'-separated throughout.
// Drives, separators and the letter case of names mean here what they mean
// on Windows; the file-system calls translate the text (see File.h).
//
// Buffers: an operation that writes a path into a caller's buffer without
// being told its size expects MAX_PATH units there and never writes more.
#pragma once

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// The units of the path buffers the layer writes into.
// Differs from Win32: MAX_PATH is 1024, not 260, since Linux paths grow
// longer. A path that does not
// fit, terminator included, is a failure of the operation building it.
constexpr DWORD MAX_PATH = 1024;

// The attribute of a folder (FILE_ATTRIBUTE_DIRECTORY), as
// PathRelativePathTo takes it and PathIsDirectory returns it.
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;

// PathFindExtensionW: the position of the '.' that starts the extension
// of the last component of `path`, or of the terminator when it has none.
// An extension holds no blank: "a.b c" has none. Null gives null.
// Win32: PathFindExtensionW.
//
// Example:
//   L"C:\\dir.x\\fix.MSP" -> L".MSP"      L"patch.msp.bak" -> L".bak"
//   L"C:\\dir.x\\readme"  -> L""          L"a.b c"          -> L""
VELWIN_API LPWSTR PathFindExtensionW(LPCWSTR path);

// PathFindFileNameW: the position of the last component of `path`: after
// the last '/' or '\' that is followed by more than separators, or after
// the drive of "X:name"; `path` itself when there is none. A colon
// elsewhere belongs to the name ("a:b" on Linux). Null gives null.
// Win32: PathFindFileNameW.
//
// Example:
//   L"C:\\dir\\file.txt" -> L"file.txt"   L"C:\\dir\\" -> L"dir\\"
//   L"C:file"            -> L"file"       L"name"      -> L"name"
//   L"/tmp/x:y"          -> L"x:y"
VELWIN_API LPWSTR PathFindFileNameW(LPCWSTR path);

// PathFindExtension / PathFindFileName: the wide functions, as the Win32
// headers name them for Unicode builds.
inline LPWSTR PathFindExtension(LPCWSTR path) { return PathFindExtensionW(path); }
inline LPWSTR PathFindFileName(LPCWSTR path) { return PathFindFileNameW(path); }

// PathRemoveBackslash: removes one trailing separator ('\' or '/') from
// `path` in place, unless the whole path is a root that ends in one: a
// lone separator ("\", "/"), a drive root ("C:\", "c:/") or the bare
// network prefix ("\\", "//"). Returns a pointer to the terminator that
// replaced the separator, or, when nothing was removed, to the last
// character (to the terminator of an empty path); null for a null path.
// Win32: PathRemoveBackslashW.
//
// Example:
//   "C:\\Temp\\"   -> "C:\\Temp",   returns path + 7 (now the terminator)
//   "C:\\Temp\\\\" -> "C:\\Temp\\", one separator at a time
//   "C:\\"         -> unchanged,    returns path + 2 (the backslash)
//   "/usr/"        -> "/usr";  "/" -> unchanged;  "abc" -> returns path + 2
VELWIN_API LPWSTR PathRemoveBackslash(LPWSTR path);

// PathRemoveFileSpec: removes the last component of `path` in place, with
// the separator before it, but never the root: "C:\", "\" and "\\" stay,
// and of a network path "\\server" stays. A trailing separator counts as
// the last component. Returns TRUE when something was removed, FALSE
// otherwise (also for a null path). Win32: PathRemoveFileSpecW.
//
// Example:
//   "C:\\TEST\\sample.txt" -> "C:\\TEST"   "C:\\TEST" -> "C:\\"
//   "C:\\"                 -> unchanged, FALSE
//   "/home/u/a.txt"        -> "/home/u"    "/home" -> "/"
//   "\\\\server\\share"    -> "\\\\server"  "name" -> "", TRUE
VELWIN_API BOOL PathRemoveFileSpec(LPWSTR path);

// PathRemoveExtension: cuts `path` at the extension PathFindExtension
// finds (nothing when there is none). A null path is ignored.
// Win32: PathRemoveExtensionW.
//
// Example: "C:\\d\\a.txt" -> "C:\\d\\a";  "a.b c" -> unchanged
VELWIN_API void PathRemoveExtension(LPWSTR path);

// PathRenameExtension: replaces the extension of `path` (as
// PathFindExtension finds it) with `extension`, which carries its leading
// period, or appends `extension` when there is none. FALSE, with `path`
// unchanged, when the result would not fit MAX_PATH units or either
// argument is null. Win32: PathRenameExtensionW.
//
// Example: "C:\\t\\TMP1A.TMP", ".dat" -> "C:\\t\\TMP1A.dat";  "readme" -> "readme.dat"
VELWIN_API BOOL PathRenameExtension(LPWSTR path, LPCWSTR extension);

// PathIsRelative: TRUE unless `path` begins with a separator or a drive
// "X:"; TRUE for a null or empty path. Win32: PathIsRelativeW.
//
// Example: "a\\b" -> TRUE;  "C:\\a", "C:a", "\\a", "/usr" -> FALSE
VELWIN_API BOOL PathIsRelative(LPCWSTR path);

// PathCombine: joins the folder `dir` and `file` into `dest` (MAX_PATH
// units; it may be `dir` itself) and canonicalizes the result:
//   - an empty or null `file` gives `dir`, an empty or null `dir` gives `file`;
//   - a rooted `file` replaces `dir`, except that one beginning with a
//     single separator goes below the drive ("C:") or share
//     ("\\server\share") of `dir`;
//   - otherwise `file` is appended to `dir` with one '\' between them.
// The canonical form has '\' between components, runs of separators as
// one, no "." components, and each ".." removes the component before it;
// a ".." above a root is dropped.
// Differs from Win32: in PathCombine a ".." above the start of
// a relative path is kept ("..\a" stays "..\a" and names a folder next to
// the current one, where Win32 would make it "\a"), a relative path with
// nothing left is "." (Win32: "\"), one whose first name looks like a
// drive keeps ".\" in front ("x\..\C:" is ".\C:", a Linux name), and a
// naked drive "C:" becomes "C:\".
// A trailing separator of the joined text is kept.
//
// Returns `dest`, or null when `dest` is null, when both inputs are null
// (`dest` then holds "") or when the result does not fit MAX_PATH units
// (`dest` holds ""). Win32: PathCombineW.
//
// Example:
//   "C:\\dir", "a\\b.txt"      -> "C:\\dir\\a\\b.txt"
//   "C:\\dir\\sub", "..\\b.txt" -> "C:\\dir\\b.txt"
//   "C:",  "One\\Two"           -> "C:\\One\\Two"
//   "C:\\dir", "\\x"            -> "C:\\x";   "C:\\dir", "D:\\x" -> "D:\\x"
//   "/home/u", "../v/./a"       -> "\\home\\v\\a"
VELWIN_API LPWSTR PathCombine(LPWSTR dest, LPCWSTR dir, LPCWSTR file);

// PathAppend: appends `more` to `path` (MAX_PATH units) with one '\'
// between them, dropping the leading separators of `more` unless they
// start a network path, and canonicalizes the whole as PathCombine does.
// TRUE on success; FALSE when either argument is null or the result does
// not fit, in which case `path` becomes "". Win32: PathAppendW.
//
// Example:
//   "name_1\\name_2" + "name_3" -> "name_1\\name_2\\name_3"
//   "C:\\d" + "\\a.txt"         -> "C:\\d\\a.txt";   "/tmp/x" + "a" -> "\\tmp\\x\\a"
VELWIN_API BOOL PathAppend(LPWSTR path, LPCWSTR more);

// PathRelativePathTo: writes into `path` (MAX_PATH units) the relative
// path from `from` to `to`. Each is a folder when its attributes hold
// FILE_ATTRIBUTE_DIRECTORY, else a file whose folder counts for the common
// prefix (the result still ends in the file name of `to`). The two must
// share their root (the same drive, either form; the same server) and, for
// rooted paths without a drive or server and for relative ones, at least
// one first component: a lone "\" is no common prefix. Components compare
// ignoring letter case, as on Windows. The result climbs with ".." out of
// what is left of `from` (or is "." when nothing is) and then descends
// into what is left of `to`. Returns TRUE on success; FALSE, with `path`
// "", when the paths share no prefix, the result does not fit, or an
// argument is null. Win32: PathRelativePathToW.
//
// Example (both folders):
//   "C:\\dir" -> "C:\\dir\\sub\\a.txt"                 : ".\\sub\\a.txt"
//   "c:\\FolderA\\FolderB\\FolderC" -> "c:\\FolderA\\FolderD\\FolderE"
//                                                      : "..\\..\\FolderD\\FolderE"
//   "C:\\dir" -> "c:\\DIR2\\a"                        : "..\\DIR2\\a"
//   "c:\\a\\b\\path" -> file "c:\\a\\x\\y\\file"        : "..\\..\\x\\y\\file"
//   "/home/u" -> "/home/v/x"                           : "..\\v\\x"
//   "\\FolderA" -> "\\FolderC", "C:\\a" -> "D:\\a"    : FALSE
VELWIN_API BOOL PathRelativePathTo(LPWSTR path, LPCWSTR from, DWORD fromAttributes, LPCWSTR to,
                                   DWORD toAttributes);

// PathFileExists: TRUE when a file or folder of that path exists (a
// symbolic link counts by what it points to). FALSE otherwise, also for a
// null path, with the last error set. Win32: PathFileExistsW.
//
// Example: "C:\\tmp", "/tmp", "\\tmp\\" -> TRUE where /tmp exists
VELWIN_API BOOL PathFileExists(LPCWSTR path);

// PathIsDirectory: FILE_ATTRIBUTE_DIRECTORY (16) when `path` names an
// existing folder, FALSE otherwise (the last error is set when nothing
// exists there). Win32: PathIsDirectoryW.
VELWIN_API BOOL PathIsDirectory(LPCWSTR path);
