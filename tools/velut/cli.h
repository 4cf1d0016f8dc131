// Command-line plumbing for velut: arguments, UTF-8 edges, output.
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <VelUt/VelUt.h>

namespace velut {

// Thrown for a usage error; main prints "velut: <message>" and exits 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Exit statuses: a true result, a false one, a usage error.
enum Status { kTrue = 0, kFalse = 1, kUsage = 2 };

std::wstring FromUtf8(const std::string& text);
std::string ToUtf8(const std::wstring& text);
// A JSON string literal (quotes included) for `text`.
std::string JsonString(const std::wstring& text);

// The parsed arguments of one command: --name VALUE options, --flag
// switches and positional words. "--" ends the options.
class Args {
 public:
  // `options` take a value, `flags` do not; anything else starting with
  // "--" is a usage error.
  Args(const std::vector<std::string>& argv, const std::vector<std::string>& options,
       const std::vector<std::string>& flags);

  bool Flag(const std::string& name) const { return flags_.count(name) != 0; }
  bool Has(const std::string& name) const { return options_.count(name) != 0; }
  std::wstring Option(const std::string& name, const std::wstring& fallback) const;
  // A single-character option (an escape character, say).
  wchar_t CharOption(const std::string& name, wchar_t fallback) const;
  // The positional words, with exactly `min`..`max` of them required.
  const std::vector<std::wstring>& Positional(std::size_t min, std::size_t max) const;
  bool Json() const { return Flag("json"); }

 private:
  std::map<std::string, std::string> options_;
  std::map<std::string, bool> flags_;
  std::vector<std::wstring> positional_;
};

// A command: its name, one-line summary, usage text and entry point.
struct Command {
  std::string name;
  std::string summary;
  std::string usage;
  std::vector<std::string> options;
  std::vector<std::string> flags;
  std::function<int(const Args&)> run;
};

// Registration of the command groups, one function per area.
void AddTextCommands(std::vector<Command>& commands);
void AddSearchCommands(std::vector<Command>& commands);
void AddListCommands(std::vector<Command>& commands);
void AddStringsCommands(std::vector<Command>& commands);
void AddConvertCommands(std::vector<Command>& commands);
void AddSystemCommands(std::vector<Command>& commands);
void AddPathCommands(std::vector<Command>& commands);

// Prints one result line: the text as UTF-8, or with --json an object of
// the text and the named integer fields.
void PrintText(const Args& args, const std::wstring& text,
               const std::vector<std::pair<std::string, long long>>& fields);

}  // namespace velut
