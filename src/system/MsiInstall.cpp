// The installer launch through the layer's CreateProcessW.
#include <cstring>
#include <locale>

#include <VelUt/MsiInstall.h>
#include <VelUt/SystemError.h>

#include "platform/Layer.h"

namespace {

constexpr wchar_t kInstaller[] = L"MsiExec.exe";

// True when `ext` is ".msp" with A-Z folded as the classic locale folds.
bool IsPatchExtension(const CStdStr<wchar_t>& ext) {
  static const wchar_t kPatch[] = L".msp";
  const auto& ctype = std::use_facet<std::ctype<wchar_t>>(g_locale_classic);
  const std::size_t n = sizeof kPatch / sizeof kPatch[0] - 1;
  if (ext.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (ctype.tolower(ext[i]) != ctype.tolower(kPatch[i])) return false;
  return true;
}

}  // namespace

namespace VelUt {

signed char StartMsiInstallation(const CStdStr<wchar_t>& file, const CStdStr<wchar_t>& args,
                                 signed char wait) {
  if (file.empty() && args.empty()) return 0;
  CStdStr<wchar_t> line;
  if (file.empty()) {
    line.Fmt(L"%s %s", kInstaller, args.c_str());
  } else {
    const CStdStr<wchar_t> ext(PathFindExtension(file.c_str()));
    const CStdStr<wchar_t> option(IsPatchExtension(ext) ? L"/p" : L"/i");
    line.Format(L"%s %s %s %s", kInstaller, option, file, args);
  }
  line.TrimLeft();
  line.TrimRight();

  STARTUPINFOW startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof process);
  const BOOL started = CreateProcessW(nullptr, line.GetBuf(1024), nullptr, nullptr, 0, 0, nullptr,
                                      nullptr, &startup, &process);
  const DWORD error = started ? ERROR_SUCCESS : GetLastError();
  line.RelBuf(-1);
  if (!started) {
    AfxMessageBox(GetSystemErrorMessage(error).c_str(), MB_OK, 0);
    return 0;
  }
  if (wait) WaitForSingleObject(process.hProcess, INFINITE);
  // Nobody else can reach these handles: close them here. The layer reaps
  // the installer when it ends, so an unwaited start leaves no zombie.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<signed char>(started);
}

}  // namespace VelUt
