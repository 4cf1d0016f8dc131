// velut commands over the text utilities.
#include "cli.h"

namespace velut {
namespace {

CStdStr<wchar_t> TextArg(const Args& args) { return CStdStr<wchar_t>(args.Positional(1, 1)[0]); }

// escape / unescape: the text and the number of escapes changed.
int EscapeCommand(const Args& args,
                  int (*fn)(CStdStr<wchar_t>&, const CStdStr<wchar_t>&, wchar_t)) {
  CStdStr<wchar_t> text = TextArg(args);
  const int n =
      fn(text, CStdStr<wchar_t>(args.Option("chars", L",;")), args.CharOption("escape", L'\\'));
  PrintText(args, text, {{"count", n}});
  return kTrue;
}

// trim-left / trim-right: the text, and the function's truth value as the
// exit status.
int TrimCommand(const Args& args, signed char (*fn)(CStdStr<wchar_t>&, wchar_t)) {
  CStdStr<wchar_t> text = TextArg(args);
  const signed char r = fn(text, args.CharOption("char", L','));
  PrintText(args, text, {{"result", r}});
  return r ? kTrue : kFalse;
}

int Escape(const Args& args) { return EscapeCommand(args, VelUt::EscapeChar); }
int Unescape(const Args& args) { return EscapeCommand(args, VelUt::RemoveEscapeChar); }
int TrimLeft(const Args& args) { return TrimCommand(args, VelUt::TrimLeftChar); }
int TrimRight(const Args& args) { return TrimCommand(args, VelUt::TrimRightChar); }

}  // namespace

void AddTextCommands(std::vector<Command>& commands) {
  commands.push_back({"escape",
                      "put an escape character before listed characters",
                      "velut escape [--chars SET] [--escape C] TEXT\n"
                      "  Escapes every character of TEXT found in SET (default \",;\")\n"
                      "  with C (default backslash); prints the text (--json: and\n"
                      "  the count of escapes inserted).",
                      {"chars", "escape"},
                      {},
                      Escape});
  commands.push_back({"unescape",
                      "remove escape characters before listed characters",
                      "velut unescape [--chars SET] [--escape C] TEXT\n"
                      "  Removes the escape C (default backslash) before every\n"
                      "  escaped character of SET (default \",;\"); a doubled escape\n"
                      "  escapes nothing. Prints the text (--json: and the count).",
                      {"chars", "escape"},
                      {},
                      Unescape});
  commands.push_back({"trim-left",
                      "trim white space and one character at the start",
                      "velut trim-left [--char C] TEXT\n"
                      "  Trims leading white space, then one C (default ','), then\n"
                      "  white space again. Always true.",
                      {"char"},
                      {},
                      TrimLeft});
  commands.push_back({"trim-right",
                      "trim white space and one character at the end",
                      "velut trim-right [--char C] TEXT\n"
                      "  Trims trailing white space, then one C (default ','). True\n"
                      "  (exit 0) when C was removed, false (exit 1) otherwise.",
                      {"char"},
                      {},
                      TrimRight});
}

}  // namespace velut
