// velut commands over case-insensitive search and the array helpers.
#include <locale>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli.h"

namespace velut {
namespace {

using Str = CStdStr<wchar_t>;

// A decimal number from 0 to 4294967295, digits only.
unsigned int UnsignedArg(const std::string& text) {
  unsigned long long value = 0;
  bool ok = !text.empty() && text.size() <= 10;
  for (const char c : text) {
    if (c < '0' || c > '9') ok = false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (!ok || value > 4294967295ull) throw Error("not a number from 0 to 4294967295: " + text);
  return static_cast<unsigned int>(value);
}

// Makes the locale named by --locale global for the rest of the run.
void ApplyLocaleOption(const Args& args) {
  if (!args.Has("locale")) return;
  const std::string name = WideToUtf8(args.Option("locale", L""));
  try {
    std::locale::global(std::locale(name));
  } catch (const std::runtime_error&) {
    throw Error("unknown locale " + name);
  }
}

// The pieces of `input` cut at any of `separators`, empty ones left out
// when `skip_empty`.
std::vector<std::string> Cut(const std::string& input, const char* separators, bool skip_empty) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= input.size()) {
    std::size_t end = input.find_first_of(separators, start);
    if (end == std::string::npos) end = input.size();
    if (!(skip_empty && end == start)) pieces.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

Reply Find(const Args& args) {
  const int at = VelUt::FindNoCase(args[0].c_str(), args[1].c_str(), args.IntOption("start", 0));
  // A negative start reports a match at 0 as the start itself.
  return Reply::Number(at, at != -1).Line(std::to_string(at));
}

Reply Replace(const Args& args) {
  Str text(args[0]);
  const int n =
      VelUt::ReplaceNoCase(text, args[1].c_str(), args.size() == 3 ? args[2].c_str() : nullptr);
  return Reply::Number(n, true).Show("text", text);
}

Reply Dedupe(const Args& args) {
  ApplyLocaleOption(args);
  std::vector<std::string> lines = Cut(ReadInput(), "\n", false);
  if (lines.back().empty()) lines.pop_back();  // the final line feed ends a line
  CStdContainer<Str, std::vector> list;
  for (const std::string& line : lines) list.Add(Str(Utf8ToWide(line)));
  const int n = VelUt::RemoveDuplicates(list);
  return Reply::Number(n, true).Items(list);
}

Reply Sort(const Args& args) {
  std::vector<std::string> words;
  for (const std::wstring& w : args.From(0)) words.push_back(WideToUtf8(w));
  if (words.empty()) words = Cut(ReadInput(), " \t\n\v\f\r", true);
  CArray<unsigned int, unsigned int> values;
  for (const std::string& w : words) values.Add(UnsignedArg(w));
  VelUt::SortArray(values);
  std::string plain, array;
  for (int i = 0; i < values.GetSize(); ++i) {
    plain += (i ? " " : "") + std::to_string(values[i]);
    array += (i ? "," : "") + std::to_string(values[i]);
  }
  Reply r = Reply::Bool(true).Line(plain);
  r.json.Raw("items", "[" + array + "]");
  return r;
}

}  // namespace

void AddSearchCommands(std::vector<Command>& commands) {
  commands.push_back({"find",
                      "find a pattern with letter case ignored",
                      {{"TEXT", Operand::kText}, {"PATTERN", Operand::kWord}},
                      {{"start", "N", "the position to search from (default 0)"}},
                      false,
                      "Prints the position of the first occurrence of PATTERN in TEXT at\n"
                      "or after N, A-Z matching a-z, or -1; \"result\" is that number. A\n"
                      "negative N reports a match at position 0 as N itself.",
                      "PATTERN was found",
                      "it was not (-1)",
                      Find});
  commands.push_back(
      {"replace",
       "replace a pattern throughout, letter case ignored",
       {{"TEXT", Operand::kText}, {"PATTERN", Operand::kWord}, {"[REPLACEMENT]", Operand::kWord}},
       {},
       false,
       "Replaces every occurrence of PATTERN (A-Z matching a-z) from left\n"
       "to right by REPLACEMENT, or deletes it when REPLACEMENT is missing,\n"
       "and prints the text; \"result\" is the number of replacements.",
       "always",
       nullptr,
       Replace});
  commands.push_back({"dedupe",
                      "remove duplicate lines, such as paths",
                      {},
                      {{"locale", "NAME", "lower case through this locale (C.UTF-8, say)"}},
                      false,
                      "Reads lines from standard input and prints the first of each group\n"
                      "of duplicates: lines equal once trimmed, without one trailing\n"
                      "separator and lowered through the global locale (classic, or\n"
                      "NAME). \"result\" is the number of kept lines that lost a\n"
                      "duplicate, \"items\" the lines kept.",
                      "always",
                      nullptr,
                      Dedupe});
  commands.push_back({"sort",
                      "sort unsigned 32-bit numbers",
                      {{"[NUMBER...]", Operand::kWord}},
                      {},
                      false,
                      "Sorts the numbers (0 to 4294967295) given, or read from standard\n"
                      "input when there are none, and prints them in ascending order\n"
                      "(JSON: \"items\").",
                      "always",
                      nullptr,
                      Sort});
}

}  // namespace velut
