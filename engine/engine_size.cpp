#include "engine_size.h"

std::uint64_t EngineFileSize() {
  std::uint64_t size = 0;
  const char* digits = kEngineSizeRecord + kEngineSizeRecordPrefix.size();
  for (std::size_t i = 0; i < kEngineSizeRecordDigits; ++i) size = size * 10 + static_cast<unsigned>(digits[i] - '0');
  return size;
}
