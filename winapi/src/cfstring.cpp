// UTF-32 wide text to and from the UTF-16 CFStrings of the XML tree.
#include <new>
#include <vector>

#include <WinAPI/CFString.h>

#include "utf8.h"

CFStringRef CreateCFStringFromUTF32(const wchar_t* text) try {
  std::vector<UniChar> units;
  for (const wchar_t* p = text; p != nullptr && *p != 0; ++p) {
    auto cp = static_cast<std::uint32_t>(*p);
    if (!velwin::detail::IsScalarValue(cp)) cp = velwin::detail::kReplacementCharacter;
    UniChar pair[2];
    if (CFStringGetSurrogatePairForLongCharacter(cp, pair)) {
      units.insert(units.end(), pair, pair + 2);
    } else {
      units.push_back(pair[0]);
    }
  }
  return CFStringCreateWithCharacters(kCFAllocatorDefault, units.data(),
                                      static_cast<CFIndex>(units.size()));
} catch (const std::bad_alloc&) {
  return nullptr;
}

bool CFString2CString(CFStringRef str, std::wstring& target) {
  target.clear();
  if (str == nullptr) return false;
  const CFIndex n = CFStringGetLength(str);
  const UniChar* units = CFStringGetCharactersPtr(str);
  std::vector<UniChar> copy;
  if (units == nullptr && n > 0) {
    copy.resize(static_cast<std::size_t>(n));
    CFStringGetCharacters(str, CFRangeMake(0, n), copy.data());
    units = copy.data();
  }
  target.reserve(static_cast<std::size_t>(n));
  for (CFIndex i = 0; i < n; ++i) {
    const UniChar u = units[i];
    if (CFStringIsSurrogateHighCharacter(u) && i + 1 < n &&
        CFStringIsSurrogateLowCharacter(units[i + 1])) {
      target.push_back(
          static_cast<wchar_t>(CFStringGetLongCharacterForSurrogatePair(u, units[i + 1])));
      ++i;
    } else if (CFStringIsSurrogateHighCharacter(u) || CFStringIsSurrogateLowCharacter(u)) {
      target.push_back(static_cast<wchar_t>(velwin::detail::kReplacementCharacter));
    } else {
      target.push_back(static_cast<wchar_t>(u));
    }
  }
  return true;
}
