#include "vexabuild_options.h"

#include "native_files.h"
#include "narrow_text.h"
#include "project_settings.h"

#include <filesystem>
#include <functional>
#include <system_error>
#include <map>

namespace {

constexpr const char* kUsage = R"(Usage: vexabuild build PROGRAM_DIR [options]
       vexabuild serve PROGRAM_DIR [--port N]
       vexabuild --help

Builds the web setup package of the program in PROGRAM_DIR as the wizard's Finish does:
the project in PROGRAM_DIR/VexaWizardNetloomProject/ is loaded (or made by the first
build), the options below set their fields, every step is passed with Next (with the
wizard's checks and messages) and Finish builds the package into the project's Release
directories. A later build without options rebuilds the project as it was saved.

Step 1:
  --friendly-name TEXT        the program friendly name
  --company TEXT              your company name
  --web-site-url URL          the base URL of your web site
  --activex-url URL           the ActiveX/DLL URL directory of your web site
  --publication-url URL       the URL where the resultant setup program will reside
                              (each an absolute http:// or https:// address with a host)
Step 3:
  --run FILE                  the program file run at the end of the installation, as
                              listed (relative to PROGRAM_DIR), or "<none>"
  --run-parameters TEXT       its parameters, e.g. '"a", "b"'
Step 4:
  --program-group FILE        the program group tree, a file in the format of the
                              project's ProgramGroup.txt (read whole: a damaged file
                              stops the build; every shortcut links to a ticked file)
Step 5 (each may be given more than once; a file already listed is kept):
  --ocx PATH                  a registered OCX (or registerable DLL) the program uses
  --dll PATH                  a DLL the program uses
                              (Windows DLLs only; saved as full paths)
  --remove-ocx PATH           take a listed OCX off the list (its listed path or its
  --remove-dll PATH           file name); removed before any --ocx/--dll is added
Step 6:
  --html-name NAME            the name of the resultant HTML page (NAME.htm)
  --html-title TEXT           the title of the resultant HTML page
  --web-setup-name NAME       the name of the resultant web setup program (NAME.exe)
  --minimize-download-time yes|no
  --compression lzx|mszip     the program and component cabinets' compression for this
                              build (default: the project's CabCompression.txt, else LZX
                              when "Minimize Download Time" is on)
  --sign-command TEXT         a code-signing command line ("%1" the file to sign, "%2"
                              the title, "%3" SOURCE_DATE_EPOCH); more than once for
                              several lines
  --no-sign-commands          no code-signing commands
  --code-page N               the Windows code page every text of the package is written
                              in (874 or 1250 to 1258; default 1252): the end user's PC
                              reads it in its own code page, so pick the one of its
                              language; a character the code page lacks stops the build
  --sign-every-program yes|no the commands also sign Setup.exe, the web setup program
                              and VexaLoad.cab, not only the script cabinet
Other:
  --yes                       answer Yes to the wizard's questions (replacing the files
                              of the Release directories); without it a question stops
                              the build
  --wizard-directory DIR      the wizard's directory (VexaInstall.exe, VexaLoad.ocx, ...);
                              default: the directory of this program
  --help                      this text

serve publishes the package last built in PROGRAM_DIR on this machine (127.0.0.1), the
Release directory at the path of the publication URL and ReleaseActiveX at the path of the
ActiveX URL, with byte ranges and validators as a web server answers, until Ctrl+C; the
port is N, or the one of the publication URL. Build with http://127.0.0.1:PORT/ addresses
to try the package before publishing it (Linux build).

Messages go to standard error with their titles, progress lines to standard output and
the success text last. Exit status: 0 when the package was built, 1 when the build
stopped or failed (a sign command that cannot be started or ends with a non-zero status
fails it), 2 for a command line that cannot be used.
With SOURCE_DATE_EPOCH set, every date in the package comes from it.
)";

// A component is saved in the project as listed and read again by every later build,
// which may run in another directory: a relative path is made full at once.
bool AddFullPath(const std::string& value, std::vector<std::string>& files) {
  if (value.empty()) return false;
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(NativePath(value), error);
  if (error) return false;
  files.push_back(NarrowTextOf(full.lexically_normal()));
  return true;
}

bool AddName(const std::string& value, std::vector<std::string>& names) {
  if (value.empty()) return false;
  names.push_back(value);
  return true;
}

using Setter = std::function<bool(const std::string&)>;

// The options that take a value, each with what it sets in `options`; a setter refuses a
// value it cannot use.
std::map<std::string, Setter> ValueOptions(VexaBuildOptions& options) {
  const auto text = [](std::optional<std::string>& field) {
    return Setter([&field](const std::string& value) { field = value; return true; });
  };
  const auto yes_or_no = [](std::optional<bool>& field) {
    return Setter([&field](const std::string& value) {
      if (value != "yes" && value != "no") return false;
      field = value == "yes";
      return true;
    });
  };
  return {
      {"--friendly-name", text(options.friendly_name)},
      {"--company", text(options.company)},
      {"--web-site-url", text(options.web_site_url)},
      {"--activex-url", text(options.activex_url)},
      {"--publication-url", text(options.publication_url)},
      {"--run", text(options.run_file)},
      {"--run-parameters", text(options.run_parameters)},
      {"--program-group", text(options.program_group_file)},
      {"--html-name", text(options.html_name)},
      {"--html-title", text(options.html_title)},
      {"--web-setup-name", text(options.web_setup_name)},
      {"--ocx", [&](const std::string& value) { return AddFullPath(value, options.ocx_files); }},
      {"--dll", [&](const std::string& value) { return AddFullPath(value, options.dll_files); }},
      {"--remove-ocx", [&](const std::string& value) { return AddName(value, options.remove_ocx_files); }},
      {"--remove-dll", [&](const std::string& value) { return AddName(value, options.remove_dll_files); }},
      {"--sign-command",
       [&](const std::string& value) {
         if (!options.sign_commands) options.sign_commands.emplace();
         options.sign_commands->push_back(value);
         return true;
       }},
      {"--wizard-directory", [&](const std::string& value) { options.wizard_directory = value; return true; }},
      {"--compression",
       [&](const std::string& value) {
         if (value != "lzx" && value != "mszip") return false;
         options.compression = value;
         return true;
       }},
      {"--code-page",
       [&](const std::string& value) {
         const int code_page = CodePageOfText(value);
         if (value.empty() || !IsPackageCodePage(code_page)) return false;
         options.code_page = code_page;
         return true;
       }},
      {"--minimize-download-time", yes_or_no(options.minimize_download_time)},
      {"--sign-every-program", yes_or_no(options.sign_every_program)},
  };
}

// serve's --port N: a port number from 1 to 65535.
bool ParsePort(const std::string& value, std::uint16_t& port) {
  if (value.empty() || value.size() > 5 || value.find_first_not_of("0123456789") != std::string::npos ||
      std::stoi(value) == 0 || std::stoi(value) > 65535) {
    return false;
  }
  port = static_cast<std::uint16_t>(std::stoi(value));
  return true;
}

}  // namespace

std::string VexaBuildUsage() { return kUsage; }

bool ParseVexaBuildOptions(const std::vector<std::string>& arguments, VexaBuildOptions& options, std::string& error) {
  const std::map<std::string, Setter> with_value = ValueOptions(options);
  bool command_seen = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      return true;
    }
    if (argument == "--yes") {
      options.yes = true;
    } else if (argument == "--no-sign-commands") {
      options.sign_commands.emplace();
    } else if (const auto setter = with_value.find(argument); setter != with_value.end()) {
      if (options.command == "serve") {
        error = argument + " is an option of build; serve takes only --port";
        return false;
      }
      if (i + 1 >= arguments.size()) {
        error = argument + " needs a value";
        return false;
      }
      if (!setter->second(arguments[++i])) {
        error = "the value of " + argument + " cannot be used: " + arguments[i];
        return false;
      }
    } else if (argument == "--port" && options.command == "serve") {
      const std::string value = i + 1 < arguments.size() ? arguments[++i] : std::string();
      if (!ParsePort(value, options.port)) {
        error = "--port needs a port number from 1 to 65535";
        return false;
      }
    } else if (argument.rfind("--", 0) == 0) {
      error = "unknown option " + argument;
      return false;
    } else if (!command_seen) {
      if (argument != "build" && argument != "serve") {
        error = "unknown command " + argument + " (the commands are build and serve)";
        return false;
      }
      options.command = argument;
      command_seen = true;
    } else if (options.program_directory.empty()) {
      options.program_directory = argument;
    } else {
      error = "more than one program directory: " + argument;
      return false;
    }
  }
  if (!command_seen || options.program_directory.empty()) {
    error = "usage: vexabuild build|serve PROGRAM_DIR [options] (see --help)";
    return false;
  }
  return true;
}
