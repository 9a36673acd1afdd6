#include "held_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text.h"

namespace {

// Larger than the C runtime's default, as the cabinet reader's own streams.
constexpr std::size_t kStreamBuffer = 64 * 1024;

}  // namespace

bool HeldFile::Open(const std::string& path) {
  Close();
  file_ = UniqueHandle(CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) return false;
  path_ = path;
  return true;
}

void HeldFile::Close() {
  file_.reset();
  path_.clear();
}

UniqueHandle HeldFile::NewHandle() const {
  if (!file_) return UniqueHandle();
  // A file object of its own on the same file, with its own position; it must let the
  // held handle's delete right stand, and lets nobody else write.
  return UniqueHandle(ReOpenFile(file_.get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, 0));
}

std::FILE* HeldFile::NewStream() const {
  UniqueHandle reopened = NewHandle();
  if (!reopened) return nullptr;
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(reopened.get()), _O_RDONLY | _O_BINARY);
  if (descriptor < 0) return nullptr;
  reopened.release();
  std::FILE* stream = _fdopen(descriptor, "rb");
  if (!stream) {
    _close(descriptor);
    return nullptr;
  }
  std::setvbuf(stream, nullptr, _IOFBF, kStreamBuffer);
  return stream;
}

bool HeldFile::MoveTo(const std::string& path) {
  if (!file_) return false;
  // The rename goes to the file system as it is: a full path in the system's own form.
  char full[MAX_PATH + 1] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length > MAX_PATH) return false;
  const std::wstring target = L"\\??\\" + Wide(std::string(full, length));
  const std::size_t name_bytes = target.size() * sizeof(wchar_t);
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name_bytes, '\0');
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  if (!rename) return false;
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name_bytes);
  std::copy(target.begin(), target.end(), rename->FileName);
  if (!SetFileInformationByHandle(file_.get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size())))
    return false;
  path_ = path;
  return true;
}
