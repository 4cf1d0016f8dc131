// Error texts; the installer launch against a stand-in "MsiExec.exe" on PATH recording its words.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/fake_program.h"
#include "support/rows.h"
#include "support/scoped_env.h"

namespace {

using Lines = std::vector<std::string>;

std::vector<std::wstring> g_boxes;  // the text, type and help id of each

int RecordBox(const wchar_t* text, UINT type, UINT help) {
  g_boxes.push_back(text + (L"|" + std::to_wstring(type) + L"|" + std::to_wstring(help)));
  return IDOK;
}

class StartMsiInstallation : public testing::Test {
 protected:
  void SetUp() override { previous_ = AfxSetMessageBoxHandler(RecordBox); }
  void TearDown() override { AfxSetMessageBoxHandler(previous_); }

  velut_test::TempFolder bin_;
  const std::string log_ = bin_ / "words";
  const std::string installer_ = velut_test::WriteRecorder(bin_, "MsiExec.exe", log_, "0.2");
  velut_test::ScopedEnv path_{"PATH", (bin_.path().string() + ":/usr/bin:/bin").c_str()};
  AFX_MESSAGEBOX_HANDLER previous_ = nullptr;
};

// {file|args, the words}: "/p" for the extension ".msp" in any case, the file and arguments
// as they are, the line trimmed. Waiting returns once the installer has ended. A start that
// fails gives 0 and shows the system's text for its error.
TEST_F(StartMsiInstallation, CommandLinesAndFailedStarts) {
  const std::pair<std::wstring, Lines> rows[] = {
      {L"C:\\fix.MSP|/qn", {"[/p]", "[C:\\fix.MSP]", "[/qn]"}},
      {L"a.msp2|", {"[/i]", "[a.msp2]"}},
      {L"C:\\My Files\\a.msi|/qn", {"[/i]", "[C:\\My]", "[Files\\a.msi]", "[/qn]"}},
      {L"|/x {1234}", {"[/x]", "[{1234}]"}},
  };
  velut_test::ForEachRow(rows, [this](auto& request, auto& words) {
    const std::size_t bar = request.find(L'|');
    std::remove(log_.c_str());
    EXPECT_EQ(VelUt::StartMsiInstallation(request.substr(0, bar), request.substr(bar + 1), 1), 1);
    EXPECT_EQ(velut_test::ReadLines(log_), words);
  });
  EXPECT_EQ(VelUt::StartMsiInstallation(L"", L"", 1), 0);  // nothing to start
  velut_test::WriteRecorder(bin_, "MsiExec.exe", log_, "2");
  std::remove((log_ + ".done").c_str());
  EXPECT_EQ(VelUt::StartMsiInstallation(L"later.msi", L"", 0), 1);  // returns at once
  EXPECT_FALSE(velut_test::Exists(log_ + ".done"));
  EXPECT_TRUE(velut_test::WaitForFile(log_ + ".done"));
  EXPECT_TRUE(g_boxes.empty());
  chmod(installer_.c_str(), 0644);
  EXPECT_EQ(VelUt::StartMsiInstallation(L"setup.msi", L"", 1), 0);
  velut_test::ScopedEnv nowhere("PATH", "/velut-missing");
  EXPECT_EQ(VelUt::StartMsiInstallation(L"setup.msi", L"/qn", 1), 0);
  EXPECT_EQ(g_boxes, (std::vector<std::wstring>{L"Access is denied|0|0",
                                                L"The system cannot find the file specified|0|0"}));
}

constexpr DWORD kOwnCode = 0xE0A00001, kFallback = 0x800300FD;

// Two line breaks at most go (a bare LF is a CR LF), then one period, while two units remain. A
// code without a text (an empty one is none, one with inserts fails) gives the fallback's, or "".
TEST(GetSystemErrorMessage, TrimsLineBreaksAndOnePeriod) {
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      {L"Done.\r\n", L"Done"}, {L"Done.\n\n", L"Done.\r\n"}, {L"Done.\r\n\n", L"Done.\r\n"},
      {L"Done..", L"Done."},   {L"Done. \n", L"Done. "},     {L"\r\n", L"\r"},
      {L".\n", L"."},          {L"x%1y.", L"Changed"},       {L"", L"Changed"},
  };
  SetSystemMessageText(kFallback, L"Changed.\r\n");
  velut_test::ForEachRow(rows, [](auto& text, auto& trimmed) {
    SetSystemMessageText(kOwnCode, text);
    EXPECT_EQ(trimmed, VelUt::GetSystemErrorMessage(kOwnCode));
  });
  SetSystemMessageText(kFallback, nullptr);
  EXPECT_EQ(L"", VelUt::GetSystemErrorMessage(kOwnCode)) << "no text, no fallback";
  ResetSystemMessageText(kFallback);
  ResetSystemMessageText(kOwnCode);
}

}  // namespace
