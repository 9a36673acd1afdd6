#include "components.h"

#include <algorithm>

#include "script.h"
#include "text.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

}  // namespace

Version ParseVersion(const std::string& text) {
  const char separator = text.find(',') != std::string::npos ? ',' : '.';
  std::string padded = text;
  const auto separators = std::count(padded.begin(), padded.end(), separator);
  if (separators < 3) padded.append(static_cast<std::size_t>(3 - separators), separator);

  Version version;
  std::size_t start = 0;
  for (int field = 0; field < 4; ++field) {
    // The fourth field runs to the end of the text, further separators included.
    const std::size_t end = field < 3 ? padded.find(separator, start) : padded.size();
    version.fields[field] = ScriptNumber(std::string_view(padded).substr(start, end - start));
    start = end + 1;
  }
  return version;
}

int CompareVersions(const std::string& installed, const std::string& new_version) {
  const Version old_fields = ParseVersion(installed);
  const Version new_fields = ParseVersion(new_version);
  for (int field = 0; field < 4; ++field) {
    if (new_fields.fields[field] < old_fields.fields[field]) return 1;
    if (new_fields.fields[field] > old_fields.fields[field]) return 2;
  }
  return 0;
}

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
