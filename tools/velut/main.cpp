// velut: the library's functions from the shell. UTF-8 in and out; exit
// status 0 for a true result, 1 for a false one, 2 for a usage error.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

namespace {

std::vector<velut::Command> AllCommands() {
  std::vector<velut::Command> commands;
  velut::AddTextCommands(commands);
  velut::AddSearchCommands(commands);
  velut::AddListCommands(commands);
  velut::AddStringsCommands(commands);
  velut::AddConvertCommands(commands);
  velut::AddSystemCommands(commands);
  velut::AddPathCommands(commands);
  return commands;
}

void PrintHelp(const std::vector<velut::Command>& commands) {
  std::cout << "usage: velut COMMAND [OPTIONS] ARGS...\n"
               "       velut COMMAND --help | velut --help | velut --version\n\n"
               "Runs one libVelUt function on its arguments (UTF-8). Exit status:\n"
               "0 for a true result, 1 for a false one, 2 for a usage error.\n"
               "Every command takes --json for machine-readable output.\n\n"
               "commands:\n";
  for (const auto& c : commands) {
    std::string name = c.name;
    name.resize(std::max<std::size_t>(name.size() + 2, 14), ' ');
    std::cout << "  " << name << c.summary << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<velut::Command> commands = AllCommands();
  std::vector<std::string> rest(argv + std::min(argc, 2), argv + argc);
  if (argc < 2) {
    std::cerr << "velut: missing command (try velut --help)\n";
    return velut::kUsage;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(commands);
    return velut::kTrue;
  }
  if (name == "--version") {
    std::cout << "velut " << VELUT_VERSION_MAJOR << '.' << VELUT_VERSION_MINOR << '.'
              << VELUT_VERSION_PATCH << '\n';
    return velut::kTrue;
  }
  for (const auto& c : commands) {
    if (c.name != name) continue;
    for (const auto& a : rest) {
      if (a == "--") break;
      if (a == "--help" || a == "-h") {
        std::cout << "usage: " << c.usage << '\n';
        return velut::kTrue;
      }
    }
    try {
      return c.run(velut::Args(rest, c.options, c.flags));
    } catch (const velut::UsageError& e) {
      std::cerr << "velut " << name << ": " << e.what() << '\n';
      return velut::kUsage;
    }
  }
  std::cerr << "velut: unknown command '" << name << "' (try velut --help)\n";
  return velut::kUsage;
}
