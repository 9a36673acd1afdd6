// The program group tree and its text file "ProgramGroup.txt": lines 1 to 3 hold the root's
// key, text and tag; then four lines per further node in creation order (parent key, key,
// text, tag); every line ends in CR LF and an empty tag is an empty line.
#include <algorithm>
#include <limits>
#include <unordered_map>

#include "form1.h"
#include "text_files.h"

int ProgramGroupTree::FindKey(const std::string& key) const {
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].key == key) return static_cast<int>(i);
  }
  return -1;
}

void Form1::InitializeProgramGroupTree() {
  ProgramGroup.nodes.clear();
  ProgramGroup.nodes.push_back({kDefaultRootKey, kDefaultRootText, "", kGroupImage, -1, true});
  ProgramGroup.selected = 0;
}

void Form1::ProgramGroupTree2TextFile(const std::string& path) const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < ProgramGroup.nodes.size(); ++i) {
    const ProgramGroupNode& node = ProgramGroup.nodes[i];
    if (i > 0) lines.push_back(ProgramGroup.nodes[static_cast<std::size_t>(node.parent)].key);
    lines.insert(lines.end(), {node.key, node.text, node.tag});
  }
  WriteTextFile(ListFileText(lines), path);
}

namespace {

// The number after "Untitled" as far as it has digits, held below the largest counter.
std::int64_t UntitledNumber(const std::string& key) {
  std::int64_t number = 0;
  for (std::size_t i = 8; i < key.size() && key[i] >= '0' && key[i] <= '9'; ++i) {
    number = std::min<std::int64_t>(number * 10 + (key[i] - '0'), std::numeric_limits<std::int32_t>::max());
  }
  return number;
}

}  // namespace

// A damaged file gives the default tree: a parent key that names no node, a key used twice,
// or a child under a node that is linked to a file (a shortcut has no children).
void Form1::TextFile2ProgramGroupTree(const std::string& path) {
  InitializeProgramGroupTree();
  std::vector<std::string> lines;
  if (ReadTextFileLines(path, lines) < 3) return;
  ProgramGroupTree tree;
  tree.nodes.push_back({lines[0], lines[1], lines[2], kGroupImage, -1, true});
  std::unordered_map<std::string, int> index_of_key{{lines[0], 0}};
  std::int64_t counter = UntitledCounter;
  for (std::size_t at = 3; at + 4 <= lines.size(); at += 4) {
    const std::string& key = lines[at + 1];
    const auto parent = index_of_key.find(lines[at]);
    if (parent == index_of_key.end() || index_of_key.count(key) != 0 ||
        !tree.nodes[static_cast<std::size_t>(parent->second)].tag.empty()) {
      return;
    }
    if (key.rfind("Untitled", 0) == 0) counter = std::max(counter, UntitledNumber(key));
    const std::string& tag = lines[at + 3];
    tree.nodes.push_back({key, lines[at + 2], tag, tag.empty() ? kGroupImage : kShortcutImage, parent->second, false});
    index_of_key.emplace(key, static_cast<int>(tree.nodes.size() - 1));
  }
  tree.selected = 0;
  ProgramGroup = std::move(tree);
  UntitledCounter = counter;
}
