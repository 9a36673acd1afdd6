// File services of the download component.
#pragma once

#include <cstdint>
#include <string>

// Size in bytes of the file at `path`; -1 when it is not a file that can be examined.
std::int64_t GetFileSize(const std::string& path);

// The file information text written into Setup scripts: the size in decimal, ";", and the
// last-write time in UTC as YYYYMMDDhhmmss, e.g. "123456;20261207101530". Empty when the
// file cannot be examined.
std::string GetFileInfo(const std::string& path);

// The file name under which a component is installed: the last component of its path
// (after the last "\", "/" or drive ":"), which is also its name inside its cabinet.
std::string ComponentFileName(const std::string& path);

// Writes `output` as the bytes of `first` followed by those of `second`. The output is
// made under a temporary name beside it and renamed when complete, so a failure leaves no
// partial output and the output may be one of the inputs.
bool JoinFiles(const std::string& first, const std::string& second, const std::string& output);

// A copy of `source` at `target`, written beside it under a temporary name and moved into
// place when complete; false (and nothing left at a new target) when either side fails.
bool CopyWholeFile(const std::string& source, const std::string& target);
