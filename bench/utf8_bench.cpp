// UTF-8 both ways, and the text comparisons and searches, on five kinds of
// users' text, each beside the peer a Linux programmer would use: glibc's
// iconv for the conversions, a plain A-Z fold loop for CompareNoCase and
// Boost's ifind_first for FindNoCase. Rows come in pairs named
// BM_<Job>/<class> (ours) and BM_<Job><Peer>/<class>, with <class> one of
// ascii, western, cyrillic, cjk and emoji.
#include <iconv.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include <benchmark/benchmark.h>
#include <boost/algorithm/string/find.hpp>

#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;

constexpr std::size_t kUnits = 12000;

// One sentence of each kind of text, repeated to kUnits units.
enum Class { kAscii, kWestern, kCyrillic, kCjk, kEmoji };

const wchar_t* Sentence(Class c) {
  switch (c) {
    case kAscii:
      return L"The quick brown fox jumps over the lazy dog, line 42 of the report.\n";
    case kWestern:
      // One unit in five outside ASCII, two of them past U+07FF.
      return L"Gr\u00FC\u00DFe aus K\u00F6ln \u2014 na\u00EFve caf\u00E9 \u2713 ";
    case kCyrillic:
      return L"\u0421\u044A\u0435\u0448\u044C \u0436\u0435 \u0435\u0449\u0451 \u044D\u0442\u0438"
             L"\u0445 \u043C\u044F\u0433\u043A\u0438\u0445 \u0444\u0440\u0430\u043D\u0446\u0443"
             L"\u0437\u0441\u043A\u0438\u0445 \u0431\u0443\u043B\u043E\u043A, \u0434\u0430 "
             L"\u0432\u044B\u043F\u0435\u0439 \u0447\u0430\u044E. ";
    case kCjk:
      return L"\u6211\u80FD\u541E\u4E0B\u73BB\u7483\u800C\u4E0D\u4F24\u8EAB\u4F53\u3002"
             L"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3092\u66F8\u304D\u307E\u3059\u3002";
    case kEmoji:
      return L"Meeting at 10 \U0001F642 bring snacks \U0001F355 and ideas \U0001F680! ";
  }
  return L"";
}

// The texts of one class: wide, UTF-8, and the wide one with its ASCII
// letters in the other case.
struct Texts {
  std::wstring wide;
  std::string utf8;
  std::wstring other_case;
  explicit Texts(Class c) {
    while (wide.size() < kUnits) wide += Sentence(c);
    wide.resize(kUnits);
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                        nullptr, nullptr);
    for (const wchar_t u : wide) {
      const bool letter = (u >= L'a' && u <= L'z') || (u >= L'A' && u <= L'Z');
      other_case += letter ? static_cast<wchar_t>(u ^ 0x20) : u;
    }
  }
};

const Texts& TextsOf(Class c) {
  static const Texts texts[] = {Texts(kAscii), Texts(kWestern), Texts(kCyrillic), Texts(kCjk),
                                Texts(kEmoji)};
  return texts[c];
}

void Units(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kUnits));
}

// ------------------------------------------------------------ UTF-8 out

void Utf8Out(benchmark::State& state, Class c) {
  const Texts& t = TextsOf(c);
  std::string out(t.utf8.size(), '\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(WideCharToMultiByte(CP_UTF8, 0, t.wide.data(),
                                                 static_cast<int>(t.wide.size()), out.data(),
                                                 static_cast<int>(out.size()), nullptr, nullptr));
    benchmark::ClobberMemory();
  }
  Units(state);
}

void Utf8OutIconv(benchmark::State& state, Class c) {
  const Texts& t = TextsOf(c);
  std::string out(t.utf8.size(), '\0');
  iconv_t cd = iconv_open("UTF-8", "WCHAR_T");
  for (auto _ : state) {
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(t.wide.data()));
    std::size_t in_left = t.wide.size() * sizeof(wchar_t);
    char* o = out.data();
    std::size_t out_left = out.size();
    benchmark::DoNotOptimize(iconv(cd, &in, &in_left, &o, &out_left));
    benchmark::ClobberMemory();
  }
  iconv_close(cd);
  Units(state);
}

// ------------------------------------------------------------ UTF-8 in

void Utf8In(benchmark::State& state, Class c) {
  const Texts& t = TextsOf(c);
  std::wstring out(t.wide.size(), L'\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(MultiByteToWideChar(CP_UTF8, 0, t.utf8.data(),
                                                 static_cast<int>(t.utf8.size()), out.data(),
                                                 static_cast<int>(out.size())));
    benchmark::ClobberMemory();
  }
  Units(state);
}

void Utf8InIconv(benchmark::State& state, Class c) {
  const Texts& t = TextsOf(c);
  std::wstring out(t.wide.size(), L'\0');
  iconv_t cd = iconv_open("WCHAR_T", "UTF-8");
  for (auto _ : state) {
    char* in = const_cast<char*>(t.utf8.data());
    std::size_t in_left = t.utf8.size();
    char* o = reinterpret_cast<char*>(out.data());
    std::size_t out_left = out.size() * sizeof(wchar_t);
    benchmark::DoNotOptimize(iconv(cd, &in, &in_left, &o, &out_left));
    benchmark::ClobberMemory();
  }
  iconv_close(cd);
  Units(state);
}

// ------------------------------------------------------------ CompareNoCase

// The whole text against itself with its ASCII letters in the other case,
// so that both run to the end.
void CompareNoCase(benchmark::State& state, Class c) {
  const Texts& t = TextsOf(c);
  const Str a(t.wide.c_str());
  for (auto _ : state) benchmark::DoNotOptimize(a.CompareNoCase(t.other_case.c_str()));
  Units(state);
}

int FoldLoop(const wchar_t* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    const auto f = static_cast<std::uint32_t>(*a >= L'A' && *a <= L'Z' ? *a + 32 : *a);
    const auto l = static_cast<std::uint32_t>(*b >= L'A' && *b <= L'Z' ? *b + 32 : *b);
    if (f == 0 || f != l) return static_cast<int>(f - l);
  }
}

void CompareNoCaseFoldLoop(benchmark::State& state, Class c) {
  const Texts& t = TextsOf(c);
  const wchar_t* a = t.wide.c_str();
  const wchar_t* b = t.other_case.c_str();
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    benchmark::DoNotOptimize(FoldLoop(a, b));
  }
  Units(state);
}

// ------------------------------------------------------------ FindNoCase

// A word of the class that the text holds only at its end, in the other
// case where it has one.
const wchar_t* Needle(Class c) {
  switch (c) {
    case kAscii:
      return L"Needle";
    case kWestern:
      return L"Stra\u00DFe";
    case kCyrillic:
      return L"\u0418\u0433\u043B\u0430";
    case kCjk:
      return L"\u9488\u5934";
    case kEmoji:
      return L"\U0001FAA1 sewing";
  }
  return L"";
}

std::wstring Haystack(Class c) {
  std::wstring text = TextsOf(c).wide;
  for (const wchar_t* p = Needle(c); *p != 0; ++p)
    text += *p >= L'a' && *p <= L'z' ? static_cast<wchar_t>(*p - 32) : *p;
  return text;
}

void FindNoCase(benchmark::State& state, Class c) {
  const std::wstring text = Haystack(c);
  for (auto _ : state) benchmark::DoNotOptimize(VelUt::FindNoCase(text.c_str(), Needle(c), 0));
  Units(state);
}

void FindNoCaseBoost(benchmark::State& state, Class c) {
  const std::wstring text = Haystack(c);
  const wchar_t* needle = Needle(c);
  for (auto _ : state) {
    auto range = boost::make_iterator_range(text.c_str(), text.c_str() + text.size());
    benchmark::DoNotOptimize(boost::algorithm::ifind_first(range, needle, g_locale_classic));
  }
  Units(state);
}

// Registers BM_<job>/<class> for every class.
void Register(const char* job, void (*fn)(benchmark::State&, Class)) {
  static const char* const kNames[] = {"ascii", "western", "cyrillic", "cjk", "emoji"};
  for (const Class c : {kAscii, kWestern, kCyrillic, kCjk, kEmoji})
    benchmark::RegisterBenchmark((std::string("BM_") + job + "/" + kNames[c]).c_str(), fn, c);
}

const bool kRegistered = [] {
  Register("Utf8Out", Utf8Out);
  Register("Utf8OutIconv", Utf8OutIconv);
  Register("Utf8In", Utf8In);
  Register("Utf8InIconv", Utf8InIconv);
  Register("CompareNoCase", CompareNoCase);
  Register("CompareNoCaseFoldLoop", CompareNoCaseFoldLoop);
  Register("FindNoCase", FindNoCase);
  Register("FindNoCaseBoost", FindNoCaseBoost);
  return true;
}();

}  // namespace
