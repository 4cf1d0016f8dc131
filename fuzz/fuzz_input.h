// Turns fuzzer bytes into the values the targets need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}

  bool empty() const { return p_ == end_; }

  std::uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }

  int Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return static_cast<int>(v);
  }

  // A small alphabet makes matches and escapes likely; a byte of 0xFF
  // brings in an arbitrary 32-bit unit.
  wchar_t Unit() {
    static const wchar_t kAlphabet[] = L"ab,;\\ \t\u00E0\u00C0A\0";
    const std::uint8_t b = Byte();
    if (b == 0xFF) return static_cast<wchar_t>(Int());
    return kAlphabet[b % (sizeof kAlphabet / sizeof kAlphabet[0])];
  }

  // A unit in which a byte below 0x80 stands for itself, so that seeds and
  // dictionaries can be written as plain text. 0xFF brings in an arbitrary
  // 32-bit unit, the other high bytes a few units past ASCII (white space
  // only outside the classic locale, a letter, a unit past 0xFFFF).
  wchar_t AsciiUnit() {
    static const wchar_t kWide[] = {L'\u00A0', L'\u00E9', L'\u2192', L'\u3000', L'\U0010FFFF'};
    const std::uint8_t b = Byte();
    if (b < 0x80) return static_cast<wchar_t>(b);
    if (b == 0xFF) return static_cast<wchar_t>(Int());
    return kWide[b % (sizeof kWide / sizeof kWide[0])];
  }

  // The rest of the input as AsciiUnit()s, at most `max` of them.
  std::wstring AsciiRest(std::size_t max) {
    std::wstring s;
    while (!empty() && s.size() < max) s.push_back(AsciiUnit());
    return s;
  }

  // A text of up to `max` units, its length taken from the input.
  std::wstring Text(std::size_t max) {
    std::size_t n = Byte() % (max + 1);
    std::wstring s;
    while (n-- > 0 && !empty()) s.push_back(Unit());
    return s;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

}  // namespace fuzz
