// Stand-in for the stand-alone web setup program: says what it is and ends with status 1.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  const bool silent = command_line && lstrcmpiA(command_line, "/S") == 0;
  if (!silent) {
    MessageBoxA(nullptr,
                "This is a placeholder for the stand-alone web setup program; the real program is not built yet.",
                "VexaStandAloneWebProg (placeholder)", MB_OK | MB_ICONINFORMATION);
  }
  return 1;
}
