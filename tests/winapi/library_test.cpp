// LoadLibrary, FreeLibrary, loadStringFromWin32ResourceDLL and EnumResourceStringsW on real DLLs.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <ostream>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "support/interpose.h"
#include "support/rows.h"
#include "support/temp_folder.h"
#include "winapi/resource_support.h"

// While set, readdir fails with EIO, as it does for a folder that cannot be read. Exported, so
// that the libraries bind to it.
bool g_readdir_fails = false;
extern "C" __attribute__((visibility("default"))) dirent* readdir(DIR* dir) {
  static const auto next = velut_test::Next(&readdir);
  return g_readdir_fails ? (errno = EIO, nullptr) : next(dir);
}

namespace {

namespace fs = std::filesystem;
using velut_test::DllDirectory;
using velut_test::Library;
using velut_test::ReadOnlyBy;
using velut_test::RunWhereReadOnly;
using velut_test::Slashed;
using velut_test::TempFolder;
using velut_test::TestDll;
using velut_test::Text;

void CopyDll(const char* dll, const fs::path& to) {
  fs::copy_file(velut_test::Utf8(TestDll(dll)), to);
}

// Which file a name loads, with the DLL folder and the current folder set.
TEST(LoadLibraryW, NameRules) {
  TempFolder dir;
  fs::create_directory(dir / "sub");
  for (const char* name : {"strings.dll", "noext", "DUP.dll", "dup.DLL", "\xC3\x84rger.dll",
                           "sub/Inner.dll", "bad\xFF.dll", "data.res"})
    CopyDll("strings32.dll", dir / name);
  DllDirectory folder(Text(dir.path()));
  velut_test::ScopedCurrentFolder here(dir.path());
  const DWORD kNotFound = ERROR_MOD_NOT_FOUND;
  const std::tuple<std::wstring, const char*, DWORD> rows[] = {
      {L"Dup.dll", "DUP.dll", 0},  // the first case-blind match
      {L"\u00E4RGER", "\xC3\x84rger.dll", 0},
      {L"NoExt.", "noext", 0},  // no extension after a dot
      {L"noext", nullptr, kNotFound},
      {L"data.res", "data.res", 0},
      {L".", nullptr, kNotFound},
      {L"BAD\xDCFF", "bad\xFF.dll", 0},  // a byte that is no UTF-8 matches only itself
      {L"z:" + Slashed(dir / "SUB" / "inner"), "sub/Inner.dll", 0},  // case-blind folders too
      {Slashed(dir / "strings.dll" / "x"), nullptr, kNotFound},
      {L"C:sub\\Inner", "sub/Inner.dll", 0},  // a drive without root: the current folder
      {L"..\\" + Text(dir.path().filename()) + L"\\sub\\..\\strings", "strings.dll", 0}};
  velut_test::ForEachRow(rows, [&](auto& name, auto& file, auto& error) {
    // The file by its exact name, "." ending the search for an extension; null when none.
    const Library expected(file != nullptr ? Text(dir / file) + L"." : std::wstring());
    SetLastError(0);
    const Library got(name);
    EXPECT_EQ(error, GetLastError());
    EXPECT_EQ(expected.get(), got.get());
  });
}

// A bare name: the DLL folder (when present), the program's, the current.
TEST(LoadLibraryW, SearchOrder) {
  Library beside_program(Text(fs::read_symlink("/proc/self/exe").parent_path()) +
                         L"\\velut_exe_folder.dll");
  TempFolder current, dlls;
  CopyDll("languages.dll", current / "velut_exe_folder.dll");
  CopyDll("strings32.dll", current / "only_here.dll");
  CopyDll("nostrings.dll", dlls / "velut_exe_folder.dll");
  Library only_here(Text(current / "only_here.dll")), in_dlls(Text(dlls / "velut_exe_folder.dll"));
  velut_test::ScopedCurrentFolder here(current.path());
  const std::tuple<std::wstring, const wchar_t*, HMODULE> rows[] = {
      {L"", L"velut_exe_folder", beside_program.get()},
      {L"", L"only_here", only_here.get()},
      {L"C:" + Text(dlls.path()), L"Velut_Exe_Folder.dll", in_dlls.get()},
      {Text(dlls / "missing"), L"velut_exe_folder", beside_program.get()}};
  velut_test::ForEachRow(rows, [&](auto& dll_folder, auto& name, auto& expected) {
    DllDirectory folder(dll_folder);
    const Library lib(name);
    EXPECT_NE(nullptr, lib.get());
    EXPECT_EQ(expected, lib.get());
  });
}

// One free per load, under any name of the file; a freed handle is unknown.
TEST(FreeLibrary, EachLoadIsBalancedByOneFree) {
  TempFolder dir;
  CopyDll("strings64.dll", dir / "counted.dll");
  fs::create_hard_link(dir / "counted.dll", dir / "linked.dll");
  DllDirectory folder(Text(dir.path()));
  const HMODULE first = LoadLibraryW(L"counted");
  for (const wchar_t* name : {L"COUNTED.dll", L"linked"})
    EXPECT_EQ(first, LoadLibraryW(name)) << name;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(L"one", loadStringFromWin32ResourceDLL(first, 1)) << "before free " << i + 1;
    EXPECT_TRUE(FreeLibrary(first));
  }
  const HMODULE again = LoadLibraryW(L"counted");
  EXPECT_NE(first, again);
  EXPECT_TRUE(FreeLibrary(again));
  int not_a_library = 0;
  for (HMODULE h : {first, again, HMODULE{}, static_cast<HMODULE>(&not_a_library)}) {
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(h));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
  }
}

// How a load in a child ended: the error of kLoadErrors at its index, another error, or a
// descriptor left open; named in a failure. Above those, RunWhereReadOnly made no child.
enum LoadOutcome {
  kLoaded,
  kModuleNotFound,
  kBadExeFormat,
  kAccessDenied,
  kOtherError,
  kDescriptorLeftOpen,
};
constexpr DWORD kLoadErrors[] = {0, ERROR_MOD_NOT_FOUND, ERROR_BAD_EXE_FORMAT, ERROR_ACCESS_DENIED};

void PrintTo(LoadOutcome outcome, std::ostream* os) {
  const char* const names[] = {
      "loaded",        "ERROR_MOD_NOT_FOUND",   "ERROR_BAD_EXE_FORMAT", "ERROR_ACCESS_DENIED",
      "another error", "a descriptor left open"};
  if (outcome <= kDescriptorLeftOpen) *os << names[outcome];
  if (outcome > kDescriptorLeftOpen) *os << "no child, RunWhereReadOnly's status " << int(outcome);
}

// The error says why a file does not load; no descriptor stays open.
TEST(LoadLibraryW, ErrorSaysWhyAFileDoesNotLoad) {
  TempFolder dir;
  fs::create_directory(dir / "folder.dll");
  ASSERT_EQ(0, mkfifo((dir / "fifo.dll").c_str(), 0600));
  std::ifstream in(velut_test::Utf8(TestDll("strings64.dll")), std::ios::binary);
  const std::string image(std::istreambuf_iterator<char>(in), {});
  for (const auto& [name, size] : {std::pair<const char*, std::size_t>{"empty.dll", 0},
                                   {"dos.dll", 0x80},  // the DOS header, pointing past the end
                                   {"good.dll", image.size()},
                                   {"locked.dll", image.size()}})
    std::ofstream(dir / name, std::ios::binary).write(image.data(), size);
  fs::permissions(dir / "locked.dll", fs::perms::none);
  std::ofstream(dir / "text.dll") << "This is not a library.\n";
  const std::tuple<const char*, LoadOutcome> rows[] = {
      {"folder.dll", kModuleNotFound}, {"fifo.dll", kModuleNotFound}, {"empty.dll", kBadExeFormat},
      {"text.dll", kBadExeFormat},     {"dos.dll", kBadExeFormat},    {"good.dll", kLoaded},
      {"locked.dll", kAccessDenied}};
  velut_test::ForEachRow(rows, [&](auto& file, auto& expected) {
    const std::wstring path = Text(dir / file);
    const auto load = [&] {  // as nobody, for whom the locked file is locked even under root
      const auto open = std::distance(fs::directory_iterator("/proc/self/fd"), {});
      SetLastError(0);
      const DWORD error = LoadLibraryW(path.c_str()) != nullptr ? 0 : GetLastError();
      if (std::distance(fs::directory_iterator("/proc/self/fd"), {}) != open)
        return static_cast<int>(kDescriptorLeftOpen);
      return static_cast<int>(std::find(std::begin(kLoadErrors), std::end(kLoadErrors), error) -
                              std::begin(kLoadErrors));
    };
    EXPECT_EQ(expected, static_cast<LoadOutcome>(
                            RunWhereReadOnly(dir.path(), ReadOnlyBy::kUnprivilegedUser, load)));
  });
}

// A folder that cannot be read in the case-blind search gives its error, not "no such module".
TEST(LoadLibraryW, UnreadableFolderIsNoMissingModule) {
  TempFolder dir;
  CopyDll("strings64.dll", dir / "cased.dll");
  g_readdir_fails = true;
  const HMODULE module = LoadLibraryW(Text(dir / "CASED.dll").c_str());
  const DWORD error = GetLastError();
  g_readdir_fails = false;
  EXPECT_EQ(nullptr, module);
  EXPECT_EQ(ERROR_GEN_FAILURE, error) << "readdir's EIO";
}

// Null and a resource id are no names.
TEST(LoadLibraryW, NullOrResourceIdIsAnInvalidParameter) {
  for (const LPCWSTR bad : {LPCWSTR{}, reinterpret_cast<LPCWSTR>(0xFFFF)}) {
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadLibraryW(bad));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
  }
}

// With no descriptor left: ERROR_TOO_MANY_OPEN_FILES, not "no such module".
TEST(LoadLibraryW, NoDescriptorLeftIsTooManyOpenFiles) {
  const std::wstring dll = TestDll("strings64.dll");
  struct rlimit old {};
  getrlimit(RLIMIT_NOFILE, &old);
  const int lowest_free = open("/dev/null", O_RDONLY);
  close(lowest_free);
  struct rlimit low = old;
  low.rlim_cur = static_cast<rlim_t>(lowest_free);
  ASSERT_EQ(0, setrlimit(RLIMIT_NOFILE, &low));
  const HMODULE module = LoadLibraryW(dll.c_str());
  const DWORD error = GetLastError();
  setrlimit(RLIMIT_NOFILE, &old);
  EXPECT_EQ(nullptr, module);
  EXPECT_EQ(ERROR_TOO_MANY_OPEN_FILES, error);
}

// Ids across blocks and texts; a failed lookup sets the last error, also when answered from before.
TEST(LoadString, IdsTextsAndLastError) {
  // The 32-bit DLL: the pe fuzz corpus holds the 64-bit header.
  Library lib(TestDll("strings32.dll")), none(TestDll("nostrings.dll"));
  const HMODULE s = lib.get(), freed = LoadLibraryW(TestDll("strings64.dll").c_str());
  FreeLibrary(freed);
  const DWORD kNoName = ERROR_RESOURCE_NAME_NOT_FOUND, kBadHandle = ERROR_INVALID_HANDLE;
  const std::tuple<HMODULE, UINT, std::wstring, DWORD> rows[] = {
      {s, 0, L"zero", 0},
      {s, 2, L"", kNoName},  // a gap inside a block that exists
      {s, 2, L"", kNoName},  // the same, answered from before
      {s, 15, L"fifteen", 0},
      {s, 16, L"sixteen", 0},
      {s, 32, L"", kNoName},  // a block that does not exist
      {s, 65535, L"the last id", 0},
      {s, 100, L"Gr\u00FC\u00DFe aus K\u00F6ln \u2013 \u00ABcaf\u00E9\u00BB \u00BD \u2211", 0},
      {s, 101, L"\U0001F600 grinning, \U0001D11E clef", 0},  // pairs join, lone halves are U+FFFD
      {s, 104, L"\uFFFD lone low, a high at the end \uFFFD", 0},
      {s, 106, std::wstring(L"inner\0zero", 10), 0},  // zero units kept inside, dropped at the end
      {s, 107, L"terminated", 0},
      {none.get(), 1, L"", kNoName},
      {nullptr, 1, L"", kBadHandle},
      {freed, 1, L"", kBadHandle}};
  velut_test::ForEachRow(rows, [](auto& module, auto& id, auto& text, auto& error) {
    SetLastError(0);
    EXPECT_EQ(text, loadStringFromWin32ResourceDLL(module, id));
    EXPECT_EQ(error, GetLastError());
  });
}

// Records each string; stops after `stop_after` calls (0: never), frees at once if `free_first`.
struct Recorder {
  std::vector<std::tuple<UINT, LANGID, std::wstring>> seen;
  std::size_t stop_after = 0;
  bool free_first = false;

  static BOOL Proc(HMODULE module, UINT id, LANGID lang, LPCWSTR text, UINT length,
                   LONG_PTR param) {
    auto* self = reinterpret_cast<Recorder*>(param);
    EXPECT_EQ(L'\0', text[length]) << "the unit after the text";
    self->seen.emplace_back(id, lang, std::wstring(text, length));
    if (self->free_first && self->seen.size() == 1) FreeLibrary(module);
    return self->stop_after == 0 || self->seen.size() < self->stop_after;
  }
};

// Every string by id then language, each as a lookup in that language reads it.
TEST(EnumResourceStrings, EveryStringByIdThenLanguage) {
  enum Module { kLoaded, kNull, kFreed };
  struct Row {
    const char *name, *dll;
    Module kind;
    std::size_t calls;
    BOOL result = TRUE;
    DWORD error = 0;
    bool proc = true;            // a callback given
    std::size_t stop_after = 0;  // the callback stops after that many calls (0: never)
    bool free_first = false;     // the callback frees the library at its first call
  };
  const Row rows[] = {
      {"every string", "strings64.dll", kLoaded, 16},
      {"every language", "languages.dll", kLoaded, 21},
      {"no strings", "nostrings.dll", kLoaded, 0},
      {"null module", "strings64.dll", kNull, 0, FALSE, ERROR_INVALID_HANDLE},
      {"freed module", "strings64.dll", kFreed, 0, FALSE, ERROR_INVALID_HANDLE},
      {"no callback", "strings64.dll", kLoaded, 0, FALSE, ERROR_INVALID_PARAMETER, false},
      {"stopped", "strings64.dll", kLoaded, 2, FALSE, 0, true, 2},
      {"freed while enumerated", "strings64.dll", kLoaded, 16, TRUE, 0, true, 0, true}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    const auto& [name, dll, kind, calls, result, error, proc, stop_after, free_first] = row;
    HMODULE module = kind == kNull ? nullptr : LoadLibraryW(TestDll(dll).c_str());
    if (kind == kFreed) FreeLibrary(module);
    Recorder rec{{}, stop_after, free_first};
    SetLastError(0);
    EXPECT_EQ(result, EnumResourceStringsW(module, proc ? Recorder::Proc : nullptr,
                                           reinterpret_cast<LONG_PTR>(&rec)));
    EXPECT_EQ(error, GetLastError());
    EXPECT_EQ(calls, rec.seen.size()) << "strings given to the callback";
    const Library copy(TestDll(dll));  // loaded after the call, which may free `module`
    std::size_t last = 0;              // each key (id, language) above the one before
    for (const auto& [id, lang, text] : rec.seen) {
      SCOPED_TRACE(testing::Message() << "id " << id << " lang " << lang);
      EXPECT_LT(last, id * 0x10000u + lang + 1);
      last = id * 0x10000u + lang + 1;
      velut_test::ThreadLanguage in(lang);
      EXPECT_EQ(copy.String(id), text) << "the text a lookup in that language reads";
      EXPECT_FALSE(text.empty());
    }
    if (kind == kLoaded && !free_first) FreeLibrary(module);
  });
}

}  // namespace
