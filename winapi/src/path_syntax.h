// The syntax of path text shared by the shell-path operations: separators,
// drives, roots, and the dot-segment canonical form.
#pragma once

#include <cstddef>
#include <string>

namespace velwin::detail {

inline bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

inline bool IsDriveLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// True when `path` (zero-terminated) begins with a drive "X:".
inline bool HasDrive(const wchar_t* path) { return IsDriveLetter(path[0]) && path[1] == L':'; }

// How a path is rooted.
enum class RootKind {
  kNone,       // relative: "a\b"
  kDrive,      // a drive without separator: "C:a", relative to that drive
  kDriveRoot,  // "C:\a"
  kSeparator,  // one leading separator: "\a", "/usr"
  kUnc,        // two leading separators and a server name: "\\server\share"
};

struct Root {
  RootKind kind;
  std::size_t length;  // units of the root in the text, separators included
};

// The root at the start of `path` (zero-terminated). A UNC root holds the
// two separators and the server name ("\\server"), without the separator
// that follows it.
Root FindRoot(const wchar_t* path);

// The root of `path` as the layer writes it: separators become '\', a
// naked drive "C:" stays as it is.
std::wstring RootText(const wchar_t* path, const Root& root);

// The canonical form of `path`: '\' between components, runs of
// separators as one, "." components dropped and each ".." removing the
// component before it. A ".." that would climb above a root is dropped;
// above the start of a relative path it stays. A separator at the end is
// kept when a component precedes it. A naked drive "C:" becomes "C:\"; a
// relative path with nothing left is ".", and one whose first name looks
// like a drive keeps ".\" in front of it ("x\..\C:" is ".\C:").
//
// Example:
//   "C:\\a\\.\\b\\..\\c" -> "C:\\a\\c"     "C:\\.." -> "C:\\"
//   "/usr//lib/../bin/"   -> "\\usr\\bin\\"   "..\\a\\..\\..\\b" -> "..\\..\\b"
std::wstring Canonicalize(const wchar_t* path);

}  // namespace velwin::detail
