// System error texts through the layer's FormatMessage.
#include <cwchar>
#include <memory>

#include <VelUt/SystemError.h>

#include "platform/Layer.h"

namespace {

constexpr unsigned int kLastError = 0xFFFFFFFF;
constexpr unsigned int kFallbackCode = 0x800300FD;  // STG_E_UNKNOWN

struct LocalDeleter {
  void operator()(wchar_t* p) const { LocalFree(p); }
};
using LocalText = std::unique_ptr<wchar_t, LocalDeleter>;

// The system table's text for `code` in a buffer of the layer; null when
// FormatMessage fails or hands back no buffer.
LocalText SystemText(unsigned int code) {
  wchar_t* text = nullptr;
  const DWORD ok = FormatMessage(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                 nullptr, code, 0x400, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  LocalText owned(text);
  if (ok == 0) owned.reset();
  return owned;
}

bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

}  // namespace

namespace VelUt {

CStdStr<wchar_t> GetSystemErrorMessage(unsigned int code) {
  if (code == kLastError) code = GetLastError();
  LocalText text = SystemText(code);
  if (!text) text = SystemText(kFallbackCode);
  if (!text) return CStdStr<wchar_t>();

  wchar_t* p = text.get();
  std::size_t length = std::wcslen(p);
  for (int i = 0; i < 2; ++i) {
    if (length >= 2 && IsLineBreak(p[length - 1])) p[--length] = L'\0';
  }
  if (length >= 2 && p[length - 1] == L'.') p[--length] = L'\0';
  return CStdStr<wchar_t>(p, length);
}

}  // namespace VelUt
