#include "part_list.h"

#include <cstdio>

#include "decimal_size.h"
#include "paths.h"

namespace {

bool IsDigest(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// "<word> <size> <sha256> <name>"
bool ParseEntry(std::string_view line, std::string_view word, std::uint64_t& size, std::string& sha256,
                std::string& name) {
  if (line.substr(0, word.size() + 1) != std::string(word) + " ") return false;
  line.remove_prefix(word.size() + 1);
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos || !ParseDecimalSize(line.substr(0, blank), size)) return false;
  line.remove_prefix(blank + 1);
  if (line.size() < 66 || line[64] != ' ' || !IsDigest(line.substr(0, 64))) return false;
  sha256 = std::string(line.substr(0, 64));
  name = std::string(line.substr(65));
  return IsPlainFileName(name);
}

std::string Stem(std::string_view cabinet_name) {
  const std::size_t dot = cabinet_name.rfind('.');
  return std::string(dot == std::string_view::npos ? cabinet_name : cabinet_name.substr(0, dot));
}

}  // namespace

std::string PartListName(std::string_view cabinet_name) { return Stem(cabinet_name) + "_parts.txt"; }

std::string PartName(std::string_view cabinet_name, std::size_t number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04zu", number);
  return Stem(cabinet_name) + "_part" + digits + ".bin";
}

bool ParsePartList(std::string_view text, PartList& list, std::string& error) {
  list = PartList{};
  if (text.size() > kMaxPartListBytes) {
    error = "the part list is larger than 256 KiB";
    return false;
  }
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) {
      error = "a line of the part list does not end with CR LF";
      return false;
    }
    if (end > 1024) {
      error = "a line of the part list is longer than 1,024 characters";
      return false;
    }
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  if (lines.size() < 3 || lines[0] != "VexaPartList 1") {
    error = "the part list has no header line, cabinet line and part lines";
    return false;
  }
  if (!ParseEntry(lines[1], "Cabinet", list.cabinet_size, list.cabinet_sha256, list.cabinet_name)) {
    error = "the cabinet line of the part list is malformed";
    return false;
  }
  if (lines.size() - 2 > kMaxParts) {
    error = "the part list names more than 1,000 parts";
    return false;
  }
  std::uint64_t total = 0;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    PartEntry part;
    if (!ParseEntry(lines[i], "Part", part.size, part.sha256, part.name) || part.size == 0) {
      error = "part line " + std::to_string(i - 1) + " of the part list is malformed";
      return false;
    }
    total += part.size;
    list.parts.push_back(std::move(part));
  }
  if (total != list.cabinet_size) {
    error = "the parts of the part list do not add up to the cabinet's size";
    return false;
  }
  return true;
}
