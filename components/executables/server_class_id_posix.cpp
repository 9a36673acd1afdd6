#include "server_class_id.h"

#include <vector>

#include "type_library.h"

std::string GetServerClassId(const std::string& path, bool) {
  const std::vector<std::string> classes = EmbeddedTypeLibraryClassIds(path);
  return classes.empty() ? std::string() : classes.front();
}

std::string GetOcxRegistration(const std::string& path, bool check_registration) {
  return GetServerClassId(path, check_registration);
}
