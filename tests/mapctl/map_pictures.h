// The committed pictures of the map control, loaded once for all tests, and the point
// inside each state that the picture generator wrote beside them.
#pragma once

#include <string>

#include "bitmap.h"
#include "state_table.h"

struct MapPictures {
  Bitmap4 map;
  Bitmap4 mask;
  Bitmap4 strip;
  StateTable table;
  std::string error;  // empty when everything loaded
};

// For each state, the mask point deepest inside its painted pixels, as the picture
// generator found it.
struct StatePoint {
  int id;
  int x;
  int y;
};

inline constexpr StatePoint kStatePoints[] = {
#include "state_points.inc"
};

inline std::string SourcePath(const std::string& relative) {
  return std::string(VEXA_SOURCE_DIR) + "/" + relative;
}

inline const MapPictures& CommittedPictures() {
  static const MapPictures pictures = [] {
    MapPictures p;
    ReferenceColours colours{};
    if (LoadBitmap4(SourcePath("mapctl/res/usamap.bmp"), kMapWidth, kMapHeight, p.map, p.error) &&
        LoadBitmap4(SourcePath("mapctl/res/usamask.bmp"), kMapWidth, kMapHeight, p.mask, p.error) &&
        LoadBitmap4(SourcePath("mapctl/res/colours.bmp"), kStripWidth, 1, p.strip, p.error) &&
        ReadReferenceColours(p.strip, colours, p.error)) {
      p.table = MakeStateTable(colours);
    }
    return p;
  }();
  return pictures;
}
