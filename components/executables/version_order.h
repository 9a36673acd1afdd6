// The order of FileVersion texts ("1.2.0.5", "1, 2, 0, 5"): up to four whole numbers
// separated by dots or commas, compared number by number; a missing or unreadable number
// counts as 0. Each number stops at its first non-digit, so "2.0 beta" reads as 2.0.
#pragma once

#include <string>
#include <vector>

// True when version text `a` is higher than `b`.
bool VersionIsHigher(const std::string& a, const std::string& b);

// The highest of the non-empty texts of `versions`; empty when there is none. Of equal
// versions the first wins.
std::string HighestVersion(const std::vector<std::string>& versions);
