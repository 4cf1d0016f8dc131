// Starting the platform installer "MsiExec.exe" for a package or a patch.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>

namespace VelUt {

// StartMsiInstallation: starts "MsiExec.exe /p FILE ARGS" when the last
// extension of `file` is ".msp" (any case), "MsiExec.exe /i FILE ARGS"
// for any other file, or "MsiExec.exe ARGS" when `file` is empty. `file`
// and `args` go in exactly as given, so a path with blanks reaches the
// installer as several words unless the caller quoted it; white space at
// either end of the line is trimmed. The line is split by the Windows
// rules and the program found on PATH ("MsiExec.exe", else "msiexec"); no
// shell ever reads it. With `wait` non-zero the call returns only when the
// installer has ended. The installer's handles are closed before the call
// returns; the child is reaped when it ends, waited for or not.
//
// Returns non-zero when the installer started, 0 when `file` and `args`
// are both empty (nothing happens) or the start failed; a failed start
// shows one message box (AfxMessageBox, type MB_OK) with the system's
// text for the error, and nothing is waited for.
//
// Example:
//   StartMsiInstallation(L"C:\\Updates\\fix.MSP", L"/qn", 0)
//     runs: MsiExec.exe /p C:\Updates\fix.MSP /qn
//   StartMsiInstallation(L"setup.msi", L"", 1)
//     runs: MsiExec.exe /i setup.msi   and waits for it
VELUT_API signed char StartMsiInstallation(const CStdStr<wchar_t>& file,
                                           const CStdStr<wchar_t>& args, signed char wait);

}  // namespace VelUt
