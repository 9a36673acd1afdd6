// A file held from its check to its last use. Windows build only.
//
// An elevated program that checks a file in a directory other processes can write, and
// then opens it again by its path, may use bytes it never checked: the file can be
// written, renamed or replaced in between. A held file is opened once, for reading, with
// write and delete sharing denied: while it is held no process can write it, rename it,
// delete it or put another file at its path, and every read goes through the one handle
// (a new stream is re-opened from the handle, never from the path). The handle carries the
// right to rename the file itself, so a checked download can take its final name without
// being let go.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "win32_handles.h"

class HeldFile {
 public:
  // Holds the file at `path`; false (and nothing held) when it cannot be opened so: it is
  // missing, or another process has it open for writing or deleting.
  bool Open(const std::string& path);
  void Close();
  bool is_open() const { return static_cast<bool>(file_); }
  const std::string& path() const { return path_; }

  // A new stream reading the held file from its first byte, buffered; null on failure.
  // The caller closes it.
  std::FILE* NewStream() const;

  // Renames the held file to `path`, replacing a file there, and keeps holding it.
  bool MoveTo(const std::string& path);

  // A new handle for reading the held file, with a position of its own, for calls that
  // read through a handle (WinVerifyTrust); empty on failure.
  UniqueHandle NewHandle() const;

 private:
  UniqueHandle file_;
  std::string path_;
};
