#include "uninstall_data_check.h"

#include "paths.h"
#include "text.h"
#include "uninstall.h"

namespace {

bool IsPath(const std::string& line) {
  for (const char c : line) {
    if (static_cast<unsigned char>(c) < 32) return false;
    if (c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') return false;
  }
  return !NormalizedPath(line).empty();
}

// The product name is a registry key name below two keys of the machine; a path
// separator would reach keys of other products, and the rest have no place in a name.
bool IsPlainName(const std::string& name) {
  if (name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32) return false;
    if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
      return false;
  }
  return true;
}

std::string Damaged(const std::string& reason) {
  return "Error. The uninstall data of this program is damaged: " + reason + ". Nothing was removed.";
}

std::string ProductDirectoryProblem(const std::string& directory, const std::vector<std::string>& system_directories) {
  if (!IsPath(directory)) return Damaged("the product directory is not a path: " + directory);
  if (!IsBelowRoot(directory)) return Damaged("the product directory " + directory + " is a drive root");
  for (const std::string& system : system_directories) {
    if (system.empty()) continue;
    if (EqualsIgnoringCase(NormalizedPath(system), NormalizedPath(directory)) || PathIsBelow(system, directory))
      return Damaged("the product directory " + directory + " is a Windows system directory or holds one");
  }
  return {};
}

}  // namespace

std::string UninstallDataProblem(const std::vector<std::string>& lines, std::int64_t trailer_base,
                                 std::uint64_t own_size, const std::vector<std::string>& system_directories) {
  if (trailer_base < 0) return "Error. This uninstall program carries no uninstall data. Nothing was removed.";
  if (static_cast<std::uint64_t>(trailer_base) != own_size)
    return Damaged("it does not begin where the uninstall program ends");
  if (lines.size() < 3) return Damaged("it has fewer than three lines");
  if (lines[0].empty()) return Damaged("it names no product");
  if (!IsPlainName(lines[0])) return Damaged("the product name " + lines[0] + " holds characters no name may hold");
  if (std::string problem = ProductDirectoryProblem(lines[1], system_directories); !problem.empty()) return problem;
  if (!lines[2].empty() && !IsPath(lines[2])) return Damaged("the program group is not a path: " + lines[2]);
  // The package line after the files names no file; a malformed one only means no cached
  // cabinets are let go.
  const std::size_t files_end = lines.size() - (lines.size() > 3 && IsWebPackageLine(lines.back()) ? 1 : 0);
  for (std::size_t line = 3; line < files_end; ++line) {
    if (!IsPath(lines[line])) return Damaged("line " + std::to_string(line + 1) + " is not a path: " + lines[line]);
  }
  return {};
}

std::string UninstallLocationProblem(const std::vector<std::string>& lines, const std::string& recorded_directory,
                                     const std::string& program_path) {
  const std::string& name = lines[0];
  const std::string product = NormalizedPath(lines[1]);
  const std::string foreign = "Error. This uninstall program does not belong to the installation its data names: ";
  const std::string recorded = NormalizedPath(recorded_directory);
  if (product.empty() || recorded.empty() || !EqualsIgnoringCase(product, recorded))
    return foreign + lines[1] + " is not the directory recorded for " + name + ". Nothing was removed.";
  const std::string program = NormalizedPath(program_path);
  const std::size_t slash = program.find_last_of('\\');
  const std::string expected_folder = WithBackslash(product) + "Uninstall";
  if (slash == std::string::npos || !EqualsIgnoringCase(program.substr(0, slash), expected_folder))
    return foreign + "it is not in " + expected_folder + "\\. Nothing was removed.";
  return {};
}
