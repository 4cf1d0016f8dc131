// velut commands over delimited lists, brackets and quotes.
#include <climits>

#include "cli.h"

namespace velut {
namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;

Reply Split(const Args& args) {
  int flags = 0;
  if (args.Flag("collapse")) flags |= PDS_COLLAPSE_DELIMITERS;
  if (args.Flag("skip-empty")) flags |= PDS_SKIP_EMPTY;
  if (args.Flag("quotes")) flags |= PDS_QUOTES;
  if (args.Flag("trim")) flags |= PDS_TRIM;
  StrList items;
  const signed char r =
      VelUt::ParseDelimitedString(Str(args[0]), Str(args.Option("delims", L",")), items, flags);
  return Reply::Bool(r != 0).Items(items);
}

Reply Join(const Args& args) {
  StrList items;
  for (const std::wstring& word : args.From(0)) items.Add(Str(word));
  VelString joined;
  const signed char r = VelUt::MakeDelimitedString(items, joined, args.Flag("skip-empty") ? 1 : 0,
                                                   Str(args.Option("separator", L",")));
  return Reply::Bool(r != 0).Show("text", joined.c_str());
}

Reply SplitOnce(const Args& args) {
  Str left, right;
  wchar_t delimiter = 0;
  const signed char r = VelUt::SplitString(Str(args[0]), Str(args.Option("delims", L"=")), left,
                                           right, delimiter, args.Flag("trim") ? 1 : 0);
  Reply reply = Reply::Bool(r != 0).Show("left", left).Show("right", right);
  reply.json.Raw("delimiter", r ? JsonString(std::wstring(1, delimiter)) : "null");
  return reply;
}

Reply Match(const Args& args) {
  long long value = 0;
  if (!ParseNumber(args[1], 10, INT_MIN, INT_MAX, value)) throw Error("POS must be a whole number");
  const int found =
      VelUt::FindMatchingChar(Str(args[0]), static_cast<int>(value),
                              args.Flag("skip-quoted") ? 1 : 0, args.CharOption("escape", 0));
  return Reply::Number(found, found >= 0).Line(std::to_string(found));
}

Reply Braces(const Args& args) {
  const signed char r =
      VelUt::MatchBraces(Str(args[0]), args.CharOption("brace", 0),
                         args.Flag("skip-quoted") ? 1 : 0, args.CharOption("escape", 0));
  return Reply::Bool(r != 0).Line(r ? "true" : "false");
}

Reply Unquote(const Args& args) {
  Str text(args[0]);
  const signed char r = VelUt::RemoveQuotes(text, args.CharOption("quote", L'"'));
  return Reply::Bool(r != 0).Show("text", text);
}

const OptionDef kSkipQuoted = {"skip-quoted", nullptr, "pass over quoted stretches"};
const OptionDef kEscape = {"escape", "C", "C escapes the character after it"};

}  // namespace

// A table of commands, data rather than steps: exempt from the length limit.
// NOLINTNEXTLINE(readability-function-size)
void AddListCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"split",
       "cut a text into items at delimiter characters",
       {{"TEXT", Operand::kText}},
       {{"delims", "SET", "the delimiter characters (default \",\")"},
        {"collapse", nullptr, "cut runs of delimiters once; no empty item at either end"},
        {"skip-empty", nullptr, "with --collapse: drop empty items"},
        {"quotes", nullptr, "do not cut inside '...' or \"...\""},
        {"trim", nullptr, "trim white space from each item"}},
       false,
       "Cuts TEXT at every character of SET and prints one item per line\n"
       "(JSON: \"items\").",
       "there is an item",
       "there is no item",
       Split});
  commands.push_back({"join",
                      "join items with a separator",
                      {{"[ITEM...]", Operand::kWord}},
                      {{"separator", "SEP", "the separator (default \",\")"},
                       {"skip-empty", nullptr, "drop empty items"}},
                      false,
                      "Joins the ITEMs with SEP and prints the text; no separator is\n"
                      "written while the text is still empty.",
                      "always",
                      nullptr,
                      Join});
  commands.push_back({"split-once",
                      "cut a text at its first delimiter",
                      {{"TEXT", Operand::kText}},
                      {{"delims", "SET", "the delimiter characters (default \"=\")"},
                       {"trim", nullptr, "trim white space from both parts"}},
                      false,
                      "Cuts TEXT at its first character of SET and prints the part\n"
                      "before and the part after on two lines (JSON: \"left\", \"right\"\n"
                      "and \"delimiter\", null when there is none).",
                      "TEXT holds a delimiter",
                      "TEXT holds no delimiter",
                      SplitOnce});
  commands.push_back({"match",
                      "find the bracket or quote matching the one at POS",
                      {{"TEXT", Operand::kText}, {"POS", Operand::kWord}},
                      {kSkipQuoted, kEscape},
                      false,
                      "Prints the position (from 0, in characters) of the partner of the\n"
                      "bracket or quote at POS, or -1; \"result\" is that number.",
                      "a partner was found",
                      "there is none (-1)",
                      Match});
  commands.push_back(
      {"braces",
       "check that every opening bracket has its match",
       {{"TEXT", Operand::kText}},
       {{"brace", "C", "check only the brackets C (default ( [ and {)"}, kSkipQuoted, kEscape},
       false,
       "Prints true when every opening bracket of TEXT has its partner.",
       "every bracket has its partner",
       "one has none (false)",
       Braces});
  commands.push_back({"unquote",
                      "trim a text and strip one quote from each end",
                      {{"TEXT", Operand::kText}},
                      {{"quote", "C", "the quote character (default '\"')"}},
                      false,
                      "Trims white space, then removes one C from each end, and prints\n"
                      "the text.",
                      "a quote was removed",
                      "none was",
                      Unquote});
}

}  // namespace velut
