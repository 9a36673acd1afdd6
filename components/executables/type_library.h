// The classes declared by a binary type library ("MSFT" format, as MIDL and widl write it).
//
//   header      "MSFT", version, libid position, lcid, lcid2, varflags, version, flags,
//               type-info count, ... (21 little-endian 32-bit fields, 0x54 bytes)
//   offsets     one 32-bit field per type info, then one more when varflags has 0x100
//               (a help DLL name)
//   segments    15 entries {offset, length, reserved, reserved}: 0 the type-info table,
//               5 the GUID table, ...
//   type info   records of 0x64 bytes in the type-info table; the low four bits of the
//               first field are the kind (5 = coclass), field 11 is the position of the
//               type's GUID in the GUID table
//   GUID entry  {GUID, hreftype, next hash} (24 bytes)
//
// Only this much of the format is read. The older "SLTG" format is not understood and
// gives no classes. Every count and offset is checked against the data.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The class identifiers of the coclasses of a type library in `bytes`, in the library's
// order, each as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper case); empty when the
// bytes are not a type library in the format above.
std::vector<std::string> TypeLibraryClassIds(std::span<const std::uint8_t> bytes);

// The coclasses of a file's type library: the file itself when it is one (.tlb), else the
// first "TYPELIB" resource of a PE file (DLL, OCX).
std::vector<std::string> EmbeddedTypeLibraryClassIds(const std::string& path);

// A GUID's 16 bytes as they are stored, in braces form.
std::string GuidText(std::span<const std::uint8_t, 16> stored);
