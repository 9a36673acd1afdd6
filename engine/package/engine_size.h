// E, the size in bytes of VexaInstall.exe as built: Setup.exe's attachment starts at this
// offset. The build links the engine once with a zero record, measures the file, and
// links it again with the measured size (engine_size.cmake), so the engine carries its
// own final size. The record is plain text inside the executable, so that the size can be
// checked on the shipped file as well. Uninstall.exe is built the same way, so that it
// knows where the uninstall data appended to it begins (cmake/SelfSizedProgram.cmake).
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr std::string_view kEngineSizeRecordPrefix = "VEXA-ENGINE-SIZE:";
inline constexpr std::size_t kEngineSizeRecordDigits = 20;

// "VEXA-ENGINE-SIZE:" followed by 20 decimal digits; defined in the generated
// engine_size_record.cpp.
extern const char kEngineSizeRecord[];

std::uint64_t EngineFileSize();
