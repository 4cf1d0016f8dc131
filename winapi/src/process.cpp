// CreateProcessW over posix_spawn, with process handles kept in a table
// and every child reaped by a waiter thread of its own.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include <WinAPI/Error.h>
#include <WinAPI/File.h>
#include <WinAPI/Message.h>
#include <WinAPI/Process.h>

#include <textbase/unicode.h>

#include "command_line.h"
#include "errno_map.h"
#include "program_search.h"

extern char** environ;

namespace {

std::string ToUtf8(const std::wstring& text) {
  return velut::textbase::Utf8FromWide(text, velut::textbase::Utf8Rule::kReplace);
}

bool HasDrive(const std::wstring& s) {
  return s.size() >= 2 && s[1] == L':' &&
         ((s[0] >= L'A' && s[0] <= L'Z') || (s[0] >= L'a' && s[0] <= L'z'));
}

bool HasFolder(const std::wstring& s) {
  return HasDrive(s) || s.find_first_of(L"/\\") != std::wstring::npos;
}

// The native form of a path ("" for text no file name can hold).
std::string NativePath(const std::wstring& s) {
  std::string native;
  PathToNative(s.c_str(), native);
  return native;
}

// The "name=value" texts of an environment block.
std::vector<std::string> ReadEnvironment(const void* block, bool wide) {
  std::vector<std::string> vars;
  if (wide) {
    for (auto* p = static_cast<const wchar_t*>(block); *p != L'\0';) {
      const std::wstring var(p);
      vars.push_back(ToUtf8(var));
      p += var.size() + 1;
    }
  } else {
    for (auto* p = static_cast<const char*>(block); *p != '\0';) {
      vars.emplace_back(p);
      p += vars.back().size() + 1;
    }
  }
  return vars;
}

std::vector<char*> PointerList(std::vector<std::string>& texts) {
  std::vector<char*> list;
  list.reserve(texts.size() + 1);
  for (std::string& t : texts) list.push_back(&t[0]);
  list.push_back(nullptr);
  return list;
}

// ------------------------------------------------------------ objects

// A started child. The waiter thread reaps it and records the end.
struct ProcessObject {
  std::mutex mutex;
  std::condition_variable changed;
  pid_t pid = -1;
  bool released = false;  // the waiter may start (pid set) or give up
  bool ended = false;
  DWORD exit_code = STILL_ACTIVE;
};

void Reap(std::shared_ptr<ProcessObject> object) {
  pid_t pid;
  {
    std::unique_lock<std::mutex> lock(object->mutex);
    object->changed.wait(lock, [&] { return object->released; });
    pid = object->pid;
  }
  if (pid <= 0) return;  // the spawn failed
  int status = 0;
  pid_t r;
  do {
    r = waitpid(pid, &status, 0);
  } while (r < 0 && errno == EINTR);
  DWORD code = 0xFFFFFFFF;
  if (r == pid && WIFEXITED(status)) code = static_cast<DWORD>(WEXITSTATUS(status));
  if (r == pid && WIFSIGNALED(status)) code = 128 + static_cast<DWORD>(WTERMSIG(status));
  {
    std::lock_guard<std::mutex> lock(object->mutex);
    object->ended = true;
    object->exit_code = code;
  }
  object->changed.notify_all();
}

// The open handles. Handle values count up by 4 and are never reused, so
// a closed handle stays unknown.
struct HandleTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::shared_ptr<ProcessObject>> objects;
  std::uintptr_t last = 0x10000;
};

HandleTable& Handles() {
  static HandleTable* table = new HandleTable;  // outlives late calls at exit
  return *table;
}

HANDLE AddHandle(const std::shared_ptr<ProcessObject>& object) {
  HandleTable& t = Handles();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.last += 4;
  t.objects.emplace(t.last, object);
  return reinterpret_cast<HANDLE>(t.last);
}

std::shared_ptr<ProcessObject> FindHandle(HANDLE handle) {
  HandleTable& t = Handles();
  std::lock_guard<std::mutex> lock(t.mutex);
  const auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// Owns the spawn attributes and file actions.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// The native path of an existing folder for the child to start in; false
// when there is none.
bool ChildFolder(LPCWSTR currentDirectory, std::string& folder) {
  folder = NativePath(currentDirectory);
  struct stat st {};
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The child's setup: descriptors above 2 closed unless inherited, the
// folder changed to `folder` unless empty, no signal blocked or ignored.
void ConfigureSpawn(SpawnSetup& setup, bool inherit, const std::string& folder) {
  if (!inherit) posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&setup.actions, folder.c_str());
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&setup.attr, &none);
  posix_spawnattr_setsigdefault(&setup.attr, &all);
  posix_spawnattr_setflags(&setup.attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

// Spawns the program at `path` with a waiter thread that reaps it. The
// object its handles share, or null with the last error set.
std::shared_ptr<ProcessObject> SpawnReaped(const std::string& path, const SpawnSetup& setup,
                                           char* const argv[], char* const envp[]) {
  // The waiter starts first: if no thread can be made, nothing is spawned.
  auto object = std::make_shared<ProcessObject>();
  try {
    std::thread(Reap, object).detach();
  } catch (const std::system_error&) {
    Fail(ERROR_NO_PROC_SLOTS);
    return nullptr;
  }
  pid_t pid = -1;
  const int err = posix_spawn(&pid, path.c_str(), &setup.actions, &setup.attr, argv, envp);
  {
    std::lock_guard<std::mutex> lock(object->mutex);
    object->pid = err == 0 ? pid : -1;
    object->released = true;
  }
  object->changed.notify_all();
  if (err == 0) return object;
  velwin::detail::SetLastErrorFromErrno(err);
  return nullptr;
}

BOOL Start(LPCWSTR applicationName, LPCWSTR commandLine, BOOL inheritHandles, DWORD creationFlags,
           LPVOID environment, LPCWSTR currentDirectory, LPPROCESS_INFORMATION info) {
  if (info == nullptr || (applicationName == nullptr && commandLine == nullptr))
    return Fail(ERROR_INVALID_PARAMETER);
  if (creationFlags & CREATE_SUSPENDED) return Fail(ERROR_NOT_SUPPORTED);

  const std::vector<std::wstring> words =
      velwin::detail::SplitCommandLine(commandLine != nullptr ? commandLine : applicationName);
  const std::wstring program = applicationName != nullptr ? applicationName : words[0];
  std::string path;
  const DWORD found = velwin::detail::FindProgram(
      NativePath(program), applicationName == nullptr && !HasFolder(program), path);
  if (found != ERROR_SUCCESS) return Fail(found);
  std::string folder;
  if (currentDirectory != nullptr && !ChildFolder(currentDirectory, folder)) {
    return Fail(ERROR_DIRECTORY);
  }

  std::vector<std::string> args;
  args.reserve(words.size());
  for (const std::wstring& w : words) args.push_back(ToUtf8(w));
  std::vector<char*> argv = PointerList(args);
  std::vector<std::string> vars;
  std::vector<char*> envp;
  if (environment != nullptr) {
    vars = ReadEnvironment(environment, (creationFlags & CREATE_UNICODE_ENVIRONMENT) != 0);
    envp = PointerList(vars);
  }
  SpawnSetup setup;
  ConfigureSpawn(setup, inheritHandles != FALSE, folder);
  const std::shared_ptr<ProcessObject> object =
      SpawnReaped(path, setup, argv.data(), environment != nullptr ? envp.data() : environ);
  if (object == nullptr) return FALSE;

  const pid_t pid = object->pid;
  info->hProcess = AddHandle(object);
  info->hThread = AddHandle(object);
  info->dwProcessId = static_cast<DWORD>(pid);
  info->dwThreadId = static_cast<DWORD>(pid);
  return TRUE;
}

}  // namespace

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                    LPSECURITY_ATTRIBUTES /*processAttributes*/,
                    LPSECURITY_ATTRIBUTES /*threadAttributes*/, BOOL inheritHandles,
                    DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                    LPSTARTUPINFOW /*startupInfo*/, LPPROCESS_INFORMATION info) {
  try {
    return Start(applicationName, commandLine, inheritHandles, creationFlags, environment,
                 currentDirectory, info);
  } catch (const std::bad_alloc&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  const std::shared_ptr<ProcessObject> object = FindHandle(handle);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  std::unique_lock<std::mutex> lock(object->mutex);
  const auto ended = [&] { return object->ended; };
  if (milliseconds == INFINITE) {
    object->changed.wait(lock, ended);
    return WAIT_OBJECT_0;
  }
  return object->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ended)
             ? WAIT_OBJECT_0
             : WAIT_TIMEOUT;
}

BOOL GetExitCodeProcess(HANDLE handle, DWORD* code) {
  const std::shared_ptr<ProcessObject> object = FindHandle(handle);
  if (object == nullptr || code == nullptr) return Fail(ERROR_INVALID_HANDLE);
  std::lock_guard<std::mutex> lock(object->mutex);
  *code = object->exit_code;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  HandleTable& t = Handles();
  std::shared_ptr<ProcessObject> object;  // released after the lock
  {
    std::lock_guard<std::mutex> lock(t.mutex);
    const auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.objects.end()) return Fail(ERROR_INVALID_HANDLE);
    object = std::move(it->second);
    t.objects.erase(it);
  }
  return TRUE;
}
