// The checks of the Install button: the previous installation (removed only when the user
// agrees), the disk space, and the product directory, which is created.
#pragma once

#include <string>

struct RunState;

// The checks for the destination text `destination`, up to the creation of the product
// directory. False when a check failed (its message has been shown).
bool PrepareInstallation(RunState& run, const std::string& destination);
