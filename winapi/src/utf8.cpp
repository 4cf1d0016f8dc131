// The layer's UTF-8 conversions, byte units and all, over the text floor.
#include <WinAPI/Utf8.h>

#include <textbase/unicode.h>

std::wstring Utf8ToWide(std::string_view bytes) {
  return velut::textbase::WideFromUtf8(bytes, velut::textbase::Utf8Rule::kEscapeBytes);
}

std::string WideToUtf8(std::wstring_view text) {
  return velut::textbase::Utf8FromWide(text, velut::textbase::Utf8Rule::kEscapeBytes);
}
