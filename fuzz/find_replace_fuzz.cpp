// FindNoCase and ReplaceNoCase against slow position-by-position versions.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <VelUt/VelUt.h>

#include "fuzz_input.h"
#include "support/slow_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const int start = static_cast<int>(in.Byte()) - 8;
  const std::wstring pattern = in.Text(6);
  const std::wstring replacement = in.Text(4);
  const std::wstring target = in.Text(255);

  // FindNoCase reads its arguments up to the first NUL, as the slow
  // version does with the same cut texts.
  const std::wstring text(target.c_str()), what(pattern.c_str());
  if (VelUt::FindNoCase(text.c_str(), pattern.c_str(), start) !=
      slowref::Find(text, what, start))
    std::abort();

  CStdStr<wchar_t> fast(target);
  std::wstring slow = target;
  if (VelUt::ReplaceNoCase(fast, pattern.c_str(), replacement.c_str()) !=
          slowref::Replace(slow, what, std::wstring(replacement.c_str())) ||
      fast != slow)
    std::abort();
  return 0;
}
