// The calls that keep state from one call to the next, with their k-th allocation failing, for
// every k: the call fails as its header says, leaves no memory (LeakSanitizer) or mapped library
// behind, and the next call gives the right answer. operator new counts, and so do ICU's
// allocations and the C library's calls that allocate for that state.
#include <dirent.h>
#include <locale.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <ostream>
#include <string>

#include <gtest/gtest.h>
#include <unicode/uclean.h>
#include <unicode/udat.h>
#include <unicode/udatpg.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/interpose.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

// The C library's calls that allocate fail as they do when memory runs out: opendir with ENOMEM,
// newlocale with ENOENT (glibc's answer when an allocation fails while it reads the locale's
// files), the registration of a thread_local's destructor by aborting, as glibc does. They are
// exported, so that the libraries bind to them.
#define VISIBLE __attribute__((visibility("default")))
extern "C" VISIBLE DIR* opendir(const char* name) {
  static const auto next = velut_test::Next(&opendir);
  return velut_test::AllocationFails() ? (errno = ENOMEM, nullptr) : next(name);
}
extern "C" VISIBLE locale_t newlocale(int mask, const char* name, locale_t base) {
  static const auto next = velut_test::Next(&newlocale);
  return velut_test::AllocationFails() ? (errno = ENOENT, nullptr) : next(mask, name, base);
}
extern "C" VISIBLE int __cxa_thread_atexit_impl(void (*f)(void*), void* p, void* dso) {  // NOLINT
  static const auto next = velut_test::Next(&__cxa_thread_atexit_impl);
  if (!velut_test::AllocationFails()) return next(f, p, dso);
  std::fputs("failed to register TLS destructor: out of memory\n", stderr);
  std::abort();
}

namespace {

// ICU does not report every failure of its own (udat_format has no status for some), so a call
// whose failing allocation was ICU's may give a wrong text, and ICU may lose memory then; the next
// call must still be right.
bool g_icu_failed = false;
bool IcuFails() { return velut_test::AllocationFails() && (g_icu_failed = true); }
const bool kIcuCounted = [] {
  UErrorCode status = U_ZERO_ERROR;
  u_setMemoryFunctions(
      nullptr, [](const void*, size_t n) { return IcuFails() ? nullptr : malloc(n); },
      [](const void*, void* p, size_t n) { return IcuFails() ? nullptr : realloc(p, n); },
      [](const void*, void* p) { free(p); }, &status);
  return U_SUCCESS(status);
}();

// ICU keeps some failures of its own for the rest of the process (its one-time set-up, the
// calendar and symbols it shares per locale), which no caller can undo: they are made first.
void StartIcu() {
  UErrorCode status = U_ZERO_ERROR;
  for (const char* locale : {"en_US", "de_DE", "tr_TR", "en_US_POSIX"}) {
    UDateFormat* f = udat_open(UDAT_MEDIUM, UDAT_FULL, locale, u"UTC", -1, nullptr, -1, &status);
    UChar out[64];
    udat_format(f, 0, out, 64, nullptr, &status);
    udat_close(f);
    udatpg_close(udatpg_open(locale, &status));
  }
  ASSERT_TRUE(U_SUCCESS(status)) << u_errorName(status);
}

HMODULE g_strings = nullptr;                // strings64.dll, loaded before any child is made
std::string g_folder;                       // copies of it, which only the children load
std::wstring g_umlaut, g_handles, g_upper;  // their names, made before any allocation fails
wchar_t g_text[80];                         // a call's answer, kept without allocating

// The calls, each giving its answer or its failure as a text ("bad_alloc", "error 8").
const wchar_t* Keep(const std::wstring& text) { return std::wcsncpy(g_text, text.c_str(), 79); }
const wchar_t* Error() { return std::swprintf(g_text, 80, L"error %u", GetLastError()), g_text; }
template <typename Call>
const wchar_t* Caught(Call call) try {
  return call();
} catch (const std::bad_alloc&) {
  return L"bad_alloc";
}
const wchar_t* Fifteen() {
  return Caught([] { return Keep(loadStringFromWin32ResourceDLL(g_strings, 15)); });
}
const wchar_t* Date(LCID lcid, DWORD flags = DATE_LONGDATE) {
  const SYSTEMTIME day{2024, 5, 5, 17, 0, 0, 0, 0};
  return Caught(
      [&] { return GetDateFormatW(lcid, flags, &day, nullptr, g_text, 80) ? g_text : Error(); });
}
const wchar_t* Load(const std::wstring& name) {
  return Caught([&] {
    const HMODULE module = LoadLibraryW(name.c_str());
    return module != nullptr && FreeLibrary(module) ? L"loaded" : Error();
  });
}
const wchar_t* Umlaut() { return Load(g_umlaut); }
const wchar_t* LoadFromResource() {
  return Caught([] {
    VelUtResString text;
    text.Set(15, g_handles.c_str());
    return text.LoadFromResource(1) == 1 ? Keep(text.mText) : Error();
  });
}

// How a row's run with its k-th allocation failing ended, named in a failure; "another
// failure": not the one its header names.
enum Outcome { kRight, kNotFired, kWrongFailure, kWrongAfter, kMapped, kLeaked, kDied, kIcuCrash };

void PrintTo(Outcome outcome, std::ostream* os) {
  const char* const names[] = {
      "right",         "no failure", "another failure", "next call wrong", "library still mapped",
      "leaked memory", "died",       "ICU crashed"};
  *os << names[outcome];
}

// ICU itself crashes after some of its own failed allocations (ICU 72 in
// ures_getByKeyWithFallback, ICU 76 in SimpleNumber::cleanup), which no caller can prevent: a k
// whose failing allocation was ICU's own is passed over when it crashes. Any other crash, ICU on
// the stack or not (a bad pointer we passed it), is a death.
void OnCrash(int) { _exit(g_icu_failed ? kIcuCrash : kDied); }

bool Mapped() {
  std::ifstream maps("/proc/self/maps");
  return std::string{std::istreambuf_iterator<char>(maps), {}}.find(g_folder) != std::string::npos;
}

struct Row {
  const char* call;  // and what it must not keep from a failure
  void (*before)();  // made first, without failure, when not null
  const wchar_t* (*run)();
  std::wstring answer;   // without failure
  std::wstring failure;  // the failure its header names
};

Outcome Check(const Row& row, long k) {
  if (row.before != nullptr) row.before();
  const wchar_t* result = nullptr;
  {
    const velut_test::AllocationFailure failure(k, velut_test::AllocationFailure::kBadAlloc);
    result = row.run();
    if (!failure.Fired()) return kNotFired;
  }
  const std::wstring failed = result;
  if (failed != row.answer && failed != row.failure && !g_icu_failed) return kWrongFailure;
  if (row.run() != row.answer) return kWrongAfter;
  VelUtResString::FreeLibraries();
  if (Mapped()) return kMapped;
  // ICU 72 loses a few bytes of its own when one of its allocations fails.
  const bool leaked =
      !g_icu_failed && __lsan_do_recoverable_leak_check && __lsan_do_recoverable_leak_check();
  return leaked ? kLeaked : kRight;
}

// Runs the row with its k-th allocation failing in a child whose thread has made no call yet, so
// that the row's call, or the call before it, is the first of its thread and of the process.
Outcome CheckInChild(const Row& row, long k) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGSEGV, OnCrash);
    signal(SIGABRT, OnCrash);  // glibc's answer to a bad free
    try {
      velut_test::ExitChild(Check(row, k));
    } catch (...) {
      velut_test::ExitChild(kDied);
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  const bool exited = WIFEXITED(status) && WEXITSTATUS(status) <= kIcuCrash;
  return exited ? static_cast<Outcome>(WEXITSTATUS(status)) : kDied;
}

TEST(AllocationFailure, NoCacheKeepsAFailure) {
  ASSERT_TRUE(kIcuCounted);
  const velut_test::TempFolder folder;
  for (const char* copy : {"\xC3\xBCmlaut.dll", "handles.dll"})
    std::filesystem::copy_file(VELUT_TEST_DLL_DIR "/strings64.dll", folder / copy);
  g_folder = folder.path().string();
  const std::wstring path = NativeToPath(g_folder.c_str()) + L"\\";
  g_umlaut = path + L"\u00DCMLAUT", g_handles = path + L"handles", g_upper = path + L"HANDLES";
  StartIcu();
  g_strings = LoadLibraryW(VELUT_TEST_DLL_DIR_W L"/strings64.dll");
  ASSERT_NE(g_strings, nullptr);
  const velut_test::ScopedUserLocale user("de_DE.UTF-8");
  const std::wstring german = L"Freitag, 17. Mai 2024";
  const Row rows[] = {
      {"a thread's first lookup: its cache made, or none, never an abort", nullptr, Fifteen,
       L"fifteen", L"bad_alloc"},
      {"a lookup into the thread's cache: a text and its key kept together",
       [] { loadStringFromWin32ResourceDLL(g_strings, 16); }, Fifteen, L"fifteen", L"bad_alloc"},
      {"LoadFromResource: its library recorded, or freed", nullptr, LoadFromResource, L"fifteen",
       L"bad_alloc"},
      {"LoadLibraryW(L\"\u00DCMLAUT\") again: the folder's stream closed", [] { Umlaut(); }, Umlaut,
       L"loaded", L"error 8"},
      {"LoadLibraryW(L\"HANDLES\"): opendir's ENOMEM is ERROR_NOT_ENOUGH_MEMORY", nullptr,
       [] { return Load(g_upper); }, L"loaded", L"error 8"},
      {"the first LoadLibraryW(L\"\u00DCMLAUT\"): a failed case-folding locale made again", nullptr,
       Umlaut, L"loaded", L"error 8"},
      {"a thread's first GetDateFormatW(0x0407, DATE_LONGDATE): no fallback pattern kept", nullptr,
       [] { return Date(0x0407); }, german, L"error 8"},
      {"GetDateFormatW of the user's de_DE: ICU's languages listed again after a failure", nullptr,
       [] { return Date(LOCALE_USER_DEFAULT); }, german, L"error 8"},
      {"GetDateFormatW(0x041F, DATE_YEARMONTH): a wrong pattern ICU calls right not kept", nullptr,
       [] { return Date(0x041F, DATE_YEARMONTH); }, L"May\u0131s 2024", L"error 8"},
  };
  for (const Row& row : rows) {
    Outcome outcome = kRight;
    long k = 0;
    while (outcome == kRight || outcome == kIcuCrash) outcome = CheckInChild(row, ++k);
    EXPECT_EQ(kNotFired, outcome) << row.call << ", allocation " << k << " failing";
  }
  FreeLibrary(g_strings);
}

}  // namespace
