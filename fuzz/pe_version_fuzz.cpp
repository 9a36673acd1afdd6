// The PE version reader on arbitrary bytes, taken both as a whole PE file and as a bare
// version resource: every read stays in bounds and the text is valid UTF-8.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "pe_version.h"
#include "utf16_text.h"

namespace {

void CheckText(const std::string& text) {
  if (Utf16ToUtf8(Utf8ToUtf16(text)) != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  CheckText(FileVersionOfImage(bytes));
  CheckText(FileVersionOfResource(bytes));
  return 0;
}
