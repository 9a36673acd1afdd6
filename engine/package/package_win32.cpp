// Temporary expansion directories and file lengths on Windows.
#include <io.h>
#include <windows.h>

#include "administrators_only.h"
#include "package.h"
#include "paths.h"

bool CreateExpansionDirectory(std::string& directory) {
  directory.clear();
  const std::string temporary_path = TemporaryPath();
  if (temporary_path.empty()) return false;
  // GetTempFileName picks the unique part and creates "~tsXXXX.tmp" to claim it; the
  // directory takes the same name without ".tmp", and the claim file goes in any case.
  char claim[MAX_PATH + 1] = {};
  if (GetTempFileNameA(temporary_path.c_str(), "~ts", 0, claim) == 0) return false;
  std::string base(claim);
  const bool named = base.size() > 4;
  std::string made;
  const bool created = named && CreateFirstFreeDirectory(base.substr(0, base.size() - 4), made);
  DeleteFileA(claim);
  if (!created) return false;
  directory = made + "\\";
  return true;
}

void RemoveExpansionDirectory(const std::string& directory) { RemoveDirectoryA(directory.c_str()); }

// An elevated run works in directories only administrators may write (administrators_only.h);
// an unelevated one could not use such a directory, and needs none.
bool MakeNewDirectory(const std::string& path) {
  static const bool elevated = RunsElevated();
  return elevated ? CreateAdministratorsOnlyDirectory(path) : CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool SetOpenFileLength(std::FILE* file, std::uint64_t length) {
  return _chsize_s(_fileno(file), static_cast<__int64>(length)) == 0;
}
