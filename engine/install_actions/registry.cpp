#include "registry.h"

#include <windows.h>

#include <vector>

RegistryKey OpenRegistryPath(HKEY root, std::string_view path, std::string_view separator, bool create,
                             unsigned long view) {
  RegistryKey current;
  HKEY parent = root;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = separator.empty() ? std::string_view::npos : path.find(separator, start);
    const std::string name(path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    HKEY next = nullptr;
    const LONG result =
        create ? RegCreateKeyExA(parent, name.c_str(), 0, const_cast<char*>(""), 0, KEY_ALL_ACCESS | view, nullptr, &next,
                                 nullptr)
               : RegOpenKeyExA(parent, name.c_str(), 0, KEY_QUERY_VALUE | view, &next);
    if (result != ERROR_SUCCESS) return RegistryKey(nullptr, static_cast<unsigned long>(result));
    current.reset(next);  // closes the key above
    parent = next;
    if (end == std::string_view::npos) return current;
    start = end + separator.size();
  }
}

std::string ReadRegistryString(HKEY root, std::string_view path, std::string_view name,
                               std::string_view separator, unsigned long buffer_size, unsigned long view) {
  RegistryKey key = OpenRegistryPath(root, path, separator, false, view);
  if (!key || buffer_size == 0) return {};
  std::vector<char> buffer(buffer_size);
  DWORD type = 0;
  DWORD size = buffer_size;
  const std::string value_name(name);
  if (RegQueryValueExA(key.get(), value_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS)
    return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  // Stored strings need not carry their zero; one that leaves no room for it does not fit.
  std::string_view text(buffer.data(), size);
  const std::size_t zero = text.find('\0');
  if (zero == std::string_view::npos && size >= buffer_size) return {};
  return std::string(text.substr(0, zero));
}

bool WriteRegistryString(HKEY root, std::string_view path, std::string_view name, std::string_view data,
                         std::string_view separator) {
  RegistryKey key = OpenRegistryPath(root, path, separator, true);
  if (!key) return false;
  const std::string value_name(name);
  const std::string value(data);
  return RegSetValueExA(key.get(), value_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}
