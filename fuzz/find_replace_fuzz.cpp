// FindNoCase and ReplaceNoCase, and the scan behind them at each width it
// has, against slow position-by-position versions.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <VelUt/VelUt.h>

#include "../tests/reference/slow_reference.h"
#include "fuzz_input.h"
#include "text/NoCaseSearch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const int high = in.Byte();
  const int start = (high << 8 | in.Byte()) % 12300 - 8;
  const std::wstring pattern = in.Text(6);
  const std::wstring replacement = in.Text(4);
  // Repeating the text makes long ones (past the first 1024 units, which
  // FindNoCase measures before the next 2048) without long inputs.
  const int repeat = 1 + in.Byte() % 48;
  const std::wstring piece = in.Text(255);
  std::wstring target;
  for (int i = 0; i < repeat; ++i) target += piece;

  // FindNoCase reads its arguments up to the first NUL, as the slow
  // version does with the same cut texts.
  const std::wstring text(target.c_str()), what(pattern.c_str());
  if (VelUt::FindNoCase(text.c_str(), pattern.c_str(), start) != slowref::Find(text, what, start))
    std::abort();

  CStdStr<wchar_t> fast(target);
  std::wstring slow = target;
  if (VelUt::ReplaceNoCase(fast, pattern.c_str(), replacement.c_str()) !=
          slowref::Replace(slow, what, std::wstring(replacement.c_str())) ||
      fast != slow)
    std::abort();

  // The internal scan over the whole target, NUL units included.
  if (!pattern.empty() && start >= 0) {
    using VelUt::detail::NoCaseSearcher;
    using VelUt::detail::ScanWidth;
    const int expected = slowref::Find(target, pattern, start);
    for (const ScanWidth width : {ScanWidth::kOne, ScanWidth::kSse2, ScanWidth::kAvx2}) {
      if (!NoCaseSearcher::Supported(width)) continue;
      const NoCaseSearcher searcher(pattern.data(), pattern.size(), width);
      const std::size_t at =
          searcher.Find(target.data(), target.size(), static_cast<std::size_t>(start));
      if ((at == VelUt::detail::kNotFound ? -1 : static_cast<int>(at)) != expected) std::abort();
    }
  }
  return 0;
}
