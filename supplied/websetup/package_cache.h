// Which cached cabinets a package still needs. The cache is keyed by signature, so a new
// version of a product downloads new cabinets and the old ones would stay for ever. After a
// run that installed its program, the web setup program records the cabinets that run used
// in an index of its package,
//
//   <cache>Packages\<package key>.txt      one cache-relative name a line, CR LF:
//                                          Installed Scripts\<short signature>.cab
//                                          Downloaded Programs\<short signature>.cab
//
// and deletes the cabinets the package's previous index named that neither the new index
// nor another package's index names: a later run of the same package can use only what its
// current version names. A package is its publication address and script cabinet name.
// An index is outside input (a file on disk): only names of the two forms above are taken.
//
// Uninstalling a product the web setup program installed lets its package go the same way:
// the cabinets its index names that no other package's index names, then the index.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kScriptsCache = "Installed Scripts\\";
inline constexpr const char* kProgramsCache = "Downloaded Programs\\";
inline constexpr const char* kPackagesCache = "Packages\\";
inline constexpr std::size_t kMaxPackageIndexBytes = 256 * 1024;
inline constexpr std::size_t kMaxPackageIndexes = 10'000;
// Cached cabinets and package indexes are named by this many hexadecimal digits.
inline constexpr std::size_t kShortSignatureDigits = 32;

// The well-formed names of an index text, in order; anything else is skipped.
std::vector<std::string> ReadPackageCacheIndex(std::string_view text);

// The text of an index naming `names`.
std::string PackageCacheIndexText(const std::vector<std::string>& names);

// The names of `previous` that neither `current` nor any of `others` names (compared
// without regard to case, as the file system compares them).
std::vector<std::string> CabinetsNoLongerUsed(const std::vector<std::string>& previous,
                                              const std::vector<std::string>& current,
                                              const std::vector<std::vector<std::string>>& others);

// --- Windows build only (package_cache_win32.cpp) ---

// 32 hexadecimal digits naming the package's index: the start of the system's SHA-256 of
// the address and the cabinet name (package_cache_key_win32.cpp).
std::string PackageCacheKey(std::string_view publication_url, std::string_view script_cabinet);

// The well-formed names of the index file at `path`; false when it is missing, larger than
// kMaxPackageIndexBytes, a directory or a link.
bool ReadPackageCacheIndexFile(const std::string& path, std::vector<std::string>& names);

// The names in every package index of `directory` except `skipped`, at most
// kMaxPackageIndexes of them.
std::vector<std::vector<std::string>> OtherPackageIndexes(const std::string& directory, const std::string& skipped);

// Removes the package `key` from the cache below `cache` (ending with "\"): the cabinets its
// index names that no other index names, then the index once none of them is left; returns
// the paths deleted. A missing, oversized or empty index, or a link on the way to any
// directory of the cache, removes nothing; a file is deleted only when the file opened at
// its name lies in the cache's directory of its kind.
std::vector<std::string> RemoveCachedPackage(const std::string& cache, const std::string& key);
