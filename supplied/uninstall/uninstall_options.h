// The uninstall program's command line:
//
//   /S              silent: no window; the product is removed without asking, every message
//                   goes to the log instead (QuietUninstallString)
//   /LOG=<file>     the progress, and every message and question with its answer, are
//                   appended to this file
//
// Switches are case-insensitive and may start with "/" or "-". The temporary copy that
// does the removal (see self_removal.h) is started with more, which it honours only when
// it runs from a temporary directory of its own:
//
//   /CLEANUP=<n>    the inherited handle, in decimal, of the original program's process
//   /ORIGINAL=<p>   the original program, whose appended uninstall data the copy reads
//   /STATUS=<n>     the inherited handle, in decimal, of the pipe through which the copy
//                   hands the removal's exit status to the waiting original (optional)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct UninstallOptions {
  bool silent = false;
  std::string log_file;
  bool is_copy = false;  // /CLEANUP= and /ORIGINAL= given, both
  std::uint64_t original_process = 0;
  std::string original_program;
  std::uint64_t status_pipe = 0;  // 0: no original waits for the status
};

// Parses the arguments after the program name. False with `error` set for an unknown
// switch, a switch given twice, a switch without its value, a handle that is not a
// decimal number, or only one of the two switches of the copy.
bool ParseUninstallOptions(const std::vector<std::string>& arguments, UninstallOptions& options, std::string& error);
