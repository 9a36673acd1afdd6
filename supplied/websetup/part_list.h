// The part list of a program cabinet that the release builder split (Prog1_parts.txt
// beside Prog1_part0001.bin ...):
//
//   VexaPartList 1
//   Cabinet <size> <sha256> <cabinet file name>
//   Part <size> <sha256> <part file name>        one line per part, in order
//
// Sizes are decimal without leading zeros, digests 64 lower-case hex digits, the name the
// rest of the line. Every line ends with CR LF. Accepted only in exactly this form: 1 to
// kMaxParts parts of non-zero size adding up to the cabinet's size, lines of at most 1,024
// characters, kMaxPartListBytes in all, plain file names.
//
// What we require beyond the form: the cabinet line must name the cabinet of the web
// script's line with the size and digest of its signature, and the parts must carry the
// names the builder gives them (<stem>_part0001.bin ...), so a list cannot point us at any
// other file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxParts = 1000;
inline constexpr std::size_t kMaxPartListBytes = 256 * 1024;

struct PartEntry {
  std::uint64_t size = 0;
  std::string sha256;
  std::string name;
};

struct PartList {
  std::uint64_t cabinet_size = 0;
  std::string cabinet_sha256;
  std::string cabinet_name;
  std::vector<PartEntry> parts;
};

// Parses the text of a part list; false with `error` naming the fault.
bool ParsePartList(std::string_view text, PartList& list, std::string& error);

// "Prog1_parts.txt" for "Prog1.cab".
std::string PartListName(std::string_view cabinet_name);
// "Prog1_part0017.bin" for "Prog1.cab" and 17.
std::string PartName(std::string_view cabinet_name, std::size_t number);
