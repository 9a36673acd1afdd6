// The engine's expansion directories ("~ts…") in the system's temporary directory, so a
// test can check that a run leaves none behind.
#pragma once

#include <set>
#include <string>

std::set<std::string> ExpansionDirectories();
