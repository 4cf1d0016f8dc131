// The interner's table; see XMLInterner.h.
#include "XMLInterner.h"

#include <algorithm>
#include <iterator>

namespace velcf::detail {

void Interner::Add(const __CFString* string) {
  last_->string = string;
  quick_[QuickIndex(last_->text, last_->size)] = last_;
  if (++used_ * 2 > slots_.size()) Grow();
}

const __CFString* Interner::FindSlow(const char* text, std::size_t size) {
  if (slots_.empty()) slots_.resize(64);
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (std::size_t i = 0; i < size; ++i) {
    hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
  }
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.string == nullptr) {
      slot = Slot{text, size, hash, nullptr};
      last_ = &slot;
      return nullptr;
    }
    if (slot.hash == hash && slot.size == size && SameBytes(slot.text, text, size)) {
      quick_[QuickIndex(text, size)] = &slot;
      return slot.string;
    }
  }
}

void Interner::Grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.string == nullptr) continue;
    std::size_t i = slot.hash & mask;
    while (slots_[i].string != nullptr) i = (i + 1) & mask;
    slots_[i] = slot;
  }
  std::fill(std::begin(quick_), std::end(quick_), nullptr);
}

}  // namespace velcf::detail
