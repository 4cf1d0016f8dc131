// IsUrl and UrlToPath against their steps as written: the whole text is
// lowered and searched for each file-URL prefix, and the rest is copied
// out before it goes to the working array. Ours lowers only the units a
// prefix spans and copies the rest once.
#include <cwchar>
#include <string>

#include <benchmark/benchmark.h>

#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;

bool TranscribedIsUrl(const wchar_t* url) {
  const Str text(url);
  Str s(text);
  if (!PreProcessUrl(s)) return false;
  s = text;
  s.TrimLeft();
  s.MakeLower();
  if (s.Find(L"file://") == 0) return false;
  return s.Find(L"file:\\") != 0;
}

bool TranscribedUrlToPath(const wchar_t* url, VelString& path) {
  const Str text(url);
  Str lower(text);
  lower.MakeLower();
  if (lower.Find(L"file:/") != 0 && lower.Find(L"file:\\") != 0) {
    path.assign(url);
    return true;
  }
  const int length = static_cast<int>(text.size());
  const Str rest = text.Mid(6, length - 6);
  wchar_t work[1024];
  wcscpy_s(work, 1024, rest.c_str());
  wchar_t* p = work;
  while (*p == L'/') p = CharNextW(p);
  if (p[0] == L'\\' && iswalpha(static_cast<wint_t>(p[1]))) ++p;
  for (wchar_t* q = p; *q; ++q) {
    if (*q == L'/')
      *q = L'\\';
    else if (*q == L'|')
      *q = L':';
  }
  path.assign(p);
  return true;
}

// A long local path, as typed locations often are, and a file URL.
std::wstring LongPath() {
  std::wstring s = L"C:\\Users\\someone\\Documents";
  while (s.size() < 4000) s += L"\\Folder With A Long Name";
  return s + L"\\report.txt";
}
const std::wstring kFileUrl =
    L"file:///C:/Users/someone/Documents/Projects/2024/report%20final.txt";

template <bool (*Fn)(const wchar_t*)>
void IsUrl(benchmark::State& state) {
  const std::wstring text =
      L"http://www.example.com/" + (state.range(0) ? LongPath() : L"index.html");
  for (auto _ : state) benchmark::DoNotOptimize(Fn(text.c_str()));
}

template <bool (*Fn)(const wchar_t*, VelString&)>
void UrlToPath(benchmark::State& state) {
  const std::wstring text = state.range(0) ? LongPath() : kFileUrl;
  VelString path;
  for (auto _ : state) {
    Fn(text.c_str(), path);
    benchmark::DoNotOptimize(path.c_str());
  }
}

bool Ours(const wchar_t* url) { return VelUt::IsUrl(url); }
bool OursPath(const wchar_t* url, VelString& path) { return VelUt::UrlToPath(url, path); }

}  // namespace

// range(0): 0 a short text, 1 one with a 4000-unit path.
// long_path:1 gives each text a 4,000-unit path.
BENCHMARK_TEMPLATE(IsUrl, Ours)->Name("IsUrl/velut")->ArgNames({"long_path"})->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(IsUrl, TranscribedIsUrl)
    ->Name("IsUrl/transcription")
    ->ArgNames({"long_path"})
    ->Arg(0)
    ->Arg(1);
BENCHMARK_TEMPLATE(UrlToPath, OursPath)
    ->Name("UrlToPath/velut")
    ->ArgNames({"long_path"})
    ->Arg(0)
    ->Arg(1);
BENCHMARK_TEMPLATE(UrlToPath, TranscribedUrlToPath)
    ->Name("UrlToPath/transcription")
    ->ArgNames({"long_path"})
    ->Arg(0)
    ->Arg(1);
