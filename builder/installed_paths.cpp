// The longest path the package installs. The setup engine creates no path longer than 255
// characters (a longer one fails the whole expansion on the end user's PC, leaving an
// empty product folder), so Finish measures every ticked file under the default
// destination as it is longest on the usual systems, a 32-bit program on 64-bit Windows:
// "C:\Program Files (x86)\<program friendly name>\<file>", in the package's code page (one
// byte a character). A path that cannot be installed there stops the build naming the file
// and the limit. A destination the end user chooses is checked by the engine when it is
// chosen.
#include <algorithm>

#include "narrow_text.h"
#include "release_pipeline.h"

namespace {

constexpr const char* kLongestProgramFilesDirectory = "C:\\Program Files (x86)\\";
constexpr std::size_t kMaxInstalledPath = 255;
// What the engine adds below the product directory for itself.
constexpr const char* kUninstallerPath = "Uninstall\\Uninstall.exe";

}  // namespace

bool ReleasePipeline::CheckInstalledPathLengths() {
  const std::string product = kLongestProgramFilesDirectory + answers_.ProgramFriendlyName + "\\";
  std::vector<std::string> files{kUninstallerPath};
  for (const TickedProgramFile& file : answers_.ProgramFiles) files.push_back(file.line);
  std::string bytes;
  for (const std::string& file : files) {
    const std::string path = product + file;
    const std::size_t length = NarrowToCodePage(path, answers_.PackageCodePage, bytes) ? bytes.size() : path.size();
    if (length <= kMaxInstalledPath) continue;
    ShowOk("Error. The program file " + file + " would be installed as " + path + ", a path of " +
           std::to_string(length) + " characters: the setup engine creates paths of at most " +
           std::to_string(kMaxInstalledPath) + " characters. Shorten the file's path or the program friendly name.");
    return false;
  }
  return true;
}
