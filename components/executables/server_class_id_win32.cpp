#include <windows.h>

#include <set>
#include <vector>

#include "server_class_id.h"
#include "wide_text_win32.h"
#include "win32_handle.h"

namespace {

constexpr DWORD kMaxPath = 32768;

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::wstring FileNamePart(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

template <typename Function>
std::wstring PathCall(Function function, const std::wstring& path) {
  std::vector<wchar_t> buffer(kMaxPath);
  const DWORD length = function(path.c_str(), buffer.data(), kMaxPath);
  if (length == 0 || length >= kMaxPath) return {};
  return std::wstring(buffer.data(), length);
}

// The full, long and short spellings of a path, upper-cased.
std::set<std::wstring> Spellings(const std::wstring& path) {
  std::set<std::wstring> forms;
  std::vector<wchar_t> full(kMaxPath);
  const DWORD length = GetFullPathNameW(path.c_str(), kMaxPath, full.data(), nullptr);
  const std::wstring absolute = length > 0 && length < kMaxPath ? std::wstring(full.data(), length) : path;
  forms.insert(Upper(absolute));
  const std::wstring long_form = PathCall(GetLongPathNameW, absolute);
  if (!long_form.empty()) forms.insert(Upper(long_form));
  const std::wstring short_form = PathCall(GetShortPathNameW, absolute);
  if (!short_form.empty()) forms.insert(Upper(short_form));
  return forms;
}

std::wstring RegisteredServer(HKEY classes, const std::wstring& class_id) {
  RegistryKeyHandle server;
  if (RegOpenKeyExW(classes, (class_id + L"\\InprocServer32").c_str(), 0, KEY_QUERY_VALUE, server.put()) != ERROR_SUCCESS) {
    return {};
  }
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(server.get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || size > kMaxPath * sizeof(wchar_t)) {
    return {};
  }
  std::vector<wchar_t> value(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(server.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::wstring text(value.data());
  if (type == REG_EXPAND_SZ) {
    std::vector<wchar_t> expanded(kMaxPath);
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), kMaxPath);
    if (length > 0 && length <= kMaxPath) text = expanded.data();
  }
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
  return text;
}

}  // namespace

std::string GetServerClassId(const std::string& path, bool) {
  if (path.empty()) return {};
  const std::set<std::wstring> wanted = Spellings(WideText(path));
  std::set<std::wstring> wanted_names;
  for (const std::wstring& form : wanted) wanted_names.insert(FileNamePart(form));

  RegistryKeyHandle classes;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ENUMERATE_SUB_KEYS, classes.put()) != ERROR_SUCCESS) return {};
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD name_length = 256;
    const LONG result = RegEnumKeyExW(classes.get(), index, name, &name_length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) continue;
    const std::wstring class_id(name, name_length);
    const std::wstring server = RegisteredServer(classes.get(), class_id);
    if (server.empty()) continue;
    // Most servers are other files: compare the file names (long and short forms of ours)
    // before asking the file system for every spelling of theirs.
    const std::set<std::wstring> server_forms =
        wanted_names.count(Upper(FileNamePart(server))) ? Spellings(server) : std::set<std::wstring>{};
    bool same = false;
    for (const std::wstring& form : server_forms) same = same || wanted.count(form) > 0;
    if (same) return NarrowText(class_id);
  }
  return {};
}

std::string GetOcxRegistration(const std::string& path, bool check_registration) {
  return GetServerClassId(path, check_registration);
}
