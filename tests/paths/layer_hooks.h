// Test support: a hook on the layer's GetTempFileName. The test executable
// defines GetTempFileName; the dynamic linker binds libVelUt's calls to it
// first, and it forwards to the layer's own definition.
#pragma once

#include <functional>

namespace velut_test {

// Called with the path of each file GetTempFileName has just created,
// until reset to an empty function.
extern std::function<void(const wchar_t* created)> g_after_temp_file_name;

}  // namespace velut_test
