#include "split_cab.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "native_files.h"
#include "sha256.h"

namespace {

constexpr std::string_view kListHeader = "VexaPartList 1";

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
