#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <mutex>
#include <set>
#include <vector>

#include "process.h"

extern char** environ;

namespace vexa::components {
namespace {

std::mutex finished_mutex;
std::set<std::int64_t> finished;  // ended and reaped: their ids may be reused by others

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool any = false;
  for (char c : text) {
    if (c == '"') {
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
  finished.insert(handle);
  return false;
}

}  // namespace vexa::components
