// Uninstall data and shortcut lines on arbitrary bytes. Whatever a damaged or hostile list
// says, the removal may only touch directories at or below the roots it accepts, data the
// uninstall program accepts names a product directory below a root and outside Windows and
// only absolute paths (and at most a package key after them), and a shortcut line may only place its link file below the program
// group.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "package.h"
#include "script.h"
#include "shortcuts.h"
#include "text.h"
#include "uninstall.h"
#include "uninstall_data_check.h"

namespace {

void CheckNormalized(const std::string& path) {
  const std::string normal = NormalizedPath(path);
  if (normal.empty()) return;
  if (NormalizedPath(normal) != normal) std::abort();
  const std::string wrapped = "\\" + normal + "\\";
  if (wrapped.find("\\..\\") != std::string::npos || wrapped.find("\\.\\") != std::string::npos) std::abort();
}

void CheckRemoval(const std::vector<std::string>& lines) {
  if (lines.size() < 3) return;
  const std::vector<std::string> roots = {lines[1], lines[2]};
  for (std::size_t i = 3; i < lines.size(); ++i) {
    CheckNormalized(lines[i]);
    for (const std::string& directory : DirectoriesToRemove(lines[i], roots)) {
      bool inside = false;
      for (const std::string& root : roots) {
        inside = inside || (IsBelowRoot(root) && (EqualsIgnoringCase(directory, NormalizedPath(root)) ||
                                                 PathIsBelow(directory, root)));
      }
      if (!inside) std::abort();
    }
  }
}

void CheckUninstallProgramAccepts(const std::vector<std::string>& lines) {
  const std::vector<std::string> system = {"C:\\Windows", "C:\\Windows\\System32"};
  if (!UninstallDataProblem(lines, 100, 100, system).empty()) return;
  if (lines.size() < 3 || lines[0].empty() || !IsBelowRoot(lines[1])) std::abort();
  for (const std::string& directory : system) {
    if (EqualsIgnoringCase(NormalizedPath(lines[1]), directory) || PathIsBelow(directory, lines[1])) std::abort();
  }
  // Only a last line can name the web setup package instead of a file.
  const std::size_t files_end = lines.size() - (lines.size() > 3 && IsWebPackageLine(lines.back()) ? 1 : 0);
  for (std::size_t i = 3; i < files_end; ++i) {
    if (NormalizedPath(lines[i]).empty()) std::abort();
  }
  const std::string key = WebPackageOfUninstallData(lines);
  if (!key.empty() && !IsWebPackageKey(key)) std::abort();
}

void CheckShortcuts(const ScriptLines& script) {
  constexpr const char* kGroup = "C:\\Menu\\Group\\";
  for (std::size_t i = 0; i < script.size(); ++i) {
    ShortcutEntry entry;
    if (!ShortcutOfLine(script, i, kGroup, "C:\\Product\\", entry)) continue;
    if (!PathIsBelow(entry.folder + entry.name + ".LNK", kGroup)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitAppendedLines(bytes);
  CheckRemoval(lines);
  CheckUninstallProgramAccepts(lines);
  CheckShortcuts(SplitScriptText(bytes));
  return 0;
}
