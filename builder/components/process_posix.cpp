#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <mutex>
#include <set>
#include <vector>

#include "process.h"

extern char** environ;

namespace {

std::mutex finished_mutex;
std::set<std::int64_t> finished;  // ended and reaped: their ids may be reused by others

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
  finished.insert(handle);
  return false;
}
