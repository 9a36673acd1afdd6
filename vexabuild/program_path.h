// The running program's own directory, for a face of the wizard that has no window.
#pragma once

#include <string>

// The directory of the running executable, ending in a separator; empty when unknown.
std::string RunningProgramDirectory();
