#include "cli.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <WinAPI/Message.h>

#include <textbase/unicode.h>

namespace velut {
namespace {

// Every option a command takes: its own, then --json, --win-paths for
// commands that print paths, and --help.
std::vector<OptionDef> AllOptions(const Command& command) {
  std::vector<OptionDef> all = command.options;
  all.push_back({"json", nullptr, "print one JSON object on one line"});
  if (command.prints_paths)
    all.push_back({"win-paths", nullptr, "print paths as the library writes them (\\tmp\\x)"});
  return all;
}

// The command line of `command` ("velut escape [--chars SET] ... TEXT").
std::string Synopsis(const Command& command) {
  std::string line = std::string("velut ") + command.name;
  for (const OptionDef& o : AllOptions(command))
    line += std::string(" [--") + o.name + (o.value ? std::string(" ") + o.value : "") + "]";
  for (const OperandDef& s : command.operands) line += std::string(" ") + s.name;
  return line;
}

// An operand's name without brackets and dots: "[ITEM...]" is "ITEM".
std::string Strip(const char* operand) {
  std::string name = operand;
  name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == '[' || c == ']'; }),
             name.end());
  if (name.size() > 3 && name.compare(name.size() - 3, 3, "...") == 0) name.resize(name.size() - 3);
  return name;
}

}  // namespace

std::string JsonString(const std::wstring& text) {
  std::wstring out = L"\"";
  for (const wchar_t c : text) {
    const auto u = static_cast<std::uint32_t>(c);
    if (c == L'"' || c == L'\\') {
      out += L'\\';
      out += c;
    } else if (c == L'\n') {
      out += L"\\n";
    } else if (c == L'\r') {
      out += L"\\r";
    } else if (c == L'\t') {
      out += L"\\t";
    } else if (u < 0x20 || velut::textbase::IsByteUnit(static_cast<char32_t>(c))) {
      char escape[8];
      const int n = std::snprintf(escape, sizeof escape, "\\u%04x", u);
      out.append(escape, escape + n);
    } else {
      out += c;
    }
  }
  return WideToUtf8(out + L'"');
}

std::string ReadAll(int fd, const std::string& what) {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      bytes.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      return bytes;
    } else if (errno != EINTR) {
      throw Error("cannot read " + what + ": " + std::strerror(errno));
    }
  }
}

bool WriteAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ParseNumber(const std::wstring& text, int base, long long min, long long max,
                 long long& value) {
  const std::string digits = WideToUtf8(text);
  // Base 0 reads "0x" as hexadecimal, but a leading 0 stays decimal.
  if (base == 0)
    base = digits.compare(0, 2, "0x") == 0 || digits.compare(0, 2, "0X") == 0 ? 16 : 10;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(digits.c_str(), &end, base);
  if (digits.empty() || *end != '\0' || errno != 0 || v < min || v > max) return false;
  value = v;
  return true;
}

std::string SystemText(DWORD code, const std::string& subject) {
  // The system's text with its inserts filled, as Windows fills them; a
  // text FormatMessage cannot give is the library's (the fallback's).
  const std::wstring filler = Utf8ToWide(subject);
  const DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(filler.c_str()),
                               reinterpret_cast<DWORD_PTR>(filler.c_str())};
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, code, 0x400, reinterpret_cast<LPWSTR>(&text), 0,
      reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(inserts)));
  if (n == 0 || text == nullptr) return WideToUtf8(VelUt::GetSystemErrorMessage(code));
  std::wstring filled(text, n);
  LocalFree(text);
  for (int i = 0; i < 2 && filled.size() >= 2; ++i)  // trimmed as the library trims
    if (filled.back() == L'\r' || filled.back() == L'\n') filled.pop_back();
  if (filled.size() >= 2 && filled.back() == L'.') filled.pop_back();
  return WideToUtf8(filled);
}

Json& Json::Raw(const char* name, const std::string& json) {
  if (!body_.empty()) body_ += ',';
  body_ += std::string("\"") + name + "\":" + json;
  return *this;
}

Reply Reply::Bool(bool result) {
  Reply r;
  r.status = result ? kTrue : kFalse;
  r.json.Bool("result", result);
  return r;
}

Reply Reply::Number(long long result, bool truth) {
  Reply r;
  r.status = truth ? kTrue : kFalse;
  r.json.Number("result", result);
  return r;
}

Reply Reply::Failure(const std::string& why) {
  Reply r = Bool(false);
  r.error = why;
  return r;
}

Reply& Reply::Show(const char* name, const std::wstring& text) {
  json.Text(name, text);
  return Line(WideToUtf8(text));
}

Reply& Reply::Items(const CStdContainer<CStdStr<wchar_t>, std::vector>& items) {
  std::string array = "[";
  for (int i = 0; i < items.GetCount(); ++i) {
    array += (i ? "," : "") + JsonString(items[i]);
    Line(WideToUtf8(items[i]));
  }
  json.Raw("items", array + "]");
  return *this;
}

Reply& Reply::Line(const std::string& bytes) {
  plain += bytes;
  plain += '\n';
  return *this;
}

Args::Args(const Command& command, const std::vector<std::string>& argv) {
  const std::vector<OptionDef> known = AllOptions(command);
  std::vector<std::string> words;
  bool words_only = false;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (words_only || a.size() < 3 || a.compare(0, 2, "--") != 0) {
      if (a == "--" && !words_only)
        words_only = true;
      else
        words.push_back(a);
      continue;
    }
    std::string name = a.substr(2);
    const std::size_t eq = name.find('=');
    const bool inline_value = eq != std::string::npos;
    std::string value = inline_value ? name.substr(eq + 1) : std::string();
    if (inline_value) name.resize(eq);
    const auto option = std::find_if(known.begin(), known.end(),
                                     [&](const OptionDef& o) { return name == o.name; });
    if (option == known.end()) throw Error("unknown option --" + name);
    if (option->value == nullptr) {
      if (inline_value) throw Error("--" + name + " takes no value");
      flags_[name] = true;
      continue;
    }
    if (!inline_value) {
      if (i + 1 >= argv.size()) throw Error("--" + name + " needs a value");
      value = argv[++i];
    }
    options_[name] = Utf8ToWide(value);
  }

  const std::vector<OperandDef>& defs = command.operands;
  const std::size_t required = static_cast<std::size_t>(std::count_if(
      defs.begin(), defs.end(), [](const OperandDef& s) { return s.name[0] != '['; }));
  const bool repeated =
      !defs.empty() && std::string(defs.back().name).find("...") != std::string::npos;
  if (words.size() < required) throw Error("missing " + Strip(defs[words.size()].name));
  if (!repeated && words.size() > defs.size()) throw Error("too many operands");
  for (std::size_t i = 0; i < words.size(); ++i) {
    const Operand kind = defs[std::min(i, defs.size() - 1)].kind;
    if (kind != Operand::kText || words[i] != "-") {
      operands_.push_back(Utf8ToWide(words[i]));
      continue;
    }
    std::string text = ReadInput();
    if (!text.empty() && text.back() == '\n') text.pop_back();
    operands_.push_back(Utf8ToWide(text));
  }
}

std::vector<std::wstring> Args::From(std::size_t first) const {
  return std::vector<std::wstring>(operands_.begin() + static_cast<std::ptrdiff_t>(first),
                                   operands_.end());
}

std::wstring Args::Option(const std::string& name, const std::wstring& fallback) const {
  const auto it = options_.find(name);
  return it == options_.end() ? fallback : it->second;
}

wchar_t Args::CharOption(const std::string& name, wchar_t fallback) const {
  if (!Has(name)) return fallback;
  const std::wstring v = Option(name, L"");
  if (v.size() != 1) throw Error("--" + name + " takes exactly one character");
  return v[0];
}

int Args::IntOption(const std::string& name, int fallback) const {
  long long value = fallback;
  if (Has(name) && !ParseNumber(Option(name, L""), 10, INT_MIN, INT_MAX, value))
    throw Error("--" + name + " takes a whole number");
  return static_cast<int>(value);
}

std::wstring Args::Shown(const std::wstring& path) const {
  std::string native;
  if (Flag("win-paths") || !PathToNative(path.c_str(), native)) return path;
  return Utf8ToWide(native);
}

std::string Help(const Command& command) {
  std::string help = "usage: " + Synopsis(command) + "\n" + command.description + "\n";
  for (const OperandDef& s : command.operands) {
    if (s.kind == Operand::kText)
      help += "  " + Strip(s.name) + " may be - to read it from standard input.\n";
    else if (s.kind == Operand::kFile)
      help += "  " + Strip(s.name) + " may be - to read the file from standard input.\n";
  }
  help += "\noptions:\n";
  std::vector<OptionDef> options = AllOptions(command);
  options.push_back({"help", nullptr, "print this help"});
  for (const OptionDef& o : options) {
    std::string head = std::string("--") + o.name + (o.value ? std::string(" ") + o.value : "");
    head.resize(std::max<std::size_t>(head.size() + 2, 16), ' ');
    help += "  " + head + o.help + "\n";
  }
  help += "\nexit status:\n";
  help += std::string("  0  ") + command.status_true + "\n";
  if (command.status_false != nullptr) help += std::string("  1  ") + command.status_false + "\n";
  help += "  2  an error: a usage error, or input or output that failed\n";
  return help;
}

}  // namespace velut
