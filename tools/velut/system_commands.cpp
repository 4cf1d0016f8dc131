// velut commands over the system services: error texts and the installer.
#include <cerrno>
#include <cstdlib>

#include "cli.h"

namespace velut {
namespace {

// error: the system's text for an error code.
int Error(const Args& args) {
  const std::string code_text = ToUtf8(args.Positional(1, 1)[0]);
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(code_text.c_str(), &end, 0);
  if (code_text.empty() || *end != '\0' || errno != 0 || value < -2147483648LL ||
      value > 0xFFFFFFFFLL)
    throw UsageError("CODE must be a number from -2147483648 to 0xFFFFFFFF");
  const CStdStr<wchar_t> text = VelUt::GetSystemErrorMessage(static_cast<unsigned int>(value));
  PrintText(args, text, {{"code", static_cast<unsigned int>(value)}});
  return text.empty() ? kFalse : kTrue;
}

// install: starts the installer for a package or patch.
int Install(const Args& args) {
  const std::vector<std::wstring>& words = args.Positional(1, 10000);
  CStdStr<wchar_t> rest;
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (i > 1) rest += L' ';
    rest += words[i];
  }
  const signed char started =
      VelUt::StartMsiInstallation(words[0], rest, args.Flag("wait") ? 1 : 0);
  if (args.Json()) PrintText(args, L"", {{"result", started != 0}});
  return started ? kTrue : kFalse;
}

}  // namespace

void AddSystemCommands(std::vector<Command>& commands) {
  commands.push_back({"error",
                      "show the system's text for an error code",
                      "velut error CODE\n"
                      "  Prints the message text for CODE (decimal or 0x hexadecimal;\n"
                      "  -1 or 0xFFFFFFFF is this process's last error), without the\n"
                      "  final period; a code without text gives the text of\n"
                      "  0x800300FD. False (exit 1) when there is no text at all.",
                      {},
                      {},
                      Error});
  commands.push_back({"install",
                      "start MsiExec.exe for a package or patch",
                      "velut install [--wait] FILE [ARGS...]\n"
                      "  Runs \"MsiExec.exe /i FILE ARGS\" (\"/p\" for a .msp patch;\n"
                      "  just \"MsiExec.exe ARGS\" when FILE is \"\"), found on PATH as\n"
                      "  MsiExec.exe or msiexec, never through a shell. --wait waits for\n"
                      "  it to end. A failed start prints the system's error text on\n"
                      "  standard error and is false (exit 1).",
                      {},
                      {"wait"},
                      Install});
}

}  // namespace velut
