#include <windows.h>

#include <winternl.h>

#include <string>
#include <vector>

#include "paths.h"
#include "temporary_directory.h"
#include "test_pause.h"
#include "text.h"
#include "win32_handles.h"

namespace {

// The removal works through handles: each directory is opened relative to the handle of
// its parent, without following a link at its name, and is entered only when what was
// opened is the plain directory the listing showed (no reparse point, the same file id).
// A directory swapped for a link or junction between the listing and the opening stops the
// removal there, and while a directory is held open it cannot be renamed or replaced, so
// nothing below it can lead elsewhere.

// NtCreateFile and the values it takes; ntdll is part of every process.
using NtCreateFileFunction = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*, LARGE_INTEGER*,
                                           ULONG, ULONG, ULONG, ULONG, void*, ULONG);
constexpr ULONG kOpenExisting = 1;  // FILE_OPEN
constexpr ULONG kDirectoryFile = 0x00000001;
constexpr ULONG kSynchronousIo = 0x00000020;
constexpr ULONG kOpenReparsePoint = 0x00200000;
constexpr ACCESS_MASK kDirectoryAccess =
    DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
constexpr ACCESS_MASK kEntryAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
// A "~ts" tree holds what cabinets put there: paths of at most 255 characters, so far
// fewer levels than this; entries of one directory far fewer than this.
constexpr std::size_t kMaxDepth = 200;
constexpr std::size_t kMaxEntries = 1000000;

NtCreateFileFunction NtCreateFileEntry() {
  static const auto function = reinterpret_cast<NtCreateFileFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtCreateFile")));
  return function;
}

struct ListedEntry {
  std::wstring name;
  DWORD attributes = 0;
  ULONGLONG id = 0;  // 0 where the file system gives none
  bool IsPlainDirectory() const {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  }
};

// Every entry of the open directory but "." and ".."; false when it cannot be listed.
bool ListDirectory(HANDLE directory, std::vector<ListedEntry>& entries) {
  entries.clear();
  std::vector<ULONGLONG> buffer(8192);  // 64 KB, aligned for the records
  FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
  while (GetFileInformationByHandleEx(directory, request, buffer.data(),
                                      static_cast<DWORD>(buffer.size() * sizeof(ULONGLONG)))) {
    request = FileIdBothDirectoryInfo;
    const char* record = reinterpret_cast<const char*>(buffer.data());
    for (;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(record);
      std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        if (entries.size() == kMaxEntries) return false;
        entries.push_back({std::move(name), info->FileAttributes, static_cast<ULONGLONG>(info->FileId.QuadPart)});
      }
      if (info->NextEntryOffset == 0) break;
      record += info->NextEntryOffset;
    }
  }
  return GetLastError() == ERROR_NO_MORE_FILES;
}

// Opens `name` in the open directory `parent`, never following a link at that name. A
// directory is opened without delete sharing: while it is held, nobody renames it away.
UniqueHandle OpenInDirectory(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG options) {
  const ULONG sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | ((options & kDirectoryFile) ? 0 : FILE_SHARE_DELETE);
  const NtCreateFileFunction create = NtCreateFileEntry();
  if (!create || name.size() * sizeof(wchar_t) > 0xFFFE) return UniqueHandle();
  UNICODE_STRING unicode_name;
  unicode_name.Buffer = const_cast<wchar_t*>(name.c_str());
  unicode_name.Length = unicode_name.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES object{};
  object.Length = sizeof object;
  object.RootDirectory = parent;
  object.ObjectName = &unicode_name;
  object.Attributes = OBJ_CASE_INSENSITIVE;
  IO_STATUS_BLOCK status{};
  HANDLE opened = nullptr;
  const LONG result = create(&opened, access, &object, &status, nullptr, 0, sharing, kOpenExisting,
                             options | kOpenReparsePoint | kSynchronousIo, nullptr, 0);
  return result == 0 ? UniqueHandle(opened) : UniqueHandle();
}

// True when the open handle is a plain directory (no link, junction or other reparse
// point) and, where the listing gave one, has the file id the listing showed.
bool IsListedPlainDirectory(HANDLE handle, ULONGLONG listed_id) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(handle, &information)) return false;
  const DWORD attributes = information.dwFileAttributes;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  const ULONGLONG id = (static_cast<ULONGLONG>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return listed_id == 0 || id == listed_id;
}

// Clears the read-only bit and marks the open file or directory for deletion when its
// last handle closes.
bool MarkForDeletion(HANDLE handle) {
  FILE_BASIC_INFO basic{};  // zero times are left as they are
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// Deletes everything in the open directory that is not a plain directory (files, and links
// of any kind as links) and finds its first plain sub-directory, if any.
bool ClearFilesAndFindSubDirectory(HANDLE directory, ListedEntry& sub_directory, bool& found) {
  found = false;
  std::vector<ListedEntry> entries;
  if (!ListDirectory(directory, entries)) return false;
  for (ListedEntry& entry : entries) {
    if (entry.IsPlainDirectory()) {
      if (!found) sub_directory = std::move(entry);
      found = true;
      continue;
    }
    const UniqueHandle item = OpenInDirectory(directory, entry.name, kEntryAccess, 0);
    if (!item || !MarkForDeletion(item.get())) return false;
  }
  return true;
}

// The full path of `directory` with a trailing "\" when it is one of the engine's own
// temporary directories; empty otherwise.
std::string OwnTemporaryDirectory(const std::string& directory) {
  const std::string temporary = TemporaryPath();
  if (temporary.empty() || directory.empty()) return {};
  // Judge the path as the file system will resolve it, so "..\" cannot lead elsewhere.
  char full[MAX_PATH + 1] = {};
  const DWORD length = GetFullPathNameA(directory.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length > MAX_PATH) return {};
  std::string top(full, length);
  AppendBackslash(top);
  const std::string prefix = temporary + "~ts";
  if (!StartsWithIgnoringCase(directory, prefix) || !StartsWithIgnoringCase(top, prefix)) return {};
  if (top.find('\\', prefix.size()) != top.size() - 1) return {};  // only the "~ts" directory itself
  return top;
}

}  // namespace

bool IsOwnTemporaryDirectory(const std::string& directory) { return !OwnTemporaryDirectory(directory).empty(); }

bool DeleteTemporaryDirectory(const std::string& directory) {
  const std::string top = OwnTemporaryDirectory(directory);
  if (top.empty()) return false;

  // Asked with a trailing "\", the system would describe the link's target instead.
  const std::string top_entry = top.substr(0, top.size() - 1);
  const DWORD attributes = GetFileAttributesA(top_entry.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveDirectoryA(top_entry.c_str()) != 0;
  UniqueHandle root(CreateFileA(top_entry.c_str(), kDirectoryAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!root || !IsListedPlainDirectory(root.get(), 0)) return false;

  // The open directories from the top down to the one being cleared; each goes when it
  // is empty, as its handle is closed.
  std::vector<UniqueHandle> open;
  open.push_back(std::move(root));
  while (!open.empty()) {
    ListedEntry sub_directory;
    bool found = false;
    if (!ClearFilesAndFindSubDirectory(open.back().get(), sub_directory, found)) return false;
    if (found) {
      TestPause("remove-descend");
      UniqueHandle entered = OpenInDirectory(open.back().get(), sub_directory.name, kDirectoryAccess, kDirectoryFile);
      if (!entered || !IsListedPlainDirectory(entered.get(), sub_directory.id) || open.size() == kMaxDepth)
        return false;
      open.push_back(std::move(entered));
      continue;
    }
    if (!MarkForDeletion(open.back().get())) return false;
    open.pop_back();
  }
  return true;
}
