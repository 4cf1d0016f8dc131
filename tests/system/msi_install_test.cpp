// The installer launch, against a stand-in "MsiExec.exe" on PATH that
// records the words it receives.
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/fake_program.h"
#include "support/scoped_env.h"

namespace {

using Lines = std::vector<std::string>;
using velut_test::Exists;
using velut_test::ReadLines;
using velut_test::ScopedEnv;
using velut_test::TempFolder;

struct Box {
  std::wstring text;
  UINT type;
  UINT help;
};
std::vector<Box> g_boxes;

int RecordBox(const wchar_t* text, UINT type, UINT help) {
  g_boxes.push_back(Box{text, type, help});
  return IDOK;
}

// Children of this process that ended but were never reaped.
int Zombies() {
  int count = 0;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return 0;
  while (dirent* e = readdir(proc)) {
    std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || close + 4 >= line.size()) continue;
    const char state = line[close + 2];
    const long ppid = std::strtol(line.c_str() + close + 4, nullptr, 10);
    if (state == 'Z' && ppid == getpid()) ++count;
  }
  closedir(proc);
  return count;
}

class StartMsiInstallation : public testing::Test {
 protected:
  void SetUp() override {
    g_boxes.clear();
    previous_ = AfxSetMessageBoxHandler(RecordBox);
    velut_test::WriteRecorder(bin_, "MsiExec.exe", log_);
  }
  void TearDown() override { AfxSetMessageBoxHandler(previous_); }

  // Runs the installer and waits for it; returns the words it received.
  Lines Words(const wchar_t* file, const wchar_t* args) {
    std::remove(log_.c_str());
    EXPECT_EQ(VelUt::StartMsiInstallation(file, args, 1), 1);
    EXPECT_TRUE(Exists(log_)) << "the wait returned before the installer ended";
    return ReadLines(log_);
  }

  TempFolder bin_;
  TempFolder work_;
  const std::string log_ = work_ / "words";
  ScopedEnv path_{"PATH", (bin_.path().string() + ":/usr/bin:/bin").c_str()};
  AFX_MESSAGEBOX_HANDLER previous_ = nullptr;
};

TEST_F(StartMsiInstallation, CommandLines) {
  struct Row {
    const wchar_t* file;
    const wchar_t* args;
    Lines words;
  };
  const Row rows[] = {
      {L"C:\\Updates\\fix.MSP", L"/qn", {"[/p]", "[C:\\Updates\\fix.MSP]", "[/qn]"}},
      {L"setup.msi", L"", {"[/i]", "[setup.msi]"}},
      {L"patch.msp.bak", L"", {"[/i]", "[patch.msp.bak]"}},
      {L"readme", L"", {"[/i]", "[readme]"}},
      {L"x.Msp", L"", {"[/p]", "[x.Msp]"}},
      {L".msp", L"", {"[/p]", "[.msp]"}},
      {L"a.ms", L"", {"[/i]", "[a.ms]"}},
      {L"a.msp2", L"", {"[/i]", "[a.msp2]"}},
      {L"dir.msp\\file", L"", {"[/i]", "[dir.msp\\file]"}},
      {L"C:\\Program Files\\app.msi",
       L"/qn",
       {"[/i]", "[C:\\Program]", "[Files\\app.msi]", "[/qn]"}},
      {L"my patch.msp", L"", {"[/p]", "[my]", "[patch.msp]"}},
      {L"\"C:\\Program Files\\app.msi\"",
       L"/qn",
       {"[/i]", "[C:\\Program Files\\app.msi]", "[/qn]"}},
      {L"",
       L"/x {12345678-9ABC-DEF0-0123-456789ABCDEF}",
       {"[/x]", "[{12345678-9ABC-DEF0-0123-456789ABCDEF}]"}},
      {L"  setup.msi ", L" /qn  ", {"[/i]", "[setup.msi]", "[/qn]"}},
      {L"caf\u00E9.msi", L"LANG=fr", {"[/i]", "[caf\xC3\xA9.msi]", "[LANG=fr]"}},
      {L"", L"   ", {}},  // blanks are arguments, trimmed away
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message()
                 << "file '" << std::wstring(r.file) << "' args '" << std::wstring(r.args) << "'");
    EXPECT_EQ(Words(r.file, r.args), r.words);
  }
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(StartMsiInstallation, NothingGivenStartsNothing) {
  EXPECT_EQ(VelUt::StartMsiInstallation(L"", L"", 1), 0);
  EXPECT_EQ(VelUt::StartMsiInstallation(L"", L"", 0), 0);
  EXPECT_FALSE(Exists(log_));
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(StartMsiInstallation, FileNamesNeverReachAShell) {
  const std::string pwned = work_ / "PWNED";
  const std::wstring p(pwned.begin(), pwned.end());
  const std::wstring files[] = {
      L"a.msi; touch " + p,   L"$(touch " + p + L")", L"`touch " + p + L"`",
      L"a.msi && touch " + p, L"a.msi | touch " + p,  L"a.msi\n touch " + p,
  };
  for (const std::wstring& file : files) {
    SCOPED_TRACE(testing::Message() << file);
    const Lines words = Words(file.c_str(), (L"> " + p).c_str());
    EXPECT_GE(words.size(), 3u);
    EXPECT_FALSE(Exists(pwned));
  }
  EXPECT_EQ(Words((L"$(touch " + p + L")").c_str(), L""),
            (Lines{"[/i]", "[$(touch]", "[" + pwned + ")]"}));
}

TEST_F(StartMsiInstallation, WaitReallyWaits) {
  velut_test::WriteRecorder(bin_, "MsiExec.exe", log_, "0.5");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(VelUt::StartMsiInstallation(L"slow.msi", L"", 1), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450));
  EXPECT_TRUE(Exists(log_ + ".done"));
}

TEST_F(StartMsiInstallation, WithoutWaitReturnsAndLeavesNoZombie) {
  velut_test::WriteRecorder(bin_, "MsiExec.exe", log_, "2");
  EXPECT_EQ(VelUt::StartMsiInstallation(L"later.msi", L"/qn", 0), 1);
  EXPECT_FALSE(Exists(log_ + ".done"));  // still sleeping
  ASSERT_TRUE(velut_test::WaitForFile(log_ + ".done"));
  EXPECT_EQ(ReadLines(log_), (Lines{"[/i]", "[later.msi]", "[/qn]"}));
  int zombies = -1;
  for (int i = 0; i < 500 && zombies != 0; ++i) {
    zombies = Zombies();
    if (zombies != 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(zombies, 0);
}

TEST_F(StartMsiInstallation, FindsAnInstalledMsiexec) {
  std::remove((bin_ / "MsiExec.exe").c_str());
  velut_test::WriteRecorder(bin_, "msiexec", log_);
  EXPECT_EQ(Words(L"setup.msi", L""), (Lines{"[/i]", "[setup.msi]"}));
}

TEST_F(StartMsiInstallation, NoInstallerShowsOneBox) {
  TempFolder empty;
  ScopedEnv path("PATH", empty.path().c_str());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(VelUt::StartMsiInstallation(L"setup.msi", L"/qn", 1), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, L"The system cannot find the file specified");
  EXPECT_EQ(g_boxes[0].type, 0u);
  EXPECT_EQ(g_boxes[0].help, 0u);
  EXPECT_FALSE(Exists(log_));
}

TEST_F(StartMsiInstallation, UnrunnableInstallerShowsItsError) {
  chmod((bin_ / "MsiExec.exe").c_str(), 0644);
  EXPECT_EQ(VelUt::StartMsiInstallation(L"setup.msi", L"", 0), 0);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, L"Access is denied");
}

}  // namespace
