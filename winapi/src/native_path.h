// Helpers of the file operations around native paths.
#pragma once

#include <string>

namespace velwin::detail {

// The current folder as a native path; false with errno set when it
// cannot be read.
bool NativeCurrentFolder(std::string& folder);

// `path` (path text) made absolute against the current folder and
// canonical; a drive without separator counts as the root ("C:a" is
// "C:\a"). False with the last error set when the current folder is needed
// and cannot be read.
bool FullPathText(const wchar_t* path, std::wstring& full);

// Sets the last error for a failed call on `native` that left `err` in
// errno. ENOENT is refined the Windows way: ERROR_FILE_NOT_FOUND when the
// folder of the name exists, ERROR_PATH_NOT_FOUND when it does not.
void SetLastErrorForPath(int err, const std::string& native);

}  // namespace velwin::detail
