// The program group tree: its editing through TreeView1's menu and its text file
// "ProgramGroup.txt". The file's lines 1 to 3 hold the root's key, text and tag; then four
// lines per further node in creation order (parent key, key, text, tag); every line ends
// in CR LF and an empty tag is an empty line.
//
// The file is outside input: a node may only name a parent that was read before it, so a
// key naming a later node, a cycle or a self-parent is a damaged file (the default tree),
// and a deep chain is read in one pass.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <limits>
#include <unordered_map>

#include "form1.h"
#include "native_files.h"
#include "path_services.h"
#include "text_files.h"

namespace {

constexpr const char* kUntitled = "Untitled";
constexpr std::size_t kUntitledLength = 8;
constexpr int kDeleteKeyCode = 46;
constexpr int kInsertKeyCode = 45;
constexpr int kRenameKeyCode = 113;  // F2
constexpr const char* kForbiddenItemCharacters = "\\/:*?\"<>|";

bool TextBefore(const std::string& left, const std::string& right) {
  const std::string a = UpperAscii(left);
  const std::string b = UpperAscii(right);
  return a < b;
}

// The number after "Untitled" as far as it has digits, held below the largest counter.
std::int64_t UntitledNumber(const std::string& key) {
  constexpr std::uint64_t kLargest = std::numeric_limits<std::int32_t>::max();
  std::uint64_t number = 0;
  if (key.size() > kUntitledLength &&
      std::from_chars(key.data() + kUntitledLength, key.data() + key.size(), number).ec == std::errc::result_out_of_range) {
    number = kLargest;
  }
  return static_cast<std::int64_t>(std::min(number, kLargest));
}

}  // namespace

int ProgramGroupTree::FindKey(const std::string& key) const {
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].key == key) return static_cast<int>(i);
  }
  return -1;
}

bool ProgramGroupTree::HasChildren(int index) const {
  return std::any_of(nodes.begin(), nodes.end(), [index](const ProgramGroupNode& node) { return node.parent == index; });
}

std::vector<int> ProgramGroupTree::SortedChildren(int index) const {
  std::vector<int> children;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].parent == index) children.push_back(static_cast<int>(i));
  }
  std::stable_sort(children.begin(), children.end(), [this](int a, int b) {
    return TextBefore(nodes[static_cast<std::size_t>(a)].text, nodes[static_cast<std::size_t>(b)].text);
  });
  return children;
}

int ProgramGroupTree::AddChild(int parent, std::string key, std::string text) {
  nodes.push_back({std::move(key), std::move(text), "", kGroupImage, parent, false});
  return static_cast<int>(nodes.size() - 1);
}

// Parents precede their children, so one forward pass finds every descendant.
void ProgramGroupTree::RemoveSubtree(int index) {
  if (!Valid(index) || index == 0) return;
  std::vector<bool> removed(nodes.size(), false);
  std::vector<int> new_index(nodes.size(), -1);
  std::vector<ProgramGroupNode> kept;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const int parent = nodes[i].parent;
    removed[i] = static_cast<int>(i) == index || (parent >= 0 && removed[static_cast<std::size_t>(parent)]);
    if (removed[i]) continue;
    new_index[i] = static_cast<int>(kept.size());
    kept.push_back(std::move(nodes[i]));
    if (parent >= 0) kept.back().parent = new_index[static_cast<std::size_t>(parent)];
  }
  const int parent_of_removed = nodes[static_cast<std::size_t>(index)].parent;
  if (!Valid(selected) || removed[static_cast<std::size_t>(selected)]) {
    selected = new_index[static_cast<std::size_t>(parent_of_removed)];
  } else {
    selected = new_index[static_cast<std::size_t>(selected)];
  }
  nodes = std::move(kept);
}

void Form1::InitializeProgramGroupTree() {
  ProgramGroup.nodes.clear();
  ProgramGroup.nodes.push_back({kDefaultRootKey, kDefaultRootText, "", kGroupImage, -1, true});
  ProgramGroup.selected = 0;
}

void Form1::TreeView1_MouseDown(MouseButton button) { tree_mouse_button_ = button; }

void Form1::TreeView1_NodeClick(int) {}

bool Form1::PrepareTreeMenu() {
  const int node = ProgramGroup.selected;
  if (!ProgramGroup.Valid(node)) return false;
  const bool is_root = node == 0;
  const bool linked = ProgramGroup.nodes[static_cast<std::size_t>(node)].image == kShortcutImage;
  mnuLinkTo.enabled = !is_root && !ProgramGroup.HasChildren(node);
  mnuDeleteLeaf.enabled = !is_root;
  mnuCreateLeaf.enabled = !linked;
  mnuUnlink.enabled = linked;
  return true;
}

void Form1::TreeView1_Click() {
  if (PrepareTreeMenu() && tree_mouse_button_ == MouseButton::Right) host_.ShowPopupMenu(PopupMenu::Create);
}

// The keyboard does what the mouse does: the menu key (the window passes Shift+F10 as it)
// opens the menu for the selected node, F2 renames it, Insert creates a child where the
// menu would allow it, Delete deletes.
void Form1::TreeView1_KeyDown(int key_code) {
  switch (key_code) {
    case kDeleteKeyCode:
      mnuDeleteLeaf_Click();
      break;
    case kRenameKeyCode:
      mnuRenameLeaf_Click();
      break;
    case kInsertKeyCode:
      if (PrepareTreeMenu() && mnuCreateLeaf.enabled) mnuCreateLeaf_Click();
      break;
    case kMenuKeyCode:
      if (PrepareTreeMenu()) host_.ShowPopupMenu(PopupMenu::Create);
      break;
    default:
      break;
  }
}

void Form1::TreeView1_Collapse(int node) {
  if (!ProgramGroup.Valid(node)) return;
  ProgramGroup.nodes[static_cast<std::size_t>(node)].expanded = node == 0;
}

// A linked node never gets children, whatever the menu showed.
void Form1::mnuCreateLeaf_Click() {
  const int node = ProgramGroup.selected;
  if (Ended || !ProgramGroup.Valid(node) || !ProgramGroup.nodes[static_cast<std::size_t>(node)].tag.empty()) return;
  ProgramGroup.nodes[static_cast<std::size_t>(node)].expanded = true;
  std::string key;
  do {
    ++UntitledCounter;
    key = kUntitled + std::to_string(UntitledCounter);
  } while (ProgramGroup.FindKey(key) >= 0);
  ProgramGroup.AddChild(node, std::move(key), kUntitled);
}

void Form1::mnuRenameLeaf_Click() {
  if (!Ended && ProgramGroup.Valid(ProgramGroup.selected)) host_.BeginTreeLabelEdit(ProgramGroup.selected);
}

// A name without any visible character would make a shortcut or group without a name, so
// it is refused like a cancelled edit.
void Form1::TreeView1_AfterLabelEdit(bool& cancel, const std::string& new_text) {
  const int node = ProgramGroup.selected;
  if (!ProgramGroup.Valid(node)) {
    cancel = true;
    return;
  }
  if (new_text.find_first_of(kForbiddenItemCharacters) != std::string::npos) {
    host_.ShowMessage(std::string("A Program Group item cannot contain any of the following characters:") +
                          "\r\n\\ / : * ? " + "\"" + " < > |",
                      "Error", MessageIcon::None, MessageButtons::Ok);
    cancel = true;
    return;
  }
  std::string trimmed = TrimBlanks(new_text);
  if (trimmed.empty()) {
    cancel = true;
    return;
  }
  ProgramGroup.nodes[static_cast<std::size_t>(node)].text = std::move(trimmed);
}

void Form1::mnuDeleteLeaf_Click() {
  if (!Ended && ProgramGroup.selected > 0) ProgramGroup.RemoveSubtree(ProgramGroup.selected);
}

// A group with children is never linked, whatever the menu showed.
void Form1::mnuLinkTo_Click() {
  const int node = ProgramGroup.selected;
  if (Ended || node <= 0 || !ProgramGroup.Valid(node) || ProgramGroup.HasChildren(node)) return;
  ProgramGroupNode& linked = ProgramGroup.nodes[static_cast<std::size_t>(node)];
  const auto current = std::find(lstLinkTo.lines.begin(), lstLinkTo.lines.end(), linked.tag);
  lstLinkTo.list_index = current == lstLinkTo.lines.end() ? -1 : static_cast<int>(current - lstLinkTo.lines.begin());
  // Closed any other way than by its buttons, the window answers "nothing".
  frmLinkTo_Tag.clear();
  host_.ShowModalWindow(ModalWindow::LinkTo);
  if (frmLinkTo_Tag.empty()) return;
  ProgramGroupNode& answered = ProgramGroup.nodes[static_cast<std::size_t>(node)];
  answered.tag = frmLinkTo_Tag;
  answered.image = kShortcutImage;
}

void Form1::mnuUnlink_Click() {
  const int node = ProgramGroup.selected;
  if (Ended || !ProgramGroup.Valid(node)) return;
  ProgramGroup.nodes[static_cast<std::size_t>(node)].tag.clear();
  ProgramGroup.nodes[static_cast<std::size_t>(node)].image = kGroupImage;
}

void Form1::frmLinkTo_cmdOK_Click() {
  const int line = lstLinkTo.list_index;
  frmLinkTo_Tag = line >= 0 && line < lstLinkTo.ListCount() ? lstLinkTo.lines[static_cast<std::size_t>(line)] : "";
}

void Form1::frmLinkTo_cmdCancel_Click() { frmLinkTo_Tag.clear(); }

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

// The tree in `lines`, or false with the reason it is damaged: a parent key that names no
// node read so far, a key used twice, or a child under a node that is linked to a file (a
// shortcut has no children). The root is a group whatever its third line says: it is never
// linked. An incomplete last group of lines is ignored unless `whole` asks for every line.
bool ParseProgramGroupLines(const std::vector<std::string>& lines, bool whole, ProgramGroupTree& tree,
                            std::int64_t& counter, std::string& reason) {
  if (lines.size() < 3) {
    reason = "it has fewer than the root's three lines";
    return false;
  }
  if (whole && (lines.size() - 3) % 4 != 0) {
    reason = "the node after line " + std::to_string(lines.size() - (lines.size() - 3) % 4) +
             " is incomplete (4 lines per node)";
    return false;
  }
  tree.nodes.clear();
  tree.nodes.push_back({lines[0], lines[1], "", kGroupImage, -1, true});
  std::unordered_map<std::string, int> index_of_key{{lines[0], 0}};
  for (std::size_t at = 3; at + 4 <= lines.size(); at += 4) {
    const std::string& key = lines[at + 1];
    const auto parent = index_of_key.find(lines[at]);
    if (parent == index_of_key.end()) {
      reason = "line " + std::to_string(at + 1) + " names the parent " + lines[at] +
               ", which no earlier node has as its key";
      return false;
    }
    if (index_of_key.count(key) != 0) {
      reason = "line " + std::to_string(at + 2) + " uses the key " + key + " a second time";
      return false;
    }
    if (!tree.nodes[static_cast<std::size_t>(parent->second)].tag.empty()) {
      reason = "line " + std::to_string(at + 1) + " places a node under " + lines[at] + ", which is a shortcut";
      return false;
    }
    if (key.rfind(kUntitled, 0) == 0) counter = std::max(counter, UntitledNumber(key));
    const std::string& tag = lines[at + 3];
    tree.nodes.push_back({key, lines[at + 2], tag, tag.empty() ? kGroupImage : kShortcutImage, parent->second, false});
    index_of_key.emplace(key, static_cast<int>(tree.nodes.size() - 1));
  }
  tree.selected = 0;
  return true;
}

}  // namespace

// A damaged project file gives the default tree.
void Form1::TextFile2ProgramGroupTree(const std::string& path) {
  InitializeProgramGroupTree();
  std::vector<std::string> lines;
  ReadTextFileLines(path, lines);
  ProgramGroupTree tree;
  std::int64_t counter = UntitledCounter;
  std::string ignored;
  if (!ParseProgramGroupLines(lines, false, tree, counter, ignored)) return;
  ProgramGroup = std::move(tree);
  UntitledCounter = counter;
}

// The reader's bounds would cut a larger file or line short without a word; a file the
// developer names is refused instead, so that what is built is what the file says.
bool Form1::LoadProgramGroupTreeFile(const std::string& path, std::string& reason) {
  std::error_code error;
  const std::filesystem::path native = NativePath(path);
  if (!std::filesystem::is_regular_file(native, error)) {
    reason = "cannot read the file " + path;
    return false;
  }
  const std::uintmax_t size = std::filesystem::file_size(native, error);
  if (error || size > kMaxLinesFileBytes) {
    reason = error ? "cannot read the file " + path
                   : "not a program group tree: the file is larger than " + std::to_string(kMaxLinesFileBytes) + " bytes";
    return false;
  }
  std::vector<std::string> lines;
  if (ReadTextFileLines(path, lines) >= kMaxLines) {
    reason = "not a program group tree: the file has " + std::to_string(kMaxLines) + " lines or more";
    return false;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].size() >= kMaxLineBytes) {
      reason = "not a program group tree: line " + std::to_string(i + 1) + " is longer than " +
               std::to_string(kMaxLineBytes - 1) + " bytes";
      return false;
    }
  }
  ProgramGroupTree tree;
  std::int64_t counter = UntitledCounter;
  if (!ParseProgramGroupLines(lines, true, tree, counter, reason)) {
    reason = "not a program group tree: " + reason;
    return false;
  }
  ProgramGroup = std::move(tree);
  UntitledCounter = counter;
  return true;
}
