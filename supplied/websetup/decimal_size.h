// A byte count written in decimal, as our own saved files and lists write it: digits only,
// no leading zero, at most 12 digits (below 1 TB).
#pragma once

#include <cstdint>
#include <string_view>

#include "text.h"

inline bool ParseDecimalSize(std::string_view digits, std::uint64_t& size) {
  if (digits.empty() || digits.size() > 12 || (digits.size() > 1 && digits[0] == '0')) return false;
  return IsDecimalNumber(digits, size);
}
