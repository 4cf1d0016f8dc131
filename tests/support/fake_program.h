// Test support: a private folder with stand-in programs that record how
// they were called.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace velut_test {

// A temporary folder, removed with everything in it when the scope ends.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/velut-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes an executable shell script `name` into `dir` whose body is
// `body`.
inline std::string WriteScript(const TempDir& dir, const std::string& name,
                               const std::string& body) {
  const std::string path = dir / name;
  {
    std::ofstream out(path);
    out << "#!/bin/sh\n" << body;
  }
  chmod(path.c_str(), 0755);
  return path;
}

// A stand-in program that sleeps `delay` seconds, writes each of its
// arguments as "[arg]" on a line of `log` (no lines for no arguments), and
// then creates `log`.done.
inline std::string WriteRecorder(const TempDir& dir, const std::string& name,
                                 const std::string& log, const std::string& delay = "0") {
  return WriteScript(dir, name,
                     "sleep " + delay +
                         "\n"
                         "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" +
                         log +
                         ".tmp'\n"
                         "mv '" +
                         log + ".tmp' '" + log +
                         "'\n"
                         ": > '" +
                         log + ".done'\n");
}

inline bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

// The lines of a file ("" and no lines when it is missing).
inline std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Waits up to `seconds` for `path` to exist.
inline bool WaitForFile(const std::string& path, double seconds = 10) {
  for (int i = 0; i < static_cast<int>(seconds * 100); ++i) {
    if (Exists(path)) return true;
    usleep(10000);
  }
  return Exists(path);
}

}  // namespace velut_test
