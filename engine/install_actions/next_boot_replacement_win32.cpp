#include "next_boot_replacement.h"

#include <windows.h>

#include <string>
#include <vector>

#include "administrators_only.h"
#include "bitness.h"
#include "paths.h"
#include "registry.h"
#include "text.h"

namespace {

// WININIT.INI is a few lines; a file this large is not one we should rewrite.
constexpr DWORD kMaxIniBytes = 4u * 1024u * 1024u;

constexpr const char* kSessionManagerKey = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingRenames = "PendingFileRenameOperations";

std::string ShortPathOf(const std::string& path) {
  char short_path[kPathBuffer] = {};
  const DWORD length = GetShortPathNameA(path.c_str(), short_path, kPathBuffer);
  return length > 0 && length < kPathBuffer ? std::string(short_path, length) : std::string();
}

// ---- Reading and replacing a whole file ----

bool ReadWholeFile(const std::string& path, std::string& text) {
  text.clear();
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return file.error() == ERROR_FILE_NOT_FOUND;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file.get(), &size) && size.QuadPart <= kMaxIniBytes;
  if (ok) {
    text.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    ok = text.empty() || (ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr) &&
                          read == text.size());
  }
  return ok;
}

// Writes `text` to a new file beside `path` and puts it in place of `path` in one step,
// so the old contents survive any failure on the way.
bool ReplaceWholeFile(const std::string& path, const std::string& text) {
  // A read-only file stays as it is, as it would for a plain write (Wine would let the
  // replacement through).
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  const std::size_t slash = path.find_last_of('\\');
  const std::string directory = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  char temporary[MAX_PATH] = {};
  if (GetTempFileNameA(directory.c_str(), "~ts", 0, temporary) == 0) return false;
  bool ok = false;
  {
    const UniqueHandle file(
        CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ok = file &&
         (text.empty() || WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) &&
         written == text.size() && FlushFileBuffers(file.get());
  }
  ok = ok && MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(temporary);
  return ok;
}

// ---- Delayed moves ----

// The strings of the REG_MULTI_SZ list of pending moves.
std::vector<std::string> SplitMultiString(const std::string& data) {
  std::vector<std::string> strings;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    strings.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  // The list ends with an empty string of its own; drop that terminator, keep the
  // empty targets that mark deletions.
  if (!strings.empty() && strings.back().empty() && strings.size() % 2 == 1) strings.pop_back();
  return strings;
}

bool SamePendingPath(const std::string& entry, const std::string& path) {
  std::string bare = entry;
  if (StartsWithIgnoringCase(bare, "\\??\\")) bare.erase(0, 4);
  return EqualsIgnoringCase(bare, path);
}

}  // namespace

// Takes back the last deletion of `path` recorded for the next boot. Used when the move
// that should follow it cannot be recorded: a lone deletion would leave the PC without the
// component after its next start.
bool CancelPendingDelete(const std::string& path) {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) !=
      ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), kPendingRenames, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_MULTI_SZ)
    return false;
  std::string data(size, '\0');
  if (RegQueryValueExA(key.get(), kPendingRenames, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return false;
  data.resize(size);
  std::vector<std::string> entries = SplitMultiString(data);
  for (std::size_t i = entries.size() / 2; i-- > 0;) {
    if (!entries[2 * i + 1].empty() || !SamePendingPath(entries[2 * i], path)) continue;
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(2 * i),
                  entries.begin() + static_cast<std::ptrdiff_t>(2 * i + 2));
    if (entries.empty()) return RegDeleteValueA(key.get(), kPendingRenames) == ERROR_SUCCESS;
    std::string joined;
    for (const std::string& entry : entries) joined += entry + '\0';
    joined += '\0';
    return RegSetValueExA(key.get(), kPendingRenames, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(joined.data()),
                          static_cast<DWORD>(joined.size())) == ERROR_SUCCESS;
  }
  return false;
}

bool AddIniLines(const std::string& section, const std::vector<std::pair<std::string, std::string>>& lines,
                 const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, text)) return false;
  for (const auto& [key, value] : lines) text = AddIniLineToText(std::move(text), section, key, value);
  return ReplaceWholeFile(path, text);
}

bool AddIniLine(const std::string& section, const std::string& key, const std::string& value,
                const std::string& path) {
  return AddIniLines(section, {{key, value}}, path);
}

namespace {

// A new directory for a copy that waits for the next boot, at the root of the volume of
// `target` (the boot-time mover moves files only within a volume): "~ts" and a unique part,
// made with the access list for administrators only. Never one that exists already: a
// user may make directories at the root of a volume, with access lists of his own.
bool CreateStagingDirectory(const std::string& target, std::string& directory) {
  char volume[MAX_PATH + 1] = {};
  if (!GetVolumePathNameA(target.c_str(), volume, sizeof volume)) return false;
  std::string root(volume);
  AppendBackslash(root);
  const unsigned seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (unsigned attempt = 0; attempt < 300; ++attempt) {
    const std::string candidate = root + "~ts" + HexText((seed + attempt * 7919u) & 0xFFFFu, 4);
    if (CreateAdministratorsOnlyDirectory(candidate)) {
      directory = candidate;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

}  // namespace

bool ReplaceFileAtRestart(const std::string& source, const std::string& target) {
  // The boot-time mover sees no redirection: a 32-bit component's target is named in the
  // 32-bit system directory itself, a 64-bit one's in the 64-bit one. The staging directory
  // at the volume's root is named the same in every view.
  std::string full_target;
  {
    FileSystemRedirectionOff unredirected;
    full_target = UnredirectedPath(target);
  }
  std::string staging;
  if (!CreateStagingDirectory(full_target, staging)) return false;
  // A name that is its own short name: the delayed move names the copy by its short path.
  const std::string copy = staging + "\\~tscopy.tmp";
  auto give_up = [&copy, &staging] {
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(staging.c_str());
    return false;
  };
  if (!CopyFileA(source.c_str(), copy.c_str(), TRUE)) return give_up();
  std::string short_target;
  {
    FileSystemRedirectionOff unredirected;
    short_target = ShortPathOf(full_target);
  }
  const std::string short_copy = ShortPathOf(copy);
  const std::string short_staging = ShortPathOf(staging);
  if (short_target.empty() || short_copy.empty() || short_staging.empty()) return give_up();

  const bool nt = (GetVersion() & 0x80000000u) == 0;
  if (nt) {
    // The delayed moves name the target by its full name: once the target is deleted at
    // boot its short name names nothing, and the copy moved there would keep that short
    // name as its only name (AcmeShared.dll would come back as ACMESH~1.DLL). The staging
    // directory is empty after the move and goes last.
    if (!MoveFileExA(full_target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return give_up();
    if (!MoveFileExA(short_copy.c_str(), full_target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT)) {
      CancelPendingDelete(full_target);
      return give_up();
    }
    MoveFileExA(short_staging.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return true;
  }
  if (!AddIniLines("Rename", {{"NUL", short_target}, {short_target, short_copy}}, WindowsDirectory() + "\\WININIT.INI"))
    return give_up();
  return true;
}

