// The command line of vexabuild, the wizard without a window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct VexaBuildOptions {
  std::string command;  // "build" or "serve"
  std::string program_directory;
  // serve: the port to listen on (0: the port of the project's publication address).
  std::uint16_t port = 0;
  // Empty: the directory of the vexabuild program itself.
  std::string wizard_directory;
  std::optional<std::string> friendly_name, company, web_site_url, activex_url, publication_url;
  std::optional<std::string> run_file, run_parameters;
  std::vector<std::string> ocx_files, dll_files;
  // Components taken off step 5's lists: a listed path or its file name.
  std::vector<std::string> remove_ocx_files, remove_dll_files;
  std::optional<std::string> program_group_file;
  std::optional<std::string> html_name, html_title, web_setup_name;
  std::optional<bool> minimize_download_time;
  std::optional<int> code_page;
  std::optional<bool> sign_every_program;
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
