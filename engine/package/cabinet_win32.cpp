// File-system calls of cabinet expansion on Windows ("A" functions: paths are in the
// system code page, like every engine text).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cabinet_system.h"
#include "win32_handles.h"

PathKind QueryPathKind(const std::string& path) {
  // A directory search, so that a path is found even when its attributes cannot be read.
  WIN32_FIND_DATAA found;
  if (!SearchHandle(FindFirstFileA(path.c_str(), &found))) return PathKind::Missing;
  const DWORD attributes = found.dwFileAttributes;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Directory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
  return PathKind::File;
}

bool MakeDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

namespace {

// Larger than the C runtime's default, so that a file of a few dozen kilobytes is read or
// written in one or two system calls.
constexpr std::size_t kStreamBuffer = 64 * 1024;

std::FILE* BufferedStream(std::FILE* stream) {
  if (stream) std::setvbuf(stream, nullptr, _IOFBF, kStreamBuffer);
  return stream;
}

// CREATE_NEW fails on anything already at the path, a link included, so it never follows one.
HANDLE CreateNewFile(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool DosStampToUtc(const DosStamp& stamp, FILETIME& utc) {
  if (stamp.year < 1980 || stamp.year > 2107) return false;
  const WORD date = static_cast<WORD>(((stamp.year - 1980) << 9) | (stamp.month << 5) | stamp.day);
  const WORD time = static_cast<WORD>((stamp.hour << 11) | (stamp.minute << 5) | (stamp.second / 2));
  FILETIME local;
  return DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, &utc);
}

LARGE_INTEGER AsLargeInteger(const FILETIME& time) {
  LARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = static_cast<LONG>(time.dwHighDateTime);
  return value;
}

}  // namespace

std::FILE* OpenFileForReading(const std::string& path) { return BufferedStream(std::fopen(path.c_str(), "rb")); }

std::FILE* CreateFileForWriting(const std::string& path) {
  HANDLE file = CreateNewFile(path);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
    // Something is there: a file or a link is deleted (a link never written through), a
    // directory stays and fails the creation.
    const PathKind kind = QueryPathKind(path);
    if (kind != PathKind::File && kind != PathKind::Link) return nullptr;
    DeleteFileA(path.c_str());
    file = CreateNewFile(path);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
  if (fd < 0) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, "wb");
  if (!stream) _close(fd);
  return BufferedStream(stream);
}

bool FinishWrittenFile(std::FILE* file, const DosStamp& stamp, unsigned attributes) {
  const bool flushed = std::fflush(file) == 0;
  FILE_BASIC_INFO info{};  // zero times are left as they are
  FILETIME utc;
  if (DosStampToUtc(stamp, utc)) {
    info.CreationTime = AsLargeInteger(utc);
    info.LastWriteTime = info.CreationTime;
  }
  // Zero would mean "leave unchanged"; a file with no bits is "normal".
  info.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle != INVALID_HANDLE_VALUE) SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info);
  const bool closed = std::fclose(file) == 0;
  return flushed && closed;
}
