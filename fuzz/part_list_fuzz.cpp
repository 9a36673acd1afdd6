// The part list as a downloader reads it: a list that is accepted writes back to exactly
// the same text, its part sizes add up, and no name can leave the download directory.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "split_cab.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  PartList list;
  std::string error;
  if (!ParsePartList(text, list, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (PartListText(list) != text) std::abort();
  std::uint64_t total = 0;
  for (const auto& part : list.parts) {
    total += part.size;
    if (part.name.find_first_of("\\/:") != std::string::npos || part.name == "..") std::abort();
  }
  if (total != list.cabinet.size || list.parts.empty() || list.parts.size() > 1000) std::abort();
  return 0;
}
