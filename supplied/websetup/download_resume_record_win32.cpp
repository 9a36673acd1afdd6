#include "download_resume_record_win32.h"

#include <windows.h>

#include <cstdint>

#include "download_state.h"
#include "small_file.h"

namespace {

constexpr std::size_t kMaxMissingFileBytes = 64 + kMaxMissingRanges * 48;

std::string ValidatorPath(const std::string& path) { return path + ".validator"; }
std::string MissingPath(const std::string& path) { return path + ".missing"; }

// The whole of a small file of ours; empty when it is missing or larger than `max_bytes`.
std::string ReadWholeSmallFile(const std::string& path, std::size_t max_bytes) {
  std::string text;
  if (!ReadSmallFile(path, max_bytes, text)) text.clear();
  return text;
}

std::string ReadValidator(const std::string& path) {
  std::string text = ReadWholeSmallFile(path, 512);
  return IsUsableValidator(text) ? text : std::string();
}

// Replaces `path` as a whole: a run killed meanwhile leaves the old text or the new one.
bool ReplaceSmallFile(const std::string& path, const std::string& text) {
  const std::string fresh = path + ".new";
  return WriteSmallFile(fresh, text) && MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::uint64_t FileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

bool IsUsableValidator(const std::string& text) {
  if (text.empty() || text.size() > 256) return false;
  for (char c : text) {
    if (c < ' ' || c > '~') return false;
  }
  return true;
}

void WriteValidatorRecord(const std::string& path, const std::string& validator) {
  WriteSmallFile(ValidatorPath(path), validator);
}

bool WriteMissingRecord(const std::string& path, const std::string& plan_text) {
  return ReplaceSmallFile(MissingPath(path), plan_text);
}

void DeleteMissingRecord(const std::string& path) { DeleteFileA(MissingPath(path).c_str()); }

void DeleteResumeRecord(const std::string& path) {
  DeleteFileA(MissingPath(path).c_str());
  DeleteFileA(ValidatorPath(path).c_str());
}

void DeletePartialDownload(const std::string& path) {
  DeleteFileA(path.c_str());
  DeleteResumeRecord(path);
}

void Download::SaveMissing() {
  if (!size_known || validator.empty()) return;
  if (WriteMissingRecord(request.path, plan.Text())) missing_saved = true;
  plan_changed = false;
}

void LoadResumeState(Download& download) {
  const std::string& path = download.request.path;
  if (!download.size_known) {
    DeletePartialDownload(path);
    return;
  }
  download.validator = ReadValidator(ValidatorPath(path));
  bool usable = !download.validator.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (usable) {
    if (GetFileAttributesA(MissingPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
      usable = download.plan.Load(ReadWholeSmallFile(MissingPath(path), kMaxMissingFileBytes));
      download.missing_saved = usable;
    } else {
      const std::uint64_t length = FileLength(path);
      usable = length <= download.plan.size();
      if (usable) download.plan.MarkPrefixPresent(length);
    }
  }
  if (!usable) {
    download.validator.clear();
    download.missing_saved = false;
    download.plan.Reset();
    DeletePartialDownload(path);
  }
}
