#include <windows.h>

#include "shared_components.h"
#include "disk_space.h"
#include "paths.h"
#include "run_state.h"

namespace {

std::optional<double> FreeSpaceOf(const std::string& drive) {
  DWORD sectors_per_cluster = 0;
  DWORD bytes_per_sector = 0;
  DWORD free_clusters = 0;
  DWORD total_clusters = 0;
  if (!GetDiskFreeSpaceA((drive + "\\").c_str(), &sectors_per_cluster, &bytes_per_sector, &free_clusters,
                         &total_clusters)) {
    return std::nullopt;
  }
  return static_cast<double>(sectors_per_cluster) * static_cast<double>(bytes_per_sector) *
         static_cast<double>(free_clusters);
}

std::int64_t SaturatingSum(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

}  // namespace

RequiredSpace RequiredSpaceOf(const ScriptLines& script) {
  RequiredSpace required;
  for (std::size_t line = 0; line < script.size(); ++line) {
    const std::string word = CommandWord(script, line);
    auto number = [&](int n) { return ScriptNumber(ScriptArgument(script, line, n)); };
    auto argument = [&](int n) { return ScriptArgument(script, line, n); };
    if (word == kInstallProgramWord) {
      required.program = SaturatingSum(required.program, SaturatingSum(number(2), number(5)));
    } else if (word == kInstallDllFileWord) {
      if (!FindDllTarget(argument(3), argument(4)).empty())
        required.system = SaturatingSum(required.system, SaturatingSum(number(2), number(6)));
    } else if (word == kInstallOcxFileWord) {
      if (!FindOcxTarget(argument(3), argument(4), argument(5)).empty())
        required.system = SaturatingSum(required.system, SaturatingSum(number(2), number(7)));
    }
  }
  return required;
}

std::string CheckDiskSpace(const RunState& run) {
  const std::string product_drive = run.product_directory.substr(0, 2);
  const std::string system_drive = SystemDirectory().substr(0, 2);
  return DiskSpaceShortage(RequiredSpaceOf(run.script), product_drive, FreeSpaceOf(product_drive), system_drive,
                           FreeSpaceOf(system_drive));
}
