// Where the web setup programs keep downloaded cabinets (docs/web-setup-formats.md, "Cache
// directories"). The uninstall program takes the same bases to let an uninstalled
// package's cabinets go.
#pragma once

#include <string>
#include <vector>

// The cache base of a user's runs: %LOCALAPPDATA%\Corvanta\Temporary VexaWeb Files\ (ends
// with "\").
std::string WebFilesCacheDirectory();

// The cache base of an elevated run: <Program Files>\Corvanta\Temporary VexaWeb Files\,
// the Program Files folder as the machine's registry names it. Any process of the user can
// write the user's profile, and a cache there could hand an elevated run a link to write
// through or a file to delete; below Program Files only administrators make or change
// anything. Empty when the folder is unknown.
std::string AdministratorsCacheDirectory();

// The cache the stand-alone program uses: the administrators' one when it runs elevated,
// the user's otherwise.
std::string StandAloneCacheDirectory();

// Every cache a web setup run of this user may have installed a package from: the
// stand-alone program's as this process would choose it, then the user's (the browser
// loader's), each once; unknown ones are left out.
std::vector<std::string> PackageCacheDirectories();
