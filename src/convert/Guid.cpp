// GUID text through the layer's StringFromCLSID and CLSIDFromString.
#include <cstring>
#include <memory>

#include <VelUt/Guid.h>

#include "platform/Layer.h"

namespace VelUt {

signed char IsZeroGuid(const _GUID& guid) {
  static const unsigned char kZero[sizeof(_GUID)] = {};
  return std::memcmp(&guid, kZero, sizeof kZero) == 0 ? 1 : 0;
}

CStdStr<wchar_t> GuidToString(const _GUID& guid, signed char withBraces) {
  wchar_t* raw = nullptr;
  const HRESULT hr = StringFromCLSID(guid, &raw);
  // The layer's buffer goes back to it however this function ends.
  std::unique_ptr<wchar_t, void (*)(void*)> buffer(raw, CoTaskMemFree);
  if (hr < 0 || raw == nullptr) return CStdStr<wchar_t>();
  CStdStr<wchar_t> text;
  text = raw;
  buffer.reset();
  if (withBraces == 0) {
    text.Replace(L"{", L"");
    text.Replace(L"}", L"");
  }
  return text;
}

signed char StringToGuid(const wchar_t* text, _GUID& guid) {
  std::memset(&guid, 0, sizeof guid);
  if (text == nullptr) return 0;
  CStdStr<wchar_t> braced(text);
  if (!braced.empty() && braced[0] != L'{') braced.Insert(0, L'{');
  if (!braced.empty() && braced.back() != L'}') braced += L'}';
  // The layer reads a writable heap copy, allocated as an array.
  std::unique_ptr<wchar_t[]> copy(_wcsdup(braced.c_str()));
  return CLSIDFromString(copy.get(), &guid) >= 0 ? 1 : 0;
}

}  // namespace VelUt
