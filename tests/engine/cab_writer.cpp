#include "cab_writer.h"

#include <fstream>

namespace {

// Cabinet header fields (no reserve area, a single cabinet).
constexpr std::size_t kHeaderBytes = 36;
constexpr std::size_t kFolderBytes = 8;
constexpr std::size_t kFileBytes = 16;  // before the name
constexpr std::size_t kDataBytes = 8;   // before the block
constexpr std::size_t kMaxBlock = 32768;

void Put16(std::string& out, std::size_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::size_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, (value >> 16) & 0xFFFF);
}

}  // namespace

std::string CabinetBytes(const std::vector<CabEntry>& entries) {
  std::string folderData;
  for (const CabEntry& entry : entries) folderData += entry.data;
  const std::size_t folders = entries.empty() ? 0 : 1;
  std::size_t namesBytes = 0;
  for (const CabEntry& entry : entries) namesBytes += kFileBytes + entry.name.size() + 1;
  const std::size_t blocks = (folderData.size() + kMaxBlock - 1) / kMaxBlock + (folderData.empty() && folders ? 1 : 0);
  const std::size_t filesOffset = kHeaderBytes + folders * kFolderBytes;
  const std::size_t dataOffset = filesOffset + namesBytes;
  const std::size_t total = dataOffset + blocks * kDataBytes + folderData.size();

  std::string out = "MSCF";
  Put32(out, 0);
  Put32(out, total);
  Put32(out, 0);
  Put32(out, filesOffset);
  Put32(out, 0);
  out += '\x03';
  out += '\x01';
  Put16(out, folders);
  Put16(out, entries.size());
  Put16(out, 0);       // flags
  Put16(out, 0x1234);  // set id
  Put16(out, 0);       // index in set
  if (folders) {
    Put32(out, dataOffset);
    Put16(out, blocks);
    Put16(out, 0);  // no compression
  }
  std::size_t offset = 0;
  for (const CabEntry& entry : entries) {
    Put32(out, entry.data.size());
    Put32(out, offset);
    Put16(out, 0);
    Put16(out, entry.dosDate);
    Put16(out, entry.dosTime);
    Put16(out, entry.attributes);
    out += entry.name;
    out += '\0';
    offset += entry.data.size();
  }
  for (std::size_t i = 0; i < blocks; ++i) {
    const std::string block = folderData.substr(i * kMaxBlock, kMaxBlock);
    Put32(out, 0);  // no checksum
    Put16(out, block.size());
    Put16(out, block.size());
    out += block;
  }
  return out;
}

bool WriteCabinet(const std::string& path, const std::vector<CabEntry>& entries) {
  const std::string bytes = CabinetBytes(entries);
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}
