// Digits of any base up to 36, hexadecimal among them, as the scanners of
// the layers read them.
#pragma once

namespace velut::textbase {

// The value of the digit `c` (0-9, then a-z or A-Z for 10-35); 99 for any
// other character, so that `DigitValue(c) < base` tests a digit of `base`.
constexpr int DigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'z') return static_cast<int>(c - U'a') + 10;
  if (c >= U'A' && c <= U'Z') return static_cast<int>(c - U'A') + 10;
  return 99;
}

// The value of the hexadecimal digit `c`, either case; -1 for any other
// character.
constexpr int HexValue(char32_t c) {
  const int d = DigitValue(c);
  return d < 16 ? d : -1;
}

}  // namespace velut::textbase
