// component_host CLASS-ID
// Creates an object of the class the way a container creates a control (CoCreateInstance,
// in-process) and prints "created PATH" with the file the system loaded it from, or
// "failed 0xHRESULT". Built as a 32-bit and a 64-bit program: each finds the control
// where programs of its bitness look.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  wchar_t class_text[64] = {};
  MultiByteToWideChar(CP_ACP, 0, argv[1], -1, class_text, 64);
  CLSID class_id{};
  if (FAILED(CLSIDFromString(class_text, &class_id))) return 2;
  CoInitialize(nullptr);
  IUnknown* object = nullptr;
  const HRESULT result = CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                          reinterpret_cast<void**>(&object));
  if (FAILED(result)) {
    std::printf("failed 0x%08lx\n", static_cast<unsigned long>(result));
    return 1;
  }
  // The object's table of functions lies in the module that made it.
  HMODULE module = nullptr;
  char path[MAX_PATH] = {};
  const void* table = *reinterpret_cast<void**>(object);
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(table), &module))
    GetModuleFileNameA(module, path, MAX_PATH);
  std::printf("created %s\n", path);
  object->Release();
  return 0;
}
