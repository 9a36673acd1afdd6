#include <windows.h>

#include "file_stamp.h"

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// FILE_FLAG_BACKUP_SEMANTICS lets the same calls stamp a directory.
HANDLE OpenForTimes(const std::string& path, DWORD access) {
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

std::string GetFileStamp(const std::string& path) {
  FileHandle file(OpenForTimes(path, FILE_READ_ATTRIBUTES));
  FILETIME written;
  FILETIME local;
  SYSTEMTIME time;
  if (!file.valid() || !GetFileTime(file.get(), nullptr, nullptr, &written)) return {};
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &time)) return {};
  return FormatFileStamp({time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond});
}

bool SetFileStamp(const std::string& path, const std::string& stamp) {
  FileStampFields fields;
  if (!ParseFileStamp(stamp, fields)) return false;
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(fields.year);
  time.wMonth = static_cast<WORD>(fields.month);
  time.wDay = static_cast<WORD>(fields.day);
  time.wHour = static_cast<WORD>(fields.hour);
  time.wMinute = static_cast<WORD>(fields.minute);
  time.wSecond = static_cast<WORD>(fields.second);
  FILETIME local;
  FILETIME written;
  if (!SystemTimeToFileTime(&time, &local) || !LocalFileTimeToFileTime(&local, &written)) return false;
  FileHandle file(OpenForTimes(path, FILE_WRITE_ATTRIBUTES));
  return file.valid() && SetFileTime(file.get(), nullptr, nullptr, &written) != 0;
}
