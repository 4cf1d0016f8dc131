#include "case_fold.h"

#include <locale.h>
#include <wctype.h>

#include <atomic>
#include <cerrno>
#include <new>

namespace velwin::detail {

namespace {

// Stands for "C.UTF-8 is not installed": ASCII is folded alone.
const locale_t kMissing = reinterpret_cast<locale_t>(alignof(void*));

// C.UTF-8's LC_CTYPE, or null with errno set; throws std::bad_alloc for
// want of memory.
locale_t MakeFolding() {
  errno = 0;
  const locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (made == nullptr && errno == ENOMEM) throw std::bad_alloc();
  return made;
}

// The C.UTF-8 locale, made at the first call that finds it. A failure for
// want of memory is not kept, so the next call tries again. glibc may
// report such a failure as ENOENT (an allocation failed while it read the
// locale's files): the locale counts as missing only when a second try
// fails too.
locale_t Folding() {
  static std::atomic<locale_t> folding{nullptr};
  locale_t made = folding.load(std::memory_order_acquire);
  if (made != nullptr) return made;
  made = MakeFolding();
  if (made == nullptr) made = MakeFolding();
  if (made == nullptr) made = kMissing;
  locale_t expected = nullptr;
  if (!folding.compare_exchange_strong(expected, made, std::memory_order_acq_rel)) {
    if (made != kMissing) freelocale(made);  // another thread's came first
    made = expected;
  }
  return made;
}

}  // namespace

char32_t FoldCase(char32_t c) {
  const locale_t folding = Folding();
  if (folding != kMissing)
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), folding));
  return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

}  // namespace velwin::detail
