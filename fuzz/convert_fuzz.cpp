// GUID, date-time and version texts: each function against a direct
// transcription of its rules, and the layer's swscanf_s against glibc's on
// the date-time pattern.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include <VelUt/VelUt.h>

#include "fuzz_input.h"

namespace {

using Str = CStdStr<wchar_t>;

// Printable ASCII bytes stand for themselves (so seeds and dictionary
// entries are plain text); other bytes pick from characters that make
// GUIDs, dates and versions likely, and 0xFF brings in any 32-bit unit.
wchar_t Unit(fuzz::Input& in) {
  static const wchar_t kAlphabet[] = L"0123456789abcdefABCDEF{}-T:. +xZ\t\u00E9\0";
  const std::uint8_t b = in.Byte();
  if (b == 0xFF) return static_cast<wchar_t>(in.Int());
  if (b >= 0x20 && b < 0x7F) return static_cast<wchar_t>(b);
  return kAlphabet[b % (sizeof kAlphabet / sizeof kAlphabet[0] - 1)];
}

std::wstring Text(fuzz::Input& in, std::size_t max) {
  std::size_t n = in.Byte() % (max + 1);
  std::wstring s;
  while (n-- > 0 && !in.empty()) s.push_back(Unit(in));
  return s;
}

int Hex(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// The braced form, read by hand: 16 bytes in the layout of _GUID.
bool SlowGuid(std::wstring t, _GUID& g) {
  std::memset(&g, 0, sizeof g);
  const std::size_t nul = t.find(L'\0');
  if (nul != std::wstring::npos) t.resize(nul);
  if (!t.empty() && t[0] != L'{') t.insert(0, 1, L'{');
  if (!t.empty() && t.back() != L'}') t.push_back(L'}');
  if (t.size() != 38 || t[0] != L'{' || t[37] != L'}') return false;
  std::wstring digits;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen != (t[i] == L'-')) return false;
    if (!hyphen) {
      if (Hex(t[i]) < 0) return false;
      digits.push_back(t[i]);
    }
  }
  auto value = [&digits](std::size_t from, std::size_t n) {
    unsigned long long v = 0;
    for (std::size_t i = 0; i < n; ++i) v = v * 16 + static_cast<unsigned>(Hex(digits[from + i]));
    return v;
  };
  g.Data1 = static_cast<DWORD>(value(0, 8));
  g.Data2 = static_cast<WORD>(value(8, 4));
  g.Data3 = static_cast<WORD>(value(12, 4));
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>(value(16 + 2 * i, 2));
  return true;
}

// The version rules, transcribed: major before the first dot, the rest
// with its dots removed as the minor.
unsigned int SlowVersion(const std::wstring& text) {
  const std::size_t dot = text.find(L'.');
  if (dot == std::wstring::npos) return static_cast<unsigned int>(ms_wtoi(text.c_str())) << 16;
  std::wstring minor;
  for (std::size_t i = dot; i < text.size(); ++i)
    if (text[i] != L'.') minor.push_back(text[i]);
  const unsigned int major = static_cast<unsigned int>(ms_wtoi(text.substr(0, dot).c_str()));
  return (major << 16) | (static_cast<unsigned int>(ms_wtoi(minor.c_str())) & 0xFFFF);
}

// True when glibc's scan is defined on `s` and must agree: ASCII only
// (glibc reads 0xFFFFFFFF as the end of input and classifies other
// characters by its own tables), and every run of digits short enough that
// no %d overflows.
bool ComparableWithGlibc(const wchar_t* s) {
  int run = 0;
  for (; *s != L'\0'; ++s) {
    if (*s < 0 || *s > 0x7F) return false;
    run = (*s >= L'0' && *s <= L'9') ? run + 1 : 0;
    if (run > 9) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::wstring text = Text(in, 120);

  // GUID text.
  _GUID fast, slow;
  const signed char got = VelUt::StringToGuid(text.c_str(), fast);
  if ((got == 1) != SlowGuid(text, slow) || std::memcmp(&fast, &slow, sizeof fast) != 0)
    std::abort();
  if (got == 1) {
    _GUID back;
    const Str written = VelUt::GuidToString(fast, static_cast<signed char>(text.size() & 1));
    if (VelUt::StringToGuid(written.c_str(), back) != 1 ||
        std::memcmp(&fast, &back, sizeof back) != 0)
      std::abort();
  }

  // Version text.
  unsigned int version = 1;
  const signed char v = VelUt::StringToVersion(text, version);
  if (v != (text.empty() ? 0 : 1) || version != (text.empty() ? 0u : SlowVersion(text)))
    std::abort();

  // Date-time text: the scan agrees with glibc's where both are defined,
  // and an accepted time has its fields in range.
  if (text.size() < 100 && ComparableWithGlibc(text.c_str())) {
    int a[6] = {0, 0, 0, 0, 0, 0}, b[6] = {0, 0, 0, 0, 0, 0};
    const wchar_t* pattern = L"%d-%d-%dT%d:%d:%d";
    const int na = swscanf_s(text.c_str(), pattern, &a[0], &a[1], &a[2], &a[3], &a[4], &a[5]);
    const int nb = std::swscanf(text.c_str(), pattern, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]);
    if (na != nb || std::memcmp(a, b, sizeof a) != 0) std::abort();
  }
  CTime t(std::int64_t{123});
  const signed char ok = VelUt::StringToTime(text, t);
  if (ok == 0 && t.GetTime() != 123) std::abort();
  if (ok == 1) {
    int f[6];
    wchar_t buf[100];
    if (wcscpy_s(buf, 100, text.c_str()) != 0 ||
        swscanf_s(buf, L"%d-%d-%dT%d:%d:%d", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]) != 6 ||
        f[0] < 1970 || f[0] > 2038 || f[1] < 1 || f[1] > 12 || f[2] < 1 || f[2] > 31)
      std::abort();
  }
  return 0;
}
