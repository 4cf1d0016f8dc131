// URL recognition by the prefix table, and bringing a location into shape.
#include <VelUt/DravoMemoryException.h>
#include <VelUt/Url.h>

#include "paths/UrlPrefix.h"
#include "platform/Layer.h"

namespace {

// Cuts the first `count` units of `url` into `head`. Memory exhaustion
// here is absorbed: the exception is released and the result is false.
bool CutHead(const CStdStr<wchar_t>& url, int count, CStdStr<wchar_t>& head) {
  try {
    head = url.Left(count);
    return true;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (CDravoMemoryException* e) {
    e->Delete();
  }
  return false;
}

}  // namespace

bool PreProcessUrl(CStdStr<wchar_t>& url) {
  url.TrimLeft();
  url.TrimRight();
  const int length = static_cast<int>(url.size());
  if (length < 6) return false;

  CStdStr<wchar_t> head;
  if (!CutHead(url, 6, head)) return false;
  for (const wchar_t* prefix : {L"ftp://", L"http:/", L"https:", L"file:/"})
    if (head.CompareNoCase(prefix) == 0) return true;
  if (length < 8) return false;

  if (!CutHead(url, 4, head)) return false;
  if (head.CompareNoCase(L"www.") == 0) {
    url.insert(0, L"http://");
    return true;
  }
  if (head.CompareNoCase(L"ftp.") == 0) {
    url.insert(0, L"ftp://");
    return true;
  }
  if (!CutHead(url, 7, head)) return false;
  return head.CompareNoCase(L"mailto:") == 0 || head.CompareNoCase(L"gopher:") == 0;
}

namespace VelUt {

bool IsUrl(const wchar_t* url) {
  const CStdStr<wchar_t> text(url);
  CStdStr<wchar_t> work(text);
  if (!PreProcessUrl(work)) return false;
  // The test for a file URL reads the caller's text, not the trimmed and
  // completed one.
  work = text;
  work.TrimLeft();
  return !detail::LowerStartsWith(work, L"file://") && !detail::LowerStartsWith(work, L"file:\\");
}

bool FixUrl(VelString& url) {
  if (url.compare(L"") == 0) return false;
  if (IsUrl(url.c_str())) {
    url.replace(L'\\', L'/');
    return true;
  }
  VelString path;
  UrlToPath(url.c_str(), path);
  url.assign(path);
  return true;
}

}  // namespace VelUt
