// The Windows temporary directory, read for the tests on their own.
#pragma once

#include <string>

// The directory GetTempPathA names, ending in a backslash: where the engine must make its
// working directories. Read here, not through the engine's own lookup, so that a test can
// hold the engine to it.
std::string SystemTemporaryPath();
