#include "path_case.h"

std::string ResolvePathCase(const std::string& path) { return path; }
