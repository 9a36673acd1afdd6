// A plain shared DLL for the component tests; the build gives each copy its own version
// resource (or none).
#include <windows.h>

extern "C" __declspec(dllexport) const char* SharedComponentVersion() { return COMPONENT_VERSION; }
