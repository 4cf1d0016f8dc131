// Command lines split into words by the Windows rules.
#pragma once

#include <string>
#include <vector>

namespace velwin::detail {

// The words of the command line `p` as CommandLineToArgvW splits them: the
// first (the program) up to a blank, or between quotes, as it stands; the
// others with quotes grouping blanks, '""' inside quotes a quote that
// closes them, and backslashes literal except before a quote.
std::vector<std::wstring> SplitCommandLine(const wchar_t* p);

}  // namespace velwin::detail
