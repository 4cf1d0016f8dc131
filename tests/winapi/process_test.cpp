// CreateProcessW: command-line words, finding the program, the child's
// surroundings, waiting, exit codes, and the life of process handles.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Message.h>
#include <WinAPI/Process.h>

#include "support/fake_program.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace {

using velut_test::ReadLines;
using velut_test::ScopedEnv;
using velut_test::TempDir;
using velut_test::WriteRecorder;
using velut_test::WriteScript;

std::vector<std::wstring> Split(const wchar_t* line) {
  int count = -1;
  LPWSTR* argv = CommandLineToArgvW(line, &count);
  std::vector<std::wstring> words;
  for (int i = 0; argv != nullptr && i < count; ++i) words.push_back(argv[i]);
  EXPECT_EQ(argv[count], nullptr);
  LocalFree(argv);
  return words;
}

TEST(CommandLineToArgvW, WindowsRules) {
  using Words = std::vector<std::wstring>;
  struct Row {
    const wchar_t* line;
    Words words;
  };
  const Row rows[] = {
      {L"MsiExec.exe /i setup.msi", {L"MsiExec.exe", L"/i", L"setup.msi"}},
      {L"p  a\t\tb  ", {L"p", L"a", L"b"}},
      {L"p \"a b\" c", {L"p", L"a b", L"c"}},
      {L"p a\"b c\"d", {L"p", L"ab cd"}},
      {L"p \"\"", {L"p", L""}},
      {L"p \\\"a", {L"p", L"\"a"}},
      {L"p \\\\\"a b\"", {L"p", L"\\a b"}},
      {L"p a\\\\\\\"b", {L"p", L"a\\\"b"}},
      {L"p a\\b\\\\c", {L"p", L"a\\b\\\\c"}},
      {L"p \"C:\\dir\\\\\" x", {L"p", L"C:\\dir\\", L"x"}},
      {L"p \"C:\\dir\\\" x", {L"p", L"C:\\dir\" x"}},
      {L"p \"a\"\"b\" c", {L"p", L"a\"b c"}},  // "" in quotes: a quote, quoting ends
      {L"\"C:\\Program Files\\x.exe\" y", {L"C:\\Program Files\\x.exe", L"y"}},
      {L"C:\\a\\\"b c", {L"C:\\a\\\"b", L"c"}},  // backslashes in the program are plain
      {L" p a", {L"", L"p", L"a"}},
      {L"p a;b $(x) `y` | z > f", {L"p", L"a;b", L"$(x)", L"`y`", L"|", L"z", L">", L"f"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.line));
    EXPECT_EQ(Split(r.line), r.words);
  }
  const Words self = Split(L"");
  ASSERT_EQ(self.size(), 1u);
  EXPECT_NE(self[0].find(L"winapi_tests"), std::wstring::npos);
  EXPECT_EQ(CommandLineToArgvW(L"x", nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Starts `line` and waits for it; returns the error code, 0 on success.
DWORD RunLine(const std::wstring& line, const wchar_t* folder = nullptr, LPVOID env = nullptr,
              DWORD flags = 0, BOOL inherit = 0, const wchar_t* application = nullptr) {
  std::wstring buffer = line;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  SetLastError(0);
  if (!CreateProcessW(application, &buffer[0], nullptr, nullptr, inherit, flags, env, folder, &si,
                      &pi))
    return GetLastError();
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(pi.hThread));
  EXPECT_TRUE(CloseHandle(pi.hProcess));
  return 0;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(CreateProcessW, PassesTheWordsWithoutAShell) {
  TempDir dir;
  const std::string log = dir / "log";
  const std::string program = WriteRecorder(dir, "rec", log);
  ASSERT_EQ(RunLine(Wide(program) + L" a;b \"$(touch " + Wide(dir / "PWNED") +
                    L")\" `id` \"two words\" caf\u00E9 *"),
            0u);
  EXPECT_EQ(ReadLines(log),
            (std::vector<std::string>{"[a;b]", "[$(touch " + dir / "PWNED" + ")]", "[`id`]",
                                      "[two words]", "[caf\xC3\xA9]", "[*]"}));
  EXPECT_FALSE(velut_test::Exists(dir / "PWNED"));
}

TEST(CreateProcessW, FindsTheProgramOnPath) {
  TempDir first, second;
  const std::string log = first / "log";
  WriteRecorder(second, "Tool.exe", log);  // later on PATH: not used
  WriteRecorder(first, "tool", log);       // "Tool.exe" -> "Tool" -> "tool"
  WriteRecorder(first, "exact", log);
  WriteRecorder(first, "exact.exe", log + "-exact");
  ScopedEnv path("PATH", (first.path() + ":" + second.path() + ":/usr/bin:/bin").c_str());

  ASSERT_EQ(RunLine(L"Tool.exe one"), 0u);
  EXPECT_EQ(ReadLines(log), std::vector<std::string>{"[one]"});
  ASSERT_EQ(RunLine(L"TOOL.EXE two"), 0u);
  EXPECT_EQ(ReadLines(log), std::vector<std::string>{"[two]"});
  ASSERT_EQ(RunLine(L"exact.exe three"), 0u);  // the exact name wins
  EXPECT_EQ(ReadLines(log + "-exact"), std::vector<std::string>{"[three]"});
  // No extension is added, and names with a folder are not searched.
  EXPECT_EQ(RunLine(L"exac"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RunLine(L"Tool"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RunLine(L"./tool"), ERROR_FILE_NOT_FOUND);
}

// An empty PATH entry and "." name the current folder, as in a shell; with
// no PATH at all the system's default list is searched.
TEST(CreateProcessW, RelativeAndMissingPath) {
  TempDir dir;
  const std::string log = dir / "log";
  WriteRecorder(dir, "here", log);
  velut_test::ScopedCurrentFolder current(dir.path());
  for (const char* path : {":/usr/bin:/bin", "/usr/bin:.:/bin", "./:/usr/bin:/bin"}) {
    SCOPED_TRACE(path);
    ScopedEnv env("PATH", path);
    std::remove(log.c_str());
    ASSERT_EQ(RunLine(L"here a"), 0u);
    EXPECT_EQ(ReadLines(log), std::vector<std::string>{"[a]"});
  }
  // A current folder longer than any first guess at its length.
  std::string deep = dir.path();
  for (int i = 0; i < 6; ++i) deep += "/" + std::string(60, static_cast<char>('a' + i));
  std::filesystem::create_directories(deep);
  std::filesystem::rename(WriteRecorder(dir, "deep", log), deep + "/deep");
  velut_test::ScopedCurrentFolder in_deep(deep);
  {
    ScopedEnv env("PATH", ":/usr/bin:/bin");
    std::remove(log.c_str());
    ASSERT_EQ(RunLine(L"deep b"), 0u);
    EXPECT_EQ(ReadLines(log), std::vector<std::string>{"[b]"});
  }
  ScopedEnv no_path("PATH", nullptr);
  EXPECT_EQ(RunLine(L"true"), 0u);
  EXPECT_EQ(RunLine(L"here"), ERROR_FILE_NOT_FOUND);
}

TEST(CreateProcessW, PathsWithFoldersAndDrives) {
  TempDir dir;
  const std::string log = dir / "log";
  WriteRecorder(dir, "prog", log);
  std::wstring backslashed = Wide(dir / "prog");
  for (wchar_t& c : backslashed)
    if (c == L'/') c = L'\\';
  ASSERT_EQ(RunLine(L"C:" + backslashed + L" x"), 0u);
  EXPECT_EQ(ReadLines(log), std::vector<std::string>{"[x]"});
  ASSERT_EQ(RunLine(L"\"" + Wide(dir / "prog.EXE") + L"\" y"), 0u);
  EXPECT_EQ(ReadLines(log), std::vector<std::string>{"[y]"});
  // The application name, when given, is the program; the line is argv.
  ASSERT_EQ(RunLine(L"anything z", nullptr, nullptr, 0, 0, Wide(dir / "prog").c_str()), 0u);
  EXPECT_EQ(ReadLines(log), std::vector<std::string>{"[z]"});
}

TEST(CreateProcessW, Failures) {
  TempDir dir;
  WriteScript(dir, "noexec", "exit 0\n");
  chmod((dir / "noexec").c_str(), 0644);
  {
    std::ofstream junk(dir / "junk");
    junk << "plain text, no interpreter line\n";
  }
  chmod((dir / "junk").c_str(), 0755);
  ScopedEnv path("PATH", dir.path().c_str());
  struct Row {
    std::wstring line;
    DWORD error;
  };
  const Row rows[] = {
      {L"missing", ERROR_FILE_NOT_FOUND},
      {L"missing.exe", ERROR_FILE_NOT_FOUND},
      {Wide(dir / "missing"), ERROR_FILE_NOT_FOUND},
      {Wide(dir / "nofolder/prog"), ERROR_PATH_NOT_FOUND},
      {L"noexec", ERROR_ACCESS_DENIED},
      {Wide(dir.path()), ERROR_ACCESS_DENIED},
      {L"junk", ERROR_BAD_FORMAT},
      {L" leading-blank", ERROR_INVALID_PARAMETER},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.line);
    EXPECT_EQ(RunLine(r.line), r.error);
  }
  WriteScript(dir, "ok", "exit 0\n");
  EXPECT_EQ(RunLine(L"ok", Wide(dir / "nofolder").c_str()), ERROR_DIRECTORY);
  EXPECT_EQ(RunLine(L"ok", nullptr, nullptr, CREATE_SUSPENDED), ERROR_NOT_SUPPORTED);
  wchar_t line[] = L"ok";
  STARTUPINFOW si{};
  EXPECT_FALSE(
      CreateProcessW(nullptr, line, nullptr, nullptr, 0, 0, nullptr, nullptr, &si, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  PROCESS_INFORMATION pi{};
  EXPECT_FALSE(
      CreateProcessW(nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, &si, &pi));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CreateProcessW, FolderEnvironmentAndDescriptors) {
  TempDir dir;
  const std::string log = dir / "log";
  const std::string program = WriteScript(
      dir, "env",
      "{ pwd; echo \"[$GREETING]\"; test -e /proc/self/fd/$1 && echo open || echo closed; } > '" +
          log + "'\n");
  const int fd = open("/dev/null", O_RDONLY);  // not close-on-exec
  ASSERT_GE(fd, 3);
  const std::wstring line = Wide(program) + L" " + std::to_wstring(fd);

  ASSERT_EQ(RunLine(line, Wide(dir.path()).c_str(), nullptr, 0, 0), 0u);
  std::vector<std::string> lines = ReadLines(log);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], dir.path());
  EXPECT_EQ(lines[2], "closed");

  ASSERT_EQ(RunLine(line, nullptr, nullptr, 0, 1), 0u);
  EXPECT_EQ(ReadLines(log).at(2), "open");

  const wchar_t wide_env[] = L"GREETING=gr\u00FC\u00DF\0PATH=/usr/bin:/bin\0";
  ASSERT_EQ(RunLine(line, nullptr, const_cast<wchar_t*>(wide_env), CREATE_UNICODE_ENVIRONMENT), 0u);
  EXPECT_EQ(ReadLines(log).at(1), "[gr\xC3\xBC\xC3\x9F]");
  const char narrow_env[] = "GREETING=hi\0PATH=/usr/bin:/bin\0";
  ASSERT_EQ(RunLine(line, nullptr, const_cast<char*>(narrow_env)), 0u);
  EXPECT_EQ(ReadLines(log).at(1), "[hi]");
  close(fd);
}

// Starts `script` and returns its handles.
PROCESS_INFORMATION Start(const std::string& script) {
  std::wstring line = Wide(script);
  STARTUPINFOW si{};
  PROCESS_INFORMATION pi{};
  EXPECT_TRUE(
      CreateProcessW(nullptr, &line[0], nullptr, nullptr, 0, 0, nullptr, nullptr, &si, &pi));
  return pi;
}

TEST(WaitForSingleObject, WaitsAndReportsTheExitCode) {
  TempDir dir;
  const PROCESS_INFORMATION pi = Start(WriteScript(dir, "slow", "sleep 0.3\nexit 3\n"));
  EXPECT_NE(pi.hProcess, pi.hThread);
  EXPECT_GT(pi.dwProcessId, 0u);
  EXPECT_EQ(pi.dwThreadId, pi.dwProcessId);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(pi.hThread, 20), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(pi.hThread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, 3u);
  EXPECT_TRUE(CloseHandle(pi.hProcess));
  EXPECT_TRUE(CloseHandle(pi.hThread));

  const PROCESS_INFORMATION killed = Start(WriteScript(dir, "killed", "kill -9 $$\n"));
  EXPECT_EQ(WaitForSingleObject(killed.hProcess, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeProcess(killed.hProcess, &code));
  EXPECT_EQ(code, 128u + 9u);
  CloseHandle(killed.hProcess);
  CloseHandle(killed.hThread);
}

TEST(CloseHandle, HandlesAreCountedAndNotReused) {
  TempDir dir;
  const PROCESS_INFORMATION pi = Start(WriteScript(dir, "quick", "exit 0\n"));
  EXPECT_TRUE(CloseHandle(pi.hProcess));
  EXPECT_EQ(WaitForSingleObject(pi.hThread, INFINITE), WAIT_OBJECT_0);  // still open
  EXPECT_FALSE(CloseHandle(pi.hProcess));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_TRUE(CloseHandle(pi.hThread));
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(-1)));
  const PROCESS_INFORMATION next = Start(WriteScript(dir, "quick", "exit 0\n"));
  EXPECT_NE(next.hProcess, pi.hProcess);
  EXPECT_NE(next.hProcess, pi.hThread);
  WaitForSingleObject(next.hProcess, INFINITE);
  CloseHandle(next.hProcess);
  CloseHandle(next.hThread);
}

// True once /proc shows no process `pid` (reaped), polling up to 10 s.
bool Reaped(DWORD pid) {
  const std::string proc = "/proc/" + std::to_string(pid);
  for (int i = 0; i < 1000; ++i) {
    if (!velut_test::Exists(proc)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(CloseHandle, NoZombieWhetherOrNotAnyoneWaits) {
  TempDir dir;
  const std::string quick = WriteScript(dir, "quick", "exit 0\n");
  // Handles closed at once, before the child ends.
  const PROCESS_INFORMATION closed = Start(WriteScript(dir, "later", "sleep 0.2\n"));
  CloseHandle(closed.hProcess);
  CloseHandle(closed.hThread);
  EXPECT_TRUE(Reaped(closed.dwProcessId));
  // Handles kept open and never waited on.
  const PROCESS_INFORMATION open = Start(quick);
  EXPECT_TRUE(Reaped(open.dwProcessId));
  EXPECT_EQ(WaitForSingleObject(open.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 1;
  EXPECT_TRUE(GetExitCodeProcess(open.hProcess, &code));
  EXPECT_EQ(code, 0u);
  CloseHandle(open.hProcess);
  CloseHandle(open.hThread);
}

}  // namespace
