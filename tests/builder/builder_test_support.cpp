#include "builder_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

int RunCommand(const std::string& command, std::string* output) {
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, got);
  const int status = pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Sha256sumOf(const std::string& path) {
  std::string output;
  RunCommand("sha256sum " + Quoted(path), &output);
  return output.substr(0, 64);
}

void ForDamagedCopies(const std::vector<std::uint8_t>& bytes, int rounds, int flips,
                      const std::function<void(const std::vector<std::uint8_t>&)>& check) {
  std::uint32_t state = 1;
  for (int round = 0; round < rounds; ++round) {
    std::vector<std::uint8_t> damaged = bytes;
    for (int k = 0; k < flips; ++k) {
      state = state * 1103515245u + 12345u;
      damaged[state % damaged.size()] = static_cast<std::uint8_t>(state >> 24);
    }
    check(damaged);
  }
}

std::string NoiseBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() >> 24);
  return bytes;
}

std::string TextBytes(std::size_t size, std::uint32_t seed) {
  static const char* const kWords[] = {"cabinet ", "folder ", "block ", "setup ", "\r\n", "Vexa ", "1998 ", "file "};
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < size) text += kWords[random() % 8];
  text.resize(size);
  return text;
}

void RecordedBuild::MakeCabProgress(const std::string&, const std::string& file, std::uint64_t, std::uint64_t) {
  events.push_back("progress " + file);
}
void RecordedBuild::MakeCabDone(const std::string&, std::uint64_t uncompressed, std::uint64_t compressed) {
  events.push_back("done");
  last_kind = "done";
  done_uncompressed = uncompressed;
  done_compressed = compressed;
  ++finals;
}
void RecordedBuild::MakeCabError(const std::string&) {
  events.push_back("error");
  last_kind = "error";
  ++finals;
}
void RecordedBuild::MakeCabCancel(const std::string&) {
  events.push_back("cancel");
  last_kind = "cancel";
  ++finals;
}

void WaitForBuild(CabBuilder& builder, RecordedBuild& build) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (build.finals == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    builder.ProcessMakeCabEvents(build);
  }
  // Anything after the final event would be a fault; give it a moment to show.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  builder.ProcessMakeCabEvents(build);
}

std::vector<std::string> FilesBelow(const fs::path& root) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(root).generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string BuildCabinetOfTree(const fs::path& root, const std::string& cabinet,
                               const CabWriterOptions& options, RecordedBuild* record) {
  CabBuilder builder;
  builder.SetWriterOptions(options);
  builder.ClearCabFiles();
  for (const std::string& file : FilesBelow(root)) {
    std::string name = file;
    std::replace(name.begin(), name.end(), '/', '\\');
    builder.AddFileToCab((root / file).string(), name);
  }
  RecordedBuild own;
  RecordedBuild& build = record ? *record : own;
  if (!builder.MakeCab(cabinet, 0)) return "not started";
  WaitForBuild(builder, build);
  return build.last_kind;
}

CabinetReader CabextractReader() {
  return {"cabextract",
          [](const std::string& cabinet, const std::string& directory) {
            return "cabextract -q -d " + Quoted(directory) + " " + Quoted(cabinet);
          }};
}

CabinetReader EngineReader(const std::string& oracle) {
  return {"engine", [oracle](const std::string& cabinet, const std::string& directory) {
            return oracle + " " + Quoted(cabinet) + " " + Quoted(directory);
          }};
}

void ExpectReadersGiveBack(const fs::path& source, const std::string& cabinet, const fs::path& work,
                           const std::vector<CabinetReader>& readers) {
  const std::vector<std::string> files = FilesBelow(source);
  for (const CabinetReader& reader : readers) {
    const fs::path result = work / reader.name;
    if (reader.needs_directory) fs::create_directories(result);
    std::string output;
    ASSERT_EQ(RunCommand(reader.command(cabinet, result.string()) + " 2>&1", &output), 0) << reader.name << ": " << output;
    ASSERT_EQ(FilesBelow(result), files) << result;
    for (const std::string& file : files) {
      ASSERT_TRUE(ReadFileBytes(result / file) == ReadFileBytes(source / file)) << result / file;
    }
  }
}
