// EnumResourceStringsW: every string of a library in every language, in
// order, each the text a lookup in that language reads; and the handles,
// callbacks and stops it refuses or honours.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "winapi/resource_support.h"

namespace {

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

// Every string in every language, by id then language, each the text a
// lookup in that language reads; the handles and callbacks it refuses, and
// the callback's stop or free.
TEST(EnumResourceStrings, Table) {
  enum Module { kLoaded, kNull, kFreed };
  const std::tuple<const char*, Module, bool, std::size_t, bool, BOOL, DWORD, std::size_t> rows[] =
      {// The library, its handle, a callback or none, stop after, free at the first call;
       // the result, the error, the calls.
       {"strings64.dll", kLoaded, true, 0, false, TRUE, 0, 16},
       {"strings32.dll", kLoaded, true, 0, false, TRUE, 0, 16},
       {"languages.dll", kLoaded, true, 0, false, TRUE, 0, 21},
       {"nostrings.dll", kLoaded, true, 0, false, TRUE, 0, 0},
       {"strings64.dll", kNull, true, 0, false, FALSE, ERROR_INVALID_HANDLE, 0},
       {"strings64.dll", kFreed, true, 0, false, FALSE, ERROR_INVALID_HANDLE, 0},
       {"strings64.dll", kLoaded, false, 0, false, FALSE, ERROR_INVALID_PARAMETER, 0},
       {"strings64.dll", kLoaded, true, 2, false, FALSE, 0, 2},
       {"strings64.dll", kLoaded, true, 0, true, TRUE, 0, 16}};
  for (const auto& [dll, kind, proc, stop_after, free_first, result, error, calls] : rows) {
    SCOPED_TRACE(testing::Message()
                 << dll << " " << kind << " " << proc << " " << stop_after << " " << free_first);
    HMODULE module = kind == kNull ? nullptr : LoadLibraryW(TestDll(dll).c_str());
    if (kind == kFreed) FreeLibrary(module);
    Recorder rec;
    rec.stop_after = stop_after;
    rec.free_first = free_first;
    SetLastError(0);
    EXPECT_EQ(EnumResourceStringsW(module, proc ? Recorder::Proc : nullptr,
                                   reinterpret_cast<LONG_PTR>(&rec)),
              result);
    EXPECT_EQ(GetLastError(), error);
    EXPECT_EQ(rec.seen.size(), calls);
    std::size_t last = 0;  // by id, then language: each key above the one before
    for (const Seen& s : rec.seen) {
      SCOPED_TRACE(testing::Message() << "id " << s.id << " lang " << s.lang);
      EXPECT_LT(last, s.id * 0x10000u + s.lang + 1);
      last = s.id * 0x10000u + s.lang + 1;
      restest::ThreadLanguage in(s.lang);
      EXPECT_EQ(s.text, free_first ? s.text : loadStringFromWin32ResourceDLL(module, s.id));
      EXPECT_FALSE(s.text.empty());
    }
    if (kind == kLoaded && !free_first) FreeLibrary(module);
  }
}

}  // namespace
