// Whole-file reads and writes for the engine's tests.
#pragma once

#include <filesystem>
#include <string>

// The bytes of the file at `path`; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

// Creates or replaces the file at `path` with `bytes`.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
