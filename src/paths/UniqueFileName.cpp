// Free file names: numbering a taken name, and temporary names.
#include <climits>
#include <string>

#include <VelUt/Files.h>
#include <VelUt/Url.h>

#include "platform/Layer.h"
#include "platform/MsSwprintf.h"

namespace {

// The base of a stem: without a trailing "_" and ASCII digits (possibly
// none) after its last underscore; the whole stem otherwise.
CStdStr<wchar_t> BaseOf(const CStdStr<wchar_t>& stem) {
  const std::size_t underscore = stem.rfind(L'_');
  if (underscore == CStdStr<wchar_t>::npos) return stem;
  for (std::size_t i = underscore + 1; i < stem.size(); ++i)
    if (stem[i] < L'0' || stem[i] > L'9') return stem;
  return stem.Left(static_cast<int>(underscore));
}

}  // namespace

namespace VelUt {

bool GetUniqueFileName(CStdStr<wchar_t>& fileName) {
  if (!PathFileExists(fileName.c_str())) return true;
  if (IsUrl(fileName.c_str())) return false;
  VelString fixed(fileName.c_str());
  FixUrl(fixed);
  fileName = fixed.c_str();

  const CStdStr<wchar_t> name(PathFindFileName(fileName.c_str()));
  const CStdStr<wchar_t> extension(PathFindExtension(name.c_str()));
  CStdStr<wchar_t> stem(name);
  PathRemoveExtension(stem.GetBuf(0));
  stem.RelBuf(-1);

  CStdStr<wchar_t> folder(fileName);
  PathRemoveFileSpec(folder.GetBuf(1024));
  folder.RelBuf(-1);
  fileName = folder;

  const CStdStr<wchar_t> base = BaseOf(stem);
  wchar_t candidate[1024];
  ms_swprintf(candidate, L"%s", fileName.c_str());
  CStdStr<wchar_t> next;
  next.Fmt(L"%s%s", base.c_str(), extension.c_str());
  PathAppend(candidate, next.c_str());
  for (int n = 2; PathFileExists(candidate); ++n) {
    // A name whose number is lost (cut off by the formatter's bound, or
    // made of separators only) would give the same candidate for ever, and
    // the numbers end at INT_MAX: such a name cannot be numbered.
    const std::wstring taken(candidate);
    PathRemoveFileSpec(candidate);
    next.Fmt(L"%s_%d%s", base.c_str(), n, extension.c_str());
    PathAppend(candidate, next.c_str());
    if (taken == candidate) candidate[0] = L'\0';
    if (n == INT_MAX) {
      if (PathFileExists(candidate)) candidate[0] = L'\0';
      break;
    }
  }
  fileName = candidate;
  return true;
}

VelString GetTempFile(const wchar_t* prefix, const wchar_t* extension) {
  // Zeroed: GetTempPath leaves the array as it is when the folder does not
  // fit, and then no folder is named.
  wchar_t folder[1024] = {};
  if (GetTempPath(1024, folder) == 0 && GetCurrentDirectory(1024, folder) == 0) return VelString();
  wchar_t created[1024] = {};
  if (GetTempFileName(folder, prefix, 0, created) == 0) return VelString();
  VelString result(created);
  DeleteFile(created);
  if (extension != nullptr) {
    CStdStr<wchar_t> name(created);
    PathRenameExtension(name.GetBuf(1024), extension);
    name.RelBuf(-1);
    if (PathFileExists(name.c_str())) GetUniqueFileName(name);
    result.assign(name.c_str());
  }
  return result;
}

}  // namespace VelUt
