// Starting programs and waiting for them: CreateProcessW and the process
// handles it returns.
//
// Process handles. A start returns two handles, hProcess and hThread, to
// the same process object; each stays valid until CloseHandle closes it.
// The layer reaps the child the moment it ends (a small waiter thread per
// running child calls waitpid), whether or not anyone waits or still
// holds a handle, so no child is ever left as a zombie; the object itself
// is freed once the child has been reaped and both handles are closed.
// Closing a handle never stops the child. A handle that was closed, or
// never returned by the layer, is refused with ERROR_INVALID_HANDLE.
#pragma once

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// _SECURITY_ATTRIBUTES: Win32: SECURITY_ATTRIBUTES.
// Differs from Win32: _SECURITY_ATTRIBUTES is accepted and ignored, since
// Linux processes carry no security descriptors.
struct _SECURITY_ATTRIBUTES {
  // The size of the structure, a security descriptor, and whether handles
  // are inherited.
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
typedef _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES;
typedef _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// _STARTUPINFOW: the window and standard-handle settings of a new
// process, 104 bytes as on 64-bit Windows; cb holds that size. The layer
// reads none of it (there are no windows, and standard input, output and
// error are those of the caller). Win32: STARTUPINFOW.
struct _STARTUPINFOW {
  // The fields of STARTUPINFOW, as Windows names them.
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
typedef _STARTUPINFOW STARTUPINFOW;
typedef _STARTUPINFOW* LPSTARTUPINFOW;
static_assert(sizeof(void*) != 8 || sizeof(_STARTUPINFOW) == 104,
              "STARTUPINFOW has the 64-bit Windows layout");

// _PROCESS_INFORMATION: what a start returns. dwProcessId is the child's
// pid, dwThreadId the same number (the id of its first thread).
// Win32: PROCESS_INFORMATION.
struct _PROCESS_INFORMATION {
  // The handles of the new process and of its first thread, and their ids.
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
typedef _PROCESS_INFORMATION PROCESS_INFORMATION;
typedef _PROCESS_INFORMATION* LPPROCESS_INFORMATION;

// Timeouts and results of WaitForSingleObject, and the exit code that
// GetExitCodeProcess reports while the process runs.
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD STILL_ACTIVE = 259;

// Creation flags the layer reads.
// Differs from Win32: CreateProcess accepts any other creation flag and
// ignores it, since a Linux child has no console, priority class or job
// for those flags to choose.
constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD CREATE_UNICODE_ENVIRONMENT = 0x00000400;

// CommandLineToArgvW: splits a command line into words by the Windows
// rules: the first word (the program) runs to the first blank or tab, or,
// when it starts with a quote, to the next quote. The other words are
// separated by blanks and tabs outside quotes; a quote toggles quoting and
// is dropped; 2n backslashes before a quote give n backslashes, 2n+1 give
// n and a literal quote; other backslashes stand as they are; "" inside
// quotes gives a literal quote and ends the quoting. A line that starts
// with a blank has an empty first word. An empty line gives one word, the
// path of the running program. Returns one LocalAlloc block (release it
// with LocalFree) of *count pointers to the words; null with
// ERROR_INVALID_PARAMETER when `count` is null. Win32: CommandLineToArgvW.
//
// Example:
//   L"MsiExec.exe /i \"C:\\My Files\\a.msi\" x\\\\\"y" ->
//     {L"MsiExec.exe", L"/i", L"C:\\My Files\\a.msi", L"x\\y"}
VELWIN_API LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* count);

// CreateProcessW: starts a program, never through a shell. Its words are
// `commandLine` split as CommandLineToArgvW splits it (when null,
// `applicationName` is the command line), passed on as the child's argv
// in UTF-8, its first word included.
//
// The program is `applicationName` when given, else the first word. A name
// with a folder in it (a '/', a '\' or a drive "X:") is taken as a path:
// '\' becomes '/', "X:" the root, and a relative path is relative to the
// caller's current folder. A bare name is looked up in each folder of PATH
// in turn (an empty entry is the current folder; without PATH the C
// library's default). In each place the exact name is tried, then, for a
// name ending in ".exe" (any case), the name without it, first as given
// and then lower-cased: "MsiExec.exe" finds an installed "msiexec". No
// extension is ever added. Only regular files the caller may execute
// count.
//
// `inheritHandles` 0 closes every descriptor above 2 in the child;
// non-zero passes on those not marked close-on-exec. `environment`, when
// not null, is a block of "name=value" texts, each ending in a terminator
// and the block in one more: wide with CREATE_UNICODE_ENVIRONMENT, UTF-8
// otherwise; null passes on the caller's. `currentDirectory`, when not
// null, is the child's current folder (ERROR_DIRECTORY when it is none).
// The child starts with no signal blocked and every signal at its default.
// The security attributes and `startupInfo` are not read.
// Differs from Win32: CreateProcess fails CREATE_SUSPENDED with
// ERROR_NOT_SUPPORTED, since a Linux child cannot be started held at its
// first instruction.
//
// Returns non-zero with `info` filled (see "Process handles" above), or 0
// with the last error set: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_ACCESS_DENIED, ERROR_BAD_FORMAT (not an executable format),
// ERROR_DIRECTORY, ERROR_INVALID_PARAMETER (no command line, a null
// `info`, an empty program name), ERROR_NOT_ENOUGH_MEMORY,
// ERROR_NO_PROC_SLOTS, or the code of the spawn's errno.
// Win32: CreateProcessW.
//
// Example:
//   wchar_t line[] = L"MsiExec.exe /i setup.msi";
//   STARTUPINFOW si{};  si.cb = sizeof si;  PROCESS_INFORMATION pi{};
//   CreateProcessW(nullptr, line, nullptr, nullptr, 0, 0, nullptr, nullptr,
//                  &si, &pi)   -> runs msiexec with argv
//                                 {"MsiExec.exe", "/i", "setup.msi"}
VELWIN_API BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                               LPSECURITY_ATTRIBUTES processAttributes,
                               LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                               DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                               LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION info);

// CreateProcess: the wide function, as the Win32 headers name it for
// Unicode builds.
inline BOOL CreateProcess(LPCWSTR applicationName, LPWSTR commandLine,
                          LPSECURITY_ATTRIBUTES processAttributes,
                          LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                          DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                          LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION info) {
  return CreateProcessW(applicationName, commandLine, processAttributes, threadAttributes,
                        inheritHandles, creationFlags, environment, currentDirectory, startupInfo,
                        info);
}

// WaitForSingleObject: waits until the process of `handle` (either of its
// two handles) has ended, or `milliseconds` have passed (INFINITE: no
// limit; 0: just test). Returns WAIT_OBJECT_0 when it has ended,
// WAIT_TIMEOUT, or WAIT_FAILED with ERROR_INVALID_HANDLE for a handle the
// layer does not know. Win32: WaitForSingleObject.
VELWIN_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// GetExitCodeProcess: the exit status of the process of `handle`, or
// STILL_ACTIVE while it runs. A child ended by a signal reports 128 plus
// the signal number; one that the application reaped itself (waitpid of
// its own, SIGCHLD ignored) reports 0xFFFFFFFF. False with
// ERROR_INVALID_HANDLE for an unknown handle or a null `code`.
// Win32: GetExitCodeProcess.
VELWIN_API BOOL GetExitCodeProcess(HANDLE handle, DWORD* code);

// CloseHandle: closes a process or thread handle from CreateProcessW. The
// process goes on running. False with ERROR_INVALID_HANDLE for a handle
// the layer does not know (already closed, say). Win32: CloseHandle.
VELWIN_API BOOL CloseHandle(HANDLE handle);
