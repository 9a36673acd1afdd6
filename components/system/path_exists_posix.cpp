#include <sys/stat.h>

#include "path_services.h"

bool PathExists(const std::string& path) {
  struct stat status {};
  return !path.empty() && stat(path.c_str(), &status) == 0;
}
