#include <windows.h>

#include <cstdio>

#include "native_files.h"
#include "wide_text_win32.h"

bool ReadSourceFileFacts(const std::string& path, SourceFileFacts& facts) {
  WIN32_FILE_ATTRIBUTE_DATA data {};
  if (!GetFileAttributesExW(WideText(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return false;
  facts.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  FILETIME local {};
  WORD date = 0;
  WORD time = 0;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
    date = (0 << 9) | (1 << 5) | 1;  // before 1980: 1 January 1980
    time = 0;
  }
  facts.dos_date = date;
  facts.dos_time = time;
  facts.attributes = static_cast<std::uint16_t>(data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                                          FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
  return true;
}

NativeFile OpenNativeFile(const std::string& path, const char* mode) {
  const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
  return NativeFile(_wfopen(WideText(path).c_str(), wide_mode.c_str()));
}

bool ReplaceNativeFile(const std::string& from, const std::string& to) {
  return MoveFileExW(WideText(from).c_str(), WideText(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveNativeFile(const std::string& path) {
  const std::wstring wide = WideText(path);
  return DeleteFileW(wide.c_str()) || GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool IsRegularNativeFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideText(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool LastWriteTimeUtc(const std::string& path, std::tm& utc) {
  WIN32_FILE_ATTRIBUTE_DATA data {};
  SYSTEMTIME time {};
  if (!GetFileAttributesExW(WideText(path).c_str(), GetFileExInfoStandard, &data) ||
      !FileTimeToSystemTime(&data.ftLastWriteTime, &time)) {
    return false;
  }
  utc = std::tm{};
  utc.tm_year = time.wYear - 1900;
  utc.tm_mon = time.wMonth - 1;
  utc.tm_mday = time.wDay;
  utc.tm_hour = time.wHour;
  utc.tm_min = time.wMinute;
  utc.tm_sec = time.wSecond;
  return true;
}

bool SeekNativeFile(std::FILE* file, std::uint64_t offset) {
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

std::filesystem::path NativePath(const std::string& narrow) { return std::filesystem::path(WideText(narrow)); }

std::string NarrowTextOf(const std::filesystem::path& path) { return NarrowText(path.wstring()); }
