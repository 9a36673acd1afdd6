// What the wizard's fuzz targets share: the silent host, one work directory
// per process (a wizard directory and a program directory with its project files
// directory), and the checks of the program group tree's invariants.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unordered_set>

#include "form1.h"
#include "path_services.h"
#include "project_settings.h"
#include "silent_host.h"

namespace {

// One directory per process, removed when the process ends.
class WorkTree {
 public:
  WorkTree() {
    const std::filesystem::path base =
        std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    root_ = base / ("vexa-wizard-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(root_ / "wizard");
    std::filesystem::create_directories(root_ / "program" / kProjectDirectoryName / kProjectFilesDirectoryName);
    text_ = WithTrailingSeparator(root_.string());
  }
  ~WorkTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  const std::string& text() const { return text_; }

 private:
  std::filesystem::path root_;
  std::string text_;
};

const std::string& WorkDirectory() {
  static const WorkTree tree;
  return tree.text();
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// One root first, parents before their children, unique keys, no child under a linked
// node, and the image that the tag calls for.
void CheckTree(const ProgramGroupTree& tree) {
  Check(!tree.nodes.empty() && tree.nodes[0].parent == -1);
  Check(tree.Valid(tree.selected));
  std::unordered_set<std::string> keys;
  for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
    const ProgramGroupNode& node = tree.nodes[i];
    Check(keys.insert(node.key).second);
    Check(node.image == (node.tag.empty() ? kGroupImage : kShortcutImage));
    if (i == 0) continue;
    Check(node.parent >= 0 && static_cast<std::size_t>(node.parent) < i);
    Check(tree.nodes[static_cast<std::size_t>(node.parent)].tag.empty());
  }
}

bool SameTree(const ProgramGroupTree& a, const ProgramGroupTree& b) {
  if (a.nodes.size() != b.nodes.size()) return false;
  for (std::size_t i = 0; i < a.nodes.size(); ++i) {
    const ProgramGroupNode& x = a.nodes[i];
    const ProgramGroupNode& y = b.nodes[i];
    if (x.key != y.key || x.text != y.text || x.tag != y.tag || x.parent != y.parent || x.image != y.image) return false;
  }
  return true;
}

}  // namespace
