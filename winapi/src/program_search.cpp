// The program search of CreateProcessW: the PATH folders and the names a
// program may have on disk.
#include "program_search.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <WinAPI/Error.h>

namespace {

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::string cwd(256, '\0');
  while (getcwd(&cwd[0], cwd.size()) == nullptr) {
    if (errno != ERANGE) return path;
    cwd.resize(cwd.size() * 2);
  }
  cwd.resize(std::strlen(cwd.c_str()));
  return cwd + (cwd == "/" ? "" : "/") + path;
}

// The names a program may have on disk: the name, then for "x.exe" also
// "x" and "x" lower-cased (A-Z only, as the classic locale folds).
std::vector<std::string> NameVariants(const std::string& name) {
  std::vector<std::string> v{name};
  if (name.size() > 4) {
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (ext == ".exe") {
      std::string stem = name.substr(0, name.size() - 4);
      v.push_back(stem);
      for (char& c : stem)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (stem != v.back()) v.push_back(stem);
    }
  }
  return v;
}

enum class Found { kYes, kNotExecutable, kNo };

Found CheckProgram(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return Found::kNo;
  if (!S_ISREG(st.st_mode) || access(path.c_str(), X_OK) != 0) return Found::kNotExecutable;
  return Found::kYes;
}

}  // namespace

namespace velwin::detail {

DWORD FindProgram(const std::string& name, bool search_path, std::string& path) {
  if (name.empty()) return ERROR_INVALID_PARAMETER;
  bool denied = false;
  std::vector<std::string> folders;
  std::string base = name;
  if (!search_path) {
    const std::size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    base = name.substr(folder.size());
    if (!folder.empty()) {
      struct stat st {};
      if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return ERROR_PATH_NOT_FOUND;
    }
    if (base.empty()) return ERROR_ACCESS_DENIED;  // a folder, not a program
    folders.push_back(folder);
  } else {
    const char* env = std::getenv("PATH");
    std::string list;
    if (env != nullptr) {
      list = env;
    } else {
      const std::size_t n = confstr(_CS_PATH, nullptr, 0);
      list.assign(n, '\0');
      if (n > 0) confstr(_CS_PATH, &list[0], n);
      list.resize(std::strlen(list.c_str()));
    }
    std::size_t start = 0;
    for (;;) {
      const std::size_t colon = list.find(':', start);
      std::string dir =
          list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
      if (dir.empty()) dir = ".";
      folders.push_back(dir + "/");
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
  }
  const std::vector<std::string> names = NameVariants(base);
  for (const std::string& folder : folders) {
    for (const std::string& n : names) {
      switch (CheckProgram(folder + n)) {
        case Found::kYes:
          path = Absolute(folder + n);
          return ERROR_SUCCESS;
        case Found::kNotExecutable:
          denied = true;
          break;
        case Found::kNo:
          break;
      }
    }
  }
  return denied ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
}

}  // namespace velwin::detail
