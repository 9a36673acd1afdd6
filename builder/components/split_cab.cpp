#include "split_cab.h"

#include <array>
#include <cstdio>

#include "native_files.h"
#include "sha256.h"

namespace {

constexpr std::string_view kListHeader = "VexaPartList 1";
constexpr std::size_t kMaxListText = 256 * 1024;
constexpr std::size_t kMaxLine = 1024;
constexpr std::size_t kMaxName = 255;

std::string Directory(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FileName(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Stem(const std::string& file_name) {
  const std::size_t dot = file_name.rfind('.');
  return dot == std::string::npos || dot == 0 ? file_name : file_name.substr(0, dot);
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxName || name == "." || name == ".." || name.back() == '.' ||
      name.back() == ' ' || name.front() == ' ') {
    return false;
  }
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) return false;
  }
  return true;
}

bool IsDigest(std::string_view text) { return text.size() == 64 && IsLowerHex(text); }

bool ParseSize(std::string_view text, std::uint64_t& value) {
  if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0')) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return true;
}

// "<word> <size> <sha256> <name>"
bool ParseEntry(std::string_view line, std::string_view word, PartListEntry& entry) {
  if (line.substr(0, word.size()) != word || line.size() <= word.size() || line[word.size()] != ' ') return false;
  line.remove_prefix(word.size() + 1);
  const std::size_t size_end = line.find(' ');
  if (size_end == std::string_view::npos || !ParseSize(line.substr(0, size_end), entry.size)) return false;
  line.remove_prefix(size_end + 1);
  if (line.size() < 66 || !IsDigest(line.substr(0, 64)) || line[64] != ' ') return false;
  entry.sha256.assign(line.substr(0, 64));
  entry.name.assign(line.substr(65));
  return IsPlainFileName(entry.name);
}

void AppendEntry(std::string& text, std::string_view word, const PartListEntry& entry) {
  text += word;
  text += ' ' + std::to_string(entry.size) + ' ' + entry.sha256 + ' ' + entry.name + "\r\n";
}

bool WriteBytes(const std::string& path, const void* data, std::size_t size) {
  NativeFile out = OpenNativeFile(path, "wb");
  if (!out) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, out.get()) == size;
  return std::fclose(out.release()) == 0 && written;
}

}  // namespace

std::string PartFileName(const std::string& cabinet_file_name, int index) {
  char number[16];
  std::snprintf(number, sizeof number, "%04d", index);
  return Stem(cabinet_file_name) + "_part" + number + ".bin";
}

std::string PartListFileName(const std::string& cabinet_file_name) { return Stem(cabinet_file_name) + "_parts.txt"; }

std::string PartListText(const PartList& list) {
  std::string text(kListHeader);
  text += "\r\n";
  AppendEntry(text, "Cabinet", list.cabinet);
  for (const PartListEntry& part : list.parts) AppendEntry(text, "Part", part);
  return text;
}

bool ParsePartList(std::string_view text, PartList& list, std::string& error) {
  list = {};
  if (text.size() > kMaxListText) {
    error = "The part list is too long";
    return false;
  }
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) {
      error = "The part list does not end with a line end";
      return false;
    }
    if (end > kMaxLine) {
      error = "A line of the part list is too long";
      return false;
    }
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  if (lines.size() < 3 || lines[0] != kListHeader) {
    error = "Not a part list";
    return false;
  }
  if (lines.size() - 2 > static_cast<std::size_t>(kMaxCabParts)) {
    error = "Too many parts";
    return false;
  }
  if (!ParseEntry(lines[1], "Cabinet", list.cabinet)) {
    error = "Bad cabinet line in the part list";
    return false;
  }
  std::uint64_t total = 0;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    PartListEntry part;
    if (!ParseEntry(lines[i], "Part", part) || part.size == 0) {
      error = "Bad part line " + std::to_string(i - 1) + " in the part list";
      return false;
    }
    total += part.size;
    if (total > list.cabinet.size) break;
    list.parts.push_back(std::move(part));
  }
  if (total != list.cabinet.size || list.parts.size() != lines.size() - 2) {
    error = "The part sizes do not add up to the cabinet size";
    list = {};
    return false;
  }
  return true;
}

std::string SplitCab(const std::string& cabinet_path, int parts) {
  if (parts < 1 || parts > kMaxCabParts) return "Invalid number of parts: " + std::to_string(parts);
  SourceFileFacts facts;
  if (!ReadSourceFileFacts(cabinet_path, facts)) return "Cannot read file: " + cabinet_path;
  if (facts.size < static_cast<std::uint64_t>(parts)) return "The file is too small to split into " + std::to_string(parts) + " parts: " + cabinet_path;
  NativeFile in = OpenNativeFile(cabinet_path, "rb");
  if (!in) return "Cannot read file: " + cabinet_path;

  const std::string directory = Directory(cabinet_path);
  const std::string name = FileName(cabinet_path);
  PartList list;
  list.cabinet.name = name;
  list.cabinet.size = facts.size;
  std::vector<std::string> written;
  auto fail = [&](std::string text) {
    for (const std::string& path : written) RemoveNativeFile(path);
    return text;
  };

  Sha256 whole;
  const std::uint64_t base = facts.size / static_cast<std::uint64_t>(parts);
  const std::uint64_t larger = facts.size % static_cast<std::uint64_t>(parts);
  std::vector<std::uint8_t> buffer(1 << 16);
  for (int index = 1; index <= parts; ++index) {
    PartListEntry part;
    part.name = PartFileName(name, index);
    part.size = base + (static_cast<std::uint64_t>(index) <= larger ? 1 : 0);
    const std::string part_path = directory + part.name;
    NativeFile out = OpenNativeFile(part_path, "wb");
    if (!out) return fail("Cannot create file: " + part_path);
    written.push_back(part_path);
    Sha256 hash;
    for (std::uint64_t left = part.size; left > 0;) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
      if (std::fread(buffer.data(), 1, want, in.get()) != want) return fail("Cannot read file: " + cabinet_path);
      if (std::fwrite(buffer.data(), 1, want, out.get()) != want) return fail("Cannot write file: " + part_path);
      hash.Update(std::span(buffer).first(want));
      whole.Update(std::span(buffer).first(want));
      left -= want;
    }
    if (std::fclose(out.release()) != 0) return fail("Cannot write file: " + part_path);
    part.sha256 = HexOf(hash.Finish());
    list.parts.push_back(std::move(part));
  }
  if (std::fgetc(in.get()) != EOF) return fail("The file changed while it was split: " + cabinet_path);
  list.cabinet.sha256 = HexOf(whole.Finish());

  const std::string list_path = directory + PartListFileName(name);
  const std::string text = PartListText(list);
  written.push_back(list_path);
  if (!WriteBytes(list_path, text.data(), text.size())) return fail("Cannot write file: " + list_path);
  return {};
}
