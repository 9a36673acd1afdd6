#include "scratch_directory.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

#include "path_services.h"

ScratchDirectory::ScratchDirectory() {
  static std::atomic<int> counter{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("vexa-test-" + std::to_string(now) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  // Make any directory the test locked readable again, so that it can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDirectory::text() const { return WithTrailingSeparator(path_.string()); }

std::string ScratchDirectory::operator/(const std::string& relative) const { return text() + relative; }

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
