// Restarting the computer when a file replacement waits for the next boot. Windows build
// only. Nothing is reported to the user; the run ends either way.
#pragma once

// What a run asks when a file replacement waits for the next boot.
inline constexpr const char* kRestartQuestion =
    "To complete the Installation, you must re-boot your computer. Would you like to re-boot your computer now?";

// Asks Windows to restart. First the plain request to log off and restart; where that is
// refused for want of the shutdown privilege, the privilege is enabled and a restart of
// the local computer is started at once (no message, no time-out, applications not forced
// to close). True when a restart was initiated.
bool RestartComputer();
