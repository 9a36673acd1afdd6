#include <windows.h>
#include <objbase.h>
#include <winver.h>

#include <cstring>
#include <vector>

#include "cabinet.h"
#include "shared_components.h"
#include "next_boot_replacement.h"
#include "package.h"
#include "paths.h"
#include "registry.h"
#include "run_state.h"
#include "system_function.h"
#include "text.h"

namespace {

std::string TextOf(const char* buffer, std::size_t capacity) { return std::string(buffer, strnlen(buffer, capacity)); }

bool IsFullPath(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || StartsWithIgnoringCase(path, "\\\\");
}

}  // namespace

std::string GetFileVersionString(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(size) + 100, '\0');
  if (!GetFileVersionInfoA(path.c_str(), 0, size, buffer.data())) return {};

  void* value = nullptr;
  UINT length = 0;
  bool found = false;
  if (VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &value, &length) && value && length >= 4) {
    WORD translation[2];
    std::memcpy(translation, value, sizeof translation);
    const std::string key =
        "\\StringFileInfo\\" + HexText(translation[0], 4, true) + HexText(translation[1], 4, true) + "\\FileVersion";
    found = VerQueryValueA(buffer.data(), key.c_str(), &value, &length) && value;
  }
  if (!found) found = VerQueryValueA(buffer.data(), "\\StringFileInfo\\040904E4\\FileVersion", &value, &length) && value;
  if (!found) return {};
  return TextOf(static_cast<const char*>(value), length);
}

std::string FindDllTarget(const std::string& file_name, const std::string& version, Bitness bitness) {
  if (!IsPlainFileName(file_name)) return {};
  if (bitness != EngineBitness()) {
    // The platform's search knows only the caller's own system directory: a component of
    // the other bitness is looked for in its own.
    std::string system = SystemDirectoryFor(bitness);
    if (system.empty()) return {};
    AppendBackslash(system);
    const std::string target = system + file_name;
    if (!FileExists(target)) return target;
    return CompareVersions(GetFileVersionString(target), version) == 2 ? target : std::string();
  }
  char current[kPathBuffer] = {};
  char destination[kPathBuffer] = {};
  UINT current_length = kPathBuffer;
  UINT destination_length = kPathBuffer;
  // The result bits are not consulted: the directories reported are what counts. mingw-w64
  // declares the three names it only reads as writable.
  const std::string windows = WindowsDirectory();
  VerFindFileA(VFFF_ISSHAREDFILE, const_cast<char*>(file_name.c_str()), const_cast<char*>(windows.c_str()),
               const_cast<char*>("c:\\"), current, &current_length, destination, &destination_length);
  std::string installed = TextOf(current, kPathBuffer);
  std::string target = TextOf(destination, kPathBuffer);
  if (target.empty()) target = SystemDirectoryFor(bitness);
  AppendBackslash(target);
  target += file_name;
  if (installed.empty()) return target;
  AppendBackslash(installed);
  return CompareVersions(GetFileVersionString(installed + file_name), version) == 2 ? target : std::string();
}

// The machine's classes, never HKEY_CLASSES_ROOT: Windows shows the user's
// Software\Classes over the machine's there, and a value any user may write must not
// decide which file an elevated installer overwrites, loads or registers.
std::string GetRegisteredServer(const std::string& class_id, Bitness bitness) {
  if (class_id.empty()) return {};
  const std::string key = "Software->Classes->CLSID->" + class_id + "->InprocServer32";
  return ReachablePath(
      ReadRegistryString(HKEY_LOCAL_MACHINE, key, "", "->", kPathBuffer, RegistryViewFor(bitness)), bitness);
}

Bitness ComponentBitness(const std::string& path) { return FileBitness(path).value_or(EngineBitness()); }

std::string FindOcxTarget(const std::string& file_name, const std::string& version, const std::string& class_id,
                          Bitness bitness) {
  if (!IsPlainFileName(file_name)) return {};
  std::string system = SystemDirectoryFor(bitness);
  if (system.empty()) return {};
  AppendBackslash(system);
  const std::string registered = GetRegisteredServer(class_id, bitness);
  if (registered.empty() || !FileExists(registered)) return system + file_name;
  return CompareVersions(GetFileVersionString(registered), version) == 2 ? registered : std::string();
}

bool RegisterServer(const std::string& path) {
  CoInitialize(nullptr);
  // The control's own dependencies may lie beside it; nothing is taken from the current
  // or the temporary directory. A bare name is looked for in the system directory only.
  const DWORD search = IsFullPath(path) ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                                        : LOAD_LIBRARY_SEARCH_SYSTEM32;
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, search);
  if (!module) return false;
  HRESULT(STDAPICALLTYPE * register_server)() = nullptr;
  LookUp(module, "DllRegisterServer", register_server);
  if (register_server) register_server();
  FreeLibrary(module);
  return register_server != nullptr;
}

bool RegisterComponent(const std::string& path, Bitness bitness) {
  return bitness == EngineBitness() ? RegisterServer(path) : RegisterWithSystemTool(path, bitness);
}

bool InstallSharedDll(const std::string& source, bool& restart_needed) {
  const Bitness bitness = ComponentBitness(source);
  if (bitness == Bitness::k64 && !WindowsIs64Bit()) return false;
  const std::string target = FindDllTarget(FileNameOfPath(source), GetFileVersionString(source), bitness);
  if (target.empty()) return true;
  if (CopyFileA(source.c_str(), target.c_str(), FALSE)) return true;
  if (!ReplaceFileAtRestart(source, target)) return false;
  restart_needed = true;
  return true;
}

bool InstallOcx(const std::string& source, const std::string& class_id, bool& restart_needed) {
  const Bitness bitness = ComponentBitness(source);
  if (bitness == Bitness::k64 && !WindowsIs64Bit()) return false;
  bool copied = true;
  std::string target = FindOcxTarget(FileNameOfPath(source), GetFileVersionString(source), class_id, bitness);
  if (target.empty()) {
    target = GetRegisteredServer(class_id, bitness);
  } else {
    copied = CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
  }
  // After a failed copy this registers the old file, which is still in place.
  if (!target.empty() && FileExists(target)) RegisterComponent(target, bitness);
  if (copied) return true;
  if (!ReplaceFileAtRestart(source, target)) return false;
  restart_needed = true;
  return true;
}

namespace {

// The attached file out of the package, and the component out of it when it is a
// cabinet, into the temporary directory. Empty on success, else the error text.
std::string TakeOutComponent(RunState& run, const std::string& name, const std::string& component) {
  const std::string& temporary = run.temporary_directory;
  if (name.empty() || !ExtractFileFromCab(temporary + std::string(kAttachmentFileName), temporary, name))
    return "Error. Cannot extract " + name + " from self-extract EXE file.";
  if (EndsWithIgnoringCase(name, "CAB") && !ExtractFileFromCab(temporary + name, temporary, component))
    return "Error. Cannot extract " + component + " from " + name;
  return {};
}

// What the first decision of a line needs: the component taken out (its error text, if
// any, is reported only once the component turns out to be needed) and its bitness. A
// component that cannot be taken out is judged as one of the engine's own bitness.
struct TakenOut {
  std::string error;
  Bitness bitness = EngineBitness();
};

TakenOut TakeOutForDecision(RunState& run, const std::string& name, const std::string& component) {
  TakenOut taken;
  taken.error = TakeOutComponent(run, name, component);
  if (taken.error.empty()) taken.bitness = ComponentBitness(run.temporary_directory + component);
  return taken;
}

std::string Needs64BitWindows(const std::string& component) {
  return "Error. " + component + " is a 64-bit component and cannot be installed on 32-bit Windows.";
}

}  // namespace

std::string InstallDllFile(RunState& run, const std::string& attached, const std::string& component,
                           const std::string& version) {
  const std::string name = UpperCase(FileNameOfPath(attached));
  const std::string failure = "Error. Cannot install DLL " + component;
  if (!IsPlainFileName(component)) return failure;
  const TakenOut taken = TakeOutForDecision(run, name, component);
  if (taken.bitness == Bitness::k64 && !WindowsIs64Bit()) return Needs64BitWindows(component);
  if (FindDllTarget(component, version, taken.bitness).empty()) return {};
  AddLogLine(run, "Installing " + name);
  if (!taken.error.empty()) return taken.error;
  if (!InstallSharedDll(run.temporary_directory + component, run.restart_needed)) return failure;
  return {};
}

std::string InstallOcxFile(RunState& run, const std::string& attached, const std::string& component,
                           const std::string& version, const std::string& class_id) {
  const std::string name = UpperCase(FileNameOfPath(attached));
  const std::string failure = "Error. Cannot install OCX " + component;
  if (!IsPlainFileName(component)) return failure;
  const TakenOut taken = TakeOutForDecision(run, name, component);
  if (taken.bitness == Bitness::k64 && !WindowsIs64Bit()) return Needs64BitWindows(component);
  if (FindOcxTarget(component, version, class_id, taken.bitness).empty()) {
    // The control on the PC is as new: it is only registered again.
    const std::string registered = GetRegisteredServer(class_id, taken.bitness);
    if (!registered.empty()) RegisterComponent(registered, taken.bitness);
    return {};
  }
  AddLogLine(run, "Installing " + name);
  if (!taken.error.empty()) return taken.error;
  if (!InstallOcx(run.temporary_directory + component, class_id, run.restart_needed)) return failure;
  return {};
}
