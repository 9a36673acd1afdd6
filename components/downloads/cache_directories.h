// The web loader's local cache on this machine (layout in docs/web-setup-formats.md).
//
//   <base>Temporary VexaWeb Files\Installed Scripts\<short signature>.cab
//   <base>Temporary VexaWeb Files\Downloaded Programs\<short signature>.cab
//
// <base> is per user: "%LOCALAPPDATA%\Corvanta\" on Windows, "$XDG_CACHE_HOME/corvanta/"
// (or "~/.cache/corvanta/") elsewhere. A cached cabinet is found by the short form of its
// signature, so a changed cabinet is never mistaken for the cached one.
#pragma once

#include <string>

inline constexpr const char* kCacheFilesDirectoryName = "Temporary VexaWeb Files";

// The base directory, ending in the platform's separator; empty when the user has no
// home or application-data directory.
std::string GetCacheBaseDirectory();

// Empties the cache directory `directory` of its files (not of sub-directories, never
// through a link) and makes sure it exists. Only a directory inside
// GetCacheBaseDirectory() + kCacheFilesDirectoryName is touched; any other path is left
// alone. On POSIX "\" in `directory` counts as "/", as the wizard joins cache paths with
// "\". True when the directory exists and is empty of files afterwards.
bool ResetCacheDirectory(const std::string& directory);

// True where the release builder puts a copy of each cabinet it builds into this machine's
// cache, so that the loader or a web setup program run on the building PC finds it without a
// download: on Windows. Elsewhere no loader runs on the building machine, and the copies
// would only take the package's size a second time.
bool SeedsLoaderCache();

// A cache path as the wizard spells it ("\" between components) in the platform's form:
// "\" becomes "/" on POSIX, unchanged on Windows.
std::string NativeDirectoryText(const std::string& directory);
