// The FileVersion text of a file's version resource, read from the PE file itself.
//
// The version resource (type 16) is a tree of nodes, each
//   wLength, wValueLength, wType, szKey (UTF-16, NUL-ended), padding to 4, value,
//   padding to 4, children
// with "VS_VERSION_INFO" at the root, a "StringFileInfo" child holding one string table
// per language and code page (key: eight hex digits such as "040904B0") and a
// "VarFileInfo" child whose "Translation" value lists language/code-page pairs. As the
// system's version functions are used by the setup engine, we take the table of the first
// translation, else the table "040904E4", and in it the value of "FileVersion" up to its
// first NUL. Keys are compared ignoring ASCII case. The tree has a fixed shape, so it is
// walked level by level with explicit bounds: a node that claims to be longer than its
// parent, or shorter than its own header, ends the search with an empty result.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// FileVersion text of the version resource `resource` (the bytes of resource type 16),
// as narrow text (narrow_text.h); empty when there is none.
std::string FileVersionOfResource(std::span<const std::uint8_t> resource);

// FileVersion of a PE image in memory.
std::string FileVersionOfImage(std::span<const std::uint8_t> image);

// The download component's GetFileVersion: FileVersion of the file at `path`, empty when
// the file cannot be read, is not a PE file or has no FileVersion.
std::string GetFileVersion(const std::string& path);
