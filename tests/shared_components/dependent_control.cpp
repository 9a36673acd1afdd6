// A control that imports component_helper.dll: it loads only when that library is found.
#include <windows.h>

extern "C" __declspec(dllimport) int ComponentHelperAnswer();

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  return ComponentHelperAnswer() == 42 ? S_OK : E_FAIL;
}
