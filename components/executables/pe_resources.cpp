#include "pe_resources.h"

#include "byte_reader.h"
#include "native_files.h"
#include "utf16_text.h"

namespace {

constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::uint32_t kNameBit = 0x80000000u;
constexpr std::uint32_t kMaxDirectoryEntries = 4096;

struct ResourceSection {
  std::uint32_t rva = 0;
  std::uint32_t virtual_size = 0;
  std::uint32_t file_offset = 0;
  std::uint32_t file_size = 0;
  std::uint32_t directory_rva = 0;
};

// The file offset of the COFF header: "MZ", e_lfanew at 0x3C, "PE\0\0" there.
bool FindCoffHeader(const ByteReader& file, std::uint64_t& coff) {
  std::uint16_t mz = 0;
  std::uint32_t pe_offset = 0;
  std::uint32_t signature = 0;
  if (!file.U16(0, mz) || mz != 0x5A4D || !file.U32(0x3C, pe_offset) || !file.U32(pe_offset, signature) ||
      signature != 0x00004550) {
    return false;
  }
  coff = std::uint64_t{pe_offset} + 4;
  return true;
}

// Locates the resource directory and the section that holds it.
bool FindResourceSection(const ByteReader& file, ResourceSection& section) {
  std::uint64_t coff = 0;
  if (!FindCoffHeader(file, coff)) return false;
  std::uint16_t section_count = 0;
  std::uint16_t optional_size = 0;
  std::uint16_t magic = 0;
  if (!file.U16(coff + 2, section_count) || !file.U16(coff + 16, optional_size) || !file.U16(coff + 20, magic)) {
    return false;
  }
  const std::uint64_t optional = coff + 20;
  std::uint64_t directories = 0;
  if (magic == 0x10B) directories = optional + 96;
  else if (magic == 0x20B) directories = optional + 112;
  else return false;
  std::uint32_t directory_count = 0;
  if (!file.U32(directories - 4, directory_count) || directory_count < 3) return false;
  const std::uint64_t resource_entry = directories + 2 * 8;
  if (resource_entry + 8 > optional + optional_size) return false;
  std::uint32_t directory_size = 0;
  if (!file.U32(resource_entry, section.directory_rva) || !file.U32(resource_entry + 4, directory_size) ||
      section.directory_rva == 0) {
    return false;
  }
  const std::uint64_t sections = optional + optional_size;
  for (std::uint16_t i = 0; i < section_count; ++i) {
    const std::uint64_t header = sections + 40ull * i;
    ResourceSection candidate;
    if (!file.U32(header + 8, candidate.virtual_size) || !file.U32(header + 12, candidate.rva) ||
        !file.U32(header + 16, candidate.file_size) || !file.U32(header + 20, candidate.file_offset)) {
      return false;
    }
    const std::uint32_t extent = std::max(candidate.virtual_size, candidate.file_size);
    if (section.directory_rva >= candidate.rva && section.directory_rva - candidate.rva < extent) {
      candidate.directory_rva = section.directory_rva;
      section = candidate;
      return true;
    }
  }
  return false;
}

class ResourceTree {
 public:
  ResourceTree(const ByteReader& file, const ResourceSection& section) : file_(file), section_(section) {}

  // File offset of an RVA inside the resource section, with `length` bytes available.
  bool FileOffset(std::uint64_t rva, std::uint64_t length, std::uint64_t& offset) const {
    if (rva < section_.rva) return false;
    const std::uint64_t inside = rva - section_.rva;
    if (inside + length > section_.file_size) return false;
    offset = section_.file_offset + inside;
    return file_.Has(offset, length);
  }

  // Offset (from the directory start) of the first entry's target, matching `type` when given.
  bool Entry(std::uint32_t directory, const ResourceType* type, bool want_subdirectory, std::uint32_t& target) const {
    std::uint64_t at = 0;
    if (!FileOffset(std::uint64_t{section_.directory_rva} + directory, 16, at)) return false;
    std::uint16_t named = 0;
    std::uint16_t ids = 0;
    if (!file_.U16(at + 12, named) || !file_.U16(at + 14, ids)) return false;
    const std::uint32_t count = std::uint32_t{named} + ids;
    if (count > kMaxDirectoryEntries) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint32_t name = 0;
      std::uint32_t offset = 0;
      if (!file_.U32(at + 16 + 8ull * i, name) || !file_.U32(at + 20 + 8ull * i, offset)) return false;
      if (type && !Matches(name, *type)) continue;
      if (((offset & kSubdirectoryBit) != 0) != want_subdirectory) return false;
      target = offset & ~kSubdirectoryBit;
      return true;
    }
    return false;
  }

 private:
  bool Matches(std::uint32_t name, const ResourceType& type) const {
    if ((name & kNameBit) == 0) return type.name.empty() && name == type.id;
    if (type.name.empty()) return false;
    std::uint64_t at = 0;
    std::uint16_t length = 0;
    const std::uint64_t rva = std::uint64_t{section_.directory_rva} + (name & ~kNameBit);
    if (!FileOffset(rva, 2, at) || !file_.U16(at, length) || length != type.name.size() ||
        !FileOffset(rva, 2ull + 2ull * length, at)) {
      return false;
    }
    std::u16string stored_name(length, u'\0');
    for (std::uint16_t i = 0; i < length; ++i) {
      std::uint16_t unit = 0;
      file_.U16(at + 2 + 2ull * i, unit);
      stored_name[i] = static_cast<char16_t>(unit);
    }
    return EqualIgnoringAsciiCase(stored_name, type.name);
  }

  const ByteReader& file_;
  const ResourceSection& section_;
};

}  // namespace

bool ReadWholeBinaryFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::string content;
  bool complete = false;
  if (!ReadFileBytes(path, static_cast<std::size_t>(kMaxExaminedFileSize), content, &complete) || !complete) return false;
  bytes.assign(content.begin(), content.end());
  return true;
}

std::span<const std::uint8_t> FindPeResource(std::span<const std::uint8_t> image, const ResourceType& type) {
  const ByteReader file(image);
  ResourceSection section;
  if (!FindResourceSection(file, section)) return {};
  const ResourceTree tree(file, section);
  std::uint32_t names = 0;
  std::uint32_t languages = 0;
  std::uint32_t data_entry = 0;
  if (!tree.Entry(0, &type, true, names) || !tree.Entry(names, nullptr, true, languages) ||
      !tree.Entry(languages, nullptr, false, data_entry)) {
    return {};
  }
  std::uint64_t at = 0;
  std::uint32_t data_rva = 0;
  std::uint32_t data_size = 0;
  if (!tree.FileOffset(std::uint64_t{section.directory_rva} + data_entry, 16, at) || !file.U32(at, data_rva) ||
      !file.U32(at + 4, data_size)) {
    return {};
  }
  if (!tree.FileOffset(data_rva, data_size, at)) return {};
  return file.Slice(at, data_size);
}

// IMAGE_FILE_HEADER: Machine at +0, Characteristics at +18 (IMAGE_FILE_DLL 0x2000); the
// optional header's magic tells PE32 (0x10B) from PE32+ (0x20B).
bool IsWindowsLibrary(std::span<const std::uint8_t> image) {
  constexpr std::uint16_t kImageFileDll = 0x2000;
  const ByteReader file(image);
  std::uint64_t coff = 0;
  if (!FindCoffHeader(file, coff)) return false;
  std::uint16_t machine = 0;
  std::uint16_t characteristics = 0;
  std::uint16_t magic = 0;
  if (!file.U16(coff, machine) || !file.U16(coff + 18, characteristics) || !file.U16(coff + 20, magic)) return false;
  const bool known_machine = machine == kMachineI386 || machine == kMachineAmd64 || machine == kMachineArmNt ||
                             machine == kMachineArm64;
  return known_machine && (characteristics & kImageFileDll) != 0 && (magic == 0x10B || magic == 0x20B);
}

bool IsWindowsLibraryFile(const std::string& path) {
  std::vector<std::uint8_t> file;
  return ReadWholeBinaryFile(path, file) && IsWindowsLibrary(file);
}
