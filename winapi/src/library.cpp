// Resource libraries: finding a DLL by its Win32 name, mapping it, and the
// table of loaded libraries with their reference counts.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <shared_mutex>
#include <string>
#include <vector>

#include <WinAPI/Error.h>
#include <WinAPI/File.h>
#include <WinAPI/Resource.h>

#include <textbase/unicode.h>

#include "case_fold.h"
#include "errno_map.h"
#include "module_image.h"
#include "path_syntax.h"
#include "pe_image.h"

namespace {

using velwin::detail::FoldCase;
using velwin::detail::StringBlock;

// One mapped library.
struct Module {
  const std::uint8_t* image = nullptr;
  std::size_t size = 0;
  dev_t device = 0;
  ino_t inode = 0;
  unsigned long references = 1;
  std::vector<StringBlock> strings;  // by block, then language

  Module() = default;
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  ~Module() {
    if (image != nullptr) munmap(const_cast<std::uint8_t*>(image), size);
  }
};

// The loaded libraries by handle value. Handles are serial numbers, never
// reused, so a freed handle cannot come to mean another library.
struct Registry {
  std::shared_mutex mutex;
  std::map<std::uintptr_t, std::unique_ptr<Module>> modules;
  std::uintptr_t serial = 0;

  std::mutex folder_mutex;
  std::string dll_folder;  // native path; empty: none set
};

// Never destroyed: a library freed from another static object's
// destructor at exit still finds its table.
Registry& Libraries() {
  static Registry* registry = new Registry;
  return *registry;
}

HMODULE ToHandle(std::uintptr_t serial) { return reinterpret_cast<HMODULE>(serial << 16 | 1); }

std::uintptr_t ToKey(HMODULE module) { return reinterpret_cast<std::uintptr_t>(module); }

// ----------------------------------------------------------------- names

// A name with a separator or a drive is a path; any other is searched for.
bool IsPath(const wchar_t* name) {
  return std::wcspbrk(name, L"/\\") != nullptr || velwin::detail::HasDrive(name);
}

// The native form of path text ("" for text no file name can hold).
std::string NativePath(const wchar_t* text) {
  std::string native;
  PathToNative(text, native);
  return native;
}

// The Win32 extension rule on the last component: ".dll" is added when it
// has no extension, trailing dots are dropped. "" when no file name is left.
std::string WithDllExtension(std::string path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  if (path.size() > start && path.back() == '.') {
    while (path.size() > start && path.back() == '.') path.pop_back();
  } else if (path.find('.', start) == std::string::npos) {
    if (path.size() == start) return std::string();
    path += ".dll";
  }
  return path.size() > start ? path : std::string();
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

bool IsKind(const std::string& path, bool file) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  return file ? S_ISREG(st.st_mode) : S_ISDIR(st.st_mode);
}

// True when two file names are equal but for letter case. Bytes that are
// not UTF-8 must be equal as they are.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
  const auto* p = reinterpret_cast<const unsigned char*>(a.data());
  const auto* q = reinterpret_cast<const unsigned char*>(b.data());
  const unsigned char* const pend = p + a.size();
  const unsigned char* const qend = q + b.size();
  while (p < pend && q < qend) {
    char32_t cp;
    char32_t cq;
    const bool bad_p = !velut::textbase::DecodeUtf8(p, pend, cp);
    const bool bad_q = !velut::textbase::DecodeUtf8(q, qend, cq);
    if (bad_p || bad_q) {
      if (!(bad_p && bad_q && *p == *q)) return false;
      ++p;
      ++q;
    } else if (cp != cq && FoldCase(cp) != FoldCase(cq)) {
      return false;
    }
  }
  return p == pend && q == qend;
}

// The entry of `folder` equal to `name` but for case, of the wanted kind;
// of several, the first in byte order. "" when there is none, or with
// `error` set to errno when the folder cannot be read to its end.
std::string FindIgnoringCase(const std::string& folder, const std::string& name, bool file,
                             int& error) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()),
                                                &closedir);
  if (dir == nullptr) {
    // Out of memory is not "no such file": the caller reports it as such.
    if (errno == ENOMEM) throw std::bad_alloc();
    return std::string();
  }
  std::string best;
  for (;;) {
    // readdir gives null at the end and on an error, which only errno
    // tells apart; the checks below change errno.
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) break;
    const std::string candidate = entry->d_name;
    if (candidate == "." || candidate == "..") continue;
    if (!SameIgnoringCase(candidate, name)) continue;
    if (!best.empty() && candidate >= best) continue;
    if (IsKind(Join(folder, candidate), file)) best = candidate;
  }
  if (errno == 0) return best;
  if (errno == ENOMEM) throw std::bad_alloc();
  error = errno;
  return std::string();
}

// The regular file that `path` names, each component matched exactly or,
// failing that, ignoring case. "" when there is none, or with `error` set
// to errno when a folder cannot be read.
std::string Resolve(const std::string& path, int& error) {
  if (path.empty()) return std::string();
  if (IsKind(path, true)) return path;
  std::vector<std::string> parts;
  for (std::size_t at = 0; at <= path.size();) {
    std::size_t slash = path.find('/', at);
    if (slash == std::string::npos) slash = path.size();
    if (slash > at) parts.push_back(path.substr(at, slash - at));
    at = slash + 1;
  }
  std::string current = path[0] == '/' ? "/" : "";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    const std::string exact = Join(current, parts[i]);
    if (parts[i] == "." || parts[i] == ".." || IsKind(exact, last)) {
      current = exact;
      continue;
    }
    const std::string match = FindIgnoringCase(current, parts[i], last, error);
    if (match.empty()) return std::string();
    current = Join(current, match);
  }
  return IsKind(current, true) ? current : std::string();
}

std::string ExecutableFolder() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return std::string();
  std::string path(buffer, static_cast<std::size_t>(n));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The folders a bare name is searched in, in order.
std::vector<std::string> SearchFolders() {
  std::vector<std::string> folders;
  {
    Registry& r = Libraries();
    std::lock_guard<std::mutex> lock(r.folder_mutex);
    if (!r.dll_folder.empty()) folders.push_back(r.dll_folder);
  }
  const std::string executable = ExecutableFolder();
  if (!executable.empty()) folders.push_back(executable);
  folders.emplace_back();  // the current folder
  return folders;
}

DWORD ErrorOf(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
      return ERROR_MOD_NOT_FOUND;
    default:  // a folder or file that cannot be read (EIO, ...)
      return velwin::detail::Win32ErrorFromErrno(error);
  }
}

// ----------------------------------------------------------------- loading

// Maps the open regular file `fd` (taking it over) or finds it among the
// loaded libraries. Null with the last error set on failure.
HMODULE Map(int fd, const struct stat& st) {
  Registry& r = Libraries();
  std::unique_lock<std::shared_mutex> lock(r.mutex);
  for (auto& [key, module] : r.modules) {
    if (module->device == st.st_dev && module->inode == st.st_ino) {
      close(fd);
      ++module->references;
      return reinterpret_cast<HMODULE>(key);
    }
  }
  if (st.st_size <= 0) {  // nothing to map: certainly no image
    close(fd);
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  // A file larger than the address space (on a 32-bit machine) cannot be
  // mapped whole; its size must not wrap to a smaller one.
  if (static_cast<std::uint64_t>(st.st_size) > SIZE_MAX) {
    close(fd);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::unique_ptr<Module> module;
  try {
    module = std::make_unique<Module>();
  } catch (...) {
    close(fd);
    throw;
  }
  module->size = static_cast<std::size_t>(st.st_size);
  void* image = mmap(nullptr, module->size, PROT_READ, MAP_PRIVATE, fd, 0);
  const int error = errno;
  close(fd);
  if (image == MAP_FAILED) {
    SetLastError(error == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  module->image = static_cast<const std::uint8_t*>(image);
  module->device = st.st_dev;
  module->inode = st.st_ino;
  if (!velwin::detail::IndexStringTable(module->image, module->size, module->strings)) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  const HMODULE handle = ToHandle(++r.serial);
  r.modules.emplace(ToKey(handle), std::move(module));
  return handle;
}

// Opens the file `path` names, when it is a regular file. Returns -1 with
// `error` 0 when there is no such file, with the errno value otherwise.
int OpenFile(const std::string& path, struct stat& st, int& error) {
  error = 0;
  const std::string found = Resolve(path, error);
  if (found.empty()) return -1;
  // O_NONBLOCK: a FIFO planted under the name must not hang the caller.
  const int fd = open(found.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    error = errno == ENOENT || errno == ENOTDIR ? 0 : errno;
    return -1;
  }
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

HMODULE LoadLibraryW(LPCWSTR name) try {
  // Pointer values below 0x10000 are resource ids elsewhere in the API,
  // never texts: refuse them rather than read from them.
  if (reinterpret_cast<std::uintptr_t>(name) < 0x10000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool path = IsPath(name);
  const std::string file = WithDllExtension(NativePath(name));
  if (file.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  const std::vector<std::string> candidates =
      path ? std::vector<std::string>{file} : SearchFolders();
  for (const std::string& candidate : candidates) {
    struct stat st;
    int error;
    const int fd = OpenFile(path ? candidate : Join(candidate, file), st, error);
    if (fd >= 0) return Map(fd, st);
    if (error != 0) {
      SetLastError(ErrorOf(error));
      return nullptr;
    }
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
} catch (const std::bad_alloc&) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

HMODULE LoadLibrary(LPCWSTR name) { return LoadLibraryW(name); }

BOOL FreeLibrary(HMODULE module) {
  Registry& r = Libraries();
  std::unique_ptr<Module> unmapped;  // released after the lock
  {
    std::unique_lock<std::shared_mutex> lock(r.mutex);
    const auto it = r.modules.find(ToKey(module));
    if (module == nullptr || it == r.modules.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--it->second->references == 0) {
      unmapped = std::move(it->second);
      r.modules.erase(it);
      velwin::detail::g_libraries_unloaded.fetch_add(1, std::memory_order_release);
    }
  }
  return TRUE;
}

BOOL SetDllDirectoryW(LPCWSTR folder) try {
  std::string native;
  if (folder != nullptr && *folder != L'\0') {
    native = NativePath(folder);
    if (native.empty()) native = ".";  // "X:" alone: that drive's current folder
  }
  Registry& r = Libraries();
  std::lock_guard<std::mutex> lock(r.folder_mutex);
  r.dll_folder = std::move(native);
  return TRUE;
} catch (const std::bad_alloc&) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return FALSE;
}

std::atomic<std::uint64_t> velwin::detail::g_libraries_unloaded{0};

bool velwin::detail::ReadModuleImage(HMODULE module,
                                     const std::function<void(const ModuleImage&)>& read) {
  Registry& r = Libraries();
  std::shared_lock<std::shared_mutex> lock(r.mutex);
  const auto it = r.modules.find(ToKey(module));
  if (module == nullptr || it == r.modules.end()) return false;
  const Module& m = *it->second;
  read(ModuleImage{m.image, m.size, &m.strings});
  return true;
}
