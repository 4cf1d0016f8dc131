// Roots and the canonical form of path text.
#include "path_syntax.h"

#include <vector>

namespace velwin::detail {

Root FindRoot(const wchar_t* path) {
  if (HasDrive(path))
    return IsSeparator(path[2]) ? Root{RootKind::kDriveRoot, 3} : Root{RootKind::kDrive, 2};
  if (!IsSeparator(path[0])) return Root{RootKind::kNone, 0};
  if (!IsSeparator(path[1])) return Root{RootKind::kSeparator, 1};
  std::size_t n = 2;
  while (path[n] != L'\0' && !IsSeparator(path[n])) ++n;
  return Root{RootKind::kUnc, n};
}

std::wstring RootText(const wchar_t* path, const Root& root) {
  std::wstring text(path, root.length);
  for (wchar_t& c : text)
    if (c == L'/') c = L'\\';
  return text;
}

std::wstring Canonicalize(const wchar_t* path) {
  const Root root = FindRoot(path);
  const bool rooted = root.kind != RootKind::kNone && root.kind != RootKind::kDrive;
  std::vector<std::wstring> parts;
  const wchar_t* p = path + root.length;
  bool trailing = false;
  while (*p != L'\0') {
    if (IsSeparator(*p)) {
      trailing = true;
      ++p;
      continue;
    }
    const wchar_t* start = p;
    while (*p != L'\0' && !IsSeparator(*p)) ++p;
    trailing = false;
    const std::wstring part(start, p);
    if (part == L".") continue;
    if (part == L"..") {
      if (!parts.empty() && parts.back() != L"..")
        parts.pop_back();
      else if (!rooted)
        parts.push_back(part);
      continue;
    }
    parts.push_back(part);
  }

  // A relative path whose first name looks like a drive keeps a "." in
  // front, so that "x\..\C:" does not come to name a drive.
  if (root.kind == RootKind::kNone && !parts.empty() && HasDrive(parts.front().c_str()))
    parts.insert(parts.begin(), L".");

  std::wstring out = RootText(path, root);
  if (root.kind == RootKind::kDrive && parts.empty()) out += L'\\';
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0 || root.kind == RootKind::kUnc) out += L'\\';
    out += parts[i];
  }
  if (trailing && !parts.empty()) out += L'\\';
  if (out.empty()) out = L".";
  return out;
}

}  // namespace velwin::detail
