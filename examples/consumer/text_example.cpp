// Text utilities: cutting a line into items and joining them back,
// escapes, bracket matching and case-insensitive search and replace.
#include <cstdio>

#include <VelUt/VelUt.h>

int main() {
  using Str = CStdStr<wchar_t>;
  int failures = 0;
  auto check = [&failures](bool ok, const char* what) {
    if (!ok) std::fprintf(stderr, "text_example: %s failed\n", what), ++failures;
  };

  // A line of items, one of them quoted, with blanks around the items.
  CStdContainer<Str, std::vector> items;
  VelUt::ParseDelimitedString(L" red , 'dark, blue' ,, green ", L",", items,
                              PDS_COLLAPSE_DELIMITERS | PDS_QUOTES | PDS_TRIM);
  check(items.GetCount() == 3 && items[1] == L"'dark, blue'", "ParseDelimitedString");

  VelString joined;
  VelUt::MakeDelimitedString(items, joined, 1, L"; ");
  check(joined.compare(L"red; 'dark, blue'; green") == 0, "MakeDelimitedString");

  // Escapes protect separators, and come off again.
  Str field(L"Smith, John; admin");
  VelUt::EscapeChar(field, L",;", L'\\');
  check(field == L"Smith\\, John\\; admin", "EscapeChar");
  VelUt::RemoveEscapeChar(field, L",;", L'\\');
  check(field == L"Smith, John; admin", "RemoveEscapeChar");

  // Brackets: the partner of the first '(' and a whole-text check.
  const Str call(L"f(a[1], {b})");
  check(VelUt::FindMatchingChar(call, 1, 0, 0) == 11, "FindMatchingChar");
  check(VelUt::MatchBraces(call, 0, 0, 0) == 1, "MatchBraces");

  // Case-insensitive search and replace (only A-Z fold).
  Str text(L"Open the FILE, then close the file.");
  check(VelUt::FindNoCase(text.c_str(), L"file", 0) == 9, "FindNoCase");
  check(VelUt::ReplaceNoCase(text, L"file", L"document") == 2, "ReplaceNoCase");

  // Paths that name the same folder once case, blanks and a trailing
  // backslash are ignored.
  CStdContainer<Str, std::vector> folders;
  folders.Add(L"C:\\Temp\\");
  folders.Add(L" c:\\temp");
  folders.Add(L"D:\\Data");
  check(VelUt::RemoveDuplicates(folders) == 1 && folders.GetCount() == 2, "RemoveDuplicates");

  std::printf("text_example: %s\n", failures == 0 ? "ok" : "FAILED");
  return failures == 0 ? 0 : 1;
}
