#include "hit_test.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <utility>
#include <string>

#include "map_pictures.h"

namespace {

class HitTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(pictures().error, ""); }

  static const MapPictures& pictures() { return CommittedPictures(); }
  static const StateTable& table() { return pictures().table; }

  // A run-mode drawing into `bounds`: the mask surface is rebuilt at the drawing's size.
  void Draw(DrawingBounds bounds) {
    bounds_ = bounds;
    surface_ = MaskSurface::Stretch(pictures().mask, bounds);
  }
  std::int16_t StateAt(int x, int y) const {
    return GetStateId(table(), bounds_, surface_ ? &*surface_ : nullptr, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y));
  }

  DrawingBounds bounds_;
  std::optional<MaskSurface> surface_;
};

TEST_F(HitTest, AtNaturalSizeTexasIsFoundAndTheBackgroundIsNoState) {
  Draw({0, 0, kMapWidth, kMapHeight});
  // Two points well inside the state, in its west and its south.
  for (auto [x, y] : {std::pair{220, 250}, std::pair{240, 290}}) {
    const std::int16_t id = StateAt(x, y);
    EXPECT_EQ(id, 43) << x << ", " << y;
    EXPECT_EQ(GetStateName(table(), id), "Texas");
  }
  EXPECT_EQ(GetMaskPixel(&*surface_, 220, 250), static_cast<std::int32_t>(MakeColour(128, 0, 0)));
  // The Pacific west of California and the Gulf of Mexico.
  for (auto [x, y] : {std::pair{3, 20}, std::pair{300, 320}}) {
    EXPECT_EQ(GetMaskPixel(&*surface_, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)),
              static_cast<std::int32_t>(MakeColour(255, 255, 255)));
    const std::int16_t id = StateAt(x, y);
    EXPECT_EQ(id, 0) << x << ", " << y;
    EXPECT_EQ(GetStateName(table(), id), "");
  }
}

TEST_F(HitTest, EveryStateIsFoundAtItsInteriorPoint) {
  ASSERT_EQ(std::size(kStatePoints), static_cast<std::size_t>(kStateCount));
  Draw({0, 0, kMapWidth, kMapHeight});
  for (const StatePoint& p : kStatePoints) {
    EXPECT_EQ(StateAt(p.x, p.y), p.id) << kStateDefinitions[static_cast<std::size_t>(p.id)].name;
  }
}

TEST_F(HitTest, StatesOfOneColourAreToldApartByTheirRectangles) {
  Draw({0, 0, kMapWidth, kMapHeight});
  ASSERT_EQ(table()[5].colour, table()[6].colour);
  EXPECT_EQ(StateAt(kStatePoints[4].x, kStatePoints[4].y), 5);  // California
  EXPECT_EQ(StateAt(kStatePoints[5].x, kStatePoints[5].y), 6);  // Colorado

  // The colour alone decides nothing: green means California inside California's
  // rectangle, Colorado inside Colorado's, and no state elsewhere.
  const DrawingBounds natural{0, 0, kMapWidth, kMapHeight};
  const auto green = static_cast<std::int32_t>(MakeColour(0, 255, 0));
  EXPECT_EQ(StateAtMaskPoint(table(), natural, 40, 150, green), 5);
  EXPECT_EQ(StateAtMaskPoint(table(), natural, 160, 150, green), 6);
  EXPECT_EQ(StateAtMaskPoint(table(), natural, 110, 150, green), 0);
  EXPECT_EQ(StateAtMaskPoint(table(), natural, 40, 150, static_cast<std::int32_t>(MakeColour(0, 0, 128))), 0);
}

TEST_F(HitTest, StretchedToDoubleSizeEveryPointFindsTheSameState) {
  const DrawingBounds natural{0, 0, kMapWidth, kMapHeight};
  const std::optional<MaskSurface> small = MaskSurface::Stretch(pictures().mask, natural);
  ASSERT_TRUE(small);
  Draw({0, 0, 2 * kMapWidth, 2 * kMapHeight});
  std::array<int, kStateCount + 1> sampled{};
  for (int y = 0; y < kMapHeight; y += 2) {
    for (int x = 0; x < kMapWidth; x += 2) {
      const std::int16_t id = GetStateId(table(), natural, &*small, static_cast<std::int16_t>(x),
                                         static_cast<std::int16_t>(y));
      ++sampled[static_cast<std::size_t>(id)];
      ASSERT_EQ(StateAt(2 * x, 2 * y), id) << x << ", " << y;
      ASSERT_EQ(StateAt(2 * x + 1, 2 * y + 1), id) << x << ", " << y;
    }
  }
  for (std::size_t id = 1; id <= kStateCount; ++id) EXPECT_GT(sampled[id], 0) << table()[id].name;
}

TEST_F(HitTest, AtOtherSizesEveryInteriorPointStillFindsItsState) {
  for (auto [w, h] : {std::pair{770, 528}, std::pair{1026, 704}, std::pair{1539, 1056}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    Draw({0, 0, w, h});
    for (const StatePoint& p : kStatePoints) {
      // The window pixel whose centre lies in the middle of the mask pixel.
      const int x = (2 * p.x + 1) * w / (2 * kMapWidth);
      const int y = (2 * p.y + 1) * h / (2 * kMapHeight);
      EXPECT_EQ(StateAt(x, y), p.id) << kStateDefinitions[static_cast<std::size_t>(p.id)].name;
    }
  }
}

TEST_F(HitTest, BeforeAnyRunModeDrawingOrWithEmptyBoundsNoStateIsFound) {
  // Never drawn in run mode (design mode only): no surface, empty bounds.
  EXPECT_EQ(GetMaskPixel(nullptr, 220, 250), -1);
  EXPECT_EQ(StateAt(220, 250), 0);

  // Drawn once, then bounds of zero width or height: 0 even though the surface exists.
  Draw({0, 0, kMapWidth, kMapHeight});
  const MaskSurface* surface = &*surface_;
  EXPECT_EQ(GetStateId(table(), {0, 0, 0, kMapHeight}, surface, 220, 250), 0);
  EXPECT_EQ(GetStateId(table(), {0, 0, kMapWidth, 0}, surface, 220, 250), 0);
  EXPECT_FALSE(MaskSurface::Stretch(pictures().mask, {5, 5, 5, 100}));
}

TEST_F(HitTest, PointsOutsideTheSurfaceReadTheInvalidColourAndFindNoState) {
  Draw({0, 0, kMapWidth, kMapHeight});
  for (auto [x, y] : {std::pair{-1, 10}, std::pair{10, -1}, std::pair{kMapWidth, 10},
                      std::pair{10, kMapHeight}, std::pair{32767, 32767}, std::pair{-32768, -32768}}) {
    EXPECT_EQ(GetMaskPixel(&*surface_, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)), -1);
    EXPECT_EQ(StateAt(x, y), 0) << x << ", " << y;
  }
}

TEST_F(HitTest, ScaledCoordinatesAreTruncatedTowardZero) {
  // At twice the size, x = 3 is mask column 1.5, taken as 1: the left edge of
  // California's rectangle. x = 1 is column 0.5, taken as 0: outside it.
  const DrawingBounds twice{0, 0, 2 * kMapWidth, 2 * kMapHeight};
  const auto green = static_cast<std::int32_t>(MakeColour(0, 255, 0));
  EXPECT_EQ(StateAtMaskPoint(table(), twice, 3, 300, green), 5);
  EXPECT_EQ(StateAtMaskPoint(table(), twice, 1, 300, green), 0);
  // Negative points truncate toward zero too, so column -0.5 is 0, not -1; no
  // rectangle reaches column 0, and none holds a negative column.
  EXPECT_EQ(StateAtMaskPoint(table(), twice, -1, 300, green), 0);
  // A tiny drawing scales a far point beyond 16 bits; it matches nothing.
  EXPECT_EQ(StateAtMaskPoint(table(), {0, 0, 1, 1}, 32767, 32767, green), 0);
}

TEST(StateNameTest, NamesOnlyStatesOneToFifty) {
  const StateTable& table = CommittedPictures().table;
  EXPECT_EQ(GetStateName(table, 1), "Alabama");
  EXPECT_EQ(GetStateName(table, 43), "Texas");
  EXPECT_EQ(GetStateName(table, 50), "Wyoming");
  for (int id : {0, 51, -1, -32768, 32767}) EXPECT_EQ(GetStateName(table, static_cast<std::int16_t>(id)), "") << id;
}

}  // namespace
