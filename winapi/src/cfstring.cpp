// UTF-32 wide text to and from the UTF-16 CFStrings of the XML tree.
#include <new>
#include <vector>

#include <WinAPI/CFString.h>

#include <textbase/unicode.h>

CFStringRef CreateCFStringFromUTF32(const wchar_t* text) try {
  std::vector<UniChar> units;
  for (const wchar_t* p = text; p != nullptr && *p != 0; ++p) {
    auto cp = static_cast<std::uint32_t>(*p);
    if (!velut::textbase::IsScalarValue(cp)) cp = velut::textbase::kReplacementCharacter;
    velut::textbase::AppendUtf16(units, cp);
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
  const auto count = static_cast<std::size_t>(n);
  for (std::size_t i = 0; i < count;) {
    const char32_t cp =
        velut::textbase::DecodeUtf16([units](std::size_t k) { return units[k]; }, i, count);
    // A surrogate without its partner is no character.
    target.push_back(static_cast<wchar_t>(
        velut::textbase::IsScalarValue(cp) ? cp : velut::textbase::kReplacementCharacter));
  }
  return true;
}
