// The longest path the package installs. The setup engine creates no path longer than 255
// characters (a longer one fails the whole expansion on the end user's PC, leaving an
// empty product folder), so Finish measures every ticked file under the default
// destination as it is longest on the usual systems, a 32-bit program on 64-bit Windows:
// "C:\Program Files (x86)\<program friendly name>\<file>", in the package's code page (one
// byte a character). A path that cannot be installed there stops the build naming the file
// and the limit. A destination the end user chooses is checked by the engine when it is
// chosen.
#include <algorithm>

#include "form1.h"
#include "narrow_text.h"
#include "release_pipeline.h"

namespace {

constexpr const char* kLongestProgramFilesDirectory = "C:\\Program Files (x86)\\";
constexpr std::size_t kMaxInstalledPath = 255;
// What the engine adds below the product directory for itself.
constexpr const char* kUninstallerPath = "Uninstall\\Uninstall.exe";

}  // namespace

bool ReleasePipeline::CheckInstalledPathLengths() {
  Form1& form = *form_;
  const std::string product = kLongestProgramFilesDirectory + form.txtProgramFriendlyName.text + "\\";
  std::vector<std::string> files{kUninstallerPath};
  for (std::size_t i = 0; i < form.List1.lines.size(); ++i) {
    if (i < form.List1.checked.size() && form.List1.checked[i]) files.push_back(form.List1.lines[i]);
  }
  std::string bytes;
  for (const std::string& file : files) {
    const std::string path = product + file;
    const std::size_t length = NarrowToCodePage(path, form.PackageCodePage, bytes) ? bytes.size() : path.size();
    if (length <= kMaxInstalledPath) continue;
    ShowOk("Error. The program file " + file + " would be installed as " + path + ", a path of " +
           std::to_string(length) + " characters: the setup engine creates paths of at most " +
           std::to_string(kMaxInstalledPath) + " characters. Shorten the file's path or the program friendly name.");
    return false;
  }
  return true;
}
