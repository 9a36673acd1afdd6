#include "program_files.h"

#include "cabinet.h"
#include "package.h"
#include "paths.h"
#include "run_state.h"
#include "text.h"

namespace {

// Argument 7 names a directory below the product directory: one leading "\" is dropped and
// a trailing one added. A sub-directory that would climb out of the product directory
// ("..") or name a drive or stream (":") is refused like one that cannot be created.
std::string SubDirectoryOf(const std::string& argument) {
  std::string sub = argument;
  if (!sub.empty() && sub.front() == '\\') sub.erase(0, 1);
  AppendBackslash(sub);
  return sub;
}

bool StaysInsideProductDirectory(const std::string& sub) {
  if (sub.find(':') != std::string::npos || sub.front() == '\\' || sub.front() == '/') return false;
  std::size_t start = 0;
  while (start < sub.size()) {
    std::size_t end = sub.find_first_of("\\/", start);
    if (end == std::string::npos) end = sub.size();
    if (sub.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::string InstallProgram(RunState& run, const std::string& cabinet_argument,
                           const std::string& sub_directory_argument) {
  const std::string cab = UpperCase(FileNameOfPath(cabinet_argument));
  AddLogLine(run, "Installing " + cab);

  std::vector<std::string> taken_out;
  if (cab.empty() || !ExpandCabFile(run.temporary_directory + std::string(kAttachmentFileName),
                                    run.temporary_directory, taken_out, cab)) {
    return "Error. Cannot extract " + cab + " from self-extract EXE file.";
  }

  std::string destination = run.product_directory;
  if (!sub_directory_argument.empty()) {
    const std::string sub = SubDirectoryOf(sub_directory_argument);
    destination += sub;
    if (!StaysInsideProductDirectory(sub) || !CreateDirectoryTree(destination))
      return "Cannot create sub-directory " + sub + " to expand: " + cab;
  }

  // The member that could not be created follows on a line of its own.
  if (!ExpandCabFile(run.temporary_directory + cab, destination, run.installed_files, "")) {
    const std::string& problem = LastExpansionProblem();
    return "Error. Cannot expand CAB file: " + cab + (problem.empty() ? "" : "\r\n" + problem);
  }
  return {};
}
