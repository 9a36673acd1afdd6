// Linked into every program that end users start from a downloads folder (see
// cmake/SystemDlls.cmake): before any constructor or WinMain runs, DLLs are looked for in
// the system directory only, never in the program's folder or the current directory.
// The program imports only KERNEL32 at load time; every other system DLL is delay-loaded
// and so found there on its first use.
#include <windows.h>

namespace {

__attribute__((constructor(101))) void RestrictDllSearchToSystemDirectory() {
  SetDllDirectoryA("");
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace
