// A DLL that only carries the sample type library as its TYPELIB resource, for the
// readers' tests under Wine.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
