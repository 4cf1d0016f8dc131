// LoadLibrary, FreeLibrary and loadStringFromWin32ResourceDLL: the Win32
// name rules with the case-blind fallback, the search order, reference
// counts, errors, damaged images, and the strings of 32- and 64-bit images.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "support/temp_folder.h"
#include "winapi/resource_support.h"

namespace {

namespace fs = std::filesystem;
using restest::DllDirectory;
using restest::Library;
using restest::TestDll;
using velut_test::Slashed;
using velut_test::TempFolder;
using velut_test::Text;
using velut_test::Wide;
using Bytes = std::vector<unsigned char>;

Bytes ReadBytes(const std::wstring& dll) {
  std::ifstream in(velut_test::Utf8(dll), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Writes a new file (never truncates one in place, which may be mapped).
void WriteBytes(const fs::path& path, const Bytes& bytes, std::size_t size) {
  fs::remove(path);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), size);
}

std::size_t OpenDescriptors() {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

// Which file a name loads (by the handle of a load of that file, which is
// the same while both are loaded), with the DLL folder and the current
// folder both set to a folder of DLLs under several names.
TEST(LoadLibraryW, NameRules) {
  TempFolder dir;
  fs::create_directory(dir / "sub");
  const char* const files[][2] = {{"strings64.dll", "strings.dll"},
                                  {"languages.dll", "Mixed.DLL"},
                                  {"strings32.dll", "noext"},
                                  {"nostrings.dll", "data.res"},
                                  {"strings32.dll", "DUP.dll"},
                                  {"strings64.dll", "dup.DLL"},
                                  {"languages.dll", "\xC3\x84rger.dll"},
                                  {"strings32.dll", "sub/Inner.dll"},
                                  {"strings64.dll", "bad\xFF.dll"}};
  for (const auto& f : files) fs::copy_file(velut_test::Utf8(TestDll(f[0])), dir / f[1]);
  DllDirectory folder(Text(dir.path()));
  velut_test::ScopedCurrentFolder here(dir.path());
  struct Row {
    std::wstring name;
    const char* file;  // what it loads; null: nothing, ERROR_MOD_NOT_FOUND
  };
  const Row rows[] = {
      {L"strings", "strings.dll"},
      {L"Strings.DLL", "strings.dll"},
      {L"MIXED", "Mixed.DLL"},
      {L"Dup.dll", "DUP.dll"},  // two case-blind matches: the first in byte order
      {L"\u00E4RGER", "\xC3\x84rger.dll"},
      {L"NoExt.", "noext"},  // a final dot: no extension
      {L"noext", nullptr},
      {L"data.res", "data.res"},
      {L"data", nullptr},
      {L"strings..", nullptr},
      {L"inner", nullptr},
      {L"", nullptr},
      {L".", nullptr},
      // A byte that is not UTF-8 (U+DC80-U+DCFF in the name) matches only itself.
      {L"BAD\xDCFF", "bad\xFF.dll"},
      {L"bad\xDCFE", nullptr},
      {L"bad\u00FF", nullptr},
      {Slashed(dir / "strings"), "strings.dll"},
      {L"C:" + Text(dir / "Strings.dll"), "strings.dll"},
      {L"z:" + Slashed(dir / "SUB" / "inner"), "sub/Inner.dll"},  // case-blind folders too
      {Slashed(dir / "sub" / "strings"), nullptr},
      {Text(dir / "strings.dll" / "x"), nullptr},
      {Slashed(dir / "sub") + L"/", nullptr},
      {Text(dir / "sub"), nullptr},  // "sub.dll"
      {L"sub\\inner.dll", "sub/Inner.dll"},
      {L"C:sub\\Inner", "sub/Inner.dll"},  // a drive without root: the current folder
      {L"..\\" + Text(dir.path().filename()) + L"\\sub\\..\\mixed", "Mixed.DLL"},
      {L"nosuch\\strings", nullptr}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "name \"" << r.name << "\"");
    SetLastError(0);
    Library got(r.name);
    if (r.file == nullptr) {
      EXPECT_EQ(got.get(), nullptr);
      EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
      continue;
    }
    const fs::path file = dir / r.file;
    Library expected(Text(file) + (file.has_extension() ? L"" : L"."));
    ASSERT_NE(expected.get(), nullptr);
    EXPECT_EQ(got.get(), expected.get());
  }
}

// A bare name is looked for in the DLL folder (when set and present), the
// program's folder, then the current folder.
TEST(LoadLibraryW, SearchOrder) {
  const fs::path beside_program = fs::read_symlink("/proc/self/exe").parent_path();
  Library in_program_folder(Text(beside_program / "velut_exe_folder.dll"));
  ASSERT_NE(in_program_folder.get(), nullptr);
  TempFolder current, dlls;
  fs::copy_file(velut_test::Utf8(TestDll("languages.dll")), current / "velut_exe_folder.dll");
  fs::copy_file(velut_test::Utf8(TestDll("strings32.dll")), current / "only_here.dll");
  fs::copy_file(velut_test::Utf8(TestDll("nostrings.dll")), dlls / "velut_exe_folder.dll");
  Library only_here(Text(current / "only_here.dll"));
  Library in_dll_folder(Text(dlls / "velut_exe_folder.dll"));
  velut_test::ScopedCurrentFolder here(current.path());
  struct Row {
    std::wstring dll_folder;  // "": none
    const wchar_t* name;
    HMODULE expected;
  };
  const Row rows[] = {{L"", L"velut_exe_folder", in_program_folder.get()},
                      {L"", L"only_here", only_here.get()},
                      {Text(dlls.path()), L"Velut_Exe_Folder.dll", in_dll_folder.get()},
                      {L"C:" + Text(dlls.path()), L"velut_exe_folder", in_dll_folder.get()},
                      {Text(dlls / "missing"), L"velut_exe_folder", in_program_folder.get()}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "DLL folder \"" << r.dll_folder << "\" " << r.name);
    EXPECT_TRUE(SetDllDirectoryW(r.dll_folder.c_str()));
    Library lib(r.name);
    EXPECT_EQ(lib.get(), r.expected);
  }
  SetDllDirectoryW(nullptr);
}

TEST(FreeLibrary, EachLoadIsBalancedByOneFree) {
  TempFolder dir;
  fs::copy_file(velut_test::Utf8(TestDll("strings64.dll")), dir / "counted.dll");
  fs::create_hard_link(dir / "counted.dll", dir / "linked.dll");
  const std::wstring path = Text(dir / "counted.dll");
  const HMODULE first = LoadLibraryW(path.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(LoadLibrary(path.c_str()), first);
  {
    DllDirectory folder(Text(dir.path()));
    EXPECT_EQ(LoadLibraryW(L"COUNTED"), first) << "another name for the same file";
    EXPECT_EQ(LoadLibraryW(L"linked"), first) << "a hard link is the same file";
  }
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(loadStringFromWin32ResourceDLL(first, 1), L"one") << "after free " << i + 1;
  }
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(loadStringFromWin32ResourceDLL(first, 1), L"");
  const HMODULE again = LoadLibraryW(path.c_str());
  EXPECT_NE(again, first) << "a freed handle is not handed out again";
  EXPECT_EQ(loadStringFromWin32ResourceDLL(again, 1), L"one");
  EXPECT_TRUE(FreeLibrary(again));
  int not_a_library = 0;
  for (HMODULE h : {first, HMODULE{}, static_cast<HMODULE>(&not_a_library)}) {
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  }
}

// Files that are no libraries, or that cannot be opened: the error says
// which, and no descriptor stays open, whatever the outcome.
TEST(LoadLibraryW, Errors) {
  TempFolder dir;
  fs::create_directory(dir / "folder.dll");
  ASSERT_EQ(mkfifo((dir / "fifo.dll").c_str(), 0600), 0);
  Bytes text(40, 'x'), image = ReadBytes(TestDll("strings64.dll"));
  WriteBytes(dir / "empty.dll", text, 0);
  WriteBytes(dir / "text.dll", text, text.size());
  WriteBytes(dir / "dos.dll", image, 0x80);  // the DOS header, pointing past the end
  WriteBytes(dir / "good.dll", image, image.size());
  fs::copy_file(dir / "good.dll", dir / "locked.dll");
  fs::permissions(dir / "locked.dll", fs::perms::none);
  struct Row {
    const char* file;
    DWORD error;  // 0: loads
  };
  const Row rows[] = {{"folder.dll", ERROR_MOD_NOT_FOUND}, {"fifo.dll", ERROR_MOD_NOT_FOUND},
                      {"empty.dll", ERROR_BAD_EXE_FORMAT}, {"text.dll", ERROR_BAD_EXE_FORMAT},
                      {"dos.dll", ERROR_BAD_EXE_FORMAT},   {"good.dll", 0},
                      {"locked.dll", ERROR_ACCESS_DENIED}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.file);
    const std::wstring path = Text(dir / r.file);
    // Root reads every file, so each load runs as an ordinary user.
    EXPECT_EQ(velut_test::RunUnprivileged([&] {
                const std::size_t before = OpenDescriptors();
                SetLastError(0);
                const HMODULE h = LoadLibraryW(path.c_str());
                if (OpenDescriptors() != before) return 1;
                return (h != nullptr ? 0 : GetLastError()) == r.error ? 0 : 2;
              }),
              0);
  }
  for (const LPCWSTR bad : {LPCWSTR{}, reinterpret_cast<LPCWSTR>(0xFFFF)}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(bad), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

// With no descriptor left, the load fails with ERROR_TOO_MANY_OPEN_FILES
// rather than claiming that the module does not exist.
TEST(LoadLibraryW, NoFileDescriptorLeft) {
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  const int lowest_free = open("/dev/null", O_RDONLY);
  close(lowest_free);
  struct rlimit low = old;
  low.rlim_cur = static_cast<rlim_t>(lowest_free);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  SetLastError(0);
  const HMODULE module = LoadLibraryW(TestDll("strings64.dll").c_str());
  const DWORD error = GetLastError();
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
  EXPECT_EQ(module, nullptr);
  EXPECT_EQ(error, ERROR_TOO_MANY_OPEN_FILES);
}

// ----------------------------------------------------------- damaged files

std::uint32_t Get16(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8; }
std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return Get16(b, at) | Get16(b, at + 2) << 16;
}
void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<unsigned char>(v);
  b[at + 1] = static_cast<unsigned char>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// Where the parts of a good DLL lie, for damaging them on purpose.
struct Layout {
  std::size_t coff, optional, resource_entry, first_section, rsrc = 0;  // headers
  std::size_t root, string_type = 0, blocks, langs, data, text;         // the first string block
};

Layout Locate(const Bytes& b) {
  Layout l{};
  l.coff = Get32(b, 0x3C) + 4;
  l.optional = l.coff + 20;
  l.resource_entry = l.optional + (Get16(b, l.optional) == 0x20B ? 112 : 96) + 2 * 8;
  l.first_section = l.optional + Get16(b, l.coff + 16);
  for (std::size_t i = 0; i < Get16(b, l.coff + 2); ++i)
    if (std::memcmp(&b[l.first_section + 40 * i], ".rsrc", 6) == 0)
      l.rsrc = l.first_section + 40 * i;
  l.root = Get32(b, l.rsrc + 20);
  for (std::size_t i = 0; i < Get16(b, l.root + 12) + Get16(b, l.root + 14); ++i)
    if (Get32(b, l.root + 16 + 8 * i) == 6) l.string_type = l.root + 16 + 8 * i;
  l.blocks = l.root + (Get32(b, l.string_type + 4) & 0x7FFFFFFF);
  l.langs = l.root + (Get32(b, l.blocks + 20) & 0x7FFFFFFF);
  l.data = l.root + Get32(b, l.langs + 20);
  l.text = Get32(b, l.data) - Get32(b, l.rsrc + 12) + l.root;
  return l;
}

const UINT kProbeIds[] = {0, 1, 15, 16, 17, 100, 101, 107, 4000, 65535};

std::vector<std::wstring> Strings(const Library& lib) {
  std::vector<std::wstring> out;
  for (UINT id : kProbeIds) out.push_back(lib.String(id));
  return out;
}

const char* const kImages[] = {"strings64.dll", "strings32.dll"};

// A file cut at any length is refused as a bad image, or (once everything
// the strings need is there) reads exactly like the whole file.
TEST(DamagedFiles, TruncatedAtEveryLength) {
  TempFolder dir;
  for (const char* dll : kImages) {
    const Bytes whole = ReadBytes(TestDll(dll));
    const std::vector<std::wstring> intact = Strings(Library(TestDll(dll)));
    int refused = 0;
    for (std::size_t length = 0; length < whole.size(); ++length) {
      SCOPED_TRACE(testing::Message() << dll << " cut to " << length << " bytes");
      WriteBytes(dir / "cut.dll", whole, length);
      SetLastError(0);
      Library lib(Text(dir / "cut.dll"));
      if (lib.get() != nullptr) {
        EXPECT_EQ(Strings(lib), intact);
      } else {
        ++refused;
        EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
      }
    }
    EXPECT_GT(refused, 0) << dll;
    EXPECT_LT(refused, static_cast<int>(whole.size())) << dll;  // the padding is not needed
  }
}

// Files damaged in the ways an attacker would choose: loops, huge counts,
// offsets past the end, sums that overflow.
TEST(DamagedFiles, Hostile) {
  enum Outcome { kRefused, kIntact, kFirstBlockEmpty, kNoStrings };
  struct Row {
    const char* what;
    std::function<void(Bytes&, const Layout&)> damage;
    Outcome outcome;
  };
  const Row rows[] = {
      {"PE header offset far past the end", [](auto& b, auto&) { Put32(b, 0x3C, 0xFFFFFFF0); },
       kRefused},
      {"PE header offset at the last bytes",
       [](auto& b, auto&) { Put32(b, 0x3C, static_cast<std::uint32_t>(b.size() - 10)); }, kRefused},
      {"section count beyond the file", [](auto& b, auto& l) { Put16(b, l.coff + 2, 0xFFFF); },
       kRefused},
      {"optional header size beyond the file",
       [](auto& b, auto& l) { Put16(b, l.coff + 16, 0xFFFF); }, kRefused},
      {"optional header of one byte", [](auto& b, auto& l) { Put16(b, l.coff + 16, 1); }, kRefused},
      {"unknown optional header", [](auto& b, auto& l) { Put16(b, l.optional, 0x1234); }, kRefused},
      {"resource section data past the end",
       [](auto& b, auto& l) { Put32(b, l.rsrc + 20, 0xFFFFFF00); }, kRefused},
      {"resource section size wraps around",
       [](auto& b, auto& l) { Put32(b, l.rsrc + 16, 0xFFFFFFFF); }, kIntact},
      {"resource directory address outside every section",
       [](auto& b, auto& l) { Put32(b, l.resource_entry, 0x7FFFFFF0); }, kRefused},
      {"no resource directory", [](auto& b, auto& l) { Put32(b, l.resource_entry, 0); },
       kNoStrings},
      {"huge entry count at the root", [](auto& b, auto& l) { Put16(b, l.root + 14, 0xFFFF); },
       kRefused},
      {"huge entry count of blocks", [](auto& b, auto& l) { Put16(b, l.blocks + 14, 0xFFFF); },
       kRefused},
      {"huge entry count of languages", [](auto& b, auto& l) { Put16(b, l.langs + 12, 0xFFFF); },
       kRefused},
      {"string table leads back to the root",
       [](auto& b, auto& l) { Put32(b, l.string_type + 4, 0x80000000); }, kRefused},
      {"block leads back to its own directory",
       [](auto& b, auto& l) {
         Put32(b, l.blocks + 20, 0x80000000 | static_cast<std::uint32_t>(l.blocks - l.root));
       },
       kRefused},
      {"string table is data, not a directory",
       [](auto& b, auto& l) { Put32(b, l.string_type + 4, Get32(b, l.langs + 20)); }, kRefused},
      {"data entry past the section", [](auto& b, auto& l) { Put32(b, l.langs + 20, 0x7FFFFFF0); },
       kRefused},
      {"data size of 4 GiB", [](auto& b, auto& l) { Put32(b, l.data + 4, 0xFFFFFFFF); }, kRefused},
      {"data address past every section", [](auto& b, auto& l) { Put32(b, l.data, 0xFFFFFFF0); },
       kRefused},
      {"empty data in a section whose data lies past the end",
       [](auto& b, auto& l) {
         Put32(b, l.first_section + 20, 0xF000);
         Put32(b, l.data, Get32(b, l.first_section + 12));
         Put32(b, l.data + 4, 0);
       },
       kRefused},
      {"data address plus size overflows",
       [](auto& b, auto& l) {
         Put32(b, l.data, 0xFFFFFF00);
         Put32(b, l.data + 4, 0x200);
       },
       kRefused},
      {"first string claims 65535 units", [](auto& b, auto& l) { Put16(b, l.text, 0xFFFF); },
       kFirstBlockEmpty}};
  TempFolder dir;
  for (const char* dll : kImages) {
    const Bytes whole = ReadBytes(TestDll(dll));
    const std::vector<std::wstring> intact = Strings(Library(TestDll(dll)));
    const Layout l = Locate(whole);
    ASSERT_EQ(Get16(whole, l.text), 4u);  // "zero"
    for (const Row& r : rows) {
      SCOPED_TRACE(testing::Message() << dll << ": " << r.what);
      Bytes bytes = whole;
      r.damage(bytes, l);
      WriteBytes(dir / "hostile.dll", bytes, bytes.size());
      SetLastError(0);
      Library lib(Text(dir / "hostile.dll"));
      ASSERT_EQ(lib.get() == nullptr, r.outcome == kRefused);
      if (r.outcome == kRefused) {
        EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
        continue;
      }
      std::vector<std::wstring> expected = intact;
      for (std::size_t i = 0; i < expected.size(); ++i)
        if (r.outcome == kNoStrings || (r.outcome == kFirstBlockEmpty && kProbeIds[i] < 16))
          expected[i].clear();
      EXPECT_EQ(Strings(lib), expected);
    }
  }
}

// ----------------------------------------------------------------- strings

TEST(LoadString, IdsAcrossBlocksAndTexts) {
  struct Row {
    UINT id;
    std::wstring text;  // "" for a missing id
  };
  const Row rows[] = {
      {0, L"zero"},
      {1, L"one"},
      {2, L""},  // a gap inside a block that exists
      {15, L"fifteen"},
      {16, L"sixteen"},
      {31, L""},
      {32, L""},  // a block that does not exist
      {4000, L"four thousand"},
      {65535, L"the last id"},
      {65536, L""},
      {0xFFFFFFFF, L""},
      {100, L"Gr\u00FC\u00DFe aus K\u00F6ln \u2013 \u00ABcaf\u00E9\u00BB \u00BD \u2211"},
      // Surrogate pairs join into one character; lone halves become U+FFFD.
      {101, L"\U0001F600 grinning, \U0001D11E clef"},
      {103, L"lone \uFFFD high"},
      {104, L"\uFFFD lone low, a high at the end \uFFFD"},
      // Zero units inside are kept, those at the end dropped.
      {106, std::wstring(L"inner\0zero", 10)},
      {107, L"terminated"}};
  for (const char* dll : kImages) {
    Library lib(TestDll(dll));
    for (const Row& r : rows) {
      SCOPED_TRACE(testing::Message() << dll << " id " << r.id);
      EXPECT_EQ(lib.String(r.id), r.text);
    }
  }
}

// A failed lookup sets the last error, also when its answer is kept from
// before; a successful one leaves it alone.
TEST(LoadString, LastError) {
  Library strings(TestDll("strings64.dll")), none(TestDll("nostrings.dll"));
  const HMODULE freed = LoadLibraryW(TestDll("strings32.dll").c_str());
  FreeLibrary(freed);
  int not_a_library = 0;
  struct Row {
    HMODULE module;
    UINT id;
    DWORD error;
  };
  const Row rows[] = {{strings.get(), 2, ERROR_RESOURCE_NAME_NOT_FOUND},
                      {strings.get(), 2, ERROR_RESOURCE_NAME_NOT_FOUND},
                      {none.get(), 1, ERROR_RESOURCE_NAME_NOT_FOUND},
                      {strings.get(), 1, 0},
                      {nullptr, 1, ERROR_INVALID_HANDLE},
                      {freed, 1, ERROR_INVALID_HANDLE},
                      {static_cast<HMODULE>(&not_a_library), 1, ERROR_INVALID_HANDLE}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "row " << &r - rows);
    SetLastError(0);
    EXPECT_EQ(loadStringFromWin32ResourceDLL(r.module, r.id), r.error != 0 ? L"" : L"one");
    EXPECT_EQ(GetLastError(), r.error);
  }
}

// Lookups on one thread while others load and free the same library: the
// library stays mapped while one load is outstanding, and nothing is read
// after the last free (the sanitizer builds watch this).
TEST(LoadString, LookupsRaceWithLoadsAndFrees) {
  const std::wstring path = TestDll("strings64.dll");
  Library held(path);
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> churn;
  for (int t = 0; t < 2; ++t) {
    churn.emplace_back([&] {
      while (!stop) {
        const HMODULE h = LoadLibraryW(path.c_str());
        if (h != held.get() || loadStringFromWin32ResourceDLL(h, 4000) != L"four thousand") ++wrong;
        FreeLibrary(h);
      }
    });
  }
  for (int i = 0; i < 20000; ++i)
    if (held.String(65535) != L"the last id") ++wrong;
  stop = true;
  for (std::thread& t : churn) t.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
