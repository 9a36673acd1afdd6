#include "system_temporary_path_win32.h"

#include <windows.h>

std::string SystemTemporaryPath() {
  char path[MAX_PATH + 1] = {};
  GetTempPathA(sizeof path, path);
  return path;
}
