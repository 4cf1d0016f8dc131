// Test support: stand-in programs that record how they were called.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace velut_test {

// Writes the executable shell script `folder`/`name` and returns its path.
inline std::string WriteScript(const TempFolder& folder, const std::string& name,
                               const std::string& body) {
  const std::string path = folder / name;
  std::ofstream(path) << "#!/bin/sh\n" << body;
  chmod(path.c_str(), 0755);
  return path;
}

// A program that sleeps `delay` seconds, writes each argument as "[arg]" on
// a line of `log`, then creates `log`.done.
inline std::string WriteRecorder(const TempFolder& folder, const std::string& name,
                                 const std::string& log, const std::string& delay = "0") {
  return WriteScript(folder, name,
                     "sleep " + delay + "\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" +
                         log + ".tmp'\nmv '" + log + ".tmp' '" + log + "'\n: > '" + log +
                         ".done'\n");
}

inline bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The lines of a file (none when it is missing).
inline std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Waits up to `seconds` for `path` to exist.
inline bool WaitForFile(const std::string& path, double seconds = 10) {
  for (int i = 0; i < static_cast<int>(seconds * 100) && !Exists(path); ++i) usleep(10000);
  return Exists(path);
}

}  // namespace velut_test
