#include "uninstall_options.h"

#include "text.h"

namespace {

bool TakeValue(const std::string& argument, std::size_t prefix_length, bool& seen, std::string& value,
               std::string& error) {
  if (seen) {
    error = "The option " + argument.substr(0, prefix_length) + " is given more than once.";
    return false;
  }
  seen = true;
  value = argument.substr(prefix_length);
  if (value.empty()) {
    error = "The option " + argument + " needs a value.";
    return false;
  }
  return true;
}

// At most 20 decimal digits that fit 64 bits.
bool ParseHandle(const std::string& text, std::uint64_t& value) {
  return !text.empty() && text.size() <= 20 && IsDecimalNumber(text, value);
}

}  // namespace

bool ParseUninstallOptions(const std::vector<std::string>& arguments, UninstallOptions& options, std::string& error) {
  options = UninstallOptions{};
  error.clear();
  bool silent_seen = false, log_seen = false, cleanup_seen = false, original_seen = false, status_seen = false;
  std::string cleanup, status;
  for (const std::string& argument : arguments) {
    std::string normalised = argument;
    if (!normalised.empty() && normalised.front() == '-') normalised.front() = '/';
    bool ok = true;
    if (EqualsIgnoringCase(normalised, "/S")) {
      if (silent_seen) {
        error = "The option /S is given more than once.";
        return false;
      }
      silent_seen = options.silent = true;
    } else if (StartsWithIgnoringCase(normalised, "/LOG=")) {
      ok = TakeValue(normalised, 5, log_seen, options.log_file, error);
    } else if (StartsWithIgnoringCase(normalised, "/CLEANUP=")) {
      ok = TakeValue(normalised, 9, cleanup_seen, cleanup, error);
      if (ok && !ParseHandle(cleanup, options.original_process)) {
        error = "The option /CLEANUP= needs a decimal number: " + argument;
        return false;
      }
    } else if (StartsWithIgnoringCase(normalised, "/STATUS=")) {
      ok = TakeValue(normalised, 8, status_seen, status, error);
      if (ok && !ParseHandle(status, options.status_pipe)) {
        error = "The option /STATUS= needs a decimal number: " + argument;
        return false;
      }
    } else if (StartsWithIgnoringCase(normalised, "/ORIGINAL=")) {
      ok = TakeValue(normalised, 10, original_seen, options.original_program, error);
    } else {
      error = "Unknown command-line option: " + argument + "\r\nUsage: Uninstall.exe [/S] [/LOG=<file>]";
      return false;
    }
    if (!ok) return false;
  }
  if (cleanup_seen != original_seen) {
    error = "The options /CLEANUP= and /ORIGINAL= go together.";
    return false;
  }
  if (status_seen && !cleanup_seen) {
    error = "The option /STATUS= belongs to /CLEANUP= and /ORIGINAL=.";
    return false;
  }
  options.is_copy = cleanup_seen;
  return true;
}
