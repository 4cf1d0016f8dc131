// Eight threads call the conversion and system functions at once. Each
// works on its own data; run under ThreadSanitizer (the tsan preset) this
// finds any state they share by accident. The last error is per thread.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/fake_program.h"
#include "support/locale_env.h"
#include "support/scoped_env.h"
#include "threads/run_threads.h"

namespace {

constexpr int kRounds = 200;

// One thread's work; returns the number of wrong results.
int Work(int id) {
  int wrong = 0;
  auto check = [&wrong](bool ok) { wrong += ok ? 0 : 1; };
  const DWORD codes[] = {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND,
                         ERROR_INVALID_PARAMETER};
  const std::wstring texts[] = {L"The system cannot find the file specified", L"Access is denied",
                                L"The system cannot find the path specified",
                                L"The parameter is incorrect"};
  for (int round = 0; round < kRounds; ++round) {
    // GUID text.
    _GUID g{};
    g.Data1 = static_cast<DWORD>(id * 100000 + round + 1);
    g.Data4[7] = static_cast<BYTE>(round);
    const CStdStr<wchar_t> text = VelUt::GuidToString(g, round % 2);
    _GUID back;
    check(VelUt::StringToGuid(text.c_str(), back) == 1 && std::memcmp(&g, &back, sizeof g) == 0);
    check(VelUt::IsZeroGuid(back) == 0);

    // Date-time and version text.
    CTime t;
    const std::wstring when =
        L"2024-05-" + std::to_wstring(1 + round % 28) + L"T" + std::to_wstring(id) + L":30:00";
    check(VelUt::StringToTime(when, t) == 1 && t.GetHour() == id && t.GetDay() == 1 + round % 28);
    unsigned int version = 0;
    check(VelUt::StringToVersion(std::to_wstring(id) + L"." + std::to_wstring(round), version) ==
              1 &&
          version == ((static_cast<unsigned>(id) << 16) | static_cast<unsigned>(round)));
    if (round % 20 == 0)
      check(VelUt::FormatDateTimeForUserLocale(t).find(L"2024") != std::wstring::npos);

    // Error texts, the thread's own last error included.
    const int k = (id + round) % 4;
    SetLastError(codes[k]);
    std::this_thread::yield();
    check(VelUt::GetSystemErrorMessage(0xFFFFFFFF) == texts[k]);
    check(GetLastError() == codes[k]);

    // Installer starts, waited for and not.
    if (round % 50 == 0) {
      check(VelUt::StartMsiInstallation(L"t" + std::to_wstring(id) + L".msi", L"/qn",
                                        static_cast<signed char>(round % 100 == 0)) == 1);
    }
  }
  return wrong;
}

TEST(Threads, StatelessFunctionsAtOnce) {
  velut_test::TempFolder bin;
  velut_test::WriteScript(bin, "MsiExec.exe", "exit 0\n");
  // The environment is set before any thread starts and not touched after.
  velut_test::ScopedEnv path("PATH", (bin.path().string() + ":/usr/bin:/bin").c_str());
  velut_test::ScopedUserLocale locale("de_DE.UTF-8");

  EXPECT_EQ(velut_test::RunOnThreads(Work), 0);
}

}  // namespace
