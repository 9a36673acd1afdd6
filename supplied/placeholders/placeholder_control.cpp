// Stand-in for the browser-side loader control: a DLL with the loader's version resource
// and nothing to register.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
