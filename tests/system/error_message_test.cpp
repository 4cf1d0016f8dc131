// System error texts: the trimming, the fallback code and the last error.
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

namespace {

constexpr DWORD kOwnCode = 0xE0A00001, kFallback = 0x800300FD;

// Two line breaks at most go, then one period, while two units remain. A
// code without a text (an empty one is none) gives the fallback code's;
// without that too, "". 0xFFFFFFFF reads the thread's last error.
TEST(GetSystemErrorMessage, Table) {
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      {L"Done.\r\n", L"Done"}, {L"Done.\n\n", L"Done"},  {L"Done.\r\n\n", L"Done.\r"},
      {L"Done..", L"Done."},   {L"Done. \n", L"Done. "}, {L"\r\n", L"\r"},
      {L".\n", L"."},          {L"x%1y.", L"x%1y"},      {L"", L"Changed"},
  };
  SetSystemMessageText(kFallback, L"Changed.\r\n");
  for (const auto& [text, trimmed] : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(text).size() << " units");
    SetSystemMessageText(kOwnCode, text);
    EXPECT_EQ(VelUt::GetSystemErrorMessage(kOwnCode), trimmed);
  }
  SetSystemMessageText(kFallback, nullptr);
  EXPECT_EQ(VelUt::GetSystemErrorMessage(kOwnCode), L"");
  ResetSystemMessageText(kFallback);
  ResetSystemMessageText(kOwnCode);
  EXPECT_EQ(VelUt::GetSystemErrorMessage(kOwnCode), L"An unexpected error occurred");
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(VelUt::GetSystemErrorMessage(0xFFFFFFFF), L"Access is denied");
}

}  // namespace
