// Relative and absolute paths against a base folder, through the layer's
// PathCombine and PathRelativePathTo.
#include <VelUt/Paths.h>
#include <VelUt/StdStr.h>

#include "platform/Layer.h"

namespace VelUt {

bool RelativeToAbsolutePath(const VelString& relativePath, const VelString& basePath,
                            VelString& absolutePath) {
  if (relativePath.compare(L"") == 0 || basePath.compare(L"") == 0) return false;
  absolutePath.assign(relativePath);
  if (!PathIsRelative(relativePath.c_str())) return true;
  CStdStr<wchar_t> joined;
  PathCombine(joined.GetBuf(1024), basePath.c_str(), relativePath.c_str());
  joined.RelBuf(-1);
  absolutePath.assign(joined.c_str());
  return true;
}

bool AbsoluteToRelativePath(const VelString& absolutePath, const VelString& basePath,
                            VelString& relativePath) {
  if (absolutePath.compare(L"") == 0 || basePath.compare(L"") == 0) return false;
  relativePath.assign(absolutePath);
  if (PathIsRelative(absolutePath.c_str())) return true;
  // A text test, not one of components: "C:\dir" admits "C:\dir2\a" too.
  if (absolutePath.substr(0, basePath.length()).collateNoCase(basePath.c_str()) != 0) return true;
  CStdStr<wchar_t> relative;
  if (PathRelativePathTo(relative.GetBuf(1024), basePath.c_str(), FILE_ATTRIBUTE_DIRECTORY,
                         absolutePath.c_str(), FILE_ATTRIBUTE_DIRECTORY)) {
    relative.RelBuf(-1);
    relativePath.assign(relative.c_str());
  }
  return true;
}

}  // namespace VelUt
