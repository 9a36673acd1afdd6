#include "cab_format.h"

#include "narrow_text.h"
#include "utf16_text.h"

std::uint32_t CabChecksum(std::span<const std::uint8_t> data, std::uint32_t seed) {
  std::uint32_t sum = seed;
  std::size_t i = 0;
  for (; i + 4 <= data.size(); i += 4) {
    sum ^= std::uint32_t{data[i]} | (std::uint32_t{data[i + 1]} << 8) | (std::uint32_t{data[i + 2]} << 16) |
           (std::uint32_t{data[i + 3]} << 24);
  }
  std::uint32_t tail = 0;
  for (; i < data.size(); ++i) tail = (tail << 8) | data[i];
  return sum ^ tail;
}

std::uint32_t CabDataChecksum(std::span<const std::uint8_t> data, std::uint16_t uncompressed_size) {
  const std::uint16_t compressed_size = static_cast<std::uint16_t>(data.size());
  const std::uint8_t sizes[4] = {static_cast<std::uint8_t>(compressed_size), static_cast<std::uint8_t>(compressed_size >> 8),
                                 static_cast<std::uint8_t>(uncompressed_size),
                                 static_cast<std::uint8_t>(uncompressed_size >> 8)};
  return CabChecksum(sizes, CabChecksum(data, 0));
}

bool StoredCabName(std::string_view name, std::string& stored, bool& is_utf8, int code_page) {
  if (name.empty()) return false;
  stored.assign(name);
  is_utf8 = false;
  for (char& c : stored) {
    if (c == '\0') return false;
    if (c == '/') c = '\\';
    if (static_cast<unsigned char>(c) >= 0x80) is_utf8 = true;
  }
  // Relative names only, with real folder names: readers refuse the others.
  std::string_view rest = stored;
  for (;;) {
    const std::size_t cut = rest.find('\\');
    const std::string_view part = rest.substr(0, cut);
    if (part.empty() || part == "." || part == ".." || part.find(':') != std::string_view::npos) return false;
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  if (is_utf8 && code_page != 0) {
    is_utf8 = false;
    const std::string narrow = stored;
    if (!NarrowToCodePage(narrow, code_page, stored)) return false;
  } else if (is_utf8) {
    // The name is narrow text (the ANSI code page on Windows); readers expect UTF-8 under
    // the flag.
    bool valid = false;
    const std::u16string utf16 = NarrowToUtf16(stored, &valid);
    if (!valid) return false;
    stored = Utf16ToUtf8(utf16);
  }
  return stored.size() <= kCabMaxNameBytes;
}
