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
