// The calls a ported program makes thousands of times a second, each
// beside what a Linux programmer would write instead: glibc's wide printf
// and scanf, {fmt}, a plain A-Z fold loop and wcscasecmp, glibc's iconv,
// libuuid and std::filesystem. Every one of those is a limit_*: the table
// gives our time as a multiple of it.
#include <fmt/format.h>
#include <fmt/xchar.h>
#include <iconv.h>
#include <uuid/uuid.h>

#include <cstdint>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;

// ------------------------------------------------------------ Format

const wchar_t* const kName = L"C:\\Users\\someone\\Documents\\report.txt";
constexpr int kItems = 1234;
constexpr double kDone = 56.789;
constexpr unsigned kId = 0xBEEFu;

void Format_velut(benchmark::State& state) {
  Str s;
  for (auto _ : state) {
    s.Format(L"%s: %d items, %.2f%% done, id %08X", kName, kItems, kDone, kId);
    benchmark::DoNotOptimize(s.data());
  }
}

void Format_limit_swprintf(benchmark::State& state) {
  std::wstring s;
  for (auto _ : state) {
    // What a careful caller writes: measure, size once, print.
    wchar_t buffer[256];
    const int n = std::swprintf(buffer, 256, L"%ls: %d items, %.2f%% done, id %08X", kName, kItems,
                                kDone, kId);
    s.assign(buffer, n < 0 ? 0 : static_cast<std::size_t>(n));
    benchmark::DoNotOptimize(s.data());
  }
}

void Format_limit_fmt(benchmark::State& state) {
  std::wstring s;
  for (auto _ : state) {
    s = fmt::format(L"{}: {} items, {:.2f}% done, id {:08X}", kName, kItems, kDone, kId);
    benchmark::DoNotOptimize(s.data());
  }
}

// ------------------------------------------------------------ FormatMessageW

const wchar_t* const kFile = L"C:\\Data\\settings.xml";
const wchar_t* const kReason = L"the file is locked by another process";

void FormatMessageW_velut(benchmark::State& state) {
  wchar_t buffer[256];
  const DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(kFile),
                               reinterpret_cast<DWORD_PTR>(kReason)};
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatMessageW(
        FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, L"Cannot open %1 because %2.",
        0, 0, buffer, 256, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(inserts))));
    benchmark::DoNotOptimize(buffer);
  }
}

void FormatMessageW_limit_swprintf(benchmark::State& state) {
  wchar_t buffer[256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::swprintf(buffer, 256, L"Cannot open %ls because %ls.", kFile, kReason));
    benchmark::DoNotOptimize(buffer);
  }
}

// ------------------------------------------------------------ CompareNoCase

// Two 55-unit paths that differ only in case.
const Str kPathA = L"C:\\Program Files\\Common Files\\Vendor\\Shared\\Config.XML";
const std::wstring kPathB = L"c:\\program files\\common files\\vendor\\shared\\config.xml";

int FoldLoop(const wchar_t* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    const auto f = static_cast<std::uint32_t>(*a >= L'A' && *a <= L'Z' ? *a + 32 : *a);
    const auto l = static_cast<std::uint32_t>(*b >= L'A' && *b <= L'Z' ? *b + 32 : *b);
    if (f == 0 || f != l) return static_cast<int>(f - l);
  }
}

void CompareNoCase_velut(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kPathA.CompareNoCase(kPathB.c_str()));
}

void CompareNoCase_limit_fold_loop(benchmark::State& state) {
  const wchar_t* a = kPathA.c_str();
  const wchar_t* b = kPathB.c_str();
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    benchmark::DoNotOptimize(FoldLoop(a, b));
  }
}

void CompareNoCase_limit_wcscasecmp(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(wcscasecmp(kPathA.c_str(), kPathB.c_str()));
}

// ------------------------------------------------------------ UTF-8

// 12,000 units of mostly ASCII text, with an accented letter, a euro sign
// and a CJK character now and then.
std::wstring MostlyAscii() {
  std::wstring s;
  for (int i = 0; s.size() < 12000; ++i) {
    s += L"The quick brown fox jumps over the lazy dog, line ";
    s += std::to_wstring(i);
    s += (i % 3 == 0) ? L" caf\u00E9" : (i % 3 == 1) ? L" 5 \u20AC" : L" \u6587";
    s += L"\n";
  }
  s.resize(12000);
  return s;
}

struct Utf8Texts {
  std::wstring wide = MostlyAscii();
  std::string utf8;
  Utf8Texts() {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                        nullptr, nullptr);
  }
};
const Utf8Texts& Texts() {
  static const Utf8Texts texts;
  return texts;
}

void WideCharToMultiByte_velut(benchmark::State& state) {
  const auto& t = Texts();
  std::string out(t.utf8.size(), '\0');
  for (auto _ : state)
    benchmark::DoNotOptimize(WideCharToMultiByte(CP_UTF8, 0, t.wide.data(),
                                                 static_cast<int>(t.wide.size()), out.data(),
                                                 static_cast<int>(out.size()), nullptr, nullptr));
}

void WideCharToMultiByte_limit_iconv(benchmark::State& state) {
  const auto& t = Texts();
  std::string out(t.utf8.size(), '\0');
  iconv_t cd = iconv_open("UTF-8", "WCHAR_T");
  for (auto _ : state) {
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(t.wide.data()));
    std::size_t inLeft = t.wide.size() * sizeof(wchar_t);
    char* o = out.data();
    std::size_t outLeft = out.size();
    benchmark::DoNotOptimize(iconv(cd, &in, &inLeft, &o, &outLeft));
    benchmark::DoNotOptimize(o);
  }
  iconv_close(cd);
}

void MultiByteToWideChar_velut(benchmark::State& state) {
  const auto& t = Texts();
  std::wstring out(t.wide.size(), L'\0');
  for (auto _ : state)
    benchmark::DoNotOptimize(MultiByteToWideChar(CP_UTF8, 0, t.utf8.data(),
                                                 static_cast<int>(t.utf8.size()), out.data(),
                                                 static_cast<int>(out.size())));
}

void MultiByteToWideChar_limit_iconv(benchmark::State& state) {
  const auto& t = Texts();
  std::wstring out(t.wide.size(), L'\0');
  iconv_t cd = iconv_open("WCHAR_T", "UTF-8");
  for (auto _ : state) {
    char* in = const_cast<char*>(t.utf8.data());
    std::size_t inLeft = t.utf8.size();
    char* o = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = out.size() * sizeof(wchar_t);
    benchmark::DoNotOptimize(iconv(cd, &in, &inLeft, &o, &outLeft));
    benchmark::DoNotOptimize(o);
  }
  iconv_close(cd);
}

// ------------------------------------------------------------ swscanf_s

const wchar_t* const kDate = L"2024-05-17 13:45:30 build 1234 weight 12.5";

void swscanf_s_velut(benchmark::State& state) {
  int y, mo, d, h, mi, s, b;
  double w;
  for (auto _ : state) {
    benchmark::DoNotOptimize(swscanf_s(kDate, L"%d-%d-%d %d:%d:%d build %d weight %lf", &y, &mo, &d,
                                       &h, &mi, &s, &b, &w));
    benchmark::DoNotOptimize(w);
  }
}

void swscanf_s_limit_swscanf(benchmark::State& state) {
  int y, mo, d, h, mi, s, b;
  double w;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::swscanf(kDate, L"%d-%d-%d %d:%d:%d build %d weight %lf", &y, &mo,
                                          &d, &h, &mi, &s, &b, &w));
    benchmark::DoNotOptimize(w);
  }
}

// ------------------------------------------------------------ GUID text

const GUID kGuid = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

void GuidRoundTrip_velut(benchmark::State& state) {
  GUID back{};
  for (auto _ : state) {
    LPOLESTR text = nullptr;
    StringFromCLSID(kGuid, &text);
    benchmark::DoNotOptimize(CLSIDFromString(text, &back));
    CoTaskMemFree(text);
  }
}

void GuidRoundTrip_limit_libuuid(benchmark::State& state) {
  uuid_t id = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0,
               0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  uuid_t back;
  for (auto _ : state) {
    // A new text each time, as StringFromCLSID hands out.
    auto* text = new char[37];
    uuid_unparse_upper(id, text);
    benchmark::DoNotOptimize(uuid_parse(text, back));
    delete[] text;
  }
}

// ------------------------------------------------------------ PathCombine

void PathCombine_velut(benchmark::State& state) {
  wchar_t dest[MAX_PATH];
  for (auto _ : state)
    benchmark::DoNotOptimize(PathCombine(dest, L"C:\\Users\\someone\\.\\Documents\\Projects",
                                         L"..\\Reports\\.\\2024\\q1.txt"));
}

void PathCombine_limit_filesystem(benchmark::State& state) {
  const std::filesystem::path dir = L"/Users/someone/./Documents/Projects";
  for (auto _ : state) {
    const std::filesystem::path p = (dir / L"../Reports/./2024/q1.txt").lexically_normal();
    benchmark::DoNotOptimize(p.c_str());
  }
}

}  // namespace

BENCHMARK(Format_velut)->Name("Format/velut");
BENCHMARK(Format_limit_swprintf)->Name("Format/limit_swprintf");
BENCHMARK(Format_limit_fmt)->Name("Format/limit_fmt");
BENCHMARK(FormatMessageW_velut)->Name("FormatMessageW/inserts/velut");
BENCHMARK(FormatMessageW_limit_swprintf)->Name("FormatMessageW/inserts/limit_swprintf");
BENCHMARK(CompareNoCase_velut)->Name("CompareNoCase/55/velut");
BENCHMARK(CompareNoCase_limit_fold_loop)->Name("CompareNoCase/55/limit_fold_loop");
BENCHMARK(CompareNoCase_limit_wcscasecmp)->Name("CompareNoCase/55/limit_wcscasecmp");
BENCHMARK(WideCharToMultiByte_velut)->Name("WideCharToMultiByte/12k/velut");
BENCHMARK(WideCharToMultiByte_limit_iconv)->Name("WideCharToMultiByte/12k/limit_iconv");
BENCHMARK(MultiByteToWideChar_velut)->Name("MultiByteToWideChar/12k/velut");
BENCHMARK(MultiByteToWideChar_limit_iconv)->Name("MultiByteToWideChar/12k/limit_iconv");
BENCHMARK(swscanf_s_velut)->Name("swscanf_s/date/velut");
BENCHMARK(swscanf_s_limit_swscanf)->Name("swscanf_s/date/limit_swscanf");
BENCHMARK(GuidRoundTrip_velut)->Name("GuidText/round_trip/velut");
BENCHMARK(GuidRoundTrip_limit_libuuid)->Name("GuidText/round_trip/limit_libuuid");
BENCHMARK(PathCombine_velut)->Name("PathCombine/dots/velut");
BENCHMARK(PathCombine_limit_filesystem)->Name("PathCombine/dots/limit_filesystem");
