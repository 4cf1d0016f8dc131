// The pure text functions of URLs and paths: PreProcessUrl, IsUrl, FixUrl,
// UrlToPath, GetPathFromUrl, and the layer's path-text operations, with
// the invariants that hold for any input: results within their bounds,
// no unit written past a MAX_PATH buffer, text that is no file URL passed
// through unchanged, canonical paths stable, and relative paths that lead
// back to their target.
//
// Input: two texts separated by a byte 0x00 (units as
// fuzz::Input::AsciiUnit reads them), then the rest.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>

#include <VelUt/VelUt.h>

#include "fuzz_input.h"

namespace {

using Str = CStdStr<wchar_t>;

void Check(bool ok) {
  if (!ok) std::abort();
}

// A MAX_PATH buffer on the heap, so that the sanitizer sees every write
// past its end.
struct PathBuffer {
  std::unique_ptr<wchar_t[]> units{new wchar_t[MAX_PATH]};
  explicit PathBuffer(const std::wstring& text) {
    const std::size_t n = std::min<std::size_t>(text.size(), MAX_PATH - 1);
    std::wmemcpy(units.get(), text.data(), n);
    units[n] = L'\0';
  }
  wchar_t* get() { return units.get(); }
  std::wstring text() const { return units.get(); }
};

bool StartsWith(const std::wstring& s, const std::wstring& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? c + 32 : c; }

// A file URL as UrlToPath sees it, for texts whose first units are ASCII.
bool LooksLikeFileUrl(const std::wstring& s) {
  if (s.size() < 6) return false;
  std::wstring head;
  for (int i = 0; i < 5; ++i) head += AsciiLower(s[i]);
  return head == L"file:" && (s[5] == L'/' || s[5] == L'\\');
}

bool IsAscii(const std::wstring& s) {
  return std::all_of(s.begin(), s.end(), [](wchar_t c) { return c > 0 && c < 0x80; });
}

bool SameIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

void CheckUrls(const std::wstring& text) {
  Str pre(text);
  Str trimmed(text);
  trimmed.TrimLeft();
  trimmed.TrimRight();
  const bool url = PreProcessUrl(pre);
  Check(pre == trimmed || (url && (pre == L"http://" + trimmed || pre == L"ftp://" + trimmed)));
  Str again(pre);
  if (url) Check(PreProcessUrl(again) && again == pre);

  const bool is_url = VelUt::IsUrl(text.c_str());
  if (is_url) Check(url);

  VelString path;
  Check(VelUt::UrlToPath(text.c_str(), path));
  const std::wstring converted = path.c_str();
  if (IsAscii(text.substr(0, 6)) && !LooksLikeFileUrl(text)) Check(converted == text);
  Check(converted.size() <= (text.size() > 6 ? text.size() - 6 : text.size()) || converted == text);
  if (LooksLikeFileUrl(text)) {
    Check(converted.find(L'/') == std::wstring::npos && converted.find(L'|') == std::wstring::npos);
    if (text.size() - 6 >= 1024) Check(converted.empty());
  }

  VelString fixed(text.c_str());
  const bool fixed_ok = VelUt::FixUrl(fixed);
  Check(fixed_ok == !text.empty());
  const std::wstring fixed_text = fixed.c_str();
  if (is_url) {
    Check(fixed_text.size() == text.size() && fixed_text.find(L'\\') == std::wstring::npos);
  } else {
    Check(fixed_text == converted);
  }

  const std::wstring folder = VelUt::GetPathFromUrl(text.c_str()).c_str();
  Check(folder.size() <= text.size());
  if (!is_url) {
    std::wstring local = converted;
    std::replace(local.begin(), local.end(), L'/', L'\\');
    Check(StartsWith(local, folder));
  }
}

void CheckPathText(const std::wstring& a, const std::wstring& b) {
  // In-place edits only shorten, and keep a prefix.
  {
    PathBuffer p(a);
    const std::wstring before = p.text();
    PathRemoveFileSpec(p.get());
    Check(StartsWith(before, p.text()));
    PathBuffer q(a);
    PathRemoveBackslash(q.get());
    Check(StartsWith(before, q.text()) && q.text().size() + 1 >= before.size());
    PathBuffer r(a);
    PathRemoveExtension(r.get());
    Check(StartsWith(before, r.text()));
    PathBuffer s(a);
    if (PathRenameExtension(s.get(), b.c_str()))
      Check(s.text().size() < MAX_PATH);
    else
      Check(s.text() == before);
    const wchar_t* ext = PathFindExtension(before.c_str());
    const wchar_t* name = PathFindFileName(before.c_str());
    Check(ext >= before.c_str() && ext <= before.c_str() + before.size());
    Check(name >= before.c_str() && name <= before.c_str() + before.size());
  }

  // Joining: within MAX_PATH, '\\'-separated, and stable once canonical.
  PathBuffer joined(L"");
  const wchar_t* result = PathCombine(joined.get(), a.c_str(), b.c_str());
  const std::wstring combined = joined.text();
  if (result == nullptr) {
    Check(combined.empty());
  } else {
    Check(combined.size() < MAX_PATH && combined.find(L'/') == std::wstring::npos);
    PathBuffer twice(L"");
    Check(PathCombine(twice.get(), combined.c_str(), nullptr) != nullptr);
    Check(twice.text() == combined);
  }
  PathBuffer appended(a);
  const std::wstring base = appended.text();
  if (PathAppend(appended.get(), b.c_str()))
    Check(appended.text().size() < MAX_PATH);
  else
    Check(appended.text().empty());

  // Relating: within MAX_PATH; for plain rooted folders, joining the
  // result to the start leads back to the target, letter case aside.
  PathBuffer relative(L"");
  const BOOL related = PathRelativePathTo(relative.get(), a.c_str(), FILE_ATTRIBUTE_DIRECTORY,
                                          b.c_str(), FILE_ATTRIBUTE_DIRECTORY);
  const std::wstring rel = relative.text();
  if (!related) {
    Check(rel.empty());
    return;
  }
  Check(rel.size() < MAX_PATH &&
        (rel == L"." || StartsWith(rel, L".\\") || StartsWith(rel, L"..")));
  const auto plain = [](const std::wstring& p) {
    if (p.size() < 3 || !((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) ||
        p[1] != L':' || (p[2] != L'\\' && p[2] != L'/') || !IsAscii(p))
      return false;
    // No dot components: the relation reads names, the join resolves dots.
    for (std::size_t i = 2; i < p.size(); ++i) {
      if (p[i] != L'.') continue;
      const bool starts = p[i - 1] == L'\\' || p[i - 1] == L'/';
      std::size_t j = i;
      while (j < p.size() && p[j] == L'.') ++j;
      if (starts && (j == p.size() || p[j] == L'\\' || p[j] == L'/')) return false;
    }
    return true;
  };
  if (!plain(a) || !plain(b)) return;
  PathBuffer back(L"");
  PathBuffer target(L"");
  if (PathCombine(back.get(), a.c_str(), rel.c_str()) == nullptr ||
      PathCombine(target.get(), b.c_str(), nullptr) == nullptr)
    return;
  std::wstring x = back.text(), y = target.text();
  PathRemoveBackslash(x.data());
  PathRemoveBackslash(y.data());
  Check(SameIgnoringAsciiCase(x.c_str(), y.c_str()));
}

void CheckNative(const std::wstring& text, const std::string& bytes) {
  std::string native;
  if (PathToNative(text.c_str(), native)) {
    // Back as path text: the same but for separators and a drive.
    const std::wstring back = NativeToPath(native.c_str());
    Check(back.size() <= text.size() + 1);
  } else {
    Check(native.empty());
  }
  // Every native name survives the round trip, unless it holds a '\\' or
  // begins like a drive, which path text cannot tell from its own.
  const std::string name = bytes.substr(0, bytes.find('\0'));
  if (name.find('\\') == std::string::npos && !(name.size() >= 2 && name[1] == ':')) {
    std::string again;
    Check(PathToNative(NativeToPath(name.c_str()).c_str(), again) && again == name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  std::wstring first;
  while (!in.empty()) {
    const wchar_t c = in.AsciiUnit();
    if (c == L'\0') break;
    first.push_back(c);
  }
  std::wstring second;
  while (!in.empty()) {
    const wchar_t c = in.AsciiUnit();
    if (c == L'\0') break;
    second.push_back(c);
  }
  // Texts near the 1024-unit bound are reached by repeating the first.
  if (!second.empty() && second[0] == L'*' && !first.empty()) {
    std::wstring longer;
    while (longer.size() < 1000) longer += first;
    first = longer + first;
    second.erase(0, 1);
  }
  CheckUrls(first);
  CheckPathText(first, second);
  CheckNative(first, std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
