#include "type_library.h"

#include <cstdio>

#include "byte_reader.h"
#include "pe_resources.h"

namespace {

constexpr std::uint32_t kMsftMagic = 0x5446534D;
constexpr std::uint32_t kHelpDllFlag = 0x100;
constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kSegmentCount = 15;
constexpr std::size_t kTypeInfoSize = 0x64;
constexpr std::size_t kGuidEntrySize = 24;
constexpr std::uint32_t kCoclassKind = 5;
constexpr std::uint32_t kMaxTypeInfos = 65535;

struct Segment {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

bool ReadSegment(const ByteReader& bytes, std::uint64_t at, Segment& segment) {
  return bytes.U32(at, segment.offset) && bytes.U32(at + 4, segment.length) &&
         bytes.Has(segment.offset, segment.length);
}

}  // namespace

std::string GuidText(std::span<const std::uint8_t, 16> g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g[3], g[2],
                g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
  return text;
}

std::vector<std::string> TypeLibraryClassIds(std::span<const std::uint8_t> data) {
  const ByteReader bytes(data);
  std::uint32_t magic = 0;
  std::uint32_t varflags = 0;
  std::uint32_t count = 0;
  if (!bytes.U32(0, magic) || magic != kMsftMagic || !bytes.U32(0x14, varflags) || !bytes.U32(0x20, count) ||
      count > kMaxTypeInfos) {
    return {};
  }
  const std::uint64_t segments = kHeaderSize + 4ull * count + ((varflags & kHelpDllFlag) ? 4 : 0);
  Segment type_infos;
  Segment guids;
  if (!bytes.Has(segments, kSegmentCount * 16) || !ReadSegment(bytes, segments, type_infos) ||
      !ReadSegment(bytes, segments + 5 * 16, guids)) {
    return {};
  }
  std::vector<std::string> classes;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t info = std::uint64_t{type_infos.offset} + std::uint64_t{i} * kTypeInfoSize;
    if (std::uint64_t{i + 1} * kTypeInfoSize > type_infos.length) break;
    std::uint32_t kind = 0;
    std::uint32_t guid_position = 0;
    if (!bytes.U32(info, kind) || !bytes.U32(info + 11 * 4, guid_position)) break;
    if ((kind & 0xF) != kCoclassKind) continue;
    // A type without a GUID has position -1.
    if (guid_position == 0xFFFFFFFFu || std::uint64_t{guid_position} + kGuidEntrySize > guids.length) continue;
    const std::span<const std::uint8_t> guid = bytes.Slice(std::uint64_t{guids.offset} + guid_position, 16);
    if (guid.size() == 16) classes.push_back(GuidText(guid.first<16>()));
  }
  return classes;
}

std::vector<std::string> EmbeddedTypeLibraryClassIds(const std::string& path) {
  std::vector<std::uint8_t> file;
  if (!ReadWholeBinaryFile(path, file)) return {};
  std::vector<std::string> classes = TypeLibraryClassIds(file);
  if (!classes.empty()) return classes;
  return TypeLibraryClassIds(FindPeResource(file, ResourceType{0, u"TYPELIB"}));
}
