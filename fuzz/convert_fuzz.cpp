// Texts read as something else: URLs and path text, with the invariants
// that hold for any input; GUID, version and date-time texts, with the
// round trips that must hold and the layer's swscanf_s against glibc's.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include <VelUt/VelUt.h>

#include "fuzz_input.h"

namespace {

using Str = CStdStr<wchar_t>;

// A MAX_PATH buffer on the heap, so that the sanitizer sees every write
// past its end.
struct PathBuffer {
  std::unique_ptr<wchar_t[]> units{new wchar_t[MAX_PATH]};
  explicit PathBuffer(const std::wstring& text = L"") {
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

std::wstring AsciiLower(std::wstring s) {
  for (wchar_t& c : s) c = c >= L'A' && c <= L'Z' ? c + 32 : c;
  return s;
}

bool IsAscii(const std::wstring& s) {
  return std::all_of(s.begin(), s.end(), [](wchar_t c) { return c > 0 && c < 0x80; });
}

void CheckUrls(const std::wstring& text) {
  Str pre(text), trimmed(text);
  trimmed.TrimLeft().TrimRight();
  const bool url = PreProcessUrl(pre);
  FUZZ_CHECK(pre == trimmed ||
             (url && (pre == L"http://" + trimmed || pre == L"ftp://" + trimmed)));
  Str again(pre);
  if (url) FUZZ_CHECK(PreProcessUrl(again) && again == pre);
  const bool is_url = VelUt::IsUrl(text.c_str());
  FUZZ_CHECK(!is_url || url);

  VelString path;
  FUZZ_CHECK(VelUt::UrlToPath(text.c_str(), path));
  const std::wstring converted = path.c_str();
  // A file URL as UrlToPath sees it, for texts whose first units are ASCII.
  const bool file_url = text.size() >= 6 && AsciiLower(text.substr(0, 5)) == L"file:" &&
                        (text[5] == L'/' || text[5] == L'\\');
  if (IsAscii(text.substr(0, 6)) && !file_url) FUZZ_CHECK(converted == text);
  FUZZ_CHECK(converted.size() <= (text.size() > 6 ? text.size() - 6 : text.size()) ||
             converted == text);
  if (file_url) {
    FUZZ_CHECK(converted.find_first_of(L"/|") == std::wstring::npos);
    if (text.size() - 6 >= 1024) FUZZ_CHECK(converted.empty());
  }

  VelString fixed(text.c_str());
  FUZZ_CHECK(VelUt::FixUrl(fixed) == !text.empty());
  const std::wstring fixed_text = fixed.c_str();
  if (is_url)
    FUZZ_CHECK(fixed_text.size() == text.size() && fixed_text.find(L'\\') == std::wstring::npos);
  else
    FUZZ_CHECK(fixed_text == converted);

  const std::wstring folder = VelUt::GetPathFromUrl(text.c_str()).c_str();
  FUZZ_CHECK(folder.size() <= text.size());
  std::wstring local = converted;
  std::replace(local.begin(), local.end(), L'/', L'\\');
  if (!is_url) FUZZ_CHECK(StartsWith(local, folder));
}

// A drive, a separator, and no dot components: a path whose relation to
// another reads the same as the join resolves it.
bool PlainRooted(const std::wstring& p) {
  if (p.size() < 3 || !IsAscii(p) || p[1] != L':' || (p[2] != L'\\' && p[2] != L'/')) return false;
  const wchar_t drive = AsciiLower(p.substr(0, 1))[0];
  if (drive < L'a' || drive > L'z') return false;
  for (std::size_t i = 2; i < p.size(); ++i) {
    if (p[i] != L'.' || (p[i - 1] != L'\\' && p[i - 1] != L'/')) continue;
    const std::size_t j = p.find_first_not_of(L'.', i);
    if (j == std::wstring::npos || p[j] == L'\\' || p[j] == L'/') return false;
  }
  return true;
}

void CheckPathText(const std::wstring& a, const std::wstring& b) {
  // In-place edits only shorten, and keep a prefix.
  PathBuffer p(a), q(a), r(a), s(a);
  const std::wstring before = p.text();
  PathRemoveFileSpec(p.get());
  FUZZ_CHECK(StartsWith(before, p.text()));
  PathRemoveBackslash(q.get());
  FUZZ_CHECK(StartsWith(before, q.text()) && q.text().size() + 1 >= before.size());
  PathRemoveExtension(r.get());
  FUZZ_CHECK(StartsWith(before, r.text()));
  if (PathRenameExtension(s.get(), b.c_str()))
    FUZZ_CHECK(s.text().size() < MAX_PATH);
  else
    FUZZ_CHECK(s.text() == before);
  const wchar_t* ext = PathFindExtension(before.c_str());
  const wchar_t* name = PathFindFileName(before.c_str());
  FUZZ_CHECK(ext >= before.c_str() && ext <= before.c_str() + before.size() &&
             name >= before.c_str() && name <= before.c_str() + before.size());

  // Joining: within MAX_PATH, '\\'-separated, and stable once canonical.
  PathBuffer joined, twice, appended(a);
  if (!PathCombine(joined.get(), a.c_str(), b.c_str())) {
    FUZZ_CHECK(joined.text().empty());
  } else {
    const std::wstring combined = joined.text();
    FUZZ_CHECK(combined.size() < MAX_PATH && combined.find(L'/') == std::wstring::npos);
    FUZZ_CHECK(PathCombine(twice.get(), combined.c_str(), nullptr) && twice.text() == combined);
  }
  if (PathAppend(appended.get(), b.c_str()))
    FUZZ_CHECK(appended.text().size() < MAX_PATH);
  else
    FUZZ_CHECK(appended.text().empty());

  // Relating: within MAX_PATH; for plain rooted folders, joining the
  // result to the start leads back to the target, letter case aside.
  PathBuffer relative, back, target;
  if (!PathRelativePathTo(relative.get(), a.c_str(), FILE_ATTRIBUTE_DIRECTORY, b.c_str(),
                          FILE_ATTRIBUTE_DIRECTORY)) {
    FUZZ_CHECK(relative.text().empty());
    return;
  }
  const std::wstring rel = relative.text();
  FUZZ_CHECK(rel.size() < MAX_PATH &&
             (rel == L"." || StartsWith(rel, L".\\") || StartsWith(rel, L"..")));
  if (!PlainRooted(a) || !PlainRooted(b) || !PathCombine(back.get(), a.c_str(), rel.c_str()) ||
      !PathCombine(target.get(), b.c_str(), nullptr))
    return;
  PathRemoveBackslash(back.get());
  PathRemoveBackslash(target.get());
  FUZZ_CHECK(AsciiLower(back.text()) == AsciiLower(target.text()));
}

void CheckNative(const std::wstring& text, const std::string& bytes) {
  std::string native;
  if (PathToNative(text.c_str(), native))
    FUZZ_CHECK(NativeToPath(native.c_str()).size() <= text.size() + 1);
  else
    FUZZ_CHECK(native.empty());
  // Every native name survives the round trip, unless it holds a '\\' or
  // begins like a drive, which path text cannot tell from its own.
  const std::string name = bytes.substr(0, bytes.find('\0'));
  std::string again;
  if (name.find('\\') == std::string::npos && !(name.size() >= 2 && name[1] == ':'))
    FUZZ_CHECK(PathToNative(NativeToPath(name.c_str()).c_str(), again) && again == name);
}

// Input: two texts, each ended by a NUL unit (units as Input::AsciiUnit
// reads them); a second text beginning with '*' makes the first long.
void UrlsAndPaths(fuzz::Input& in) {
  const std::string bytes(reinterpret_cast<const char*>(in.data()), in.size());
  std::wstring first = in.AsciiRest(SIZE_MAX, true);
  std::wstring second = in.AsciiRest(SIZE_MAX, true);
  // Texts near the 1024-unit bound are reached by repeating the first.
  if (!second.empty() && second[0] == L'*' && !first.empty()) {
    std::wstring longer;
    while (longer.size() < 1000) longer += first;
    first = longer + first;
    second.erase(0, 1);
  }
  CheckUrls(first);
  CheckPathText(first, second);
  CheckNative(first, bytes);
}

// Printable ASCII bytes stand for themselves (so seeds and dictionary
// entries are plain text); other bytes pick from characters that make
// GUIDs, dates and versions likely, and 0xFF brings in any 32-bit unit.
std::wstring ConversionText(fuzz::Input& in) {
  static const wchar_t kAlphabet[] = L"0123456789abcdefABCDEF{}-T:. +xZ\t\u00E9\0";
  std::size_t n = in.Byte() % 121;
  std::wstring s;
  while (n-- > 0 && !in.empty()) {
    const std::uint8_t b = in.Byte();
    if (b == 0xFF)
      s.push_back(static_cast<wchar_t>(in.Int()));
    else
      s.push_back(b >= 0x20 && b < 0x7F ? static_cast<wchar_t>(b)
                                        : kAlphabet[b % (sizeof kAlphabet / sizeof(wchar_t) - 1)]);
  }
  return s;
}

// True when glibc's scan is defined on `s` and must agree: ASCII only
// (glibc reads 0xFFFFFFFF as the end of input and classifies other
// characters by its own tables), and every run of digits short enough that
// no %d overflows.
bool ComparableWithGlibc(const wchar_t* s) {
  int run = 0;
  for (; *s != L'\0'; ++s) {
    if (static_cast<std::uint32_t>(*s) > 0x7F) return false;  // negative ones too
    run = (*s >= L'0' && *s <= L'9') ? run + 1 : 0;
    if (run > 9) return false;
  }
  return true;
}

// Input: a length byte, then the text (see ConversionText). The answers
// themselves are the unit tests' and the velut tool's tables.
void Conversions(fuzz::Input& in) {
  const std::wstring text = ConversionText(in);
  // An accepted GUID is the text, braces completed, as GuidToString writes it.
  _GUID guid, zero{};
  std::memset(&guid, 0x55, sizeof guid);
  if (VelUt::StringToGuid(text.c_str(), guid) != 1) {
    FUZZ_CHECK(std::memcmp(&guid, &zero, sizeof guid) == 0);
  } else {
    std::wstring braced(text.c_str());
    if (braced[0] != L'{') braced.insert(0, 1, L'{');
    if (braced.back() != L'}') braced.push_back(L'}');
    FUZZ_CHECK(AsciiLower(VelUt::GuidToString(guid, 1).c_str()) == AsciiLower(braced));
  }
  unsigned int version = 1;
  FUZZ_CHECK(VelUt::StringToVersion(text, version) == !text.empty() &&
             (!text.empty() || version == 0));

  // Date-time text: the scan agrees with glibc's where both are defined,
  // and an accepted time has its fields in range.
  const wchar_t* pattern = L"%d-%d-%dT%d:%d:%d";
  if (text.size() < 100 && ComparableWithGlibc(text.c_str())) {
    int a[6] = {0, 0, 0, 0, 0, 0}, b[6] = {0, 0, 0, 0, 0, 0};
    const int na = swscanf_s(text.c_str(), pattern, &a[0], &a[1], &a[2], &a[3], &a[4], &a[5]);
    const int nb = std::swscanf(text.c_str(), pattern, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]);
    FUZZ_CHECK(na == nb && std::memcmp(a, b, sizeof a) == 0);
  }
  CTime t(std::int64_t{123});
  const signed char ok = VelUt::StringToTime(text, t);
  FUZZ_CHECK(ok == 1 || t.GetTime() == 123);
  int f[6];
  wchar_t buf[100];
  if (ok == 1)
    FUZZ_CHECK(wcscpy_s(buf, 100, text.c_str()) == 0 &&
               swscanf_s(buf, pattern, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]) == 6 &&
               f[0] >= 1970 && f[0] <= 2038 && f[1] >= 1 && f[1] <= 12 && f[2] >= 1 && f[2] <= 31);
}

}  // namespace

const std::vector<fuzz::Case> fuzz::kCases = {{"URLs and paths", UrlsAndPaths},
                                              {"conversions", Conversions}};
