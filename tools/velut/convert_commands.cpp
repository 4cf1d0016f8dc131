// velut commands over the value conversions: GUIDs, date-times, versions.
#include <cstdio>
#include <iostream>

#include "cli.h"

namespace velut {
namespace {

std::string Hex(unsigned long long value, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%0*llX", digits, value);
  return buf;
}

// guid: reads the text as a GUID and writes it back.
int Guid(const Args& args) {
  const std::wstring text = args.Positional(1, 1)[0];
  _GUID g;
  const signed char ok = VelUt::StringToGuid(text.c_str(), g);
  const CStdStr<wchar_t> out = ok ? VelUt::GuidToString(g, !args.Flag("no-braces")) : L"";
  if (!args.Json()) {
    std::cout << ToUtf8(out) << '\n';
  } else {
    std::string data4;
    for (const BYTE b : g.Data4) data4 += Hex(b, 2).substr(2);
    std::cout << "{\"text\":" << JsonString(out) << ",\"result\":" << int{ok}
              << ",\"zero\":" << int{VelUt::IsZeroGuid(g)} << ",\"data1\":\"" << Hex(g.Data1, 8)
              << "\",\"data2\":\"" << Hex(g.Data2, 4) << "\",\"data3\":\"" << Hex(g.Data3, 4)
              << "\",\"data4\":\"" << data4 << "\"}\n";
  }
  return ok ? kTrue : kFalse;
}

// time: reads a date-time text and shows it for the user's locale.
int Time(const Args& args) {
  CTime t;
  const signed char ok = VelUt::StringToTime(args.Positional(1, 1)[0], t);
  const std::wstring shown = ok ? VelUt::FormatDateTimeForUserLocale(t) : L"";
  PrintText(args, shown, {{"result", ok}, {"time", ok ? t.GetTime() : 0}});
  return ok ? kTrue : kFalse;
}

// version: packs a version text into a 32-bit number.
int Version(const Args& args) {
  unsigned int version = 0;
  const signed char ok = VelUt::StringToVersion(args.Positional(1, 1)[0], version);
  const std::string hex = Hex(version, 8);
  PrintText(args, std::wstring(hex.begin(), hex.end()), {{"version", version}, {"result", ok}});
  return ok ? kTrue : kFalse;
}

}  // namespace

void AddConvertCommands(std::vector<Command>& commands) {
  commands.push_back({"guid",
                      "read a GUID text and write it back",
                      "velut guid [--no-braces] TEXT\n"
                      "  Reads TEXT as a GUID (braces optional, digits in either case)\n"
                      "  and prints it in upper case with braces, or without them with\n"
                      "  --no-braces. False (exit 1, empty line) when TEXT is no GUID.\n"
                      "  --json adds the fields and whether the GUID is all zero.",
                      {},
                      {"no-braces"},
                      Guid});
  commands.push_back({"time",
                      "read a date-time text and show it for the user's locale",
                      "velut time TEXT\n"
                      "  Reads TEXT as YEAR-MONTH-DAYTHOUR:MINUTE:SECOND in local time\n"
                      "  (year 1970-2038) and prints the long date and the time of the\n"
                      "  locale named by LC_ALL, LC_TIME or LANG. False (exit 1) when\n"
                      "  the text is not read. --json adds the seconds since 1970.",
                      {},
                      {},
                      Time});
  commands.push_back({"version",
                      "pack a version text into a 32-bit number",
                      "velut version TEXT\n"
                      "  Prints the packed number (major << 16 | minor) in hexadecimal;\n"
                      "  --json adds it in decimal. False (exit 1) for an empty text.",
                      {},
                      {},
                      Version});
}

}  // namespace velut
