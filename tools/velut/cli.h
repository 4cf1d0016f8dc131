// Command-line plumbing for velut: the commands' descriptions, their
// operands and options, and replies in plain and JSON form. Text crosses
// the byte edges with the layer's Utf8ToWide and WideToUtf8, which keep
// bytes that are not UTF-8 as they are.
#pragma once

#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <VelUt/VelUt.h>

namespace velut {

// Exit statuses: a true result, a false one, an error.
enum Status { kTrue = 0, kFalse = 1, kError = 2 };

// Ends a command with status 2 and the one line "velut: COMMAND: <what>":
// a usage error, or input that could not be read or used at all.
struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A JSON string literal, quotes included, in valid UTF-8: a unit that
// stands for a byte that is not UTF-8 is written as "\udcXX", any other
// unit that is no character as U+FFFD.
std::string JsonString(const std::wstring& text);
// Reads `text` as a whole number from `min` to `max` in `base`, or with
// `base` 0 in decimal, or hexadecimal after "0x" (a leading 0 is no octal
// prefix); false when it is none or out of range.
bool ParseNumber(const std::wstring& text, int base, long long min, long long max,
                 long long& value);
// An operand as a message names it: in single quotes, its bytes as given.
inline std::string Quoted(const std::wstring& text) { return "'" + WideToUtf8(text) + "'"; }
// All that can be read from `fd`; Error naming `what` when that fails.
std::string ReadAll(int fd, const std::string& what);
// Writes all of `bytes` to `fd`; false with errno set when that fails.
bool WriteAll(int fd, const std::string& bytes);
// All of standard input.
inline std::string ReadInput() { return ReadAll(0, "standard input"); }
// The system's text for a last-error code, "%1" filled with `subject`.
std::string SystemText(DWORD code, const std::string& subject = "the file");

// One JSON object, its fields in the order added.
class Json {
 public:
  Json& Bool(const char* name, bool value) { return Raw(name, value ? "true" : "false"); }
  Json& Number(const char* name, long long value) { return Raw(name, std::to_string(value)); }
  Json& Text(const char* name, const std::wstring& text) { return Raw(name, JsonString(text)); }
  // A value already written as JSON (an array, an object, null).
  Json& Raw(const char* name, const std::string& json);
  std::string str() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

// What a command answers: its exit status, its plain output, its --json
// object, and, for a false status that means something failed (a file not
// found, a text not read), the reason, which goes to standard error.
struct Reply {
  int status = kTrue;
  std::string plain;
  Json json;
  std::string error;

  // A boolean result; status 0 when true, 1 when false.
  static Reply Bool(bool result);
  // A numeric result; status 0 when `truth`, 1 otherwise.
  static Reply Number(long long result, bool truth);
  // A false result because something could not be read, found or parsed.
  static Reply Failure(const std::string& why);

  // Adds `text` as the next plain output line and as the JSON field `name`.
  Reply& Show(const char* name, const std::wstring& text);
  // Adds the items as plain output lines and as the JSON array "items".
  Reply& Items(const CStdContainer<CStdStr<wchar_t>, std::vector>& items);
  // Adds a line to the plain output only.
  Reply& Line(const std::string& bytes);
};

// How an operand is read. kText (a TEXT or PATH): "-" reads it from
// standard input, without its final line feed. kFile: "-" stands for the
// file's content on standard input, which the command reads itself.
// kWord: taken as it is.
enum class Operand { kWord, kText, kFile };

// An operand as the usage names it: "TEXT", "[REPLACEMENT]" (optional) or
// "[ITEM...]" (any number, last only).
struct OperandDef {
  const char* name;
  Operand kind;
};

// An option: its name without "--", the name of its value (null for a
// switch) and a line of help.
struct OptionDef {
  const char* name;
  const char* value;
  const char* help;
};

class Args;

// A command: its name, a one-line summary, operands and options, whether
// it prints paths of this machine (and so takes --win-paths), a paragraph
// of description, the meanings of exit statuses 0 and 1, and its code.
struct Command {
  const char* name;
  const char* summary;
  std::vector<OperandDef> operands;
  std::vector<OptionDef> options;
  bool prints_paths;
  const char* description;
  const char* status_true;
  const char* status_false;
  Reply (*run)(const Args&);
};

// The parsed arguments of one command: options "--name VALUE" or
// "--name=VALUE", switches "--name", and the operands, checked against the
// command's description. "--" ends the options.
class Args {
 public:
  Args(const Command& command, const std::vector<std::string>& argv);

  std::size_t size() const { return operands_.size(); }
  const std::wstring& operator[](std::size_t i) const { return operands_[i]; }
  // The operands from `first` on.
  std::vector<std::wstring> From(std::size_t first) const;

  bool Flag(const std::string& name) const { return flags_.count(name) != 0; }
  bool Has(const std::string& name) const { return options_.count(name) != 0; }
  std::wstring Option(const std::string& name, const std::wstring& fallback) const;
  // A single-character option (an escape character, say).
  wchar_t CharOption(const std::string& name, wchar_t fallback) const;
  // An int option; `fallback` when absent.
  int IntOption(const std::string& name, int fallback) const;

  // A path the library made, as it is printed: the native path (the raw
  // bytes of a name that is not UTF-8 again), or with --win-paths the
  // library's own text.
  std::wstring Shown(const std::wstring& path) const;

 private:
  std::map<std::string, std::wstring> options_;
  std::map<std::string, bool> flags_;
  std::vector<std::wstring> operands_;
};

// The full help of `command`: usage, description, options, exit statuses.
std::string Help(const Command& command);

// Registration of the command groups, one function per area.
void AddTextCommands(std::vector<Command>& commands);
void AddSearchCommands(std::vector<Command>& commands);
void AddListCommands(std::vector<Command>& commands);
void AddStringsCommands(std::vector<Command>& commands);
void AddConvertCommands(std::vector<Command>& commands);
void AddSystemCommands(std::vector<Command>& commands);
void AddPathCommands(std::vector<Command>& commands);

}  // namespace velut
