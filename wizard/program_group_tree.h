// The program group tree of step 4 as plain state: nodes in the order of their creation
// (a parent always before its children), each with its key, text, linked file and image.
//
// Invariants kept by every operation: exactly one root (index 0, no parent); keys unique;
// a node with children is never linked and a linked node never gets children. Children are
// shown sorted by text (SortedChildren). No operation recurses, so neither a deep tree nor
// a large one costs call stack.
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
  bool HasChildren(int index) const;
  // The children of `index` in the order shown: by text, ASCII letters without regard to
  // case, ties by creation.
  std::vector<int> SortedChildren(int index) const;
  // Adds a group under `parent`; returns its index.
  int AddChild(int parent, std::string key, std::string text);
  // Removes the node and all its descendants (never the root); the selection moves to the
  // removed node's parent when it was inside the removed part.
  void RemoveSubtree(int index);
  bool Valid(int index) const { return index >= 0 && static_cast<std::size_t>(index) < nodes.size(); }
};

inline constexpr const char* kDefaultRootKey = "My Program";
inline constexpr const char* kDefaultRootText = "My Program";
