// Shell path operations that build a path from two: joining and relating.
#include <cwchar>
#include <string>
#include <vector>

#include <WinAPI/Path.h>

#include "case_fold.h"
#include "path_syntax.h"

using velwin::detail::FindRoot;
using velwin::detail::IsSeparator;
using velwin::detail::Root;
using velwin::detail::RootKind;

namespace {

// Copies `text` with its terminator into `dest`, which holds MAX_PATH
// units; when it does not fit, `dest` becomes "" and the result is false.
bool CopyOut(const std::wstring& text, wchar_t* dest) {
  if (text.size() >= MAX_PATH) {
    dest[0] = L'\0';
    return false;
  }
  std::wmemcpy(dest, text.c_str(), text.size() + 1);
  return true;
}

// The components of `path` after its root, separators removed.
std::vector<std::wstring> Components(const wchar_t* path, const Root& root) {
  std::vector<std::wstring> parts;
  const wchar_t* p = path + root.length;
  while (*p != L'\0') {
    if (IsSeparator(*p)) {
      ++p;
      continue;
    }
    const wchar_t* start = p;
    while (*p != L'\0' && !IsSeparator(*p)) ++p;
    parts.emplace_back(start, p);
  }
  return parts;
}

// The end of the share of a network path: "\\server\share" of
// "\\server\share\x".
const wchar_t* ShareEnd(const wchar_t* path, const Root& root) {
  const wchar_t* p = path + root.length;
  if (IsSeparator(*p)) {
    ++p;
    while (*p != L'\0' && !IsSeparator(*p)) ++p;
  }
  return p;
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto ca = static_cast<char32_t>(a[i]);
    const auto cb = static_cast<char32_t>(b[i]);
    if (ca != cb && velwin::detail::FoldCase(ca) != velwin::detail::FoldCase(cb)) return false;
  }
  return true;
}

// A drive with or without its separator is the same root here: both name
// the root of the one file system.
bool SameRoot(const wchar_t* a, const Root& ra, const wchar_t* b, const Root& rb) {
  const auto kind = [](RootKind k) { return k == RootKind::kDrive ? RootKind::kDriveRoot : k; };
  if (kind(ra.kind) != kind(rb.kind)) return false;
  switch (ra.kind) {
    case RootKind::kDrive:
    case RootKind::kDriveRoot:
      return SameIgnoringCase(std::wstring(a, 1), std::wstring(b, 1));
    case RootKind::kUnc:
      return SameIgnoringCase(std::wstring(a + 2, ra.length - 2),
                              std::wstring(b + 2, rb.length - 2));
    default:
      return true;
  }
}

}  // namespace

LPWSTR PathCombine(LPWSTR dest, LPCWSTR dir, LPCWSTR file) {
  if (dest == nullptr) return nullptr;
  if (dir == nullptr && file == nullptr) {
    dest[0] = L'\0';
    return nullptr;
  }
  // One null input is the empty text, whichever of the rules below reads it.
  if (dir == nullptr) dir = L"";
  if (file == nullptr) file = L"";
  // `dest` may be `dir` itself: the joined text is built before it is written.
  std::wstring joined;
  if (*file == L'\0') {
    joined = dir;
  } else if (*dir == L'\0') {
    joined = file;
  } else if (!PathIsRelative(file)) {
    const Root root = FindRoot(file);
    if (root.kind == RootKind::kSeparator) {
      // "\x" is the root of the folder's drive or share, then "x".
      const Root dir_root = FindRoot(dir);
      if (dir_root.kind == RootKind::kDrive || dir_root.kind == RootKind::kDriveRoot)
        joined.assign(dir, 2);
      else if (dir_root.kind == RootKind::kUnc)
        joined.assign(dir, ShareEnd(dir, dir_root) - dir);
      joined += file;
    } else {
      joined = file;
    }
  } else {
    joined = dir;
    if (!IsSeparator(joined.back())) joined += L'\\';
    joined += file;
  }
  return CopyOut(velwin::detail::Canonicalize(joined.c_str()), dest) ? dest : nullptr;
}

BOOL PathAppend(LPWSTR path, LPCWSTR more) {
  if (path == nullptr || more == nullptr) return FALSE;
  // Leading separators of `more` go, unless they start a network path.
  if (!(IsSeparator(more[0]) && IsSeparator(more[1])))
    while (IsSeparator(*more)) ++more;
  return PathCombine(path, path, more) != nullptr ? TRUE : FALSE;
}

BOOL PathRelativePathTo(LPWSTR path, LPCWSTR from, DWORD fromAttributes, LPCWSTR to,
                        DWORD toAttributes) {
  if (path == nullptr || from == nullptr || to == nullptr) return FALSE;
  path[0] = L'\0';
  std::wstring start(from);
  std::wstring end(to);
  if (!(fromAttributes & FILE_ATTRIBUTE_DIRECTORY)) PathRemoveFileSpec(start.data());
  if (!(toAttributes & FILE_ATTRIBUTE_DIRECTORY)) PathRemoveFileSpec(end.data());
  const Root start_root = FindRoot(start.c_str());
  const Root end_root = FindRoot(end.c_str());
  if (!SameRoot(start.c_str(), start_root, end.c_str(), end_root)) return FALSE;
  const std::vector<std::wstring> a = Components(start.c_str(), start_root);
  const std::vector<std::wstring> b = Components(end.c_str(), end_root);
  // The descent goes to `to` itself, its file name included.
  const std::vector<std::wstring> target = Components(to, end_root);
  std::size_t common = 0;
  while (common < a.size() && common < b.size() && SameIgnoringCase(a[common], b[common])) ++common;
  // A lone separator, or nothing at all, is no common prefix.
  if (common == 0 &&
      (start_root.kind == RootKind::kNone || start_root.kind == RootKind::kSeparator))
    return FALSE;

  std::wstring relative;
  for (std::size_t i = common; i < a.size(); ++i) {
    if (!relative.empty()) relative += L'\\';
    relative += L"..";
  }
  if (relative.empty()) relative = L".";
  for (std::size_t i = common; i < target.size(); ++i) relative += L'\\' + target[i];
  return CopyOut(relative, path) ? TRUE : FALSE;
}
