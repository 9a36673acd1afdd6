#include "next_boot_replacement.h"

#include "text.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

}  // namespace

std::string AddIniLineToText(std::string text, const std::string& section, const std::string& key,
                             const std::string& value) {
  const std::string header = "[" + section + "]";
  std::size_t header_at = UpperCase(text).find(UpperCase(header));
  if (header_at == std::string::npos) {
    text += kLineEnd + header;
    header_at = text.size() - header.size();
  }
  const std::string line = key + "=" + value;
  const std::size_t next_section = text.find('[', header_at + header.size());
  if (next_section == std::string::npos) {
    text += kLineEnd + line;
  } else {
    text.insert(next_section, kLineEnd + line + kLineEnd);
  }
  return text;
}
