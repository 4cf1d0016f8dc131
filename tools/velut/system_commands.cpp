// velut commands over the system services: error texts and the installer.
#include <string>
#include <vector>

#include "cli.h"

namespace velut {
namespace {

using Str = CStdStr<wchar_t>;

// error: the system's text for an error code.
Reply ErrorText(const Args& args) {
  long long value = 0;
  if (!ParseNumber(args[0], 0, -2147483648LL, 0xFFFFFFFFLL, value))
    throw Error("CODE must be a number from -2147483648 to 0xFFFFFFFF");
  const auto code = static_cast<unsigned int>(value);
  const Str text = VelUt::GetSystemErrorMessage(code);
  Reply r = text.empty() ? Reply::Failure("no message text for " + WideToUtf8(args[0]))
                         : Reply::Bool(true).Show("text", text);
  r.json.Number("code", code);
  return r;
}

// The text of the message box a failed start shows, kept for the one
// velut: line instead of going to standard error on its own.
std::wstring g_start_failure;

int KeepMessage(const wchar_t* text, UINT /*type*/, UINT /*helpId*/) {
  g_start_failure = text != nullptr ? text : L"";
  return IDOK;
}

std::string CannotStart(const std::string& why) {
  return "cannot start the installer MsiExec.exe (looked for on PATH as MsiExec.exe and "
         "msiexec): " +
         why;
}

// The command line StartMsiInstallation runs for `file` and `rest`.
Str InstallerLine(const Str& file, const Str& rest) {
  Str line(L"MsiExec.exe ");
  if (!file.empty()) {
    const bool patch = Str(PathFindExtensionW(file.c_str())).CompareNoCase(L".msp") == 0;
    line += (patch ? L"/p " : L"/i ") + file + L" ";
  }
  line += rest;
  line.TrimLeft();
  line.TrimRight();
  return line;
}

// Starts the installer through the layer and waits for it: the library's
// StartMsiInstallation waits too, but does not tell the installer's exit
// code.
Reply StartAndWait(const Str& line) {
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, 0, 0, nullptr, nullptr, &startup,
                      &process))
    throw Error(CannotStart(SystemText(GetLastError())));
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  Reply r = code == 0 ? Reply::Bool(true)
                      : Reply::Failure("MsiExec.exe ended with exit code " + std::to_string(code));
  r.json.Number("code", code);
  return r;
}

// install: starts the installer for a package or patch.
Reply Install(const Args& args) {
  const Str file(args[0]);
  Str rest;
  for (const std::wstring& word : args.From(1)) rest += (rest.empty() ? L"" : L" ") + word;
  if (file.empty() && rest.empty()) throw Error("nothing to install: PACKAGE and ARGS are empty");
  if (args.Flag("wait")) return StartAndWait(InstallerLine(file, rest));
  AfxSetMessageBoxHandler(KeepMessage);
  if (!VelUt::StartMsiInstallation(file, rest, 0))
    throw Error(CannotStart(WideToUtf8(g_start_failure)));
  return Reply::Bool(true);
}

}  // namespace

void AddSystemCommands(std::vector<Command>& commands) {
  commands.push_back({"error",
                      "show the system's text for an error code",
                      {{"CODE", Operand::kWord}},
                      {},
                      false,
                      "Prints the message text for CODE (decimal or 0x hexadecimal; -1 or\n"
                      "0xFFFFFFFF is this process's last error), without the final period;\n"
                      "a code without text gives the text of 0x800300FD.",
                      "there is a text",
                      "there is none at all (with a velut: line)",
                      ErrorText});
  commands.push_back(
      {"install",
       "start MsiExec.exe for a package or patch",
       {{"PACKAGE", Operand::kText}, {"[ARGS...]", Operand::kWord}},
       {{"wait", nullptr, "wait for the installer to end and report its exit code"}},
       false,
       "Runs \"MsiExec.exe /i PACKAGE ARGS\" (\"/p\" for a .msp patch; just\n"
       "\"MsiExec.exe ARGS\" when PACKAGE is \"\"), found on PATH as MsiExec.exe\n"
       "or msiexec, never through a shell. A start that fails, such as one\n"
       "without an installer on PATH, is an error. JSON adds the installer's\n"
       "exit code (\"code\") with --wait.",
       "the installer started (with --wait: and ended with exit code 0)",
       "with --wait: the installer ended with another exit code (the velut: line names it)",
       Install});
}

}  // namespace velut
