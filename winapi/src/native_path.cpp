// Translation between path text and native paths.
#include "native_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <WinAPI/Error.h>
#include <WinAPI/File.h>

#include <textbase/unicode.h>

#include "errno_map.h"
#include "path_syntax.h"

BOOL PathToNative(LPCWSTR path, std::string& native) {
  native.clear();
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  const wchar_t* p = path;
  if (velwin::detail::HasDrive(p)) {
    p += 2;
    if (velwin::detail::IsSeparator(*p))
      native = "/";
    else if (*p == L'\0')
      native = ".";
    while (velwin::detail::IsSeparator(*p)) ++p;
  }
  for (; *p != L'\0'; ++p) {
    const auto c = static_cast<char32_t>(static_cast<std::uint32_t>(*p));
    if (c == L'\\') {
      native += '/';
    } else if (velut::textbase::IsByteUnit(c)) {
      native += velut::textbase::ByteOfUnit(c);
    } else if (velut::textbase::IsScalarValue(c)) {
      char bytes[4];
      native.append(bytes, velut::textbase::WriteUtf8(bytes, c));
    } else {
      native.clear();
      SetLastError(ERROR_INVALID_NAME);
      return FALSE;
    }
  }
  return TRUE;
}

std::wstring NativeToPath(const char* native) {
  if (native == nullptr) return std::wstring();
  std::wstring path =
      velut::textbase::WideFromUtf8(native, velut::textbase::Utf8Rule::kEscapeBytes);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

namespace velwin::detail {

bool NativeCurrentFolder(std::string& folder) {
  folder.assign(256, '\0');
  while (getcwd(&folder[0], folder.size()) == nullptr) {
    if (errno != ERANGE) return false;
    folder.resize(folder.size() * 2);
  }
  folder.resize(std::strlen(folder.c_str()));
  return true;
}

bool FullPathText(const wchar_t* path, std::wstring& full) {
  const Root root = FindRoot(path);
  std::wstring text;
  if (root.kind == RootKind::kNone) {
    std::string cwd;
    if (!NativeCurrentFolder(cwd)) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    text = NativeToPath(cwd.c_str());
    if (text.empty() || !IsSeparator(text.back())) text += L'\\';
    text += path;
  } else if (root.kind == RootKind::kDrive) {
    text = std::wstring(path, 2) + L'\\' + (path + 2);
  } else {
    text = path;
  }
  full = Canonicalize(text.c_str());
  return true;
}

void SetLastErrorForPath(int err, const std::string& native) {
  if (err != ENOENT) {
    SetLastErrorFromErrno(err);
    return;
  }
  std::string folder = native;
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  const std::size_t slash = folder.rfind('/');
  if (slash == std::string::npos)
    folder = ".";
  else
    folder.resize(slash == 0 ? 1 : slash);
  struct stat st;
  const bool folder_exists = stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  SetLastError(folder_exists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
}

}  // namespace velwin::detail
