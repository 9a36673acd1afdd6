// Starting a program and watching it, for the developer's code-signing commands.
//
// The program is looked up as the system does for a command (Windows: the application
// directory, the current directory, the system directories and PATH; POSIX: PATH, or the
// path itself when it has a "/"). Arguments are one text: on Windows it is appended to
// the quoted program as the command line; on POSIX it is split into words as a Windows program splits its command line
// (see process_posix.cpp). The process inherits no handles of ours beyond the standard ones.
#pragma once

#include <cstdint>
#include <string>

// A handle for IsProcessRunning; 0 when the program could not be started (a handle that
// is never running). `no_window` starts a console program without a console window
// (Windows; no effect elsewhere).
std::int64_t StartProcess(const std::string& program, const std::string& arguments, bool no_window);

// True while the process of `handle` runs. Once it has ended, this and every later call
// for the same handle give false.
bool IsProcessRunning(std::int64_t handle);

// Waits until the process of `handle` ends or `milliseconds` have passed. In the Windows
// build the wait also ends as soon as input arrives for the calling thread's windows, so a
// window that waits here stays responsive; a thread without windows waits on the process
// alone.
void WaitForProcess(std::int64_t handle, int milliseconds);

// The exit status of the ended process of `handle`: its exit code (on POSIX, 128 + the
// signal number when a signal ended it). False while it runs and for a handle of a program
// that never started.
bool ProcessExitStatus(std::int64_t handle, std::uint32_t& status);
