// The disk-space check of the Install button: the program's bytes must fit on the drive of
// the product directory and the shared components' bytes on the drive of the system
// directory (both on one drive: their sum on it). Only components that would really be
// installed count; one already present in an equal or newer version adds nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "script.h"

struct RunState;

// The bytes a script asks for: `program` from InstallProgram lines (cabinet size plus
// expanded size), `system` from component lines whose component would be installed.
struct RequiredSpace {
  std::int64_t program = 0;
  std::int64_t system = 0;
};

// ---- Portable rule (disk_space.cpp) ----

// The message for a shortage, or empty when there is room. Drives are given as their first
// two characters ("C:"); a drive whose free space could not be read lets the check pass.
std::string DiskSpaceShortage(RequiredSpace required, const std::string& product_drive,
                              std::optional<double> product_free, const std::string& system_drive,
                              std::optional<double> system_free);

// ---- Windows (disk_space_win32.cpp) ----

// The bytes the script of `run` needs; components are judged against the PC as it is.
RequiredSpace RequiredSpaceOf(const ScriptLines& script);

// The check for the run's product directory: empty when there is room, else the message.
std::string CheckDiskSpace(const RunState& run);
