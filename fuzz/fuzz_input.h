// The harness every fuzz target shares: a reader that turns fuzzer bytes
// into values, the check that reports a broken rule, and the cases a
// target's inputs choose from. A target defines fuzz::kCases and nothing
// else; harness.cpp holds the entry point.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}

  bool empty() const { return p_ == end_; }

  // The bytes not read yet, left unread: a block that ends where the
  // input does, so that a read past it is caught.
  const std::uint8_t* data() const { return p_; }
  std::size_t size() const { return static_cast<std::size_t>(end_ - p_); }

  std::uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }

  int Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return static_cast<int>(v);
  }

  // A unit of `alphabet` (its terminating NUL included), or after a byte
  // of 0xFF an arbitrary 32-bit unit. Small alphabets make matches likely.
  template <std::size_t N>
  wchar_t From(const wchar_t (&alphabet)[N]) {
    const std::uint8_t b = Byte();
    return b == 0xFF ? static_cast<wchar_t>(Int()) : alphabet[b % N];
  }

  wchar_t Unit() { return From(L"ab,;\\ \t\u00E0\u00C0A\0"); }

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

  // AsciiUnit()s up to the end, `max` of them, or a NUL unit (read, not kept).
  std::wstring AsciiRest(std::size_t max, bool stop_at_nul = false) {
    std::wstring s;
    while (!empty() && s.size() < max) {
      const wchar_t c = AsciiUnit();
      if (c == 0 && stop_at_nul) break;
      s.push_back(c);
    }
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

// Ends the run when `condition` is false, naming the case, the line and
// the condition, so that the fuzzer keeps the input and a replay says
// what failed.
#define FUZZ_CHECK(condition) ::fuzz::Check(condition, __FILE__, __LINE__, #condition)

void Check(bool ok, const char* file, int line, const char* condition);

// The name of the input being run, for the report of a broken rule.
extern std::string current_input;

// One way a target reads its input: the name a report gives, the checks.
struct Case {
  const char* name;
  void (*run)(Input&);
};

// The target's cases. With more than one, an input's first byte chooses,
// modulo their number.
extern const std::vector<Case> kCases;

// `count` units for a function to write, then guard units it must leave.
template <typename C>
class Guarded {
 public:
  explicit Guarded(std::size_t count) : count_(count), units_(count + 16, C('#')) {}
  C* data() { return units_.data(); }
  bool Intact() const {
    return std::all_of(units_.begin() + count_, units_.end(), [](C c) { return c == C('#'); });
  }

 private:
  std::size_t count_;
  std::vector<C> units_;
};

}  // namespace fuzz
