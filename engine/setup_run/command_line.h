// The engine's command line, for unattended installation:
//
//   /S            silent: no window; Install is pressed at once with the default
//                 destination; a previous installation is removed without asking;
//                 messages go to the log; a restart is never started
//   /D=<dir>      destination instead of the default (the Change Folder rule applies)
//   /LOG=<file>   the log text, and in silent mode every message, also go to this file
//   /WEBPACKAGE=<key>  the web setup program's key of the package being installed (32
//                 hexadecimal digits), kept in the uninstall data so that uninstalling
//                 also lets the package's cached cabinets go; any other value is ignored
//
// Switches are case-insensitive and may start with "/" or "-". With no arguments the
// engine is the interactive dialog. Any other argument is ignored (and noted in the log):
// a web setup starts Setup.exe with the program's own parameters appended.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct EngineOptions {
  bool silent = false;
  std::string destination;  // empty: the default destination
  std::string log_file;     // empty: no log file
  std::string web_package;  // empty: not installed by the web setup program
  std::vector<std::string> ignored_arguments;  // not ours, in the order given
};

// Exit status of a silent run, as deployment tools read it.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRestartNeeded = 3010;
inline constexpr int kExitCancelled = 1602;
inline constexpr int kExitFailure = 1603;

// One argument as command-line text that the C runtime of the started program splits back
// into exactly this argument. An argument without blank, tab or double quote is passed as
// it is (an empty one vanishes); any other is enclosed in double quotes, with a backslash
// before each double quote it holds and the backslashes that end it, or stand before one
// of its double quotes, doubled: "C:\My Apps\" would otherwise end in an escaped quote and
// swallow the arguments after it.
std::string QuotedArgument(const std::string& argument);

// True for a package key of the web setup program's cache: exactly 32 hexadecimal digits.
bool IsWebPackageKey(std::string_view text);

// Parses the arguments after the program name. False with `error` set for a switch given
// twice, or /D= or /LOG= without a value; other arguments, /WEBPACKAGE= with anything but a
// package key among them, go to `ignored_arguments`.
bool ParseEngineOptions(const std::vector<std::string>& arguments, EngineOptions& options, std::string& error);
