// The program group tree of step 4 as plain state: nodes in the order of their creation
// (a parent always before its children), each with its key, text, linked file and image.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

inline constexpr int kGroupImage = 2;     // a group: no linked file
inline constexpr int kShortcutImage = 3;  // a node linked to a program file

struct ProgramGroupNode {
  std::string key;   // unique among all nodes
  std::string text;  // the caption, and the name of the group or shortcut
  std::string tag;   // the linked file, empty for a group
  int image = kGroupImage;
  int parent = -1;   // index of the parent node; only the root (index 0) has none
  bool expanded = false;
};

struct ProgramGroupTree {
  std::vector<ProgramGroupNode> nodes;
  int selected = -1;

  // Index of the node with `key`, -1 when there is none.
  int FindKey(const std::string& key) const;
};

inline constexpr const char* kDefaultRootKey = "My Program";
inline constexpr const char* kDefaultRootText = "My Program";
