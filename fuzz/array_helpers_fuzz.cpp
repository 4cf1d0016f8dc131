// RemoveDuplicates against the slow version under the classic and the
// C.UTF-8 global locale; the searches and the sort against the standard
// algorithms.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <locale>
#include <string>
#include <vector>

#include <VelUt/VelUt.h>

#include "../tests/reference/slow_reference.h"
#include "fuzz_input.h"

namespace {

// Path-like units: letters in both cases, both separators, a drive colon,
// blanks, letters that fold only beyond ASCII, and NUL.
wchar_t PathUnit(fuzz::Input& in) {
  static const wchar_t kUnits[] = L"aAbB\\/: \t\u00C0\u00E0\u212Ak\u00A0\r";
  const std::uint8_t b = in.Byte();
  if (b == 0xFF) return static_cast<wchar_t>(in.Int());
  return kUnits[b % (sizeof kUnits / sizeof kUnits[0])];  // the last is NUL
}

std::wstring Path(fuzz::Input& in) {
  std::wstring s(in.Byte() % 9, L'a');
  for (wchar_t& c : s) c = PathUnit(in);
  return s;
}

const std::locale& Utf8() {
  static const std::locale loc = [] {
    try {
      return std::locale("C.UTF-8");
    } catch (const std::runtime_error&) {
      return std::locale::classic();
    }
  }();
  return loc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const bool utf8 = in.Byte() & 1;
  std::vector<std::wstring> entries(in.Byte() % 24);
  for (auto& e : entries) e = Path(in);
  const std::wstring text = Path(in);
  const signed char matchCase = static_cast<signed char>(in.Byte() % 2);

  const std::locale previous = std::locale::global(utf8 ? Utf8() : std::locale::classic());
  CStdContainer<CStdStr<wchar_t>, std::vector> list;
  for (const auto& e : entries) list.Add(CStdStr<wchar_t>(e));

  // The string search: the first entry that the defined comparison accepts.
  int expected = -1;
  for (int i = 0; i < list.GetCount() && expected < 0; ++i) {
    const bool equal = matchCase ? list[i] == std::wstring(text.c_str())
                                 : list[i].CollateNoCase(text.c_str()) == 0;
    if (equal) expected = i;
  }
  if (VelUt::FindInArray(text.c_str(), list, matchCase) != expected) std::abort();

  std::vector<std::wstring> slow = entries;
  const int slowCount = slowref::RemoveDuplicates(slow);
  if (VelUt::RemoveDuplicates(list) != slowCount) std::abort();
  if (!std::equal(list.begin(), list.end(), slow.begin(), slow.end())) std::abort();
  std::locale::global(previous);

  CArray<unsigned int, unsigned int> numbers;
  std::vector<unsigned int> sorted;
  for (int n = in.Byte() % 40; n > 0; --n) {
    const unsigned int v = in.Byte() % 4 == 0 ? static_cast<unsigned int>(in.Int()) : in.Byte() % 8;
    numbers.Add(v);
    sorted.push_back(v);
  }
  const unsigned int sought = in.Byte() % 8;
  const auto at = std::find(sorted.begin(), sorted.end(), sought);
  if (VelUt::FindInArray(sought, numbers) != (at == sorted.end() ? -1 : at - sorted.begin()))
    std::abort();
  VelUt::SortArray(numbers);
  std::sort(sorted.begin(), sorted.end());
  if (!std::equal(sorted.begin(), sorted.end(), numbers.GetData())) std::abort();
  return 0;
}
