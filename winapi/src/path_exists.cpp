// The shell path operations that ask the file system: whether a path names
// a file or folder, and whether a folder.
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include <WinAPI/Error.h>
#include <WinAPI/File.h>
#include <WinAPI/Path.h>

#include "native_path.h"

using velwin::detail::SetLastErrorForPath;

namespace {

// stat() on the native form of `path`; false with the last error set.
bool StatPath(LPCWSTR path, struct stat& st) {
  std::string native;
  if (!PathToNative(path, native)) return false;
  if (stat(native.c_str(), &st) == 0) return true;
  SetLastErrorForPath(errno, native);
  return false;
}

}  // namespace

BOOL PathFileExists(LPCWSTR path) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat st;
  return StatPath(path, st) ? TRUE : FALSE;
}

BOOL PathIsDirectory(LPCWSTR path) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat st;
  if (!StatPath(path, st) || !S_ISDIR(st.st_mode)) return FALSE;
  return static_cast<BOOL>(FILE_ATTRIBUTE_DIRECTORY);
}
