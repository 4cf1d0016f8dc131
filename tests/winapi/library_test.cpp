// LoadLibrary and FreeLibrary: the Win32 name rules with the case-blind
// fallback, the search order, reference counts, errors, and files that are
// not (or no longer) valid images.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "winapi/resource_support.h"

namespace {

namespace fs = std::filesystem;
using restest::CurrentDirectory;
using restest::DllDirectory;
using restest::Library;
using restest::ReadBytes;
using restest::TempDir;
using restest::TestDll;
using restest::Wide;
using restest::WriteBytes;

std::wstring Backslashed(const fs::path& path) {
  std::wstring text = Wide(path);
  std::replace(text.begin(), text.end(), L'/', L'\\');
  return text;
}

// A folder of DLLs under several names:
//   strings.dll  Mixed.DLL  noext  data.res  DUP.dll  dup.DLL
//   \u00C4rger.dll  sub/Inner.dll
class NameRules : public testing::Test {
 protected:
  void SetUp() override {
    Copy("strings64.dll", "strings.dll");
    Copy("languages.dll", "Mixed.DLL");
    Copy("strings32.dll", "noext");
    Copy("nostrings.dll", "data.res");
    Copy("strings32.dll", "DUP.dll");
    Copy("strings64.dll", "dup.DLL");
    Copy("languages.dll", "\xC3\x84rger.dll");
    fs::create_directory(dir_ / "sub");
    Copy("strings32.dll", "sub/Inner.dll");
  }

  void Copy(const char* from, const std::string& to) { fs::copy_file(TestDll(from), dir_ / to); }

  struct Row {
    std::wstring name;
    const char* file;  // the file it must load, relative to the folder; null: none
    DWORD error;       // the last error when none is loaded
  };

  void Check(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      SCOPED_TRACE(testing::Message() << "name \"" << row.name << "\"");
      SetLastError(0);
      Library got(row.name);
      const DWORD error = GetLastError();
      if (row.file == nullptr) {
        EXPECT_EQ(got.get(), nullptr);
        EXPECT_EQ(error, row.error);
        continue;
      }
      // A trailing dot keeps a name without extension as it is.
      const fs::path file = dir_ / row.file;
      Library expected(Wide(file) + (file.has_extension() ? L"" : L"."));
      ASSERT_NE(expected.get(), nullptr) << row.file;
      EXPECT_EQ(got.get(), expected.get()) << "expected " << row.file;
    }
  }

  TempDir dir_;
};

TEST_F(NameRules, BareNamesInTheDllFolder) {
  DllDirectory folder(Wide(dir_.path()));
  Check({
      {L"strings", "strings.dll", 0},
      {L"strings.dll", "strings.dll", 0},
      {L"STRINGS", "strings.dll", 0},
      {L"Strings.DLL", "strings.dll", 0},
      {L"mixed", "Mixed.DLL", 0},
      {L"MIXED.dll", "Mixed.DLL", 0},
      {L"Dup.dll", "DUP.dll", 0},  // two case-blind matches: the first in byte order
      {L"\u00E4RGER", "\xC3\x84rger.dll", 0},
      {L"noext.", "noext", 0},  // a final dot: no extension is added
      {L"NoExt.", "noext", 0},
      {L"noext", nullptr, ERROR_MOD_NOT_FOUND},
      {L"data.res", "data.res", 0},  // an extension of its own
      {L"data", nullptr, ERROR_MOD_NOT_FOUND},
      {L"strings..", nullptr, ERROR_MOD_NOT_FOUND},  // names "strings"
      {L"inner", nullptr, ERROR_MOD_NOT_FOUND},      // not searched in subfolders
      {L"missing", nullptr, ERROR_MOD_NOT_FOUND},
      {L"", nullptr, ERROR_MOD_NOT_FOUND},
      {L".", nullptr, ERROR_MOD_NOT_FOUND},
  });
}

// A byte that is not UTF-8 (carried as U+DC80-U+DCFF in the wide name)
// matches only the same byte; the letters around it still ignore case.
TEST_F(NameRules, BytesThatAreNotUtf8) {
  Copy("strings64.dll", "bad\xFF.dll");
  DllDirectory folder(Wide(dir_.path()));
  // The exact path, spelled with the escape for the byte.
  Library exact(Wide(dir_.path()) + L"/bad\xDCFF.dll");
  ASSERT_NE(exact.get(), nullptr);
  struct Row {
    const wchar_t* name;
    bool found;
  };
  const Row rows[] = {
      {L"bad\xDCFF", true},  {L"BAD\xDCFF.DLL", true}, {L"BAD\xDCFE", false},  // another byte
      {L"BADx", false},       // a letter for the byte
      {L"bad\u00FF", false},  // the character U+00FF is two other bytes
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(row.name));
    SetLastError(0);
    Library got(row.name);
    EXPECT_EQ(got.get(), row.found ? exact.get() : nullptr);
    if (!row.found) {
      EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    }
  }
}

TEST_F(NameRules, AbsolutePaths) {
  Check({
      {Wide(dir_ / "strings.dll"), "strings.dll", 0},
      {Wide(dir_ / "strings"), "strings.dll", 0},
      {Backslashed(dir_ / "Strings"), "strings.dll", 0},
      {L"C:" + Backslashed(dir_ / "strings.dll"), "strings.dll", 0},
      {L"z:" + Wide(dir_ / "STRINGS.DLL"), "strings.dll", 0},
      {Wide(dir_ / "SUB" / "inner"), "sub/Inner.dll", 0},  // case-blind folders too
      {Backslashed(dir_ / "Sub" / "INNER.DLL"), "sub/Inner.dll", 0},
      {Wide(dir_ / "sub" / "strings"), nullptr, ERROR_MOD_NOT_FOUND},
      {Wide(dir_ / "strings.dll" / "x"), nullptr, ERROR_MOD_NOT_FOUND},
      {Wide(dir_ / "sub") + L"/", nullptr, ERROR_MOD_NOT_FOUND},
      {Wide(dir_ / "sub"), nullptr, ERROR_MOD_NOT_FOUND},  // "sub.dll"
  });
}

TEST_F(NameRules, RelativePaths) {
  CurrentDirectory here(dir_.path());
  const std::wstring folder = Wide(dir_.path().filename());
  Check({
      {L"sub\\inner.dll", "sub/Inner.dll", 0},
      {L"sub/Inner", "sub/Inner.dll", 0},
      {L".\\strings", "strings.dll", 0},
      {L"C:sub\\Inner", "sub/Inner.dll", 0},  // a drive without root: the current folder
      {L"..\\" + folder + L"\\STRINGS", "strings.dll", 0},
      {L"sub\\..\\mixed", "Mixed.DLL", 0},
      {L"nosuch\\strings", nullptr, ERROR_MOD_NOT_FOUND},
  });
}

TEST(SearchOrder, DllFolderThenExecutableFolderThenCurrentFolder) {
  // velut_exe_folder.dll is built next to the test program.
  const fs::path beside_program = fs::read_symlink("/proc/self/exe").parent_path();
  Library in_program_folder(beside_program / "velut_exe_folder.dll");
  ASSERT_NE(in_program_folder.get(), nullptr);

  TempDir current, dll_folder;
  fs::copy_file(TestDll("languages.dll"), current / "velut_exe_folder.dll");
  fs::copy_file(TestDll("strings32.dll"), current / "only_here.dll");
  fs::copy_file(TestDll("nostrings.dll"), dll_folder / "velut_exe_folder.dll");
  Library in_current(current / "velut_exe_folder.dll");
  Library only_here(current / "only_here.dll");
  Library in_dll_folder(dll_folder / "velut_exe_folder.dll");
  CurrentDirectory cd(current.path());

  {
    Library lib(L"velut_exe_folder");
    EXPECT_EQ(lib.get(), in_program_folder.get()) << "the program's folder before the current";
  }
  {
    Library lib(L"only_here");
    EXPECT_EQ(lib.get(), only_here.get()) << "the current folder is searched last";
  }
  {
    DllDirectory folder(Wide(dll_folder.path()));
    Library lib(L"Velut_Exe_Folder.dll");
    EXPECT_EQ(lib.get(), in_dll_folder.get()) << "the DLL folder comes first";
  }
  for (const wchar_t* reset : {static_cast<const wchar_t*>(nullptr), L""}) {
    SCOPED_TRACE(reset == nullptr ? "reset with null" : "reset with \"\"");
    SetDllDirectoryW(Wide(dll_folder.path()).c_str());
    EXPECT_TRUE(SetDllDirectoryW(reset));
    Library lib(L"velut_exe_folder");
    EXPECT_EQ(lib.get(), in_program_folder.get());
  }
  {
    // A DLL folder given as Windows path text, with a drive.
    DllDirectory folder(L"C:" + Backslashed(dll_folder.path()));
    Library lib(L"velut_exe_folder");
    EXPECT_EQ(lib.get(), in_dll_folder.get());
  }
  {
    DllDirectory folder(Wide(dll_folder / "does-not-exist"));
    Library lib(L"velut_exe_folder");
    EXPECT_EQ(lib.get(), in_program_folder.get()) << "a missing DLL folder is passed over";
  }
}

TEST(ReferenceCount, EachLoadIsBalancedByOneFree) {
  TempDir dir;
  fs::copy_file(TestDll("strings64.dll"), dir / "counted.dll");
  fs::create_hard_link(dir / "counted.dll", dir / "linked.dll");
  const std::wstring path = Wide(dir / "counted.dll");

  const HMODULE first = LoadLibraryW(path.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(LoadLibrary(path.c_str()), first);
  {
    DllDirectory folder(Wide(dir.path()));
    EXPECT_EQ(LoadLibraryW(L"COUNTED"), first) << "another name for the same file";
    EXPECT_EQ(LoadLibraryW(L"linked"), first) << "a hard link is the same file";
  }
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(loadStringFromWin32ResourceDLL(first, 1), L"one") << "after free " << i + 1;
  }
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(loadStringFromWin32ResourceDLL(first, 1), L"");
  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(first));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  const HMODULE again = LoadLibraryW(path.c_str());
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, first) << "a freed handle is not handed out again";
  EXPECT_EQ(loadStringFromWin32ResourceDLL(again, 1), L"one");
  EXPECT_TRUE(FreeLibrary(again));
}

TEST(ReferenceCount, FreeOfBadHandles) {
  int not_a_library = 0;
  for (HMODULE h : {static_cast<HMODULE>(nullptr), static_cast<HMODULE>(&not_a_library),
                    reinterpret_cast<HMODULE>(std::uintptr_t{0x10001})}) {
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  }
}

TEST(LoadLibraryErrors, FilesThatAreNoLibraries) {
  TempDir dir;
  fs::create_directory(dir / "folder.dll");
  ASSERT_EQ(mkfifo((dir / "fifo.dll").c_str(), 0600), 0);
  WriteBytes(dir / "empty.dll", nullptr, 0);
  const std::string text = "This is not a library.\n";
  WriteBytes(dir / "text.dll", reinterpret_cast<const unsigned char*>(text.data()), text.size());
  std::vector<unsigned char> dos_only = ReadBytes(TestDll("strings64.dll"));
  dos_only.resize(0x80);  // the DOS header, pointing past the end
  WriteBytes(dir / "dos.dll", dos_only);

  struct Row {
    const char* file;
    DWORD error;
  };
  const Row rows[] = {
      {"folder.dll", ERROR_MOD_NOT_FOUND}, {"fifo.dll", ERROR_MOD_NOT_FOUND},
      {"empty.dll", ERROR_BAD_EXE_FORMAT}, {"text.dll", ERROR_BAD_EXE_FORMAT},
      {"dos.dll", ERROR_BAD_EXE_FORMAT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(Wide(dir / row.file).c_str()), nullptr);
    EXPECT_EQ(GetLastError(), row.error);
  }
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// With no descriptor left, the load fails with ERROR_TOO_MANY_OPEN_FILES
// rather than claiming that the module does not exist.
TEST(LoadLibraryErrors, NoFileDescriptorLeft) {
  const std::wstring path = Wide(TestDll("strings64.dll"));
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  const int lowest_free = open("/dev/null", O_RDONLY);
  ASSERT_GE(lowest_free, 0);
  close(lowest_free);
  struct rlimit low = old;
  low.rlim_cur = static_cast<rlim_t>(lowest_free);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  SetLastError(0);
  const HMODULE module = LoadLibraryW(path.c_str());
  const DWORD error = GetLastError();
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
  EXPECT_EQ(module, nullptr);
  EXPECT_EQ(error, ERROR_TOO_MANY_OPEN_FILES);
  if (module != nullptr) FreeLibrary(module);
}

TEST(LoadLibraryErrors, UnreadableFile) {
  TempDir dir;
  fs::copy_file(TestDll("strings64.dll"), dir / "locked.dll");
  fs::permissions(dir / "locked.dll", fs::perms::none);
  const std::wstring path = Wide(dir / "locked.dll");
  // Root reads every file, so the load runs as an ordinary user.
  const int result = velut_test::RunUnprivileged([&] {
    SetLastError(0);
    if (LoadLibraryW(path.c_str()) != nullptr) return 1;
    return GetLastError() == ERROR_ACCESS_DENIED ? 0 : 2;
  });
  EXPECT_EQ(result, 0);
}

// ----------------------------------------------------------- damaged files

std::uint32_t Get16(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8;
}
std::uint32_t Get32(const std::vector<unsigned char>& b, std::size_t at) {
  return Get16(b, at) | Get16(b, at + 2) << 16;
}
void Put16(std::vector<unsigned char>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<unsigned char>(v);
  b[at + 1] = static_cast<unsigned char>(v >> 8);
}
void Put32(std::vector<unsigned char>& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// Where the parts of a good DLL lie, for damaging them on purpose.
struct Layout {
  std::size_t coff = 0;            // file header
  std::size_t optional = 0;        // optional header
  std::size_t resource_entry = 0;  // the resource entry of the data directory
  std::size_t first_section = 0;   // section header of .text
  std::size_t rsrc = 0;            // section header of .rsrc
  std::size_t root = 0;            // resource directory
  std::size_t string_type = 0;     // the root's entry for the string table
  std::size_t blocks = 0;          // directory of string blocks
  std::size_t langs = 0;           // languages of the first block
  std::size_t data = 0;            // data entry of its first language
  std::size_t text = 0;            // that block's strings
};

Layout Locate(const std::vector<unsigned char>& b) {
  Layout l;
  l.coff = Get32(b, 0x3C) + 4;
  l.optional = l.coff + 20;
  l.resource_entry = l.optional + (Get16(b, l.optional) == 0x20B ? 112 : 96) + 2 * 8;
  const std::size_t sections = l.optional + Get16(b, l.coff + 16);
  l.first_section = sections;
  for (std::size_t i = 0; i < Get16(b, l.coff + 2); ++i) {
    const std::size_t header = sections + 40 * i;
    if (std::memcmp(&b[header], ".rsrc", 6) == 0) l.rsrc = header;
  }
  l.root = Get32(b, l.rsrc + 20);
  const std::size_t types = Get16(b, l.root + 12) + Get16(b, l.root + 14);
  for (std::size_t i = 0; i < types; ++i)
    if (Get32(b, l.root + 16 + 8 * i) == 6) l.string_type = l.root + 16 + 8 * i;
  l.blocks = l.root + (Get32(b, l.string_type + 4) & 0x7FFFFFFF);
  l.langs = l.root + (Get32(b, l.blocks + 20) & 0x7FFFFFFF);
  l.data = l.root + Get32(b, l.langs + 20);
  l.text = Get32(b, l.data) - Get32(b, l.rsrc + 12) + l.root;
  return l;
}

const UINT kProbeIds[] = {0,   1,   2,   15,  16,  17,  100,  101,  102,
                          103, 104, 105, 106, 107, 108, 4000, 65535};

std::vector<std::wstring> Strings(HMODULE h) {
  std::vector<std::wstring> out;
  for (UINT id : kProbeIds) out.push_back(loadStringFromWin32ResourceDLL(h, id));
  return out;
}

std::vector<std::wstring> IntactStrings(const char* dll) {
  Library lib(TestDll(dll));
  EXPECT_NE(lib.get(), nullptr);
  return Strings(lib.get());
}

const char* const kImages[] = {"strings64.dll", "strings32.dll"};

// A file cut at any length is refused, or (once everything the strings
// need is there) reads exactly like the whole file.
TEST(DamagedFiles, TruncatedAtEveryLength) {
  TempDir dir;
  const fs::path path = dir / "cut.dll";
  for (const char* dll : kImages) {
    const std::vector<unsigned char> whole = ReadBytes(TestDll(dll));
    const std::vector<std::wstring> intact = IntactStrings(dll);
    ASSERT_GT(whole.size(), 1024u);
    int refused = 0, loaded = 0;
    for (std::size_t length = 0; length < whole.size(); ++length) {
      SCOPED_TRACE(testing::Message() << dll << " cut to " << length << " bytes");
      WriteBytes(path, whole.data(), length);
      SetLastError(0);
      Library lib(path);
      if (lib.get() == nullptr) {
        EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
        ++refused;
      } else {
        EXPECT_EQ(Strings(lib.get()), intact);
        ++loaded;
      }
    }
    EXPECT_GT(refused, 0) << dll;
    EXPECT_GT(loaded, 0) << dll;  // the section padding is not needed
  }
}

TEST(DamagedFiles, Garbage) {
  TempDir dir;
  const fs::path path = dir / "garbage.dll";
  std::mt19937 random(20240601);
  for (std::size_t size : {1u, 2u, 63u, 64u, 65u, 512u, 4096u, 65536u}) {
    for (bool mz : {false, true}) {
      SCOPED_TRACE(testing::Message() << size << " random bytes" << (mz ? " after MZ" : ""));
      std::vector<unsigned char> bytes(size);
      for (unsigned char& c : bytes) c = static_cast<unsigned char>(random());
      if (mz && size >= 2) bytes[0] = 'M', bytes[1] = 'Z';
      WriteBytes(path, bytes);
      SetLastError(0);
      Library lib(path);
      EXPECT_EQ(lib.get(), nullptr);
      EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
    }
  }
}

// Good headers over a damaged body: a file is refused as a bad image or
// loads, and then every lookup gives a text the file can hold (a string
// resource has at most 65535 units, two bytes each); a file the damage
// left as it was reads like the intact one. Both outcomes occur.
TEST(DamagedFiles, RandomDamage) {
  TempDir dir;
  const fs::path path = dir / "damaged.dll";
  std::mt19937 random(7);
  for (const char* dll : kImages) {
    const std::vector<unsigned char> whole = ReadBytes(TestDll(dll));
    const std::vector<std::wstring> intact = IntactStrings(dll);
    const Layout l = Locate(whole);
    int refused = 0, loaded = 0;
    for (int round = 0; round < 400; ++round) {
      SCOPED_TRACE(testing::Message() << dll << " round " << round);
      std::vector<unsigned char> bytes = whole;
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < flips; ++i) {
        // Mostly the resource section, sometimes anywhere.
        const std::size_t at = random() % 4 != 0 ? l.root + random() % (bytes.size() - l.root)
                                                 : random() % bytes.size();
        bytes[at] = static_cast<unsigned char>(random());
      }
      WriteBytes(path, bytes);
      SetLastError(0);
      Library lib(path);
      if (lib.get() == nullptr) {
        EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
        ++refused;
        continue;
      }
      ++loaded;
      const std::vector<std::wstring> texts = Strings(lib.get());
      for (const std::wstring& text : texts)
        EXPECT_LE(text.size(), std::min<std::size_t>(65535, bytes.size() / 2));
      if (bytes == whole) {
        EXPECT_EQ(texts, intact);
      }
    }
    EXPECT_GT(refused, 0) << dll;
    EXPECT_GT(loaded, 0) << dll;
  }
}

// Files damaged in the ways an attacker would choose: loops, huge counts,
// offsets past the end, sums that overflow.
TEST(DamagedFiles, Hostile) {
  enum Outcome { kRefused, kIntact };
  struct Row {
    const char* what;
    std::function<void(std::vector<unsigned char>&, const Layout&)> damage;
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
      {"unknown optional header", [](auto& b, auto& l) { Put16(b, l.optional, 0x1234); }, kRefused},
      {"resource section data past the end",
       [](auto& b, auto& l) { Put32(b, l.rsrc + 20, 0xFFFFFF00); }, kRefused},
      {"resource section size wraps around",
       [](auto& b, auto& l) { Put32(b, l.rsrc + 16, 0xFFFFFFFF); }, kIntact},
      {"resource directory address outside every section",
       [](auto& b, auto& l) { Put32(b, l.resource_entry, 0x7FFFFFF0); }, kRefused},
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
  };
  TempDir dir;
  const fs::path path = dir / "hostile.dll";
  for (const char* dll : kImages) {
    const std::vector<unsigned char> whole = ReadBytes(TestDll(dll));
    const std::vector<std::wstring> intact = IntactStrings(dll);
    const Layout l = Locate(whole);
    ASSERT_NE(l.rsrc, 0u);
    ASSERT_NE(l.string_type, 0u);
    for (const Row& row : rows) {
      SCOPED_TRACE(testing::Message() << dll << ": " << row.what);
      std::vector<unsigned char> bytes = whole;
      row.damage(bytes, l);
      WriteBytes(path, bytes);
      SetLastError(0);
      Library lib(path);
      if (row.outcome == kRefused) {
        EXPECT_EQ(lib.get(), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
      } else {
        ASSERT_NE(lib.get(), nullptr);
        EXPECT_EQ(Strings(lib.get()), intact);
      }
    }
  }
}

TEST(DamagedFiles, StringLengthsRunningPastTheBlock) {
  TempDir dir;
  std::vector<unsigned char> bytes = ReadBytes(TestDll("strings64.dll"));
  const Layout l = Locate(bytes);
  // The first block's first string ("zero") claims 65535 units.
  ASSERT_EQ(Get16(bytes, l.text), 4u);
  Put16(bytes, l.text, 0xFFFF);
  WriteBytes(dir / "long.dll", bytes);
  Library lib(dir / "long.dll");
  ASSERT_NE(lib.get(), nullptr);
  for (UINT id = 0; id < 16; ++id) {
    SCOPED_TRACE(id);
    EXPECT_EQ(lib.String(id), L"");
  }
  EXPECT_EQ(lib.String(16), L"sixteen");  // other blocks are whole
}

TEST(DamagedFiles, NoResourceDirectory) {
  TempDir dir;
  std::vector<unsigned char> bytes = ReadBytes(TestDll("strings32.dll"));
  Put32(bytes, Locate(bytes).resource_entry, 0);
  WriteBytes(dir / "bare.dll", bytes);
  Library lib(dir / "bare.dll");
  ASSERT_NE(lib.get(), nullptr);
  EXPECT_EQ(lib.String(1), L"");
}

}  // namespace
