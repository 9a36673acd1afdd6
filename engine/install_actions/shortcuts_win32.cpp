#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "paths.h"
#include "shortcuts.h"
#include "text.h"
#include "win32_handles.h"

namespace {

// IPersistFile takes a UTF-16 name of at most MAX_PATH characters with its terminator. A
// longer path is refused rather than cut, which would save the link under another name.
bool FitsPersistFile(const std::string& path, const std::wstring& wide) {
  return (!wide.empty() || path.empty()) && wide.size() < MAX_PATH;
}

}  // namespace

long CreateShellLink(const std::string& target, const std::string& link_file, const std::string& description) {
  // Once per thread, and deliberately never undone: the worker keeps COM until it ends.
  CoInitialize(nullptr);
  ComPtr<IShellLinkA> link;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put());
  if (FAILED(result)) return result;

  std::string working_directory = DirectoryOfPath(target);
  if (!working_directory.empty()) working_directory.pop_back();
  link->SetPath(target.c_str());
  link->SetDescription(description.c_str());
  link->SetWorkingDirectory(working_directory.c_str());

  ComPtr<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, file.put());
  if (FAILED(result)) return result;
  const std::wstring wide = Wide(link_file);
  if (!FitsPersistFile(link_file, wide)) return E_INVALIDARG;
  return file->Save(wide.c_str(), TRUE);
}

bool CreateShortcutEntry(const std::string& folder, const std::string& name, const std::string& target,
                         std::vector<std::string>& installed_files) {
  const std::string directory = WithBackslash(folder);
  if (!CreateDirectoryTree(directory)) return false;
  const std::string link_file = directory + name + ".LNK";
  if (FAILED(CreateShellLink(target, link_file, name))) return false;
  installed_files.push_back(link_file);
  return true;
}

bool CreateProgramGroups(const ScriptLines& script, const std::string& program_group_directory,
                         const std::string& product_directory, std::vector<std::string>& installed_files) {
  if (program_group_directory.empty() || product_directory.empty()) return false;
  for (std::size_t line = 0; line < script.size(); ++line) {
    ShortcutEntry entry;
    if (!ShortcutOfLine(script, line, program_group_directory, product_directory, entry)) continue;
    CreateShortcutEntry(entry.folder, entry.name, entry.target, installed_files);
  }
  return true;
}
