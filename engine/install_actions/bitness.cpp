#include "bitness.h"

#include <cstdint>

#include "byte_reader.h"

namespace {

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::size_t kNewHeaderOffsetField = 0x3C;

}  // namespace

const char* BitnessName(Bitness bitness) { return bitness == Bitness::k64 ? "64-bit" : "32-bit"; }

std::optional<Bitness> PeImageBitness(std::string_view head) {
  const ByteReader in(head);
  std::uint32_t pe = 0;
  if (head.substr(0, 2) != "MZ" || !in.U32(kNewHeaderOffsetField, pe)) return std::nullopt;
  // Signature and machine field; an offset beyond what we read is not trusted.
  std::uint16_t machine = 0;
  if (!in.Has(pe, 6) || head.substr(pe, 4) != std::string_view("PE\0\0", 4) || !in.U16(pe + 4, machine)) {
    return std::nullopt;
  }
  switch (machine) {
    case kMachineI386: return Bitness::k32;
    case kMachineAmd64: return Bitness::k64;
    default: return std::nullopt;
  }
}
