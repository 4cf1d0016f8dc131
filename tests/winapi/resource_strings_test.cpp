// EnumResourceStringsW: every string of a library in every language, in
// order, each the text a lookup in that language reads; and the handles,
// callbacks and stops it refuses or honours.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "winapi/resource_support.h"

namespace {

using restest::Library;
using restest::TestDll;
using restest::ThreadLanguage;

struct Seen {
  UINT id;
  LANGID lang;
  std::wstring text;
};

// Records each string; stops after `stop_after` calls (0: never) and frees
// the module on the first call when `free_first` is set.
struct Recorder {
  std::vector<Seen> seen;
  std::size_t stop_after = 0;
  bool free_first = false;

  static BOOL Proc(HMODULE module, UINT id, LANGID lang, LPCWSTR text, UINT length,
                   LONG_PTR param) {
    auto* self = reinterpret_cast<Recorder*>(param);
    EXPECT_EQ(text[length], L'\0');
    self->seen.push_back({id, lang, std::wstring(text, length)});
    if (self->free_first && self->seen.size() == 1) FreeLibrary(module);
    return self->stop_after == 0 || self->seen.size() < self->stop_after;
  }
};

TEST(EnumResourceStrings, ListsEveryStringAsLookupsReadIt) {
  struct Row {
    const char* dll;
    std::size_t count;
  };
  const Row rows[] = {
      {"strings64.dll", 16}, {"strings32.dll", 16}, {"languages.dll", 21}, {"nostrings.dll", 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.dll);
    Library lib(TestDll(row.dll));
    ASSERT_NE(lib.get(), nullptr);
    Recorder r;
    EXPECT_TRUE(EnumResourceStringsW(lib.get(), Recorder::Proc, reinterpret_cast<LONG_PTR>(&r)));
    EXPECT_EQ(r.seen.size(), row.count);
    for (std::size_t i = 0; i < r.seen.size(); ++i) {
      const Seen& s = r.seen[i];
      SCOPED_TRACE(testing::Message() << "id " << s.id << " lang " << s.lang);
      if (i > 0) {
        const Seen& p = r.seen[i - 1];
        EXPECT_TRUE(p.id < s.id || (p.id == s.id && p.lang < s.lang));
      }
      ThreadLanguage in(s.lang);
      EXPECT_EQ(s.text, lib.String(s.id));
      EXPECT_FALSE(s.text.empty());
    }
  }
}

TEST(EnumResourceStrings, HandlesCallbacksAndStops) {
  enum Module { kLoaded, kNull, kFreed };
  struct Row {
    const char* name;
    Module module;
    bool proc;
    std::size_t stop_after;
    bool free_first;
    BOOL result;
    DWORD error;  // checked when the result is FALSE
    std::size_t calls;
  };
  const Row rows[] = {
      {"null module", kNull, true, 0, false, FALSE, ERROR_INVALID_HANDLE, 0},
      {"freed module", kFreed, true, 0, false, FALSE, ERROR_INVALID_HANDLE, 0},
      {"null callback", kLoaded, false, 0, false, FALSE, ERROR_INVALID_PARAMETER, 0},
      {"stopped by the callback", kLoaded, true, 2, false, FALSE, ERROR_SUCCESS, 2},
      {"module freed by the callback", kLoaded, true, 0, true, TRUE, 0, 16},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HMODULE module = row.module == kNull
                         ? nullptr
                         : LoadLibraryW(restest::Wide(TestDll("strings64.dll")).c_str());
    if (row.module == kFreed) FreeLibrary(module);
    Recorder r;
    r.stop_after = row.stop_after;
    r.free_first = row.free_first;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(EnumResourceStringsW(module, row.proc ? Recorder::Proc : nullptr,
                                   reinterpret_cast<LONG_PTR>(&r)),
              row.result);
    if (!row.result) {
      EXPECT_EQ(GetLastError(), row.error);
    }
    EXPECT_EQ(r.seen.size(), row.calls);
    if (row.module == kLoaded && !row.free_first) FreeLibrary(module);
  }
}

}  // namespace
