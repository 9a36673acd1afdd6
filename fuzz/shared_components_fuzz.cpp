// Version texts (from scripts and version resources) and WININIT.INI contents on arbitrary
// bytes: parsing must stay in bounds, comparison must be consistent both ways, and an
// added line must leave the text before the insertion point as it was.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shared_components.h"
#include "next_boot_replacement.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\n');
  const std::string first = input.substr(0, split);
  const std::string second = split == std::string::npos ? std::string() : input.substr(split + 1);

  const int forward = CompareVersions(first, second);
  const int backward = CompareVersions(second, first);
  if (forward == 0 ? backward != 0 : forward == backward) std::abort();

  const std::string edited = AddIniLineToText(input, "Rename", "NUL", "C:\\A.DLL");
  if (edited.size() != input.size() + std::string("\r\nNUL=C:\\A.DLL").size() &&
      edited.size() != input.size() + std::string("\r\nNUL=C:\\A.DLL\r\n").size() &&
      edited.size() != input.size() + std::string("\r\n[Rename]\r\nNUL=C:\\A.DLL").size())
    std::abort();
  return 0;
}
