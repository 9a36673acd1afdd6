// A fresh directory under the system's temporary directory, removed with everything in it
// when the test ends, and whole files made and read by the tests.
#pragma once

#include <filesystem>
#include <string>

class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The directory as the components take it: a narrow path ending in a separator.
  std::string text() const;
  // `relative` below the directory, as narrow text.
  std::string operator/(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

// Creates the file (and its directories) with exactly `bytes`.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// The whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
