// velut commands over escapes and edge trimming.
#include "cli.h"

namespace velut {
namespace {

using Str = CStdStr<wchar_t>;

// escape / unescape: the number of escapes changed, and the text.
Reply EscapeCommand(const Args& args, int (*fn)(Str&, const Str&, wchar_t)) {
  Str text(args[0]);
  const int n = fn(text, Str(args.Option("chars", L",;")), args.CharOption("escape", L'\\'));
  return Reply::Number(n, true).Show("text", text);
}

// trim-left / trim-right: the function's truth value, and the text.
Reply TrimCommand(const Args& args, signed char (*fn)(Str&, wchar_t)) {
  Str text(args[0]);
  const signed char r = fn(text, args.CharOption("char", L','));
  return Reply::Bool(r != 0).Show("text", text);
}

Reply Escape(const Args& args) { return EscapeCommand(args, VelUt::EscapeChar); }
Reply Unescape(const Args& args) { return EscapeCommand(args, VelUt::RemoveEscapeChar); }
Reply TrimLeft(const Args& args) { return TrimCommand(args, VelUt::TrimLeftChar); }
Reply TrimRight(const Args& args) { return TrimCommand(args, VelUt::TrimRightChar); }

const OptionDef kEscapeOptions[] = {{"chars", "SET", "the characters concerned (default \",;\")"},
                                    {"escape", "C", "the escape character (default \\)"}};
const OptionDef kCharOption = {"char", "C", "the character to trim (default ',')"};

}  // namespace

void AddTextCommands(std::vector<Command>& commands) {
  commands.push_back({"escape",
                      "put an escape character before listed characters",
                      {{"TEXT", Operand::kText}},
                      {std::begin(kEscapeOptions), std::end(kEscapeOptions)},
                      false,
                      "Escapes every character of TEXT found in SET with C and prints the\n"
                      "text; \"result\" is the number of escapes inserted.",
                      "always",
                      nullptr,
                      Escape});
  commands.push_back({"unescape",
                      "remove escape characters before listed characters",
                      {{"TEXT", Operand::kText}},
                      {std::begin(kEscapeOptions), std::end(kEscapeOptions)},
                      false,
                      "Removes the escape C before every escaped character of SET and\n"
                      "prints the text; a doubled escape escapes nothing. \"result\" is\n"
                      "the number of escapes removed.",
                      "always",
                      nullptr,
                      Unescape});
  commands.push_back({"trim-left",
                      "trim white space and one character at the start",
                      {{"TEXT", Operand::kText}},
                      {kCharOption},
                      false,
                      "Trims leading white space, then one C, then white space again,\n"
                      "and prints the text.",
                      "always",
                      nullptr,
                      TrimLeft});
  commands.push_back({"trim-right",
                      "trim white space and one character at the end",
                      {{"TEXT", Operand::kText}},
                      {kCharOption},
                      false,
                      "Trims trailing white space, then one C, and prints the text.",
                      "C was removed",
                      "TEXT did not end in C",
                      TrimRight});
}

}  // namespace velut
