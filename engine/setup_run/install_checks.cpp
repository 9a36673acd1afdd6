#include "install_checks.h"

#include "disk_space.h"
#include "paths.h"
#include "run_state.h"
#include "uninstall.h"

namespace {

// An earlier installation of the product is removed only when the user agrees; No leaves
// the record empty and the Install button usable again.
bool ConfirmPreviousInstallationRemoval(RunState& run) {
  std::string directory;
  run.previous_installation = FindPreviousInstallation(run.product_name, directory);
  if (run.previous_installation.empty()) return true;
  if (run.ui->Ask(Question::RemovePreviousInstallation,
                  "A previous installation of this program was found in directory: \r\r" + directory +
                      "\r\rContinuing will remove the previous installation of this program. Would you like to "
                      "continue?")) {
    return true;
  }
  run.previous_installation.clear();
  return false;
}

}  // namespace

bool PrepareInstallation(RunState& run, const std::string& destination) {
  if (!ConfirmPreviousInstallationRemoval(run)) return false;
  run.product_directory = destination;
  AppendBackslash(run.product_directory);
  if (const std::string shortage = CheckDiskSpace(run); !shortage.empty()) {
    run.ui->ShowMessage(shortage);
    return false;
  }
  if (run.product_directory.size() > kMaxDirectoryPath) {
    run.ui->ShowMessage("Error: Cannot create directory " + run.product_directory + "\r\rThe path is longer than " +
                        std::to_string(kMaxDirectoryPath) + " characters.");
    return false;
  }
  if (!CreateDirectoryTree(run.product_directory)) {
    run.ui->ShowMessage("Error: Cannot create directory " + run.product_directory);
    return false;
  }
  return true;
}
