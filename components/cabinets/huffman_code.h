// Canonical Huffman codes for compressed formats that transmit code lengths (LZX here):
// code lengths from symbol frequencies, limited to a maximum length, and the codes that
// follow from the lengths, assigned as every canonical reader does (shorter codes first,
// then by symbol, written most significant bit first).
#pragma once

#include <cstdint>
#include <span>

// Fills `lengths` (one per symbol) from `frequencies`: zero for an unused symbol, at most
// `max_length` for the others, and a complete code whenever any symbol is used. A single
// used symbol gets a one-bit code with a second one-bit code beside it, since readers
// reject an incomplete code. `max_length` must allow every symbol a code.
void HuffmanCodeLengths(std::span<const std::uint32_t> frequencies, unsigned max_length,
                        std::span<std::uint8_t> lengths);

// Fills `codes` with the canonical code of each symbol of `lengths`.
void CanonicalHuffmanCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes);
