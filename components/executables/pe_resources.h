// Finding a resource in a Windows PE file (32-bit PE32 or 64-bit PE32+).
//
// MZ header -> "PE\0\0" at e_lfanew -> COFF header -> optional header whose magic tells
// PE32 (0x10B) from PE32+ (0x20B) -> data directory 2 (resources) as an RVA -> the section
// that holds that RVA gives its file offset. The resource tree has exactly three levels
// (type, name, language); we walk them by index, never by following the tree's own depth,
// so a damaged or looping directory cannot send us deeper. Entries are taken in the order
// the directory stores them (named entries first, then ids ascending, as linkers write
// them), and the first name and first language are used, as the version functions do.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Files larger than this are not examined (a component file is far smaller).
inline constexpr std::uint64_t kMaxExaminedFileSize = 256ull << 20;

// The whole file, or false when it cannot be read or is larger than kMaxExaminedFileSize.
bool ReadWholeBinaryFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// A resource type: a numeric id (RT_VERSION = 16), or a name such as "TYPELIB".
struct ResourceType {
  std::uint16_t id = 0;
  std::u16string name;  // used when not empty, compared ignoring ASCII case
};

// The data of the first resource of `type` in the PE image `image`; empty when the image
// is not a PE file, has no such resource, or any structure on the way is damaged.
std::span<const std::uint8_t> FindPeResource(std::span<const std::uint8_t> image, const ResourceType& type);

// The machine types a shared component may be built for: x86, x64, ARM (Thumb-2) and ARM64.
inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;
inline constexpr std::uint16_t kMachineArmNt = 0x01C4;
inline constexpr std::uint16_t kMachineArm64 = 0xAA64;

// True when `image` is a PE DLL (an OCX is one) for one of the machine types above.
bool IsWindowsLibrary(std::span<const std::uint8_t> image);
// The same for a file; false when it cannot be read or exceeds kMaxExaminedFileSize.
bool IsWindowsLibraryFile(const std::string& path);
