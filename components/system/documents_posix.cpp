#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "documents.h"

extern char** environ;

bool OpenDocument(const std::string& address) {
  if (address.empty()) return false;
  std::string program = "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(address.c_str()), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
  // Reaped in the background, so that neither the caller waits nor a zombie stays.
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
  return true;
}

void InitializeComponent(bool) {}
