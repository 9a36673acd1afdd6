// The state table of the map control: entries 1 to 50, one per state in alphabetical
// order, each with its name, its reference colour and its rectangle on the 513 x 352
// mask (left, top, right, bottom, all inclusive). Entry 0 exists, is empty and never
// matches. The state number is the entry's index.
//
// Several states share a colour; colour and rectangle together identify one state.
// The colours are not written here: each entry names a position in the reference colour
// strip, and the table is filled from the colours read out of that picture, so that the
// mask and the strip go through the same colour handling.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "bitmap.h"

inline constexpr int kStateCount = 50;
inline constexpr int kReferenceColourCount = 14;

// The size of the map and mask pictures; the strip is kStripWidth x 1.
inline constexpr int kMapWidth = 513;
inline constexpr int kMapHeight = 352;
inline constexpr int kStripWidth = 16;

struct MaskRect {
  std::int16_t left = 0;
  std::int16_t top = 0;
  std::int16_t right = -1;
  std::int16_t bottom = -1;

  bool Holds(std::int16_t x, std::int16_t y) const {
    return left <= x && x <= right && top <= y && y <= bottom;
  }
};

struct StateDefinition {
  std::string_view name;
  int strip;  // position of the reference colour in the strip
  MaskRect rect;
};

// Indexed by state number; [0] is the empty entry.
extern const std::array<StateDefinition, kStateCount + 1> kStateDefinitions;

struct StateEntry {
  std::string name;
  Colour colour = 0;
  MaskRect rect;
};

using StateTable = std::array<StateEntry, kStateCount + 1>;
using ReferenceColours = std::array<Colour, kReferenceColourCount>;

// The colours of pixels (0, 0) to (13, 0) of the strip picture. False, with a message,
// when the strip is narrower than that.
bool ReadReferenceColours(const Bitmap4& strip, ReferenceColours& colours, std::string& error);

// Fills entries 1 to 50 from kStateDefinitions with the colours read from the strip.
StateTable MakeStateTable(const ReferenceColours& colours);
