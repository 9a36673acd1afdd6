#include "expansion_directories.h"

#include <filesystem>

std::set<std::string> ExpansionDirectories() {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("~ts", 0) == 0) names.insert(name);
  }
  return names;
}
