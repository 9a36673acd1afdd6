// Shared components: DLLs kept in the system directory and ActiveX controls (OCX files,
// in-process COM servers) that other programs use too.
//
// A component is installed only when the PC has no copy of it or an older one, judged by
// the FileVersion text of the version resources. A version is four whole numbers compared
// in order; a text is split at commas when it holds one, else at dots ("4.70.0.1155",
// "1, 0, 0, 5"), and a file without version information counts as 0.0.0.0. A DLL goes
// where the platform's shared-file search says; an OCX goes where its class is registered
// (or into the system directory) and is registered through its DllRegisterServer export.
// A file in use is replaced at the next boot (next_boot_replacement.h), after which the
// run offers a restart.
//
// Where we differ on purpose:
//   * Components are loaded for registration from their full path, with a search for
//     their own dependencies in their own directory and the system directory only.
//   * Each component is installed by its own bitness (see bitness.h): a 32-bit one through
//     the engine's 32-bit views, a 64-bit one on 64-bit Windows into the 64-bit system
//     directory and registry view, registered by the 64-bit regsvr32; a 64-bit one on
//     32-bit Windows fails its line. The bitness is read from the component file, so the
//     file is taken out of the package (silently) before the first decision, also when
//     the PC turns out to have it already.
#pragma once

#include <cstdint>
#include <string>

#include "bitness.h"

struct RunState;

// ---- Portable rules (shared_components.cpp) ----

struct Version {
  std::int64_t fields[4] = {0, 0, 0, 0};
};

// The four numbers of a version text. Each field reads like the C library's atol:
// leading white space, an optional sign, digits up to the first other character.
Version ParseVersion(const std::string& text);

// 0 when equal, 1 when `new_version` is older than `installed`, 2 when it is newer.
int CompareVersions(const std::string& installed, const std::string& new_version);

// ---- Windows (shared_components_win32.cpp) ----

// The installation actions of InstallDllFile and InstallOcxFile lines. `attached` is
// argument 1 (only its file name counts), `component` argument 3, `version` argument 4,
// `class_id` argument 5. Return the error text: empty on success.
std::string InstallDllFile(RunState& run, const std::string& attached, const std::string& component,
                           const std::string& version);
std::string InstallOcxFile(RunState& run, const std::string& attached, const std::string& component,
                           const std::string& version, const std::string& class_id);

// Where a DLL named `file_name` at `version` would go; empty when the copy on the PC is as
// new or newer. `bitness` is the component's: the engine's own goes where the platform's
// shared-file search says, the other one into its own system directory.
std::string FindDllTarget(const std::string& file_name, const std::string& version,
                          Bitness bitness = EngineBitness());

// Where an OCX would go: the registered file (GetRegisteredServer) when it exists and is
// older, the system directory when the class is not registered to an existing file; empty
// when the registered copy is as new or newer. Registry and system directory are those of
// `bitness`.
std::string FindOcxTarget(const std::string& file_name, const std::string& version, const std::string& class_id,
                          Bitness bitness = EngineBitness());

// The InprocServer32 path registered for `class_id` ("{...}") among the machine's classes
// (HKLM\Software\Classes, not the user-merged HKEY_CLASSES_ROOT) in the registry view of
// `bitness`, as this process reaches the file; empty when none.
std::string GetRegisteredServer(const std::string& class_id, Bitness bitness = EngineBitness());

// The bitness a component file is installed by: its PE machine type, or the engine's
// own when the file is no PE image of a known machine.
Bitness ComponentBitness(const std::string& path);

// Installs the component file at `source` unless the PC has it as new or newer; a file in
// use is scheduled for replacement at the next boot and sets `restart_needed`.
bool InstallSharedDll(const std::string& source, bool& restart_needed);
bool InstallOcx(const std::string& source, const std::string& class_id, bool& restart_needed);

// Calls the DllRegisterServer export of the library at `path`; true when it was found and
// called (its result is not judged). Initialises COM on the calling thread.
bool RegisterServer(const std::string& path);

// Registers the component at `path` in a process of its own bitness: in this process
// (RegisterServer) for the engine's bitness, through the system's regsvr32 /s of the
// other bitness otherwise, whose exit status is the result.
bool RegisterComponent(const std::string& path, Bitness bitness);

// The FileVersion text of the file's version resource; empty when it has none.
std::string GetFileVersionString(const std::string& path);
