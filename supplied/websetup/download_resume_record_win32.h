// What a partial download keeps beside its file, so that a later attempt (of this run or
// of a run that was cancelled or killed) asks only for the rest:
//
//   <path>.validator  the server's strong ETag, or without one its Last-Modified date,
//                     from the response that began the file: printable ASCII, at most
//                     256 characters
//   <path>.missing    while pieces are written, what is still missing (DownloadPlan's
//                     text), replaced as a whole so that a killed run leaves the old
//                     record or the new one
//
// A file without a validator is never resumed.
#pragma once

#include <string>

struct Download;

// A validator goes into a request header: printable ASCII of a sensible length, or none.
bool IsUsableValidator(const std::string& text);

// Writes the validator of the version of the file at `path`.
void WriteValidatorRecord(const std::string& path, const std::string& validator);

// Writes down the missing ranges of the file at `path`; false when that failed.
bool WriteMissingRecord(const std::string& path, const std::string& plan_text);

// Removes the record of missing ranges, the validator, or both; the file stays.
void DeleteMissingRecord(const std::string& path);
void DeleteResumeRecord(const std::string& path);

// What of the file an earlier attempt left: its validator and what is still missing. A
// partial file without a validator, or whose missing ranges cannot be read, starts over.
void LoadResumeState(Download& download);
