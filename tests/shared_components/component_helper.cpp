// A library that a test control imports, to see where the control's dependencies are
// looked for when it is registered.
#include <windows.h>

extern "C" __declspec(dllexport) int ComponentHelperAnswer() { return 42; }
