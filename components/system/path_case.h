// Finding the file that a differently-cased spelling of its path names.
//
// The wizard's lists hold lower-cased paths (the program files, the components the
// developer added) and one upper-cased path (the loader control), as Windows' case-blind
// file system allows. A case-sensitive file system needs the real spelling to open them.
#pragma once

#include <string>

// The path as it exists on disk. Windows build: `path` itself (the file system ignores
// case). Native build: `path` itself when it exists; otherwise each component is looked up
// in its directory with ASCII letters compared without regard to case ("\" and "/" both
// separate components), the exact spelling winning, else the first match in byte order.
// When no such file exists the result is `path` unchanged.
std::string ResolvePathCase(const std::string& path);
