// File-system calls of cabinet expansion on POSIX systems (native build). The expansion
// forms Windows paths; here "\" separates folders like "/". Creation time does not exist,
// so the cabinet's time becomes the modification time; of the attribute bits only
// read-only has a meaning (the write permissions are removed).
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "cabinet_system.h"

namespace {

std::string NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

PathKind QueryPathKind(const std::string& path) {
  struct stat status {};
  if (lstat(NativePath(path).c_str(), &status) != 0) return PathKind::Missing;
  if (S_ISLNK(status.st_mode)) return PathKind::Link;
  if (S_ISDIR(status.st_mode)) return PathKind::Directory;
  if (S_ISREG(status.st_mode)) return PathKind::File;
  return PathKind::Other;
}

bool MakeDirectory(const std::string& path) { return mkdir(NativePath(path).c_str(), 0777) == 0; }

std::FILE* OpenFileForReading(const std::string& path) { return std::fopen(NativePath(path).c_str(), "rb"); }

namespace {

int CreateNewFile(const std::string& native) {
  return open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool IsValidStamp(const DosStamp& stamp) {
  // The ranges a DOS date and time can express; mktime would quietly roll others over.
  return stamp.year >= 1980 && stamp.year <= 2107 && stamp.month >= 1 && stamp.month <= 12 && stamp.day >= 1 &&
         stamp.day <= 31 && stamp.hour >= 0 && stamp.hour <= 23 && stamp.minute >= 0 && stamp.minute <= 59 &&
         stamp.second >= 0 && stamp.second <= 59;
}

}  // namespace

std::FILE* CreateFileForWriting(const std::string& path) {
  const std::string native = NativePath(path);
  int fd = CreateNewFile(native);
  if (fd < 0) {
    if (errno != EEXIST) return nullptr;
    const PathKind kind = QueryPathKind(path);
    if (kind != PathKind::File && kind != PathKind::Link) return nullptr;
    unlink(native.c_str());
    fd = CreateNewFile(native);
    if (fd < 0) return nullptr;
  }
  std::FILE* file = fdopen(fd, "wb");
  if (!file) close(fd);
  return file;
}

bool FinishWrittenFile(std::FILE* file, const DosStamp& stamp, unsigned attributes) {
  const bool flushed = std::fflush(file) == 0;
  const int fd = fileno(file);
  if (IsValidStamp(stamp)) {
    std::tm local{};
    local.tm_year = stamp.year - 1900;
    local.tm_mon = stamp.month - 1;
    local.tm_mday = stamp.day;
    local.tm_hour = stamp.hour;
    local.tm_min = stamp.minute;
    local.tm_sec = stamp.second;
    local.tm_isdst = -1;
    const std::time_t utc = std::mktime(&local);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {utc, 0}};
    if (utc != static_cast<std::time_t>(-1)) futimens(fd, times);
  }
  struct stat status {};
  if (fstat(fd, &status) == 0) {
    mode_t mode = status.st_mode & 07777;
    mode = (attributes & 0x01) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
    fchmod(fd, mode);
  }
  const bool closed = std::fclose(file) == 0;
  return flushed && closed;
}
