// The command line of vexabuild, the wizard without a window.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct VexaBuildOptions {
  std::string program_directory;
  // Empty: the directory of the vexabuild program itself.
  std::string wizard_directory;
  std::optional<std::string> friendly_name, company, web_site_url, activex_url, publication_url;
  std::optional<std::string> run_file, run_parameters;
  std::vector<std::string> ocx_files, dll_files;
  std::optional<std::string> program_group_file;
  std::optional<std::string> html_name, html_title, web_setup_name;
  std::optional<bool> minimize_download_time;
  std::optional<std::string> compression;  // "lzx" or "mszip"
  std::optional<std::vector<std::string>> sign_commands;
  bool yes = false;
  bool help = false;
};

// Parses the arguments after the program name; false with `error` set for a command line
// that cannot be used.
bool ParseVexaBuildOptions(const std::vector<std::string>& arguments, VexaBuildOptions& options, std::string& error);

// The text of --help.
std::string VexaBuildUsage();
