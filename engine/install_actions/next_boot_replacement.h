// Next-boot replacement: a file in use (a shared component another program has loaded)
// is replaced when Windows starts next.
//
// The new file is copied into a new "~ts" directory at the root of its target's volume,
// made for administrators only, and moved into place at the next boot. On Windows NT
// that is a pair of delayed moves (delete the target, then move the copy onto it). On
// Windows 95/98 it is a pair of lines in the [Rename] section of WININIT.INI:
//
//   [Rename]
//   NUL=C:\WINDOWS\SYSTEM\SHARED.DLL          <- delete the target at boot
//   C:\WINDOWS\SYSTEM\SHARED.DLL=C:\TEMP\~TS1A2B.TMP   <- then move the copy onto it
//
// short (8.3) paths, CR LF lines, several lines with the same key allowed.
//
// Where we differ on purpose:
//   * The two lines of one replacement are written to WININIT.INI together, through a
//     new file that replaces the old one, so a failed write leaves the file exactly as it
//     was rather than holding a lone NUL line that would delete the component at boot
//     with nothing to take its place.
//   * A delayed move that the platform refuses fails the replacement (the caller reports
//     that the component cannot be installed) instead of being taken for success; a
//     delete already recorded for the target is taken back, for the same reason.
//   * Delayed moves name the files without redirection, as the boot-time mover sees them.
//   * The copy never waits in the user's temporary directory, where any process of the
//     user could overwrite it before the boot and have its own file moved into the system
//     directory: it waits in a new directory at the root of the target's volume (the
//     mover moves only within a volume) that only administrators may write, never one
//     that exists already, and that directory is removed at the boot after the move.
#pragma once

#include <string>
#include <utility>
#include <vector>

// ---- Portable (next_boot_replacement.cpp) ----

// `text` (an INI file's contents) with the line key=value added at the end of `section`;
// the section is appended first when the text has none. Section names match ignoring case.
std::string AddIniLineToText(std::string text, const std::string& section, const std::string& key,
                             const std::string& value);

// ---- Windows (next_boot_replacement_win32.cpp) ----

// Copies `source` into a new administrators-only "~ts" directory at the root of the
// volume of `target` and records that it replaces `target` at the next boot, and that the
// directory goes after it.
bool ReplaceFileAtRestart(const std::string& source, const std::string& target);

// Takes back the last deletion of `path` (a short path) recorded for the next boot.
bool CancelPendingDelete(const std::string& path);

// Adds key=value to `section` of the INI file at `path`. False when the file cannot be
// read or written; the file is then unchanged.
bool AddIniLine(const std::string& section, const std::string& key, const std::string& value,
                const std::string& path);

// Adds several lines to one section in one write: all of them or, on failure, none.
bool AddIniLines(const std::string& section, const std::vector<std::pair<std::string, std::string>>& lines,
                 const std::string& path);
