// A set of wide units for membership tests that stay cheap however long
// the text the set is made from: a search through that text per unit
// tested would make a scan quadratic.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace VelUt::detail {

// UnitSet: the units of [begin, end), an embedded NUL included. Units
// below 256 are looked up in a table, the others found in a sorted list.
class UnitSet {
 public:
  UnitSet(const wchar_t* begin, const wchar_t* end) {
    for (const wchar_t* p = begin; p != end; ++p) {
      if (IsSmall(*p))
        small_[static_cast<std::uint32_t>(*p)] = true;
      else
        large_.push_back(*p);
    }
    std::sort(large_.begin(), large_.end());
    large_.erase(std::unique(large_.begin(), large_.end()), large_.end());
  }

  bool Contains(wchar_t c) const {
    if (IsSmall(c)) return small_[static_cast<std::uint32_t>(c)];
    return !large_.empty() && std::binary_search(large_.begin(), large_.end(), c);
  }

 private:
  static bool IsSmall(wchar_t c) { return static_cast<std::uint32_t>(c) < 256; }

  bool small_[256] = {};
  std::vector<wchar_t> large_;
};

}  // namespace VelUt::detail
