// Linked into the test builds of the programs (never into what ships): holds a run still
// at one pause point (engine/setup_run/test_pause.h), so that a test can act in the window between a
// check and the use of what was checked.
//
//   VEXA_TEST_PAUSE=<point>=<directory>
//
// When the run reaches <point>, the file <directory>\<point>.reached is created and the
// run waits until <directory>\<point>.go exists (at most two minutes), then goes on.
// Other points pass at once.
#include <windows.h>

#include <string>

#include "test_pause.h"

namespace {

void PauseAt(const char* point) {
  char setting[1024] = {};
  const DWORD length = GetEnvironmentVariableA("VEXA_TEST_PAUSE", setting, sizeof setting);
  if (length == 0 || length >= sizeof setting) return;
  const std::string text(setting, length);
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos || text.substr(0, equals) != point) return;
  const std::string base = text.substr(equals + 1) + "\\" + point;
  HANDLE reached = CreateFileA((base + ".reached").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (reached != INVALID_HANDLE_VALUE) CloseHandle(reached);
  for (int waited = 0; waited < 1200; ++waited) {
    if (GetFileAttributesA((base + ".go").c_str()) != INVALID_FILE_ATTRIBUTES) return;
    Sleep(100);
  }
}

struct Installer {
  Installer() { g_test_pause_hook = PauseAt; }
} installer;

}  // namespace
