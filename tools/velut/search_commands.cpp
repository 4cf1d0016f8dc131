// velut commands over case-insensitive search and the array helpers.
#include <climits>
#include <iostream>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli.h"

namespace velut {
namespace {

using Str = CStdStr<wchar_t>;

// The int value of --NAME, or `fallback` when it is absent.
int IntOption(const Args& args, const std::string& name, int fallback) {
  if (!args.Has(name)) return fallback;
  const std::string text = ToUtf8(args.Option(name, L""));
  std::size_t used = 0;
  long value = 0;
  try {
    value = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value < INT_MIN || value > INT_MAX)
    throw UsageError("--" + name + " takes an integer");
  return static_cast<int>(value);
}

// A decimal number from 0 to 4294967295, digits only.
unsigned int UnsignedArg(const std::string& text) {
  unsigned long long value = 0;
  bool ok = !text.empty() && text.size() <= 10;
  for (const char c : text) {
    if (c < '0' || c > '9') ok = false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (!ok || value > 4294967295ull) throw UsageError("not a number from 0 to 4294967295: " + text);
  return static_cast<unsigned int>(value);
}

// Makes the locale named by --locale global for the rest of the run.
void ApplyLocaleOption(const Args& args) {
  if (!args.Has("locale")) return;
  const std::string name = ToUtf8(args.Option("locale", L""));
  try {
    std::locale::global(std::locale(name));
  } catch (const std::runtime_error&) {
    throw UsageError("unknown locale " + name);
  }
}

int Find(const Args& args) {
  const auto& words = args.Positional(2, 2);
  const int at = VelUt::FindNoCase(words[0].c_str(), words[1].c_str(), IntOption(args, "start", 0));
  if (args.Json())
    std::cout << "{\"position\":" << at << "}\n";
  else
    std::cout << at << '\n';
  // A negative start reports a match at 0 as the start itself.
  return at != -1 ? kTrue : kFalse;
}

int Replace(const Args& args) {
  const auto& words = args.Positional(2, 3);
  Str text(words[0]);
  const int n =
      VelUt::ReplaceNoCase(text, words[1].c_str(), words.size() == 3 ? words[2].c_str() : nullptr);
  PrintText(args, text, {{"count", n}});
  return kTrue;
}

int Dedupe(const Args& args) {
  args.Positional(0, 0);
  ApplyLocaleOption(args);
  CStdContainer<Str, std::vector> list;
  std::string line;
  while (std::getline(std::cin, line)) list.Add(Str(FromUtf8(line)));
  const int n = VelUt::RemoveDuplicates(list);
  if (!args.Json()) {
    for (const Str& s : list) std::cout << ToUtf8(s) << '\n';
    return kTrue;
  }
  std::cout << "{\"lines\":[";
  for (int i = 0; i < list.GetCount(); ++i) std::cout << (i ? "," : "") << JsonString(list[i]);
  std::cout << "],\"count\":" << n << "}\n";
  return kTrue;
}

int Sort(const Args& args) {
  CArray<unsigned int, unsigned int> values;
  const auto& words = args.Positional(0, static_cast<std::size_t>(-1));
  if (!words.empty()) {
    for (const auto& w : words) values.Add(UnsignedArg(ToUtf8(w)));
  } else {
    std::string word;
    while (std::cin >> word) values.Add(UnsignedArg(word));
  }
  VelUt::SortArray(values);
  std::ostringstream out;
  for (int i = 0; i < values.GetSize(); ++i)
    out << (i ? (args.Json() ? "," : " ") : "") << values[i];
  if (args.Json())
    std::cout << "{\"values\":[" << out.str() << "]}\n";
  else
    std::cout << out.str() << '\n';
  return kTrue;
}

}  // namespace

void AddSearchCommands(std::vector<Command>& commands) {
  commands.push_back({"find",
                      "find a pattern with letter case ignored",
                      "velut find [--start N] TEXT PATTERN\n"
                      "  Prints the position of the first occurrence of PATTERN in\n"
                      "  TEXT at or after N (default 0), A-Z matching a-z; -1 and\n"
                      "  exit 1 when there is none. A negative N reports a match at\n"
                      "  position 0 as N itself.",
                      {"start"},
                      {},
                      Find});
  commands.push_back({"replace",
                      "replace a pattern throughout, letter case ignored",
                      "velut replace TEXT PATTERN [REPLACEMENT]\n"
                      "  Replaces every occurrence of PATTERN (A-Z matching a-z) from\n"
                      "  left to right by REPLACEMENT, or deletes it when REPLACEMENT\n"
                      "  is missing. Prints the text (--json: and the count).",
                      {},
                      {},
                      Replace});
  commands.push_back({"dedupe",
                      "remove duplicate lines, such as paths",
                      "velut dedupe [--locale NAME] < LINES\n"
                      "  Reads lines from standard input and prints the first of each\n"
                      "  group of duplicates: lines equal once trimmed, without one\n"
                      "  trailing separator and lowered through the global locale\n"
                      "  (classic, or NAME such as C.UTF-8). --json also gives the\n"
                      "  count of kept lines that lost a duplicate.",
                      {"locale"},
                      {},
                      Dedupe});
  commands.push_back({"sort",
                      "sort unsigned 32-bit numbers",
                      "velut sort [NUMBER...]\n"
                      "  Sorts the numbers (0 to 4294967295) given as arguments, or\n"
                      "  read from standard input when there are none, and prints\n"
                      "  them in ascending order.",
                      {},
                      {},
                      Sort});
}

}  // namespace velut
