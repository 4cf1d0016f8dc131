// The string resources of a loaded resource library: one string in the
// language the thread prefers, or every string of every language.
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "module_image.h"
#include "pe_image.h"
#include "thread_object.h"
#include "ui_language.h"

namespace {

using velwin::detail::StringBlock;

struct Entry {
  UINT id;
  LANGID lang;
  std::wstring text;
};

// Every non-empty string of the image, by id, then language. False when
// the image's string table cannot be read.
bool ReadStrings(const std::uint8_t* image, std::size_t size, std::vector<Entry>& entries) {
  std::vector<velwin::detail::StringBlock> index;  // by block, then language
  if (!velwin::detail::IndexStringTable(image, size, index)) return false;
  for (std::size_t first = 0; first < index.size();) {
    std::size_t last = first;
    while (last < index.size() && index[last].block == index[first].block) ++last;
    for (unsigned slot = 0; slot < 16; ++slot) {
      for (std::size_t i = first; i < last; ++i) {
        const std::uint8_t* units = nullptr;
        std::size_t count = 0;
        if (!velwin::detail::LocateBlockString(image, size, index[i], slot, units, count)) continue;
        Entry e{(index[i].block - 1u) * 16u + slot, index[i].lang, std::wstring()};
        velwin::detail::AppendUtf16(units, count, e.text);
        entries.push_back(std::move(e));
      }
    }
    first = last;
  }
  return true;
}

// The texts a thread looked up last, by library, id and language: an
// application asks for the same labels again and again. Kept per thread,
// so that a repeated lookup takes no lock and costs one copy.
class RecentTexts {
 public:
  struct Text {
    HMODULE module = nullptr;  // null: empty
    UINT id = 0;
    LANGID language = 0;
    std::uint64_t unloads = 0;
    bool found = false;
    // The library holds id's block in one language at most, so the text
    // is the same whatever language is preferred.
    bool any_language = false;
    std::wstring text;
  };

  // The entry where (module, id) is kept, whatever it holds now.
  Text& At(HMODULE module, UINT id) {
    const std::uintptr_t key =
        reinterpret_cast<std::uintptr_t>(module) ^ (static_cast<std::uintptr_t>(id) * 0x9E3779B9u);
    return texts_[(key ^ key >> 17) % kTexts];
  }
  // True when `t` holds (module, id) as it was after `unloads` unloads,
  // in any language; whether in the one wanted is left to the caller.
  static bool Holds(const Text& t, HMODULE module, UINT id, std::uint64_t unloads) {
    return t.module == module && t.id == id && t.unloads == unloads;
  }
  // Longer texts are not kept: a thread keeps little memory.
  static constexpr std::size_t kLongestText = 256;

 private:
  static constexpr std::size_t kTexts = 64;
  Text texts_[kTexts];
};

// Looks up the text of `id` in the loaded library `m` for `preferred`;
// false when the library holds no such string. `any_language`: set when
// the answer does not depend on `preferred` (the library holds id's block
// in one language at most).
bool FindString(const velwin::detail::ModuleImage& m, UINT id, LANGID preferred, std::wstring& text,
                bool& any_language) {
  any_language = true;
  if (id > 0xFFFF) return false;
  const auto block = static_cast<std::uint16_t>(id / 16 + 1);
  const auto [first, last] = std::equal_range(
      m.strings->begin(), m.strings->end(), StringBlock{block, 0, 0, 0},
      [](const StringBlock& a, const StringBlock& b) { return a.block < b.block; });
  any_language = last - first <= 1;
  // The best-ranked language that holds the string; of equal ranks the
  // first, which has the lowest LANGID.
  int best = velwin::detail::kLanguageRanks;
  const std::uint8_t* units = nullptr;
  std::size_t count = 0;
  for (auto e = first; e != last && best > 0; ++e) {
    const int rank = velwin::detail::LanguageRank(preferred, e->lang);
    if (rank < best &&
        velwin::detail::LocateBlockString(m.image, m.size, *e, id % 16, units, count))
      best = rank;
  }
  if (best == velwin::detail::kLanguageRanks) return false;
  velwin::detail::AppendUtf16(units, count, text);
  return true;
}

}  // namespace

std::wstring loadStringFromWin32ResourceDLL(HMODULE module, UINT id) {
  std::wstring text;
  loadStringFromWin32ResourceDLL(module, id, text);
  return text;
}

void loadStringFromWin32ResourceDLL(HMODULE module, UINT id, std::wstring& text) {
  text.clear();
  if (module == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return;
  }
  // Read before the lookup: an unload meanwhile leaves what is kept below
  // outdated, never the other way round.
  const std::uint64_t unloads =
      velwin::detail::g_libraries_unloaded.load(std::memory_order_acquire);
  RecentTexts* kept = velwin::detail::ThreadObject<RecentTexts>();
  RecentTexts::Text* recent = kept != nullptr ? &kept->At(module, id) : nullptr;
  const bool held = recent != nullptr && RecentTexts::Holds(*recent, module, id, unloads);
  // A text kept for any language needs no look at the environment.
  const LANGID preferred =
      held && recent->any_language ? recent->language : velwin::detail::PreferredLanguage();
  if (held && recent->language == preferred) {
    if (!recent->found) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    text.assign(recent->text);
    return;
  }
  // One reference captured: the call's function object needs no memory.
  struct Lookup {
    UINT id;
    LANGID preferred;
    std::wstring& text;
    bool found;
    bool any_language;
  } lookup{id, preferred, text, false, false};
  if (!velwin::detail::ReadModuleImage(module, [&lookup](const velwin::detail::ModuleImage& m) {
        lookup.found = FindString(m, lookup.id, lookup.preferred, lookup.text, lookup.any_language);
      })) {
    SetLastError(ERROR_INVALID_HANDLE);
    return;
  }
  const bool found = lookup.found;
  if (recent != nullptr && text.size() <= RecentTexts::kLongestText) {
    // The copy is made first: when it fails, the entry keeps what it held.
    std::wstring copy = text;
    recent->text.swap(copy);
    recent->module = module;
    recent->id = id;
    recent->language = preferred;
    recent->unloads = unloads;
    recent->found = found;
    recent->any_language = lookup.any_language;
  }
  if (!found) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
}

namespace {

// The texts LoadStringW has handed out as read-only pointers, each kept
// once until the process ends: a caller may hold such a pointer as long as
// Win32 would let it hold a pointer into the module.
const wchar_t* KeptText(const std::wstring& text) {
  static std::mutex lock;
  static auto* texts = new std::unordered_set<std::wstring>();  // never freed: see above
  const std::lock_guard<std::mutex> hold(lock);
  return texts->insert(text).first->c_str();
}

}  // namespace

int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int size) try {
  if (buffer == nullptr || size < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (module == nullptr) module = AfxGetResourceHandle();
  // Empty strings are no resources, so "" always means none was found,
  // with the last error already set.
  const std::wstring text = loadStringFromWin32ResourceDLL(module, id);
  if (size == 0) {
    *reinterpret_cast<LPCWSTR*>(buffer) = text.empty() ? nullptr : KeptText(text);
    return static_cast<int>(text.size());
  }
  const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(size) - 1);
  std::copy_n(text.data(), copied, buffer);
  buffer[copied] = L'\0';
  return static_cast<int>(copied);
} catch (const std::bad_alloc&) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  if (size > 0) buffer[0] = L'\0';
  return 0;
}

int LoadString(HINSTANCE module, UINT id, LPWSTR buffer, int size) {
  return LoadStringW(module, id, buffer, size);
}

BOOL EnumResourceStringsW(HMODULE module, ENUMRESSTRINGPROCW proc, LONG_PTR param) try {
  if (proc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<Entry> entries;
  bool readable = true;
  const bool known =
      velwin::detail::ReadModuleImage(module, [&](const velwin::detail::ModuleImage& m) {
        readable = ReadStrings(m.image, m.size, entries);
      });
  if (!known || !readable) {
    // LoadLibrary refused unreadable tables, so only a file changed in
    // place under its mapping makes a known module unreadable here.
    SetLastError(known ? ERROR_BAD_EXE_FORMAT : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  for (const Entry& e : entries) {
    if (!proc(module, e.id, e.lang, e.text.c_str(), static_cast<UINT>(e.text.size()), param))
      return FALSE;
  }
  return TRUE;
} catch (const std::bad_alloc&) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return FALSE;
}
