// CreateProcessW and process handles: words, the program, the child's surroundings, reaping.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <WinAPI/Error.h>
#include <WinAPI/Message.h>
#include <WinAPI/Process.h>

#include "support/fake_program.h"
#include "support/rows.h"
#include "support/scoped_env.h"
#include "support/text.h"

namespace {

using velut_test::ReadLines;
using velut_test::ScopedEnv;
using velut_test::TempFolder;
using velut_test::Wide;
using velut_test::WriteRecorder;
using velut_test::WriteScript;
using Lines = std::vector<std::string>;

TEST(CommandLineToArgvW, WindowsRules) {
  const std::tuple<const wchar_t*, std::vector<std::wstring>> rows[] = {
      {L"p  a\"b c\"d\t\te  ", {L"p", L"ab cd", L"e"}},
      {L"p \"\"", {L"p", L""}},
      {L"p \\\\\"a b\"", {L"p", L"\\a b"}},      // 2n backslashes, a quote: n and quoting
      {L"p a\\\\\\\"b", {L"p", L"a\\\"b"}},      // 2n+1: n and a plain quote
      {L"p a\\b\\\\c", {L"p", L"a\\b\\\\c"}},    // not before a quote: as they stand
      {L"p \"a\"\"b\" c", {L"p", L"a\"b c"}},    // "" in quotes: a quote, quoting ends
      {L"C:\\a\\\"b c", {L"C:\\a\\\"b", L"c"}},  // backslashes in the program are plain
      {L"\"C:\\Program Files\\x.exe\" y", {L"C:\\Program Files\\x.exe", L"y"}},
      {L" p a", {L"", L"p", L"a"}}};
  velut_test::ForEachRow(rows, [&](auto& line, auto& words) {
    int count = -1;
    LPWSTR* argv = CommandLineToArgvW(line, &count);
    ASSERT_NE(argv, nullptr);
    EXPECT_EQ(argv[count], nullptr);
    EXPECT_EQ(std::vector<std::wstring>(argv, argv + count), words);
    LocalFree(argv);
  });
  int count = 0;
  LPWSTR* self = CommandLineToArgvW(L"", &count);  // the program's own path text
  ASSERT_EQ(count, 1);
  EXPECT_NE(std::wstring(self[0]).find(L"\\winapi_tests"), std::wstring::npos);
  LocalFree(self);
  EXPECT_EQ(CommandLineToArgvW(L"x", nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Starts `line` (an empty `app` or `folder` is none) and waits, unless the handles are asked
// for in `started`; the error, or 0.
DWORD RunLine(std::wstring line, const std::wstring& app = L"", const std::wstring& folder = L"",
              DWORD flags = 0, const void* env = nullptr, BOOL inherit = FALSE,
              PROCESS_INFORMATION* started = nullptr) {
  STARTUPINFOW si{};
  PROCESS_INFORMATION pi{};
  SetLastError(0);
  if (!CreateProcessW(app.empty() ? nullptr : app.c_str(), &line[0], nullptr, nullptr, inherit,
                      flags, const_cast<void*>(env), folder.empty() ? nullptr : folder.c_str(), &si,
                      &pi))
    return GetLastError();
  if (started != nullptr) return *started = pi, 0;
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(pi.hThread));
  EXPECT_TRUE(CloseHandle(pi.hProcess));
  return 0;
}

// Which program a line starts and with which words, never through a shell.
TEST(CreateProcessW, FindsAndStartsTheProgram) {
  if (std::getenv("VELUT_EMULATED")) GTEST_SKIP() << "qemu-user loses the errors of exec";
  TempFolder dir, later;
  const std::string log = dir / "log-";
  WriteRecorder(dir, "tool", log + "tool");  // "Tool.exe" -> "Tool" -> "tool"
  WriteRecorder(dir, "exact", log + "exact");
  WriteRecorder(dir, "exact.exe", log + "exact.exe");
  WriteRecorder(later, "Tool.exe", log + "later");  // later on PATH: not used
  chmod(WriteScript(dir, "noexec", "exit 0\n").c_str(), 0644);
  std::ofstream(dir / "junk") << "plain text, no interpreter line\n";
  chmod((dir / "junk").c_str(), 0755);
  std::ofstream busy(dir / "busy");  // open for writing while it is started
  chmod((dir / "busy").c_str(), 0755);
  ScopedEnv path("PATH", (dir.path().string() + ":" + later.path().string() + ":/bin").c_str());
  const std::wstring d = Wide(dir.path()), pwned = Wide(dir / "PWNED");
  std::wstring windows = L"\"C:" + d + L"/tool.EXE\" x";  // a drive, '\\', quotes, ".EXE"
  for (wchar_t& c : windows) c = c == L'/' ? L'\\' : c;
  const std::wstring shell = L"tool a;b \"$(touch " + pwned + L")\" `id` caf\u00E9 *";
  const Lines shell_words = {"[a;b]", "[$(touch " + velut_test::Utf8(pwned) + ")]", "[`id`]",
                             "[caf\xC3\xA9]", "[*]"};
  struct Row {
    const char* name;
    std::wstring line;
    DWORD error = 0;
    std::string who = "";  // the program that ran, by its log
    Lines words = {};
    std::wstring app = L"", folder = L"";
  };
  const Row rows[] = {
      {"a name found in any case", L"Tool.exe one", 0, "tool", {"[one]"}},
      {"the exact name first", L"exact.exe three", 0, "exact.exe", {"[three]"}},
      {"a drive, '\\', quotes, \".EXE\"", windows, 0, "tool", {"[x]"}},
      {"the application is the program", L"any z", 0, "tool", {"[z]"}, d + L"/tool", d},
      {"no shell", shell, 0, "tool", shell_words},
      {"no extension is added", L"exac", ERROR_FILE_NOT_FOUND},
      {"no folder", d + L"/nofolder/tool", ERROR_PATH_NOT_FOUND},
      {"not executable", L"noexec", ERROR_ACCESS_DENIED},
      {"a folder", d, ERROR_ACCESS_DENIED},
      {"no program", L"junk", ERROR_BAD_FORMAT},
      {"open for writing", L"busy", ERROR_SHARING_VIOLATION},
      {"too long", L"tool " + std::wstring(200000, L'x'), ERROR_FILENAME_EXCED_RANGE},
      {"a leading space", L" tool", ERROR_INVALID_PARAMETER},
      {"no current folder", L"tool", ERROR_DIRECTORY, "", {}, L"", d + L"/nofolder"}};
  velut_test::ForEachRow(rows, [&log](const Row& row) {
    EXPECT_EQ(row.error, RunLine(row.line, row.app, row.folder));
    EXPECT_EQ(row.words, ReadLines(log + row.who));
    std::remove((log + row.who).c_str());
  });
  EXPECT_FALSE(velut_test::Exists(dir / "PWNED"));
  EXPECT_EQ(RunLine(L"tool", L"", L"", CREATE_SUSPENDED), ERROR_NOT_SUPPORTED);
  wchar_t line[] = L"tool";
  STARTUPINFOW si{};
  EXPECT_FALSE(
      CreateProcessW(nullptr, line, nullptr, nullptr, 0, 0, nullptr, nullptr, &si, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// An empty PATH entry and "." are the current folder; no PATH: the system's default list.
TEST(CreateProcessW, PathEntriesAndTheCurrentFolder) {
  TempFolder dir;
  const std::string deep = velut_test::NativeOf(velut_test::MakeFolderOfLength(dir / "d", 400));
  const std::string log = dir / "log";
  WriteRecorder(dir, "here", log);
  std::filesystem::rename(WriteRecorder(dir, "deep", log), deep + "/deep");
  struct Row {
    const char *name, *path;  // PATH, null: unset
    std::string folder;       // the current folder
    const wchar_t* line;
    DWORD error;
    Lines words;
  };
  const Row rows[] = {
      {"a dot", "/usr/bin:.:/bin", dir.path(), L"here a", 0, {"[a]"}},
      {"a deep current folder", ":/usr/bin:/bin", deep, L"deep a", 0, {"[a]"}},
      {"a drive: not searched", "/usr/bin:/bin", dir.path(), L"C:here a", 0, {"[a]"}},
      {"the default list", nullptr, dir.path(), L"true", 0, {}},
      {"the default list lacks ./", nullptr, dir.path(), L"here", ERROR_FILE_NOT_FOUND, {}}};
  velut_test::ForEachRow(rows, [&log](const Row& row) {
    ScopedEnv path("PATH", row.path);
    velut_test::ScopedCurrentFolder here(row.folder);
    EXPECT_EQ(row.error, RunLine(row.line));
    EXPECT_EQ(row.words, ReadLines(log));
    std::remove(log.c_str());
  });
}

// The child's folder, environment block (wide or narrow), inherited descriptors; and "2": none
// of signals 1-31 blocked or ignored, whatever the parent blocks or ignores.
TEST(CreateProcessW, FolderEnvironmentAndDescriptors) {
  TempFolder dir;
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &old);
  const std::shared_ptr<void> restore(nullptr, [&old, ignored = signal(SIGUSR2, SIG_IGN)](void*) {
    signal(SIGUSR2, ignored);  // however the test ends
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
  });
  const std::string log = dir / "log", here = std::filesystem::current_path();
  const int fd = open("/dev/null", O_RDONLY);  // not close-on-exec
  const std::wstring line =
      Wide(WriteScript(
          dir, "env",
          "{ pwd; echo \"[$GREETING]\"; echo $(test -e /proc/self/fd/$1 && echo open "
          "|| echo closed) $(grep -c '^Sig[BI][lg][kn]:.*[08]0000000$' /proc/self/status); } > '" +
              log + "'\n")) +
      L" " + std::to_wstring(fd);
  const wchar_t wide[] = L"GREETING=gr\u00FC\u00DF\0PATH=/usr/bin:/bin\0";
  struct Row {
    const char* name;
    std::wstring folder;
    Lines lines;  // what the child sees
    BOOL inherit = FALSE;
    const void* env = nullptr;
    DWORD flags = 0;
  };
  const Row rows[] = {{"a folder", Wide(dir.path()), {dir.path(), "[]", "closed 2"}},
                      {"inherited", L"", {here, "[]", "open 2"}, TRUE},
                      {"a wide block",
                       L"",
                       {here, "[gr\xC3\xBC\xC3\x9F]", "closed 2"},
                       FALSE,
                       wide,
                       CREATE_UNICODE_ENVIRONMENT},
                      {"a narrow block",
                       L"",
                       {here, "[hi]", "closed 2"},
                       FALSE,
                       "GREETING=hi\0PATH=/usr/bin:/bin\0"}};
  velut_test::ForEachRow(rows, [&](const Row& row) {
    ScopedEnv greeting("GREETING", nullptr);
    ASSERT_EQ(0u, RunLine(line, L"", row.folder, row.flags, row.env, row.inherit));
    EXPECT_EQ(row.lines, ReadLines(log));
  });
  close(fd);
}

// Both handles wait and give the exit code (128 + a signal); the child is reaped unwaited.
TEST(WaitForSingleObject, WaitsReportsReapsAndCloses) {
  TempFolder dir;
  const std::tuple<const char*, DWORD> rows[] = {{"sleep 0.3\nexit 3\n", 3},
                                                 {"kill -9 $$\n", 128 + 9}};
  HANDLE closed = nullptr;
  velut_test::ForEachRow(rows, [&](auto& body, auto& exit_code) {
    PROCESS_INFORMATION pi{};
    ASSERT_EQ(RunLine(Wide(WriteScript(dir, "child", body)), L"", L"", 0, nullptr, 0, &pi), 0u);
    EXPECT_EQ(pi.dwThreadId, pi.dwProcessId);
    EXPECT_NE(pi.hProcess, closed) << "the process handle is a new one";
    EXPECT_NE(pi.hThread, closed) << "the thread handle is a new one";
    EXPECT_NE(pi.hProcess, pi.hThread) << "the process and its thread have a handle each";
    DWORD code = 0;
    if (exit_code == 3) {
      EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
      EXPECT_EQ(code, STILL_ACTIVE);
      EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_TIMEOUT);
      EXPECT_EQ(WaitForSingleObject(pi.hThread, 20), WAIT_TIMEOUT);
    }
    // The child still running is closed before it is reaped, the others after.
    const BOOL closed_early = exit_code == 3 ? CloseHandle(pi.hProcess) : TRUE;
    // Reaped: /proc shows no such process, not even a zombie, within 10 s.
    const std::string proc = "/proc/" + std::to_string(pi.dwProcessId);
    for (int i = 0; i < 1000 && velut_test::Exists(proc); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(velut_test::Exists(proc)) << "the child is reaped";
    const BOOL released = exit_code == 3 ? closed_early : CloseHandle(pi.hProcess);
    EXPECT_TRUE(released) << "the process handle closes";
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(pi.hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(pi.hThread, &code));
    EXPECT_EQ(code, exit_code);
    EXPECT_FALSE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_TRUE(CloseHandle(pi.hThread));
    closed = pi.hProcess;
  });
  for (HANDLE h : {closed, HANDLE{}, reinterpret_cast<HANDLE>(-1)}) {
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  }
}

}  // namespace
