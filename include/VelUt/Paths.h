// Relative and absolute paths against a base folder. The path syntax is
// that of the layer's PathCombine and PathRelativePathTo (WinAPI/Path.h):
// '/' and '\\' both separate, the paths built are '\\'-separated.
#pragma once

#include <VelUt/Export.h>
#include <velfirst/VelString.h>

namespace VelUt {

// RelativeToAbsolutePath: sets `absolutePath` to `relativePath` joined to
// the folder `basePath` by PathCombine, dot segments resolved; a path that
// is not relative (PathIsRelative) is copied as it is. False, with
// `absolutePath` untouched, when either input is empty; true otherwise.
// A joined path of 1024 units or more gives "" (the layer's bound).
//
// Example:
//   "a\\b.txt",  "C:\\dir"     -> "C:\\dir\\a\\b.txt"
//   "..\\b.txt", "C:\\dir\\sub" -> "C:\\dir\\b.txt"
//   "D:\\x.txt", anything       -> "D:\\x.txt"
//   "docs/a.txt", "/home/u"     -> "\\home\\u\\docs\\a.txt"
VELUT_API bool RelativeToAbsolutePath(const VelString& relativePath, const VelString& basePath,
                                      VelString& absolutePath);

// AbsoluteToRelativePath: sets `relativePath` to `absolutePath` made
// relative to the folder `basePath` by PathRelativePathTo, when the path
// begins with the text of the base (compared with collateNoCase, so
// "C:\\dir" admits "c:\\DIR\\a" and "C:\\dir2\\a" alike). Otherwise, and for
// a relative `absolutePath` or one the layer cannot relate, it is copied as
// it is. False, with `relativePath` untouched, when either input is empty;
// true otherwise.
//
// Example:
//   "C:\\dir\\sub\\a.txt", "C:\\dir" -> ".\\sub\\a.txt"
//   "C:\\dir2\\a.txt",     "C:\\dir" -> "..\\dir2\\a.txt"
//   "D:\\x.txt",           "C:\\dir" -> "D:\\x.txt"
//   "/home/u/docs/a.txt",  "/home/u" -> ".\\docs\\a.txt"
//   "a.txt",               "C:\\dir" -> "a.txt"
VELUT_API bool AbsoluteToRelativePath(const VelString& absolutePath, const VelString& basePath,
                                      VelString& relativePath);

}  // namespace VelUt
