// Reads the bytes of one cabinet folder from its source files, in order, as one stream.
// Each source must still have the size it had when the folder was planned: a source that
// vanished, shrank or grew is an error that names it, never a truncated member.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "native_files.h"

struct CabSource {
  std::string path;
  std::uint64_t size = 0;
};

class CabFolderSources {
 public:
  // `opened`, when given, is called with a source's path whenever one is opened.
  explicit CabFolderSources(std::vector<CabSource> sources, std::function<void(const std::string&)> opened = {});

  // Fills `target` with the folder's next bytes.
  bool Read(std::span<std::uint8_t> target, std::string& error);

  // After the folder's last byte: the sources not yet opened (empty files at the end of the
  // folder) are checked too.
  bool Finish(std::string& error);

 private:
  bool Open(std::string& error);
  bool Close(std::string& error);

  std::vector<CabSource> sources_;
  std::function<void(const std::string&)> opened_;
  std::size_t index_ = 0;  // the source open or to open next
  NativeFile file_;
  std::uint64_t left_ = 0;  // bytes of the open source not yet read
};
