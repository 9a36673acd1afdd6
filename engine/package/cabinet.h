// Cabinet expansion: the engine's one way of reading cabinet (CAB) files.
//
// A cabinet is read with libmspack's cabinet decompressor (MSZIP, Quantum, LZX). Each
// entry gives a stored name, which may hold backslash-separated folders (DATA\MAP.BMP),
// a DOS date and time in local time, and attribute bits. An entry's target path is the
// target directory followed directly by its stored name. For every entry, in the order
// the cabinet stores them, the directories along the target path are created; then, when
// a filter is given, the entry is taken only if its target path in upper case ends with
// the filter in upper case (a plain suffix, so A.DLL also takes BA.DLL); a taken entry is
// listed, any file at its path is deleted, the data is written, and the file gets the
// cabinet's date and time as creation and last-write time (local time converted to UTC)
// and the attribute bits masked with 0x27 (read-only, hidden, system, archive).
//
// Where we differ on purpose, because libmspack hands back the raw stored names:
//   * Before anything is created, every stored name of the cabinet is checked. A name
//     that is empty, absolute, carries a drive, UNC or device prefix, has an empty, "." or
//     ".." component, a component ending in a dot or blank, a reserved device name (CON,
//     NUL, COM1, ...), a control character or one of  < > : " | ? *  (":" also covers
//     alternate data streams) fails the whole expansion and nothing is written. "/" in a
//     stored name is a folder separator, as it is for Windows itself.
//   * While directories are made below the target directory, an existing link, junction or
//     other reparse point on the way fails the expansion instead of being followed; the
//     data file itself is never created through a link.
//   * A sound cabinet that holds no files (libmspack refuses to open one) expands to
//     nothing and succeeds without a filter.
//   * Paths longer than kMaxCabinetPath characters fail the expansion.
//   * libmspack's salvage and MS-ZIP repair modes stay off: a damaged cabinet fails
//     rather than half-installs. A cabinet that continues into another cabinet file is
//     not followed; entries that need the other part fail the expansion.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxCabinetPath = 255;

// Writes the files of the cabinet at `cabinet_path` (all of them, or those whose target
// path ends with `file_filter`, ignoring case) below `target_directory`, appending each
// target path to `written_files` before its file is created. True only when the whole
// cabinet was walked and, with a filter, at least one file was taken.
bool ExpandCabFile(const std::string& cabinet_path, const std::string& target_directory,
                   std::vector<std::string>& written_files, const std::string& file_filter);

// Opens a new stream on the cabinet, from its first byte, each time it is called (the
// expansion opens the cabinet more than once); null when it cannot.
using CabinetStreamOpener = std::function<std::FILE*()>;

// ExpandCabFile on a cabinet read only through `open_cabinet`, never by a path: a cabinet
// that was checked through an open handle is expanded from the same file, whatever
// happens to its path meanwhile.
bool ExpandCabStream(const CabinetStreamOpener& open_cabinet, const std::string& target_directory,
                     std::vector<std::string>& written_files, const std::string& file_filter);

// What stopped the last expansion at one of its files: "Cannot create " and the target
// path, with the limit when the path is too long; empty when the last expansion failed
// otherwise (an unreadable or damaged cabinet) or succeeded. Expansions never overlap, so
// one text serves the process.
const std::string& LastExpansionProblem();

// ExpandCabFile with `file_name` as the filter and a list nobody reads.
bool ExtractFileFromCab(const std::string& cabinet_path, const std::string& target_directory,
                        const std::string& file_name);

// True when a directory search for `path` finds an entry (file, directory or link).
bool FileExists(const std::string& path);

// The path below the target directory for a stored name, with "\" between folders; false
// for a name the expansion refuses (see above).
bool StoredNameToRelativePath(std::string_view stored_name, std::string& relative_path);
