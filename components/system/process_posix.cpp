#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "process.h"

extern char** environ;

namespace {

std::mutex finished_mutex;
// Ended and reaped, with their exit statuses: their ids may be reused by others.
std::map<std::int64_t, std::uint32_t> finished;

std::uint32_t ExitStatusOf(int wait_status) {
  if (WIFEXITED(wait_status)) return static_cast<std::uint32_t>(WEXITSTATUS(wait_status));
  if (WIFSIGNALED(wait_status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(wait_status));
  return 255u;
}

// Splits as a Windows program splits its command line: blanks separate words outside
// double quotes; 2n backslashes before a quote give n backslashes and the quote opens or
// closes, 2n+1 give n backslashes and a literal quote; other backslashes are literal.
std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      std::size_t run = 0;
      while (i + run < text.size() && text[i + run] == '\\') ++run;
      if (i + run < text.size() && text[i + run] == '"') {
        word.append(run / 2, '\\');
        if (run % 2 == 1) word += '"';
        else quoted = !quoted;
        i += run;
      } else {
        word.append(run, '\\');
        i += run - 1;
      }
      any = true;
    } else if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

}  // namespace

std::int64_t StartProcess(const std::string& program, const std::string& arguments, bool) {
  if (program.empty()) return 0;
  std::vector<std::string> words = SplitArguments(arguments);
  words.insert(words.begin(), program);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 0;
  std::lock_guard lock(finished_mutex);
  finished.erase(pid);
  return pid;
}

bool IsProcessRunning(std::int64_t handle) {
  if (handle <= 0) return false;
  std::lock_guard lock(finished_mutex);
  if (finished.count(handle)) return false;
  int status = 0;
  const pid_t result = waitpid(static_cast<pid_t>(handle), &status, WNOHANG);
  if (result == 0) return true;
  finished[handle] = result == handle ? ExitStatusOf(status) : 255u;
  return false;
}

void WaitForProcess(std::int64_t handle, int milliseconds) {
  if (!IsProcessRunning(handle)) return;
  // The process descriptor becomes readable when the child ends: the wait costs exactly
  // the child's time. Kernels without it are polled in short steps.
  // Called through syscall: glibc 2.36 declares pidfd_open for C only.
  const int descriptor = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(handle), 0));
  if (descriptor >= 0) {
    pollfd wanted{descriptor, POLLIN, 0};
    poll(&wanted, 1, milliseconds < 0 ? 0 : milliseconds);
    close(descriptor);
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (IsProcessRunning(handle) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool ProcessExitStatus(std::int64_t handle, std::uint32_t& status) {
  if (handle <= 0 || IsProcessRunning(handle)) return false;
  std::lock_guard lock(finished_mutex);
  const auto found = finished.find(handle);
  if (found == finished.end()) return false;
  status = found->second;
  return true;
}
