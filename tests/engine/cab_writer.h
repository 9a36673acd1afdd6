// Writes small uncompressed cabinets for tests, with any stored name, attribute bits, DOS
// date and time, including names no cabinet tool would produce.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CabEntry {
  std::string name;
  std::string data;
  std::uint16_t attributes = 0x20;
  std::uint16_t dosDate = (46 << 9) | (1 << 5) | 15;  // 15 January 2026
  std::uint16_t dosTime = (10 << 11) | (20 << 5) | 15;  // 10:20:30
};

// The bytes of a cabinet holding `entries` in one uncompressed folder (no folder at all
// when `entries` is empty).
std::string CabinetBytes(const std::vector<CabEntry>& entries);

// Writes CabinetBytes(entries) to `path`; false when the file cannot be written.
bool WriteCabinet(const std::string& path, const std::vector<CabEntry>& entries);
