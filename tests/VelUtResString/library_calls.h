// Test support: counts the LoadLibrary and FreeLibrary calls that reach
// the layer. The test executable defines both functions; the dynamic
// linker binds libVelUt's calls to them first, and they forward to the
// layer's own definitions.
#pragma once

#include <map>
#include <string>

namespace velut_test {

struct LibraryCalls {
  std::map<std::wstring, int> loads;  // LoadLibrary calls per name
  std::map<void*, int> frees;         // FreeLibrary calls per handle
  int total_loads = 0;
  int total_frees = 0;
};

// The calls counted since the last Reset().
LibraryCalls& Calls();
void ResetCalls();

// From now on every FreeLibrary call also writes "FreeLibrary" to standard
// error, so a death test can see calls made while the process exits.
void ReportFreesOnStderr();

}  // namespace velut_test
