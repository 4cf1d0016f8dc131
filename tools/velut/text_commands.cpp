// velut commands over the text utilities.
#include "cli.h"

namespace velut {
namespace {

CStdStr<wchar_t> TextArg(const Args& args) {
  return CStdStr<wchar_t>(args.Positional(1, 1)[0]);
}

int Escape(const Args& args) {
  CStdStr<wchar_t> text = TextArg(args);
  const int n = VelUt::EscapeChar(text, CStdStr<wchar_t>(args.Option("chars", L",;")),
                                  args.CharOption("escape", L'\\'));
  PrintText(args, text, {{"count", n}});
  return kTrue;
}

int Unescape(const Args& args) {
  CStdStr<wchar_t> text = TextArg(args);
  const int n = VelUt::RemoveEscapeChar(
      text, CStdStr<wchar_t>(args.Option("chars", L",;")),
      args.CharOption("escape", L'\\'));
  PrintText(args, text, {{"count", n}});
  return kTrue;
}

int TrimLeft(const Args& args) {
  CStdStr<wchar_t> text = TextArg(args);
  const signed char r = VelUt::TrimLeftChar(text, args.CharOption("char", L','));
  PrintText(args, text, {{"result", r}});
  return r ? kTrue : kFalse;
}

int TrimRight(const Args& args) {
  CStdStr<wchar_t> text = TextArg(args);
  const signed char r = VelUt::TrimRightChar(text, args.CharOption("char", L','));
  PrintText(args, text, {{"result", r}});
  return r ? kTrue : kFalse;
}

}  // namespace

void AddTextCommands(std::vector<Command>& commands) {
  commands.push_back({"escape", "put an escape character before listed characters",
                      "velut escape [--chars SET] [--escape C] TEXT\n"
                      "  Escapes every character of TEXT found in SET (default \",;\")\n"
                      "  with C (default backslash); prints the text (--json: and\n"
                      "  the count of escapes inserted).",
                      {"chars", "escape"}, {}, Escape});
  commands.push_back({"unescape", "remove escape characters before listed characters",
                      "velut unescape [--chars SET] [--escape C] TEXT\n"
                      "  Removes the escape C (default backslash) before every\n"
                      "  escaped character of SET (default \",;\"); a doubled escape\n"
                      "  escapes nothing. Prints the text (--json: and the count).",
                      {"chars", "escape"}, {}, Unescape});
  commands.push_back({"trim-left", "trim white space and one character at the start",
                      "velut trim-left [--char C] TEXT\n"
                      "  Trims leading white space, then one C (default ','), then\n"
                      "  white space again. Always true.",
                      {"char"}, {}, TrimLeft});
  commands.push_back({"trim-right", "trim white space and one character at the end",
                      "velut trim-right [--char C] TEXT\n"
                      "  Trims trailing white space, then one C (default ','). True\n"
                      "  (exit 0) when C was removed, false (exit 1) otherwise.",
                      {"char"}, {}, TrimRight});
}

}  // namespace velut
