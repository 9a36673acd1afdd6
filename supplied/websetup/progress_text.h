// The progress line of the web setup window: bytes done and total, speed, time left.
#pragma once

#include <cstdint>
#include <string>

// "12.3 MB of 100.0 MB   2.5 MB/s   36 seconds left". `received` bytes of `done` arrived in
// `elapsed_ms` (the rest was on disk from an earlier run); total 0 is unknown.
std::string ProgressText(std::uint64_t done, std::uint64_t total, std::uint64_t received, std::uint64_t elapsed_ms);

// 0 to 1000 of the bar; 0 when the total is unknown.
int ProgressPermille(std::uint64_t done, std::uint64_t total);
