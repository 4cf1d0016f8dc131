// Test support: private folders on disk, the current folder for one scope,
// folder listings, path text for a native path, and folders where files
// really cannot be created, even when the tests run as root.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
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
#include <system_error>

#include <gtest/gtest.h>

#include <WinAPI/File.h>

namespace velut_test {

namespace fs = std::filesystem;

// A fresh folder under /tmp (whatever TMPDIR says), removed with all it
// holds when the scope ends. Readable and searchable by every user, so
// that a test can hand it to an unprivileged process.
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
    // Folders a test made read-only are opened up again first.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
      if (it->is_directory(ignored) && !it->is_symlink(ignored))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
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
  ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
  ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

 private:
  fs::path previous_;
};

// Creates an empty file (its folders too).
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

// The native path of path text ("" when it has none).
inline std::string NativeOf(const std::wstring& text) {
  std::string native;
  PathToNative(text.c_str(), native);
  return native;
}

// Creates folders below `base` so that the path text of the deepest has
// exactly `units` units (at least that of `base` and 2 more), and returns
// that text. Each name stays below the file system's limit of 255 bytes.
inline std::wstring MakeFolderOfLength(const fs::path& base, std::size_t units) {
  std::wstring folder = NativeToPath(base.c_str());
  for (wchar_t letter = L'a'; folder.size() < units; letter = letter == L'z' ? L'a' : letter + 1) {
    const std::size_t room = units - folder.size() - 1;
    folder += L'\\' + std::wstring(room > 250 ? 200 : room, letter);
  }
  fs::create_directories(NativeOf(folder));
  return folder;
}

// Path text for a native path ("/tmp/a" -> L"\\tmp\\a").
inline std::wstring Text(const fs::path& path) { return NativeToPath(path.c_str()); }

// The native path as it stands, '/' and all, as a wide text.
inline std::wstring Slashed(const fs::path& path) {
  std::wstring text = NativeToPath(path.c_str());
  std::replace(text.begin(), text.end(), L'\\', L'/');
  return text;
}

// Gives up root for nobody:nogroup; used in child processes only.
inline bool BecomeNobody() {
  return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
}

// Runs `check` in a child process without the rights of root, so that file
// permissions bind it, and returns its result (0 to 99); 102 when the user
// could not be changed. Anything `check` reaches must be open to others.
inline int RunUnprivileged(const std::function<int()>& check) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && !BecomeNobody()) _exit(102);
    _exit(check());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

// How RunWhereReadOnly takes away the right to create files.
enum class ReadOnlyBy {
  kMount,             // a read-only bind mount in a private mount namespace
  kUnprivilegedUser,  // the check runs as nobody:nogroup
};

// Runs `check` in a child process for which no file can be created in
// `folder`, and returns its result (0 to 99). When the tests run as root
// the place is made with `how`; otherwise the folder's write permission
// is taken away, which binds every user but root. Returns 100 or more when
// the place could not be made: 101 the mount failed, 102 the user could
// not be changed, 103 a file could still be created.
inline int RunWhereReadOnly(const fs::path& folder, ReadOnlyBy how,
                            const std::function<int()>& check) {
  const bool root = geteuid() == 0;
  if (!root) chmod(folder.c_str(), 0555);
  const pid_t child = fork();
  if (child == 0) {
    if (root && how == ReadOnlyBy::kMount) {
      if (unshare(CLONE_NEWNS) != 0 ||
          mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
          mount(nullptr, folder.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        _exit(101);
    } else if (root && !BecomeNobody()) {
      _exit(102);
    }
    const std::string probe = (folder / "velut-write-check").string();
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) {
      close(fd);
      unlink(probe.c_str());
      _exit(103);
    }
    _exit(check());
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!root) chmod(folder.c_str(), 0755);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

}  // namespace velut_test
