// File-system operations on path text: the temporary and current folders,
// temporary files, removal and file status.
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <string>

#include <WinAPI/Error.h>
#include <WinAPI/Exceptions.h>
#include <WinAPI/File.h>

#include "errno_map.h"
#include "native_path.h"
#include "path_syntax.h"

using velwin::detail::IsSeparator;
using velwin::detail::SetLastErrorForPath;

namespace {

// Copies `text` into `buffer` of `size` units the way GetTempPath and
// GetCurrentDirectory report it: the units written, or the units needed
// with the terminator when it does not fit.
DWORD ReportText(const std::wstring& text, DWORD size, LPWSTR buffer) {
  if (text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::wmemcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

// A number from 1 to 0xFFFF that another process cannot guess.
unsigned FirstTempNumber() {
  unsigned short n = 0;
  if (getrandom(&n, sizeof n, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof n))
    n = static_cast<unsigned short>(std::time(nullptr) ^ getpid() ^
                                    reinterpret_cast<std::uintptr_t>(&n));
  return n == 0 ? 1 : n;
}

std::wstring TempName(const std::wstring& folder, const std::wstring& prefix, unsigned number) {
  wchar_t digits[8];
  std::swprintf(digits, sizeof digits / sizeof digits[0], L"%X", number & 0xFFFFu);
  return folder + prefix + digits + L".TMP";
}

CTime TimeOf(const struct statx_timestamp& t) { return CTime(static_cast<std::int64_t>(t.tv_sec)); }

// Attributes for a file of mode `mode` whose last component is `name`.
BYTE AttributesOf(mode_t mode, const wchar_t* name) {
  BYTE attributes = 0;
  if (S_ISDIR(mode))
    attributes |= CFile::directory;
  else if (S_ISREG(mode))
    attributes |= CFile::archive;
  else
    attributes |= CFile::system;
  if (!(mode & S_IWUSR)) attributes |= CFile::readOnly;
  if (name[0] == L'.' && name[1] != L'\0' && !(name[1] == L'.' && name[2] == L'\0'))
    attributes |= CFile::hidden;
  return attributes;
}

}  // namespace

DWORD GetTempPath(DWORD size, LPWSTR buffer) {
  if (buffer == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char* value = std::getenv("TMPDIR");
  const std::wstring folder = NativeToPath(value != nullptr && *value != '\0' ? value : "/tmp");
  std::wstring full;
  if (!velwin::detail::FullPathText(folder.c_str(), full)) return 0;
  if (!IsSeparator(full.back())) full += L'\\';
  return ReportText(full, size, buffer);
}

DWORD GetCurrentDirectory(DWORD size, LPWSTR buffer) {
  if (buffer == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string cwd;
  if (!velwin::detail::NativeCurrentFolder(cwd)) {
    velwin::detail::SetLastErrorFromErrno(errno);
    return 0;
  }
  return ReportText(NativeToPath(cwd.c_str()), size, buffer);
}

UINT GetTempFileName(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR buffer) {
  if (path == nullptr || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::wstring folder(path);
  if (folder.size() > MAX_PATH - 14) {
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  if (folder.empty()) {
    SetLastError(ERROR_DIRECTORY);
    return 0;
  }
  for (wchar_t& c : folder)
    if (c == L'/') c = L'\\';
  if (!IsSeparator(folder.back())) folder += L'\\';
  std::wstring pre;
  for (int i = 0; prefix != nullptr && i < 3 && prefix[i] != L'\0'; ++i) pre += prefix[i];

  if (unique != 0) {
    const std::wstring name = TempName(folder, pre, unique);
    std::wmemcpy(buffer, name.c_str(), name.size() + 1);
    return unique;
  }
  const unsigned first = FirstTempNumber();
  for (unsigned i = 0; i < 0xFFFF; ++i) {
    const unsigned number = (first - 1 + i) % 0xFFFF + 1;
    const std::wstring name = TempName(folder, pre, number);
    std::string native;
    if (!PathToNative(name.c_str(), native)) return 0;
    // O_EXCL: the name must not exist, not even as a symbolic link.
    const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      std::wmemcpy(buffer, name.c_str(), name.size() + 1);
      return number;
    }
    if (errno == EEXIST) continue;
    if (errno == ENOENT || errno == ENOTDIR)
      SetLastError(ERROR_DIRECTORY);
    else
      velwin::detail::SetLastErrorFromErrno(errno);
    return 0;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

BOOL DeleteFile(LPCWSTR path) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string native;
  if (!PathToNative(path, native)) return FALSE;
  if (unlink(native.c_str()) == 0) return TRUE;
  SetLastErrorForPath(errno, native);
  return FALSE;
}

BOOL CFile::GetStatus(LPCWSTR name, CFileStatus& status) {
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::wstring full;
  if (!velwin::detail::FullPathText(name, full)) {
    status.m_szFullName[0] = L'\0';
    return FALSE;
  }
  if (full.size() >= MAX_PATH) {
    status.m_szFullName[0] = L'\0';
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  std::wmemcpy(status.m_szFullName, full.c_str(), full.size() + 1);

  std::string native;
  if (!PathToNative(name, native)) return FALSE;
  struct statx st;
  if (statx(AT_FDCWD, native.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) {
    const int err = errno;
    SetLastErrorForPath(err, native);
    switch (err) {
      case ENOENT:
      case ENOTDIR:
      case EACCES:
      case EPERM:
      case ENAMETOOLONG:
        return FALSE;
      default:
        AfxThrowOleException(HRESULT_FROM_WIN32(GetLastError()));
    }
  }
  // Some file systems report a birth time of 0 rather than none.
  const bool born =
      (st.stx_mask & STATX_BTIME) && (st.stx_btime.tv_sec != 0 || st.stx_btime.tv_nsec != 0);
  status.m_ctime = TimeOf(born ? st.stx_btime : st.stx_ctime);
  status.m_mtime = TimeOf(st.stx_mtime);
  status.m_atime = TimeOf(st.stx_atime);
  status.m_size = S_ISDIR(st.stx_mode) ? 0 : st.stx_size;
  status.m_attribute = AttributesOf(st.stx_mode, PathFindFileName(status.m_szFullName));
  return TRUE;
}
