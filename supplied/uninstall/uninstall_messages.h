// The texts the uninstall program shows (or writes to the log with /S).
#pragma once

#include <string>

// The title of messages shown before the product name is known.
inline constexpr const char* kUninstallTitle = "Uninstall";

// The question asked first, in a box titled with the product name.
std::string RemovalQuestion(const std::string& product_name);

// The message at the end. `restart_needed`: files in use are deleted at the next boot.
// `kept_directory`: the product directory, when files that the installation did not
// write keep it; empty when it is gone.
std::string RemovalDoneMessage(const std::string& product_name, bool restart_needed,
                               const std::string& kept_directory);

// The message when the temporary copy that does the removal ended without finishing it.
std::string RemovalFailedMessage(const std::string& product_name);
