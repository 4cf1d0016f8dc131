#include "errno_map.h"

#include <cerrno>

#include <WinAPI/Error.h>

namespace velwin::detail {

namespace {

// Each errno value with a Win32 counterpart, and that counterpart.
struct ErrnoCode {
  int err;
  DWORD code;
};
constexpr ErrnoCode kErrnoCodes[] = {
    {0, ERROR_SUCCESS},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EBADF, ERROR_INVALID_HANDLE},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {ENOEXEC, ERROR_BAD_FORMAT},
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {EROFS, ERROR_WRITE_PROTECT},
    {ETXTBSY, ERROR_SHARING_VIOLATION},
    {ENOSYS, ERROR_NOT_SUPPORTED},
    {ENOTSUP, ERROR_NOT_SUPPORTED},
    {EEXIST, ERROR_FILE_EXISTS},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {EAGAIN, ERROR_NO_PROC_SLOTS},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {EBUSY, ERROR_BUSY},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {E2BIG, ERROR_FILENAME_EXCED_RANGE},
    {EFBIG, ERROR_FILE_TOO_LARGE},
    {EFAULT, ERROR_NOACCESS},
    {EILSEQ, ERROR_NO_UNICODE_TRANSLATION},
    {ETIMEDOUT, ERROR_TIMEOUT},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
};

}  // namespace

DWORD Win32ErrorFromErrno(int err) {
  for (const ErrnoCode& entry : kErrnoCodes)
    if (entry.err == err) return entry.code;
  return ERROR_GEN_FAILURE;
}

void SetLastErrorFromErrno(int err) { SetLastError(Win32ErrorFromErrno(err)); }

}  // namespace velwin::detail
