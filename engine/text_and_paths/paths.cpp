#include "paths.h"

#include "cabinet.h"

std::string FileNameOfPath(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

void AppendBackslash(std::string& path) {
  if (path.empty() || path.back() != '\\') path.push_back('\\');
}

bool IsPlainFileName(std::string_view name) {
  std::string relative;
  return StoredNameToRelativePath(name, relative) && relative.find('\\') == std::string::npos;
}
