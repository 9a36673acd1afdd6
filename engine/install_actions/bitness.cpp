#include "bitness.h"

#include <cstdint>

namespace {

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::size_t kNewHeaderOffsetField = 0x3C;

std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace

const char* BitnessName(Bitness bitness) { return bitness == Bitness::k64 ? "64-bit" : "32-bit"; }

std::optional<Bitness> PeImageBitness(std::string_view head) {
  if (head.size() < kNewHeaderOffsetField + 4 || head.substr(0, 2) != "MZ") return std::nullopt;
  const std::size_t pe = LittleEndian(head, kNewHeaderOffsetField, 4);
  // Signature and machine field; an offset beyond what we read is not trusted.
  if (pe > head.size() || head.size() - pe < 6) return std::nullopt;
  if (head.substr(pe, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
  switch (LittleEndian(head, pe + 4, 2)) {
    case kMachineI386: return Bitness::k32;
    case kMachineAmd64: return Bitness::k64;
    default: return std::nullopt;
  }
}
