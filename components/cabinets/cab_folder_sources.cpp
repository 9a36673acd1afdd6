#include "cab_folder_sources.h"

#include <algorithm>

CabFolderSources::CabFolderSources(std::vector<CabSource> sources, std::function<void(const std::string&)> opened)
    : sources_(std::move(sources)), opened_(std::move(opened)) {}

bool CabFolderSources::Open(std::string& error) {
  const CabSource& source = sources_[index_];
  file_ = OpenNativeFile(source.path, "rb");
  left_ = source.size;
  if (opened_) opened_(source.path);
  if (!file_) {
    error = "Cannot read file: " + source.path;
    return false;
  }
  return true;
}

// After the last byte of a source: it must end exactly where it ended when planned.
bool CabFolderSources::Close(std::string& error) {
  const bool grew = std::fgetc(file_.get()) != EOF;
  file_.reset();
  if (grew) {
    error = "File changed while the cabinet was made: " + sources_[index_].path;
    return false;
  }
  ++index_;
  return true;
}

bool CabFolderSources::Read(std::span<std::uint8_t> target, std::string& error) {
  std::size_t filled = 0;
  while (filled < target.size()) {
    if (!file_) {
      if (index_ >= sources_.size()) {
        error = "Internal error: folder sizes disagree";
        return false;
      }
      if (!Open(error)) return false;
    }
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left_, target.size() - filled));
    const std::size_t got = want ? std::fread(target.data() + filled, 1, want, file_.get()) : 0;
    if (got != want) {
      error = "File changed while the cabinet was made: " + sources_[index_].path;
      return false;
    }
    filled += got;
    left_ -= got;
    if (left_ == 0 && !Close(error)) return false;
  }
  return true;
}

bool CabFolderSources::Finish(std::string& error) {
  while (index_ < sources_.size()) {
    if (!file_ && !Open(error)) return false;
    if (left_ != 0) {
      error = "Internal error: folder sizes disagree";
      return false;
    }
    if (!Close(error)) return false;
  }
  return true;
}
