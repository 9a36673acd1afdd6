// Registry access with "->" paths: a key below a root key is written as its sub-key names
// joined by a separator ("SOFTWARE->Microsoft->Windows->CurrentVersion"). Every caller
// passes "->"; the separator stays a parameter so that a name containing "\" is never
// split by accident.
#pragma once

#include <string>
#include <string_view>

#include "win32_handles.h"

// Opens the sub-keys of `path` one below the other: for reading with the query-value
// right, or, with `create`, for writing (all access), creating missing keys. An empty
// key when any step fails. `view` (KEY_WOW64_32KEY or KEY_WOW64_64KEY) picks a registry
// view on 64-bit Windows; 0 is the program's own.
RegistryKey OpenRegistryPath(HKEY root, std::string_view path, std::string_view separator, bool create,
                             unsigned long view = 0);

// The string value `name` of the key at `path`; "" when the key or value cannot be read,
// is not a string, or does not fit in `buffer_size` bytes with its terminating zero.
std::string ReadRegistryString(HKEY root, std::string_view path, std::string_view name,
                               std::string_view separator, unsigned long buffer_size, unsigned long view = 0);

// Creates the key path and writes `data` as a REG_SZ value.
bool WriteRegistryString(HKEY root, std::string_view path, std::string_view name, std::string_view data,
                         std::string_view separator);
