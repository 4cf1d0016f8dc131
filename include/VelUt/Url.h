// URLs and file URLs: recognising a URL by its scheme or host prefix,
// bringing a typed location into shape, turning a file URL into a local
// path, and the folder part of a URL or path.
//
// The texts taken as `const wchar_t*` are read as CStdStr reads them: a
// null pointer is the empty text, and a pointer value from 1 to 0xFFFF is
// a string-resource id whose string is read.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>
#include <velfirst/VelString.h>

// PreProcessUrl: trims white space at both ends of `url` in place and
// tells whether it begins with a URL prefix, ignoring the case of A-Z:
// "ftp://", "http:/", "https:", "file:/" (at least 6 units), or "www.",
// "ftp.", "mailto:", "gopher:" (at least 8 units). A host prefix is
// completed with its scheme: "www." gets "http://" in front, "ftp." gets
// "ftp://". The trimming stays whatever the result. When memory runs out
// while the leading units are cut off for the comparison (a
// CMemoryException* or CDravoMemoryException* thrown there), the exception
// is released and the result is false; exhaustion anywhere else reaches
// the caller.
// Differs from Win32: PreProcessUrl stands at global scope while its
// neighbours are in VelUt::, since the applications call it unqualified.
//
// Example:
//   "  www.ab.xx  " -> true,  "http://www.ab.xx"
//   "ftp.ab.xx"     -> true,  "ftp://ftp.ab.xx"
//   "HTTP://X", "https:", "mailto:x" -> true, unchanged
//   "www.a.b" (7 units), "http:", "mailto:", "news:x" -> false
//   "  C:\\dir\\a.txt " -> false, "C:\\dir\\a.txt"
VELUT_API bool PreProcessUrl(CStdStr<wchar_t>& url);

namespace VelUt {

// IsUrl: true when PreProcessUrl accepts `url` and its text, trimmed on the
// left and lowered with the global locale, begins with neither "file://"
// nor "file:\\": a URL other than a file URL. `url` is not changed.
//
// Example:
//   "www.ab.xx", "mailto:x", "file:/C:/a.txt" -> true
//   "file:///C:/a.txt", " FILE://x", "file:\\C:\\a.txt", "C:\\dir", "", null -> false
VELUT_API bool IsUrl(const wchar_t* url);

// FixUrl: brings `url` into shape in place. In a URL (IsUrl) every '\\'
// becomes '/' (no scheme is added); any other text goes through UrlToPath,
// so that a file URL becomes a local path and other text stays as it is.
// False for an empty string, which stays empty; true otherwise.
//
// Example:
//   "http://host\\a\\b"     -> "http://host/a/b"
//   "www.ab.xx\\a"          -> "www.ab.xx/a"
//   "file:///C:/dir/a.txt"  -> "C:\\dir\\a.txt"
//   "C:/dir/a.txt"          -> unchanged
VELUT_API bool FixUrl(VelString& url);

// UrlToPath: sets `path` to the local path of a file URL: a text beginning
// with "file:/" or "file:\\" in any letter case. The 6 units of that
// prefix go, then every leading '/', then one '\\' when a letter follows
// it; in what is left '/' becomes '\\' and '|' becomes ':' (the old drive
// notation "C|"). Percent escapes stay as they are. Any other text is
// copied into `path` unchanged. A file URL whose rest after the prefix has
// 1024 units or more gives an empty path. Always returns true.
//
// Example:
//   "file:///C:/dir/a%20b.txt" -> "C:\\dir\\a%20b.txt"
//   "FILE:///C|/dir/a.txt"     -> "C:\\dir\\a.txt"
//   "file:\\\\server\\share"   -> "server\\share"
//   "file:///home/u/a.txt"     -> "home\\u\\a.txt"
//   "file:///", "file:/"       -> ""
//   "file:C:/a.txt", " file:///C:/a.txt", "http://h/a" -> unchanged
VELUT_API bool UrlToPath(const wchar_t* url, VelString& path);

// GetPathFromUrl: the folder part of a location.
//   - A web URL (IsUrl): one trailing '/' and then one trailing '\\' are
//     dropped; the scheme up to the first "//" is kept aside; the result is
//     the scheme and the rest up to and including its last '/' (its last
//     '\\' only when it holds no '/'), or "" when it has neither.
//   - Anything else: the local path of UrlToPath with '\\' for '/', less
//     its last component and the separator before it (PathRemoveFileSpec).
// "" for a null or empty `url`.
//
// Example:
//   "http://h/d/p.htm" -> "http://h/d/"      "http://h/d/" -> "http://h/"
//   "http://h", "http://h/", "mailto:x" -> ""
//   "http://h/d\\p.htm" -> "http://h/"       "www.ab.xx/x/y.htm" -> "www.ab.xx/x/"
//   "file:///C:/dir/a.txt", "C:/dir/a.txt" -> "C:\\dir"
//   "file:/C:/dir/a.txt" (a URL: one slash) -> "file:/C:/dir/"
//   "/home/u/a.txt" -> "\\home\\u"
VELUT_API VelString GetPathFromUrl(const wchar_t* url);

}  // namespace VelUt
