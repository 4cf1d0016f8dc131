// GUID text in the registry form, and the task allocator that carries it.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <WinAPI/Guid.h>

#include <textbase/hex.h>

namespace {

constexpr int kBracedLength = 38;

using velut::textbase::HexValue;

// The value of `digits` hexadecimal digits at `p`, already checked.
unsigned long long ReadHex(const wchar_t* p, int digits) {
  unsigned long long value = 0;
  for (int i = 0; i < digits; ++i) value = (value << 4) | static_cast<unsigned>(HexValue(p[i]));
  return value;
}

}  // namespace

LPVOID CoTaskMemAlloc(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void CoTaskMemFree(LPVOID block) { std::free(block); }

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = static_cast<LPOLESTR>(CoTaskMemAlloc((kBracedLength + 1) * sizeof(OLECHAR)));
  if (*text == nullptr) return E_OUTOFMEMORY;
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  wchar_t* out = *text;
  auto put = [&out](unsigned long long value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
      *out++ = kDigits[(value >> shift) & 0xF];
  };
  *out++ = L'{';
  put(clsid.Data1, 8);
  *out++ = L'-';
  put(clsid.Data2, 4);
  *out++ = L'-';
  put(clsid.Data3, 4);
  *out++ = L'-';
  put(clsid.Data4[0], 2);
  put(clsid.Data4[1], 2);
  *out++ = L'-';
  for (int i = 2; i < 8; ++i) put(clsid.Data4[i], 2);
  *out++ = L'}';
  *out = L'\0';
  return S_OK;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  std::memset(clsid, 0, sizeof *clsid);
  if (text == nullptr) return S_OK;  // no text: the all-zero CLSID
  // Check the shape first, reading no further than the text's terminator.
  for (int i = 0; i < kBracedLength; ++i) {
    const wchar_t c = text[i];
    if (c == L'\0') return CO_E_CLASSSTRING;
    const bool ok = i == 0                                      ? c == L'{'
                    : i == kBracedLength - 1                    ? c == L'}'
                    : (i == 9 || i == 14 || i == 19 || i == 24) ? c == L'-'
                                                                : HexValue(c) >= 0;
    if (!ok) return CO_E_CLASSSTRING;
  }
  if (text[kBracedLength] != L'\0') return CO_E_CLASSSTRING;

  GUID g{};
  g.Data1 = static_cast<DWORD>(ReadHex(text + 1, 8));
  g.Data2 = static_cast<WORD>(ReadHex(text + 10, 4));
  g.Data3 = static_cast<WORD>(ReadHex(text + 15, 4));
  for (int i = 0; i < 2; ++i)
    g.Data4[i] = static_cast<BYTE>(ReadHex(text + 20 + std::ptrdiff_t{2} * i, 2));
  for (int i = 0; i < 6; ++i)
    g.Data4[2 + i] = static_cast<BYTE>(ReadHex(text + 25 + std::ptrdiff_t{2} * i, 2));
  *clsid = g;
  return S_OK;
}
