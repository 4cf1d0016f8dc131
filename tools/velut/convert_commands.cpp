// velut commands over the value conversions: GUIDs, date-times, versions.
#include <cstdio>

#include "cli.h"

namespace velut {
namespace {

std::wstring Hex(unsigned long long value, int digits) {
  wchar_t text[32];
  std::swprintf(text, 32, L"0x%0*llX", digits, value);
  return text;
}

// guid: reads the text as a GUID and writes it back.
Reply Guid(const Args& args) {
  _GUID g;
  if (!VelUt::StringToGuid(args[0].c_str(), g))
    return Reply::Failure("not a GUID: " + Quoted(args[0]));
  Reply r = Reply::Bool(true).Show("text", VelUt::GuidToString(g, !args.Flag("no-braces")));
  std::wstring data4;
  for (const BYTE b : g.Data4) data4 += Hex(b, 2).substr(2);
  r.json.Bool("zero", VelUt::IsZeroGuid(g) != 0)
      .Text("data1", Hex(g.Data1, 8))
      .Text("data2", Hex(g.Data2, 4))
      .Text("data3", Hex(g.Data3, 4))
      .Text("data4", data4);
  return r;
}

// time: reads a date-time text and shows it for the user's locale.
Reply Time(const Args& args) {
  CTime t;
  if (!VelUt::StringToTime(args[0], t))
    return Reply::Failure("not a date-time YEAR-MONTH-DAYTHOUR:MINUTE:SECOND from 1970 to 2038: " +
                          Quoted(args[0]));
  Reply r = Reply::Bool(true).Show("text", VelUt::FormatDateTimeForUserLocale(t));
  r.json.Number("time", t.GetTime());
  return r;
}

// version: packs a version text into a 32-bit number.
Reply Version(const Args& args) {
  unsigned int version = 0;
  if (!VelUt::StringToVersion(args[0], version))
    return Reply::Failure("an empty text is no version");
  Reply r = Reply::Bool(true).Show("text", Hex(version, 8));
  r.json.Number("version", version);
  return r;
}

}  // namespace

void AddConvertCommands(std::vector<Command>& commands) {
  commands.push_back({"guid",
                      "read a GUID text and write it back",
                      {{"TEXT", Operand::kText}},
                      {{"no-braces", nullptr, "print the GUID without braces"}},
                      false,
                      "Reads TEXT as a GUID (braces optional, digits in either case) and\n"
                      "prints it in upper case with braces. JSON adds whether it is all\n"
                      "zero (\"zero\") and its fields (\"data1\" ... \"data4\").",
                      "TEXT is a GUID",
                      "it is not (with a velut: line)",
                      Guid});
  commands.push_back({"time",
                      "read a date-time text and show it for the user's locale",
                      {{"TEXT", Operand::kText}},
                      {},
                      false,
                      "Reads TEXT as YEAR-MONTH-DAYTHOUR:MINUTE:SECOND in local time (year\n"
                      "1970-2038) and prints the long date and the time of the locale\n"
                      "named by LC_ALL, LC_TIME or LANG. JSON adds the seconds since 1970\n"
                      "(\"time\").",
                      "TEXT was read",
                      "it was not (with a velut: line)",
                      Time});
  commands.push_back({"version",
                      "pack a version text into a 32-bit number",
                      {{"TEXT", Operand::kText}},
                      {},
                      false,
                      "Prints the packed number (major << 16 | minor) in hexadecimal;\n"
                      "JSON adds it in decimal (\"version\").",
                      "TEXT was read",
                      "TEXT is empty (with a velut: line)",
                      Version});
}

}  // namespace velut
