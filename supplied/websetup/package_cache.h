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
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kPackagesCache = "Packages\\";
inline constexpr std::size_t kMaxPackageIndexBytes = 256 * 1024;
inline constexpr std::size_t kMaxPackageIndexes = 10'000;

// 32 hexadecimal digits naming the package's index.
std::string PackageCacheKey(std::string_view publication_url, std::string_view script_cabinet);

// The well-formed names of an index text, in order; anything else is skipped.
std::vector<std::string> ReadPackageCacheIndex(std::string_view text);

// The text of an index naming `names`.
std::string PackageCacheIndexText(const std::vector<std::string>& names);

// The names of `previous` that neither `current` nor any of `others` names (compared
// without regard to case, as the file system compares them).
std::vector<std::string> CabinetsNoLongerUsed(const std::vector<std::string>& previous,
                                              const std::vector<std::string>& current,
                                              const std::vector<std::vector<std::string>>& others);
