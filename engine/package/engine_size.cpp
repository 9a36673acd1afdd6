#include "engine_size.h"

#include "text.h"

std::uint64_t EngineFileSize() {
  std::uint64_t size = 0;
  const char* digits = kEngineSizeRecord + kEngineSizeRecordPrefix.size();
  ReadDecimal(std::string_view(digits, kEngineSizeRecordDigits), size);
  return size;
}
