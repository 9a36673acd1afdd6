// Splitting a cabinet into parts for a resumable download, and the part list that goes
// with them (the format is described in docs/web-setup-formats.md).
//
// SplitCab("…\Prog1.cab", 3) writes beside the cabinet
//   Prog1_part0001.bin  Prog1_part0002.bin  Prog1_part0003.bin   (consecutive byte ranges)
//   Prog1_parts.txt                                               (the part list)
// The parts differ in size by at most one byte (the first ones are the larger). The
// cabinet itself is left as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kMaxCabParts = 1000;

// Empty on success, else the error text. On failure no part and no list is left behind.
std::string SplitCab(const std::string& cabinet_path, int parts);

struct PartListEntry {
  std::uint64_t size = 0;
  std::string sha256;  // 64 lower-case hex digits
  std::string name;    // a plain file name
};

struct PartList {
  PartListEntry cabinet;
  std::vector<PartListEntry> parts;
};

// The names SplitCab gives, from the cabinet's file name (without directory).
std::string PartFileName(const std::string& cabinet_file_name, int index);
std::string PartListFileName(const std::string& cabinet_file_name);

// The text of a part list.
std::string PartListText(const PartList& list);
