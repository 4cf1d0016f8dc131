// Locale date and time texts in German (LANG=de_DE.UTF-8) against the same
// texts from ICU formatters made once (the floor: the layer formats with
// ICU), and long Win32 pictures at two lengths to show the time grows
// with the length, not its square.
#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>
#include <unicode/udat.h>

#include <VelUt/VelUt.h>
#include <WinAPI/Time.h>

namespace {

// 17 May 2024, 08:30:15, as both sides format it (in UTC).
const SYSTEMTIME kWhen = [] {
  SYSTEMTIME st{};
  st.wYear = 2024;
  st.wMonth = 5;
  st.wDay = 17;
  st.wHour = 8;
  st.wMinute = 30;
  st.wSecond = 15;
  return st;
}();
constexpr UDate kWhenUtc = 1715934615000.0;

void German() {
  unsetenv("LC_ALL");
  unsetenv("LC_TIME");
  setenv("LANG", "de_DE.UTF-8", 1);
}

// An ICU formatter of one style, made once.
class Icu {
 public:
  Icu(UDateFormatStyle time, UDateFormatStyle date) {
    UErrorCode st = U_ZERO_ERROR;
    f_ = udat_open(time, date, "de_DE", u"UTC", -1, nullptr, -1, &st);
    if (U_FAILURE(st)) std::abort();
  }
  ~Icu() { udat_close(f_); }
  Icu(const Icu&) = delete;
  Icu& operator=(const Icu&) = delete;
  int32_t Format(UChar* out, int32_t size) const {
    UErrorCode st = U_ZERO_ERROR;
    return udat_format(f_, kWhenUtc, out, size, nullptr, &st);
  }

 private:
  UDateFormat* f_ = nullptr;
};

void FormatDateTime(benchmark::State& state) {
  German();
  const CTime when(2024, 5, 17, 8, 30, 15);
  for (auto _ : state) benchmark::DoNotOptimize(VelUt::FormatDateTimeForUserLocale(when));
}

void IcuDateTime(benchmark::State& state) {
  const Icu date(UDAT_NONE, UDAT_FULL);
  const Icu time(UDAT_MEDIUM, UDAT_NONE);
  UChar buffer[2][256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(date.Format(buffer[0], 256));
    benchmark::DoNotOptimize(time.Format(buffer[1], 256));
  }
}

void LongDate(benchmark::State& state) {
  German();
  wchar_t buffer[1024];
  for (auto _ : state)
    benchmark::DoNotOptimize(
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &kWhen, nullptr, buffer, 1024));
}

void Time(benchmark::State& state) {
  German();
  wchar_t buffer[1024];
  for (auto _ : state)
    benchmark::DoNotOptimize(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &kWhen, nullptr, buffer, 1024));
}

template <UDateFormatStyle kTime, UDateFormatStyle kDate>
void IcuOne(benchmark::State& state) {
  const Icu f(kTime, kDate);
  UChar buffer[256];
  for (auto _ : state) benchmark::DoNotOptimize(f.Format(buffer, 256));
}

// GetTimeFormatW with a picture of range(0) units 'd' (literal text in a
// time picture), GetDateFormatW with "tt" repeated (literal in a date).
void TimePicture(benchmark::State& state) {
  German();
  const std::wstring picture(static_cast<std::size_t>(state.range(0)), L'd');
  wchar_t buffer[1024];
  for (auto _ : state)
    benchmark::DoNotOptimize(
        GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &kWhen, picture.c_str(), buffer, 1024));
}

void DatePicture(benchmark::State& state) {
  German();
  const std::wstring picture(static_cast<std::size_t>(state.range(0)), L't');
  wchar_t buffer[1024];
  for (auto _ : state)
    benchmark::DoNotOptimize(
        GetDateFormatW(LOCALE_USER_DEFAULT, 0, &kWhen, picture.c_str(), buffer, 1024));
}

BENCHMARK(FormatDateTime)->Name("FormatDateTimeForUserLocale/de/velut");
BENCHMARK(IcuDateTime)->Name("FormatDateTimeForUserLocale/de/limit_icu_formatters_made_once");
BENCHMARK(LongDate)->Name("GetDateFormatW/long/de/velut");
BENCHMARK(IcuOne<UDAT_NONE, UDAT_FULL>)
    ->Name("GetDateFormatW/long/de/limit_icu_formatter_made_once");
BENCHMARK(Time)->Name("GetTimeFormatW/de/velut");
BENCHMARK(IcuOne<UDAT_MEDIUM, UDAT_NONE>)->Name("GetTimeFormatW/de/limit_icu_formatter_made_once");
BENCHMARK(TimePicture)
    ->Name("GetTimeFormatW/picture_d")
    ->Arg(70000)
    ->Arg(140000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DatePicture)
    ->Name("GetDateFormatW/picture_t")
    ->Arg(70000)
    ->Arg(140000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
