#include "command_line.h"

#include "text.h"

namespace {

bool TakeValue(const std::string& argument, std::size_t prefix_length, std::string& value, std::string& error) {
  if (!value.empty()) {
    error = "The option " + argument.substr(0, prefix_length) + " is given more than once.";
    return false;
  }
  value = argument.substr(prefix_length);
  if (value.empty()) {
    error = "The option " + argument + " needs a value.";
    return false;
  }
  return true;
}

}  // namespace

bool IsWebPackageKey(std::string_view text) {
  if (text.size() != 32) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

std::string QuotedArgument(const std::string& argument) {
  if (argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only before a double quote.
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(2 * backslashes, '\\');
  quoted.push_back('"');
  return quoted;
}

bool ParseEngineOptions(const std::vector<std::string>& arguments, EngineOptions& options, std::string& error) {
  options = EngineOptions{};
  error.clear();
  for (const std::string& argument : arguments) {
    std::string normalised = argument;
    if (!normalised.empty() && normalised.front() == '-') normalised.front() = '/';
    if (EqualsIgnoringCase(normalised, "/S")) {
      options.silent = true;
    } else if (StartsWithIgnoringCase(normalised, "/D=")) {
      if (!TakeValue(normalised, 3, options.destination, error)) return false;
    } else if (StartsWithIgnoringCase(normalised, "/LOG=")) {
      if (!TakeValue(normalised, 5, options.log_file, error)) return false;
    } else if (StartsWithIgnoringCase(normalised, "/WEBPACKAGE=") && IsWebPackageKey(normalised.substr(12))) {
      if (!TakeValue(normalised, 12, options.web_package, error)) return false;
    } else {
      options.ignored_arguments.push_back(argument);
    }
  }
  return true;
}
