// The cabinet file format as our writer produces it.
//
//   CFHEADER  "MSCF", 0, cbCabinet, 0, coffFiles, 0, version 1.3, cFolders, cFiles,
//             flags, setID, iCabinet                                   (36 bytes)
//   CFFOLDER  coffCabStart, cCFData, typeCompress                      (8 bytes each)
//   CFFILE    cbFile, uoffFolderStart, iFolder, date, time, attribs, szName + NUL
//   CFDATA    csum, cbData, cbUncomp, data                             (8 + cbData bytes)
//
// All fields little-endian. We never write per-cabinet, per-folder or per-block reserve
// areas, and never chain cabinets (no previous/next cabinet). Names use "\" between
// folders; a name that is not plain ASCII is converted from narrow text (the ANSI code
// page on Windows, UTF-8 natively) and stored as UTF-8 with attribute bit 0x80 (the
// format's "name is UTF" flag), or, for a cabinet the setup engine expands, in the
// package's single-byte code page without the flag: the engine creates its files under
// the names as stored, in the end user's system code page. A folder is MSZIP
// (typeCompress 1) or LZX (3, with the window's log2 in bits 8-12; lzx_format.h).
//
// Limits we keep so that common readers take the cabinet: at most 65,535 files and
// 65,535 folders; a folder holds at most 65,535 data blocks, i.e. 0x7FFF8000 uncompressed
// bytes (readers reject a file whose folder offset plus size passes that, so a file larger
// than one folder cannot be stored at all); the cabinet's size and offsets fit 32 bits;
// a stored name is at most 255 bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kCabHeaderSize = 36;
inline constexpr std::size_t kCabFolderSize = 8;
inline constexpr std::size_t kCabFileFixedSize = 16;
inline constexpr std::size_t kCabDataHeaderSize = 8;
inline constexpr std::uint32_t kCabMaxFiles = 65535;
inline constexpr std::uint32_t kCabMaxFolders = 65535;
inline constexpr std::uint32_t kCabMaxBlocksPerFolder = 65535;
inline constexpr std::size_t kCabMaxNameBytes = 255;
inline constexpr std::uint16_t kCabCompressionMszip = 1;
inline constexpr std::uint16_t kCabAttributeNameIsUtf8 = 0x80;

// Little-endian field writer.
class ByteWriter {
 public:
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value));
    U8(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  void Text(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// The format's checksum: the XOR of the data taken as little-endian 32-bit words, the
// last one to three bytes packed with the first of them highest, starting from `seed`.
std::uint32_t CabChecksum(std::span<const std::uint8_t> data, std::uint32_t seed);

// The csum field of a CFDATA block holding `data` that expands to `uncompressed_size`.
std::uint32_t CabDataChecksum(std::span<const std::uint8_t> data, std::uint16_t uncompressed_size);

// The name as stored: "/" becomes "\", a non-ASCII name becomes UTF-8 (or, with a
// `code_page`, that code page's bytes). False for a name the format cannot hold (empty,
// longer than kCabMaxNameBytes once stored, a NUL byte, bytes that are not valid narrow
// text, a character the code page lacks) or that readers refuse (absolute, a drive or
// ":", an empty, "." or ".." folder); `is_utf8` tells whether the UTF flag is needed.
bool StoredCabName(std::string_view name, std::string& stored, bool& is_utf8, int code_page = 0);
