// System error texts: the table's texts, the trimming rules, the fallback
// code and the thread's last error.
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

namespace {

constexpr DWORD kFallback = 0x800300FD;
constexpr DWORD kOwnCode = 0xE0A00001;  // a code the table does not hold

// Gives `code` a text (or, with null, no text) for one scope.
class ScopedMessage {
 public:
  ScopedMessage(DWORD code, const wchar_t* text) : code_(code) { SetSystemMessageText(code, text); }
  ~ScopedMessage() { ResetSystemMessageText(code_); }
  ScopedMessage(const ScopedMessage&) = delete;
  ScopedMessage& operator=(const ScopedMessage&) = delete;

 private:
  DWORD code_;
};

TEST(GetSystemErrorMessage, SystemTexts) {
  EXPECT_EQ(VelUt::GetSystemErrorMessage(ERROR_FILE_NOT_FOUND),
            L"The system cannot find the file specified");
  EXPECT_EQ(VelUt::GetSystemErrorMessage(ERROR_ACCESS_DENIED), L"Access is denied");
  EXPECT_EQ(VelUt::GetSystemErrorMessage(0), L"The operation completed successfully");
  EXPECT_EQ(VelUt::GetSystemErrorMessage(kFallback), L"An unexpected error occurred");
}

TEST(GetSystemErrorMessage, TrimmingRules) {
  struct Row {
    const wchar_t* text;
    const wchar_t* trimmed;
  };
  const Row rows[] = {
      {L"Done.\r\n", L"Done"},
      {L"Done.\n", L"Done"},
      {L"Done.\r", L"Done"},
      {L"Done.\n\n", L"Done"},
      {L"Done.\r\n\n", L"Done.\r"},  // period and three breaks: two go, no more
      {L"Done.\n\n\n", L"Done.\n"},
      {L"Done\r\n", L"Done"},
      {L"Done.", L"Done"},
      {L"Done..\r\n", L"Done."},   // one period only
      {L"Done. \r\n", L"Done. "},  // the period must be last
      {L"Done", L"Done"},
      {L".", L"."},  // one character is never cut
      {L"\n", L"\n"},
      {L"\r\n", L"\r"},  // cut only while two characters remain
      {L"a.", L"a"},
      {L"a\n", L"a"},
      {L".\n", L"."},
      {L"a.\n", L"a"},
      {L"x%1y.\r\n", L"x%1y"},  // inserts stay as they are
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.text).size() << " units");
    ScopedMessage own(kOwnCode, r.text);
    EXPECT_EQ(VelUt::GetSystemErrorMessage(kOwnCode), r.trimmed);
  }
}

TEST(GetSystemErrorMessage, FallsBackToTheUnexpectedError) {
  EXPECT_EQ(VelUt::GetSystemErrorMessage(kOwnCode), L"An unexpected error occurred");
  EXPECT_EQ(VelUt::GetSystemErrorMessage(0x7FFFFFFF), L"An unexpected error occurred");
  {
    ScopedMessage empty(kOwnCode, L"");  // an empty text counts as none
    EXPECT_EQ(VelUt::GetSystemErrorMessage(kOwnCode), L"An unexpected error occurred");
  }
  {
    ScopedMessage fallback(kFallback, L"Changed fallback.\r\n");
    EXPECT_EQ(VelUt::GetSystemErrorMessage(kOwnCode), L"Changed fallback");
  }
}

TEST(GetSystemErrorMessage, NeitherCodeHasAText) {
  ScopedMessage none(kFallback, nullptr);
  EXPECT_EQ(VelUt::GetSystemErrorMessage(kOwnCode), L"");
  EXPECT_EQ(VelUt::GetSystemErrorMessage(ERROR_ACCESS_DENIED), L"Access is denied");
}

TEST(GetSystemErrorMessage, LastErrorOfTheCallingThread) {
  SetLastError(ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(VelUt::GetSystemErrorMessage(0xFFFFFFFF), L"The system cannot find the path specified");
  std::wstring other;
  std::thread([&other] {
    SetLastError(ERROR_ACCESS_DENIED);
    other = VelUt::GetSystemErrorMessage(0xFFFFFFFF);
  }).join();
  EXPECT_EQ(other, L"Access is denied");
  EXPECT_EQ(VelUt::GetSystemErrorMessage(0xFFFFFFFF), L"The system cannot find the path specified");
  SetLastError(kOwnCode);
  EXPECT_EQ(VelUt::GetSystemErrorMessage(0xFFFFFFFF), L"An unexpected error occurred");
}

}  // namespace
