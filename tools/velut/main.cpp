// velut: the library's functions from the shell. Each command prints its
// answer, or with --json one JSON object on one line, and exits 0 for a
// true result, 1 for a false one and 2 for an error. Whatever fails is
// said in exactly one line on standard error that begins with "velut:".
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cli.h"

namespace {

using velut::Command;

std::vector<Command> AllCommands() {
  std::vector<Command> commands;
  velut::AddTextCommands(commands);
  velut::AddSearchCommands(commands);
  velut::AddListCommands(commands);
  velut::AddStringsCommands(commands);
  velut::AddConvertCommands(commands);
  velut::AddSystemCommands(commands);
  velut::AddPathCommands(commands);
  return commands;
}

// "velut 0.1.0": the version of the library the tool was built with.
std::string VersionLine() {
  return "velut " + std::to_string(VELUT_VERSION_MAJOR) + '.' +
         std::to_string(VELUT_VERSION_MINOR) + '.' + std::to_string(VELUT_VERSION_PATCH) + '\n';
}

std::string MainHelp(const std::vector<Command>& commands) {
  std::string help =
      "usage: velut COMMAND [OPTIONS] OPERANDS...\n"
      "       velut COMMAND --help | velut --help | velut --version\n\n"
      "Runs one libVelUt function on its operands (UTF-8; other bytes pass\n"
      "through unchanged). Exit status: 0 for a true result, 1 for a false\n"
      "one, 2 for an error; whatever fails is said in one line on standard\n"
      "error that begins with \"velut:\". A TEXT, PATH, PACKAGE or FILE\n"
      "operand may be - to read it from standard input. Paths are printed\n"
      "natively (/tmp/x); --win-paths prints the library's own text\n"
      "(\\tmp\\x).\n"
      "--json prints one JSON object on one line: \"result\" is true or\n"
      "false (or the number the function returns), \"error\" the message\n"
      "of a failure.\n\n"
      "commands:\n";
  for (const Command& c : commands) {
    std::string name = c.name;
    name.resize(std::max<std::size_t>(name.size() + 2, 14), ' ');
    help += "  " + name + c.summary + "\n";
  }
  return help;
}

// The outcome of one run: the exit status, standard output, and the
// message of the one "velut:" line (none when empty).
struct Outcome {
  int status;
  std::string out;
  std::string message;
};

bool IsHelp(const std::string& a) { return a == "--help" || a == "-h"; }

// Runs one command. Every exception ends it with status 2 and its message;
// with --json the message is also the object {"error": ...}.
Outcome RunCommand(const Command& command, const std::vector<std::string>& argv) {
  const auto options_end = std::find(argv.begin(), argv.end(), "--");
  const bool json = std::find(argv.begin(), options_end, "--json") != options_end;
  const std::string prefix = std::string(command.name) + ": ";
  std::string why;
  try {
    if (std::any_of(argv.begin(), options_end, IsHelp))
      return {velut::kTrue, velut::Help(command), ""};
    velut::Reply r = command.run(velut::Args(command, argv));
    if (!r.error.empty()) r.json.Text("error", Utf8ToWide(r.error));
    return {r.status, json ? r.json.str() + "\n" : r.plain,
            r.error.empty() ? "" : prefix + r.error};
  } catch (const velut::Error& e) {
    why = e.what();
  } catch (const std::bad_alloc&) {
    why = "out of memory";
  } catch (CMemoryException* e) {
    e->Delete();
    why = "out of memory";
  } catch (CDravoMemoryException*) {
    why = "out of memory";
  } catch (CException* e) {
    e->Delete();
    why = "unexpected failure";
  } catch (const std::exception& e) {
    why = std::string("unexpected failure: ") + e.what();
  } catch (...) {
    why = "unexpected failure";
  }
  const std::string out = json ? velut::Json().Text("error", Utf8ToWide(why)).str() + "\n" : "";
  return {velut::kError, out, prefix + why};
}

// Ends the process by SIGPIPE, with its default action, as a program that
// never ignored it would have ended (status 141 in the shell).
[[noreturn]] void EndBySigpipe() {
  std::signal(SIGPIPE, SIG_DFL);
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  sigprocmask(SIG_UNBLOCK, &pipe, nullptr);
  raise(SIGPIPE);
  _exit(128 + SIGPIPE);
}

Outcome Run(int argc, char** argv) {
  if (argc < 2) return {velut::kError, "", "missing command (try velut --help)"};
  const std::string name = argv[1];
  const std::vector<Command> commands = AllCommands();
  if (name == "--help" || name == "-h" || name == "help")
    return {velut::kTrue, MainHelp(commands), ""};
  if (name == "--version") return {velut::kTrue, VersionLine(), ""};
  for (const Command& c : commands)
    if (c.name == name) return RunCommand(c, std::vector<std::string>(argv + 2, argv + argc));
  return {velut::kError, "", "unknown command '" + name + "' (try velut --help)"};
}

}  // namespace

int main(int argc, char** argv) {
  // Writes report a closed pipe as EPIPE, so that the tool decides.
  std::signal(SIGPIPE, SIG_IGN);
  Outcome o = Run(argc, argv);
  if (!velut::WriteAll(STDOUT_FILENO, o.out)) {
    // A reader that went away (velut dll FILE | head -1) ends the tool
    // quietly, by SIGPIPE, as coreutils end; other write errors are errors.
    if (errno == EPIPE) EndBySigpipe();
    o = {velut::kError, "", std::string("cannot write standard output: ") + std::strerror(errno)};
  }
  if (!o.message.empty()) {
    std::string line = "velut: ";
    for (const char c : o.message) line += c == '\n' ? std::string("\\n") : std::string(1, c);
    velut::WriteAll(STDERR_FILENO, line + "\n");
  }
  return o.status;
}
