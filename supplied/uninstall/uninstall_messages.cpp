#include "uninstall_messages.h"

std::string RemovalQuestion(const std::string& product_name) {
  return "Do you want to completely remove " + product_name + " and all of its components?";
}

std::string RemovalDoneMessage(const std::string& product_name, bool restart_needed,
                               const std::string& kept_directory) {
  std::string text = product_name + " was removed from your computer.";
  if (restart_needed) {
    return text +
           " Some of its files are in use and will be deleted when the computer restarts. Restart your computer "
           "to complete the removal.";
  }
  if (!kept_directory.empty()) {
    text += " The folder " + kept_directory + " was kept because it holds files that were not installed with " +
            product_name + ".";
  }
  return text;
}

std::string RemovalFailedMessage(const std::string& product_name) {
  return "Error. The removal of " + product_name +
         " did not finish. Run the uninstall program again to remove what is left.";
}
