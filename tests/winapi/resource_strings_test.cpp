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
  for (const Row& r : rows) {
    SCOPED_TRACE(r.dll);
    Library lib(TestDll(r.dll));
    Recorder rec;
    EXPECT_TRUE(EnumResourceStringsW(lib.get(), Recorder::Proc, reinterpret_cast<LONG_PTR>(&rec)));
    EXPECT_EQ(rec.seen.size(), r.count);
    std::size_t last = 0;  // by id, then language: each key above the one before
    for (const Seen& s : rec.seen) {
      SCOPED_TRACE(testing::Message() << "id " << s.id << " lang " << s.lang);
      EXPECT_LT(last, s.id * 0x10000u + s.lang + 1);
      last = s.id * 0x10000u + s.lang + 1;
      restest::ThreadLanguage in(s.lang);
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
    DWORD error;
    std::size_t calls;
  };
  const Row rows[] = {
      {"null module", kNull, true, 0, false, FALSE, ERROR_INVALID_HANDLE, 0},
      {"freed module", kFreed, true, 0, false, FALSE, ERROR_INVALID_HANDLE, 0},
      {"null callback", kLoaded, false, 0, false, FALSE, ERROR_INVALID_PARAMETER, 0},
      {"stopped by the callback", kLoaded, true, 2, false, FALSE, 0, 2},
      {"module freed by the callback", kLoaded, true, 0, true, TRUE, 0, 16}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    HMODULE module = r.module == kNull ? nullptr : LoadLibraryW(TestDll("strings64.dll").c_str());
    if (r.module == kFreed) FreeLibrary(module);
    Recorder rec;
    rec.stop_after = r.stop_after;
    rec.free_first = r.free_first;
    SetLastError(0);
    EXPECT_EQ(EnumResourceStringsW(module, r.proc ? Recorder::Proc : nullptr,
                                   reinterpret_cast<LONG_PTR>(&rec)),
              r.result);
    EXPECT_EQ(GetLastError(), r.error);
    EXPECT_EQ(rec.seen.size(), r.calls);
    if (r.module == kLoaded && !r.free_first) FreeLibrary(module);
  }
}

}  // namespace
