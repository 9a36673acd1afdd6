#include "shared_components.h"

#include <algorithm>

#include "script.h"

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
