// File URLs to local paths, and the folder part of a URL or path.
#include <wctype.h>

#include <VelUt/Url.h>

#include "paths/UrlPrefix.h"
#include "platform/Layer.h"

namespace {

// The units of the working array the rest of a file URL is copied into.
constexpr std::size_t kWorkUnits = 1024;

// The letter test after a backslash: A-Z, a-z, and whatever the current
// locale classifies as alphabetic.
bool IsLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
         iswalpha(static_cast<wint_t>(c)) != 0;
}

}  // namespace

namespace VelUt {

bool UrlToPath(const wchar_t* url, VelString& path) {
  const CStdStr<wchar_t> text(url);
  if (!detail::IsFileUrl(text)) {
    path.assign(text.c_str());
    return true;
  }
  // Both prefixes are 6 units long. A rest that does not fit the array
  // leaves it empty (wcscpy_s).
  wchar_t work[kWorkUnits];
  wcscpy_s(work, kWorkUnits, text.c_str() + 6);
  wchar_t* p = work;
  while (*p == L'/') p = CharNextW(p);
  if (p[0] == L'\\' && IsLetter(p[1])) ++p;
  for (wchar_t* q = p; *q != L'\0'; ++q) {
    if (*q == L'/')
      *q = L'\\';
    else if (*q == L'|')
      *q = L':';
  }
  path.assign(p);
  return true;
}

VelString GetPathFromUrl(const wchar_t* url) {
  if (url == nullptr) return VelString();
  CStdStr<wchar_t> s(url);
  if (s.empty()) return VelString();

  if (!IsUrl(s.c_str())) {
    VelString local;
    UrlToPath(s.c_str(), local);
    local.replace(L'/', L'\\');
    CStdStr<wchar_t> folder(local.c_str());
    PathRemoveFileSpec(folder.GetBuf(1024));
    folder.RelBuf(-1);
    return VelString(folder.c_str());
  }

  if (!s.empty() && s.back() == L'/') s.pop_back();
  if (!s.empty() && s.back() == L'\\') s.pop_back();
  // The slashes of the scheme are no separators of the path.
  CStdStr<wchar_t> scheme;
  const int k = s.Find(L"//");
  if (k >= 0) {
    scheme = s.Left(k + 2);
    s.erase(0, static_cast<std::size_t>(k) + 2);
  }
  std::size_t at = s.rfind(L'/');
  if (at == CStdStr<wchar_t>::npos) at = s.rfind(L'\\');
  if (at == CStdStr<wchar_t>::npos) return VelString();
  scheme.append(s, 0, at + 1);
  return VelString(scheme.c_str());
}

}  // namespace VelUt
