// velut commands over delimited lists, brackets and quotes.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "cli.h"

namespace velut {
namespace {

using Str = CStdStr<wchar_t>;

int Split(const Args& args) {
  const Str text(args.Positional(1, 1)[0]);
  int flags = 0;
  if (args.Flag("collapse")) flags |= PDS_COLLAPSE_DELIMITERS;
  if (args.Flag("skip-empty")) flags |= PDS_SKIP_EMPTY;
  if (args.Flag("quotes")) flags |= PDS_QUOTES;
  if (args.Flag("trim")) flags |= PDS_TRIM;
  CStdContainer<Str, std::vector> items;
  const signed char r =
      VelUt::ParseDelimitedString(text, Str(args.Option("delims", L",")), items, flags);
  if (args.Json()) {
    std::cout << '[';
    for (int i = 0; i < items.GetCount(); ++i) std::cout << (i ? "," : "") << JsonString(items[i]);
    std::cout << "]\n";
  } else {
    for (const Str& item : items) std::cout << ToUtf8(item) << '\n';
  }
  return r ? kTrue : kFalse;
}

int Join(const Args& args) {
  CStdContainer<Str, std::vector> items;
  for (const std::wstring& word : args.Positional(0, SIZE_MAX)) items.Add(Str(word));
  VelString joined;
  VelUt::MakeDelimitedString(items, joined, args.Flag("skip-empty") ? 1 : 0,
                             Str(args.Option("separator", L",")));
  PrintText(args, joined.c_str(), {});
  return kTrue;
}

int SplitOnce(const Args& args) {
  const Str text(args.Positional(1, 1)[0]);
  Str left, right;
  wchar_t delimiter = 0;
  const signed char r = VelUt::SplitString(text, Str(args.Option("delims", L"=")), left, right,
                                           delimiter, args.Flag("trim") ? 1 : 0);
  if (args.Json()) {
    std::cout << "{\"left\":" << JsonString(left) << ",\"right\":" << JsonString(right)
              << ",\"delimiter\":"
              << (r ? JsonString(std::wstring(1, delimiter)) : std::string("null"))
              << ",\"result\":" << int(r) << "}\n";
  } else {
    std::cout << ToUtf8(left) << '\n' << ToUtf8(right) << '\n';
  }
  return r ? kTrue : kFalse;
}

int Match(const Args& args) {
  const auto& words = args.Positional(2, 2);
  const std::string pos = ToUtf8(words[1]);
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(pos.c_str(), &end, 10);
  if (pos.empty() || *end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX)
    throw UsageError("POS must be a whole number");
  const int found =
      VelUt::FindMatchingChar(Str(words[0]), static_cast<int>(value),
                              args.Flag("skip-quoted") ? 1 : 0, args.CharOption("escape", 0));
  if (args.Json())
    std::cout << "{\"position\":" << found << "}\n";
  else
    std::cout << found << '\n';
  return found >= 0 ? kTrue : kFalse;
}

int Braces(const Args& args) {
  const signed char r =
      VelUt::MatchBraces(Str(args.Positional(1, 1)[0]), args.CharOption("brace", 0),
                         args.Flag("skip-quoted") ? 1 : 0, args.CharOption("escape", 0));
  if (args.Json())
    std::cout << "{\"result\":" << int(r) << "}\n";
  else
    std::cout << (r ? "true" : "false") << '\n';
  return r ? kTrue : kFalse;
}

int Unquote(const Args& args) {
  Str text(args.Positional(1, 1)[0]);
  const signed char r = VelUt::RemoveQuotes(text, args.CharOption("quote", L'"'));
  PrintText(args, text, {{"result", r}});
  return r ? kTrue : kFalse;
}

}  // namespace

void AddListCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"split",
       "cut a text into items at delimiter characters",
       "velut split [--delims SET] [--collapse] [--skip-empty] [--quotes] [--trim] TEXT\n"
       "  Cuts TEXT at every character of SET (default \",\") and prints one\n"
       "  item per line (--json: an array). --collapse: runs of delimiters cut\n"
       "  once and leading or trailing ones make no empty item; --skip-empty\n"
       "  (with --collapse): drop empty items; --quotes: do not cut inside\n"
       "  '...' or \"...\"; --trim: trim white space from each item.\n"
       "  False (exit 1) when there is no item.",
       {"delims"},
       {"collapse", "skip-empty", "quotes", "trim"},
       Split});
  commands.push_back({"join",
                      "join items with a separator",
                      "velut join [--separator SEP] [--skip-empty] [ITEM...]\n"
                      "  Joins the ITEMs with SEP (default \",\"); no separator is\n"
                      "  written while the text is still empty. --skip-empty drops\n"
                      "  empty items.",
                      {"separator"},
                      {"skip-empty"},
                      Join});
  commands.push_back({"split-once",
                      "cut a text at its first delimiter",
                      "velut split-once [--delims SET] [--trim] TEXT\n"
                      "  Cuts TEXT at its first character of SET (default \"=\") and\n"
                      "  prints the part before and the part after on two lines\n"
                      "  (--json: with the delimiter). --trim trims both parts.\n"
                      "  False (exit 1) when TEXT holds no delimiter.",
                      {"delims"},
                      {"trim"},
                      SplitOnce});
  commands.push_back({"match",
                      "find the bracket or quote matching the one at POS",
                      "velut match [--skip-quoted] [--escape C] TEXT POS\n"
                      "  Prints the position (from 0, in characters) of the partner of\n"
                      "  the bracket or quote at POS, or -1 (exit 1). --skip-quoted\n"
                      "  passes over quoted stretches; C escapes the character after it.",
                      {"escape"},
                      {"skip-quoted"},
                      Match});
  commands.push_back({"braces",
                      "check that every opening bracket has its match",
                      "velut braces [--brace C] [--skip-quoted] [--escape C] TEXT\n"
                      "  True (exit 0) when every ( [ { of TEXT, or every C with\n"
                      "  --brace, has a matching partner; false (exit 1) otherwise.",
                      {"brace", "escape"},
                      {"skip-quoted"},
                      Braces});
  commands.push_back({"unquote",
                      "trim a text and strip one quote from each end",
                      "velut unquote [--quote C] TEXT\n"
                      "  Trims white space, then removes one C (default '\"') from\n"
                      "  each end. True (exit 0) when a quote was removed.",
                      {"quote"},
                      {},
                      Unquote});
}

}  // namespace velut
