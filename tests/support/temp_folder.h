// Test support: private folders, the current folder for one scope, path
// text, and places where files cannot be created, even by root.
#pragma once

#include <grp.h>
#include <sched.h>
#include <stdio_ext.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include <WinAPI/File.h>

namespace velut_test {

namespace fs = std::filesystem;

// A fresh folder under /tmp, open to every user; removed with all it holds.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = "/tmp/velut-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
    chmod(path_.c_str(), 0755);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Makes `folder` the current folder until the scope ends.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~ScopedCurrentFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
  }

 private:
  fs::path previous_;
};

// A one-byte file, made with its folders.
inline void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file).put('x');
}

// The names in `folder`, sorted.
inline std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

// Path text to native ("" when none), native to path text, and that with slashes.
inline std::string NativeOf(const std::wstring& text) {
  std::string native;
  PathToNative(text.c_str(), native);
  return native;
}
inline std::wstring Text(const fs::path& path) { return NativeToPath(path.c_str()); }
inline std::wstring Slashed(const fs::path& path) {
  std::wstring text = Text(path);
  std::replace(text.begin(), text.end(), L'\\', L'/');
  return text;
}

// Makes folders below `base` (no name above 255 bytes), the deepest with a path text of `units`
// units: at least that of `base` plus 2.
inline std::wstring MakeFolderOfLength(const fs::path& base, std::size_t units) {
  std::wstring folder = Text(base);
  for (wchar_t letter = L'a'; folder.size() < units; letter = letter == L'z' ? L'a' : letter + 1) {
    const std::size_t room = units - folder.size() - 1;
    folder += L'\\' + std::wstring(room > 250 ? 200 : room, letter);
  }
  fs::create_directories(NativeOf(folder));
  return folder;
}

// Gives up root for nobody:nogroup; for child processes only. A coverage build keeps root as the
// saved user, which the child takes back only to write its counters as it ends (ExitChild).
inline bool BecomeNobody() {
#if defined(VELUT_COVERAGE)
  const uid_t saved = 0;
#else
  const uid_t saved = 65534;
#endif
  return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setresuid(65534, 65534, saved) == 0;
}

// Ends a forked child at once, as _exit does. In a coverage build the libraries write their
// counters only when they are unloaded, so the child leaves through exit instead, the parent's
// unwritten output dropped rather than written twice.
[[noreturn]] inline void ExitChild(int status) {
#if defined(VELUT_COVERAGE)
  if (geteuid() != 65534 || seteuid(0) == 0) {
    __fpurge(stdout), __fpurge(stderr);
    std::exit(status);
  }
#endif
  _exit(status);
}

// How root loses the right to create files: a read-only bind mount, or nobody.
enum class ReadOnlyBy { kMount, kUnprivilegedUser };

// `check` (0 to 99) in a child that cannot create files in `folder` (kUnprivilegedUser: nor read
// what others may not). 101: the mount failed, 102: the change of user, 103: a file could still be
// made, 200: the child did not exit.
inline int RunWhereReadOnly(const fs::path& folder, ReadOnlyBy how,
                            const std::function<int()>& check) {
  const bool root = geteuid() == 0;
  if (!root) chmod(folder.c_str(), 0555);
  const pid_t child = fork();
  if (child == 0) {
    const char* f = folder.c_str();
    if (root && how == ReadOnlyBy::kMount &&
        (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
         mount(f, f, nullptr, MS_BIND, nullptr) != 0 ||
         mount(nullptr, f, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0))
      _exit(101);
    if (root && how == ReadOnlyBy::kUnprivilegedUser && !BecomeNobody()) _exit(102);
    ExitChild(access(f, W_OK) == 0 ? 103 : check());
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!root) chmod(folder.c_str(), 0755);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

}  // namespace velut_test
