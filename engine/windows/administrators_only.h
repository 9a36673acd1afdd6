// Directories that only administrators may write. Windows build only.
//
// An elevated program that works in a directory other processes of the user can write
// (the user's temporary directory, a cache in the user's profile) may use a file that such
// a process wrote or replaced after the program checked it. So every working directory an
// elevated program makes (the "~ts" directories, the web setup cache, the copies that wait
// for the next boot) is created new, with this access list:
//
//   D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)
//
// full control for SYSTEM and the Administrators group, inherited by everything made in
// it, and nothing for anyone else; protected, so nothing of the parent's list is
// inherited. A directory that exists already is never taken over: its list may be anyone's.
// (Wine stores no access list: it keeps Unix permission bits and enforces neither.)
#pragma once

#include <string>

inline constexpr const char* kAdministratorsOnlySddl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// True when the process runs with the rights of the Administrators group in effect
// (elevated), so that a directory only administrators may use is one it can use.
bool RunsElevated();

// Creates the new directory `path` with the access list above. False when something is
// at `path` already, or it cannot be made.
bool CreateAdministratorsOnlyDirectory(const std::string& path);

// The access list that CreateAdministratorsOnlyDirectory gives, read back from the
// security descriptor it is built into, as SDDL text; empty when it cannot be built.
std::string AdministratorsOnlyAccessList();
