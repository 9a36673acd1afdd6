#include "state_table.h"

namespace {

constexpr StateDefinition State(std::string_view name, int strip, int left, int top, int right,
                                int bottom) {
  return {name, strip,
          MaskRect{static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
                   static_cast<std::int16_t>(right), static_cast<std::int16_t>(bottom)}};
}

}  // namespace

// Reference colours by strip position: 0 navy, 1 dark red, 2 red, 3 yellow, 4 green,
// 5 dark green, 6 grey, 7 magenta, 8 silver, 9 blue, 10 cyan, 11 olive, 12 teal, 13 purple.
const std::array<StateDefinition, kStateCount + 1> kStateDefinitions = {{
    {},
    State("Alabama", 6, 339, 198, 378, 261),
    State("Alaska", 0, 11, 243, 149, 350),
    State("Arizona", 1, 69, 85, 135, 245),
    State("Arkansas", 7, 274, 185, 323, 231),
    State("California", 4, 1, 88, 78, 218),
    State("Colorado", 4, 133, 129, 204, 182),
    State("Connecticut", 8, 458, 87, 475, 104),
    State("Delaware", 0, 446, 122, 457, 138),
    State("Florida", 7, 349, 242, 441, 324),
    State("Georgia", 9, 363, 194, 416, 294),
    State("Hawaii", 8, 117, 262, 183, 306),
    State("Idaho", 9, 70, 17, 129, 115),
    State("Illinois", 5, 300, 111, 338, 179),
    State("Indiana", 3, 335, 116, 366, 168),
    State("Iowa", 3, 253, 102, 311, 142),
    State("Kansas", 10, 201, 145, 274, 183),
    State("Kentucky", 2, 325, 147, 393, 185),
    State("Louisiana", 11, 279, 227, 336, 277),
    State("Maine", 2, 469, 16, 511, 75),
    State("Maryland", 8, 410, 121, 458, 157),
    State("Massachusetts", 4, 456, 72, 491, 95),
    State("Michigan", 10, 303, 50, 379, 120),
    State("Minnesota", 2, 246, 26, 310, 106),
    State("Mississippi", 8, 307, 200, 342, 263),
    State("Missouri", 4, 258, 137, 326, 192),
    State("Montana", 2, 95, 21, 193, 86),
    State("Nebraska", 11, 185, 108, 266, 148),
    State("Nevada", 7, 35, 95, 98, 192),
    State("New Hampshire", 10, 461, 47, 479, 82),
    State("New Jersey", 12, 443, 101, 464, 130),
    State("New Mexico", 7, 123, 171, 193, 245),
    State("New York", 13, 400, 56, 476, 111),
    State("North Carolina", 5, 380, 159, 464, 201),
    State("North Dakota", 12, 188, 35, 254, 77),
    State("Ohio", 8, 359, 107, 400, 156),
    State("Oklahoma", 9, 190, 181, 277, 226),
    State("Oregon", 3, 7, 35, 87, 105),
    State("Pennsylvania", 2, 395, 95, 454, 137),
    State("Rhode Island", 3, 472, 85, 482, 98),
    State("South Carolina", 4, 384, 188, 437, 229),
    State("South Dakota", 5, 186, 74, 255, 117),
    State("Tennessee", 0, 317, 172, 400, 205),
    State("Texas", 1, 150, 187, 288, 320),
    State("Utah", 10, 85, 108, 141, 177),
    State("Vermont", 6, 448, 47, 465, 84),
    State("Virginia", 1, 377, 135, 456, 178),
    State("Washington", 2, 26, 8, 90, 57),
    State("West Virginia", 3, 385, 131, 436, 167),
    State("Wisconsin", 12, 283, 60, 336, 115),
    State("Wyoming", 3, 121, 78, 190, 134),
}};

bool ReadReferenceColours(const Bitmap4& strip, ReferenceColours& colours, std::string& error) {
  if (strip.width < kReferenceColourCount || strip.height < 1) {
    error = "the reference colour strip is " + std::to_string(strip.width) + " x " +
            std::to_string(strip.height) + " pixels; it needs " +
            std::to_string(kReferenceColourCount) + " colours in its first row";
    return false;
  }
  for (int x = 0; x < kReferenceColourCount; ++x) {
    colours[static_cast<std::size_t>(x)] = strip.ColourAt(x, 0);
  }
  error.clear();
  return true;
}

StateTable MakeStateTable(const ReferenceColours& colours) {
  StateTable table;
  for (std::size_t id = 1; id < table.size(); ++id) {
    const StateDefinition& def = kStateDefinitions[id];
    table[id].name = std::string(def.name);
    table[id].colour = colours[static_cast<std::size_t>(def.strip)];
    table[id].rect = def.rect;
  }
  return table;
}
