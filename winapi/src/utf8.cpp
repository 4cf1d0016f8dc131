#include "utf8.h"

#include <cstdint>

#include <WinAPI/Utf8.h>

namespace velwin::detail {

std::wstring WideFromUtf8(std::string_view bytes, Utf8Rule rule) {
  std::wstring text;
  text.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    char32_t cp;
    if (!DecodeUtf8(p, end, cp)) {
      cp = rule == Utf8Rule::kEscapeBytes ? 0xDC00 + *p : kReplacementCharacter;
      ++p;
    }
    text += static_cast<wchar_t>(cp);
  }
  return text;
}

std::string Utf8FromWide(std::wstring_view text, Utf8Rule rule) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const wchar_t c : text) {
    const auto u = static_cast<char32_t>(static_cast<std::uint32_t>(c));
    if (rule == Utf8Rule::kEscapeBytes && u >= kFirstByteUnit && u <= kLastByteUnit) {
      bytes += static_cast<char>(u - 0xDC00);
    } else {
      char buf[4];
      bytes.append(buf, WriteUtf8(buf, u, Utf8Errors::kReplace));
    }
  }
  return bytes;
}

}  // namespace velwin::detail

std::wstring Utf8ToWide(std::string_view bytes) {
  return velwin::detail::WideFromUtf8(bytes, velwin::detail::Utf8Rule::kEscapeBytes);
}

std::string WideToUtf8(std::wstring_view text) {
  return velwin::detail::Utf8FromWide(text, velwin::detail::Utf8Rule::kEscapeBytes);
}
