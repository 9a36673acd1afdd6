// File-system calls of cabinet expansion on Windows ("A" functions: paths are in the
// system code page, like every engine text).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cabinet_system.h"

namespace {

struct Handle {
  HANDLE value;
  ~Handle() {
    if (value != INVALID_HANDLE_VALUE) CloseHandle(value);
  }
};

}  // namespace

PathKind QueryPathKind(const std::string& path) {
  // A directory search, so that a path is found even when its attributes cannot be read.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return PathKind::Missing;
  FindClose(search);
  const DWORD attributes = found.dwFileAttributes;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Directory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
  return PathKind::File;
}

bool MakeDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool DeleteOneFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::FILE* OpenFileForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

std::FILE* CreateFileForWriting(const std::string& path) {
  // A link left at the path (its deletion failed) would be followed by CreateFile.
  if (QueryPathKind(path) == PathKind::Link) return nullptr;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
  if (fd < 0) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, "wb");
  if (!stream) _close(fd);
  return stream;
}

bool SetFileTimesFromDos(const std::string& path, const DosStamp& stamp) {
  if (stamp.year < 1980 || stamp.year > 2107) return false;
  const WORD date = static_cast<WORD>(((stamp.year - 1980) << 9) | (stamp.month << 5) | stamp.day);
  const WORD time = static_cast<WORD>((stamp.hour << 11) | (stamp.minute << 5) | (stamp.second / 2));
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(date, time, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
  Handle file{CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.value == INVALID_HANDLE_VALUE) return false;
  return SetFileTime(file.value, &utc, nullptr, &utc) != 0;
}

bool SetFileAttributeBits(const std::string& path, unsigned bits) {
  // Zero would mean "leave unchanged" further down; a file with no bits is "normal".
  const DWORD attributes = bits ? bits : FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesA(path.c_str(), attributes) != 0;
}
