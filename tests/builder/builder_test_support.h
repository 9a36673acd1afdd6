// Helpers of the release builder's component tests (beside tests/support/scratch_directory.h):
// running an outside tool, and a cabinet build driven to its final event.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cab_builder.h"
#include "scratch_directory.h"

namespace fs = std::filesystem;

// Runs a shell command; returns its exit status and fills `output` with its standard output.
int RunCommand(const std::string& command, std::string* output = nullptr);
std::string Quoted(const std::string& text);

// The SHA-256 of a file as sha256sum prints it.
std::string Sha256sumOf(const std::string& path);

// Calls `check` with `rounds` copies of `bytes`, each with `flips` bytes overwritten at
// pseudo-random places (the same ones on every run).
void ForDamagedCopies(const std::vector<std::uint8_t>& bytes, int rounds, int flips,
                      const std::function<void(const std::vector<std::uint8_t>&)>& check);

// Bytes that do not compress, and text that does.
std::string NoiseBytes(std::size_t size, std::uint32_t seed);
std::string TextBytes(std::size_t size, std::uint32_t seed);

// Every event of one build, in order, as short lines ("progress <file>", "done", ...).
struct RecordedBuild : MakeCabEvents {
  std::vector<std::string> events;
  int finals = 0;
  std::string last_kind;
  std::uint64_t done_uncompressed = 0;
  std::uint64_t done_compressed = 0;
  void MakeCabProgress(const std::string& cabinet, const std::string& file, std::uint64_t, std::uint64_t) override;
  void MakeCabDone(const std::string& cabinet, std::uint64_t uncompressed, std::uint64_t compressed) override;
  void MakeCabError(const std::string& cabinet) override;
  void MakeCabCancel(const std::string& cabinet) override;
};

// Processes the builder's events until the final one (or a minute passes).
void WaitForBuild(CabBuilder& builder, RecordedBuild& build);

// Packs every file below `root` (sorted, relative names) into `cabinet`; returns the final
// event's kind ("done", "error", "cancel").
std::string BuildCabinetOfTree(const fs::path& root, const std::string& cabinet,
                               const CabWriterOptions& options = {}, RecordedBuild* record = nullptr);

// The files below `root`, relative, with "/" between folders, sorted.
std::vector<std::string> FilesBelow(const fs::path& root);

// A cabinet reader run from the shell: the folder below the work directory it expands
// into, and the command that expands a cabinet into that folder.
struct CabinetReader {
  std::string name;
  std::function<std::string(const std::string& cabinet, const std::string& directory)> command;
  // The reader expands into its current directory, which must exist beforehand.
  bool needs_directory = false;
};

// The readers every cabinet test trusts: cabextract, and the setup engine's own expansion
// through the `oracle` program.
CabinetReader CabextractReader();
CabinetReader EngineReader(const std::string& oracle);

// Expands `cabinet` with each reader into `work`/NAME and checks that each one gives back
// every file of `source`, byte for byte.
void ExpectReadersGiveBack(const fs::path& source, const std::string& cabinet, const fs::path& work,
                           const std::vector<CabinetReader>& readers);
