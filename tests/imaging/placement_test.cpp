// Where each placement puts a tall and a wide picture on monitors of known
// shape and position.
#include "imaging/placement.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct PlaceCase {
    const char* name;
    PlacementMode mode;
    int pictureWidth, pictureHeight;
    Rect area;
    Rect source, dest;
    bool tiled, coversArea;
};

void PrintTo(const PlaceCase& c, std::ostream* os) {
    *os << c.name;
}

class PlacePicture : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlacePicture, SourceAndDestination) {
    const PlaceCase& c = GetParam();
    const PicturePlacement p = placePicture(c.mode, c.pictureWidth, c.pictureHeight, c.area);
    EXPECT_EQ(p.source, c.source);
    EXPECT_EQ(p.dest, c.dest);
    EXPECT_EQ(p.tiled, c.tiled);
    EXPECT_EQ(p.coversArea, c.coversArea);
}

// Monitors: a 640x800 one at (640, 0) and a 1280x400 one at (0, 800). Pictures:
// wide 400x200, tall 200x400, small 100x50, and one larger than either monitor.
constexpr Rect Tall{640, 0, 1280, 800};
constexpr Rect Wide{0, 800, 1280, 1200};

INSTANTIATE_TEST_SUITE_P(
    Modes, PlacePicture,
    testing::Values(
        // Fill: cover, the overflow cut evenly on both sides.
        PlaceCase{"FillWideOnTall",
                  PlacementMode::Fill,
                  400,
                  200,
                  Tall,
                  {120, 0, 280, 200},
                  Tall,
                  false,
                  true},
        PlaceCase{"FillTallOnWide",
                  PlacementMode::Fill,
                  200,
                  400,
                  Wide,
                  {0, 168, 200, 231},
                  Wide,
                  false,
                  true},
        PlaceCase{"SpanIsFillOverItsArea",
                  PlacementMode::Span,
                  400,
                  200,
                  {0, 0, 1280, 1200},
                  {93, 0, 306, 200},
                  {0, 0, 1280, 1200},
                  false,
                  true},
        // Fit: the whole picture, centred, the rest free for the colour.
        PlaceCase{"FitWideOnTall",
                  PlacementMode::Fit,
                  400,
                  200,
                  Tall,
                  {0, 0, 400, 200},
                  {640, 240, 1280, 560},
                  false,
                  false},
        PlaceCase{"FitTallOnWide",
                  PlacementMode::Fit,
                  200,
                  400,
                  Wide,
                  {0, 0, 200, 400},
                  {540, 800, 740, 1200},
                  false,
                  false},
        PlaceCase{"FitSameShapeCovers",
                  PlacementMode::Fit,
                  320,
                  400,
                  Tall,
                  {0, 0, 320, 400},
                  Tall,
                  false,
                  true},
        PlaceCase{"FitOddRounding",
                  PlacementMode::Fit,
                  3,
                  1,
                  {0, 0, 100, 100},
                  {0, 0, 3, 1},
                  {0, 33, 100, 66},
                  false,
                  false},
        // Stretch: whole onto whole.
        PlaceCase{"StretchTallOnWide",
                  PlacementMode::Stretch,
                  200,
                  400,
                  Wide,
                  {0, 0, 200, 400},
                  Wide,
                  false,
                  true},
        // Center: 1:1; a smaller picture leaves room, a larger one is cut.
        PlaceCase{"CenterSmallOnTall",
                  PlacementMode::Center,
                  100,
                  50,
                  Tall,
                  {0, 0, 100, 50},
                  {910, 375, 1010, 425},
                  false,
                  false},
        PlaceCase{"CenterLargeOnWideCut",
                  PlacementMode::Center,
                  2000,
                  1000,
                  Wide,
                  {360, 300, 1640, 700},
                  Wide,
                  false,
                  true},
        PlaceCase{"CenterTallOnWideCutVertically",
                  PlacementMode::Center,
                  200,
                  600,
                  Wide,
                  {0, 100, 200, 500},
                  {540, 800, 740, 1200},
                  false,
                  false},
        // Tile: the first tile at the corner, repeated; a larger one cut.
        PlaceCase{"TileSmallOnTall",
                  PlacementMode::Tile,
                  100,
                  50,
                  Tall,
                  {0, 0, 100, 50},
                  {640, 0, 740, 50},
                  true,
                  true},
        PlaceCase{"TileLargeOnWide",
                  PlacementMode::Tile,
                  2000,
                  1000,
                  Wide,
                  {0, 0, 1280, 400},
                  Wide,
                  true,
                  true},
        // Nothing to place.
        PlaceCase{
            "EmptyPicture", PlacementMode::Fill, 0, 10, Tall, {}, {640, 0, 640, 0}, false, false},
        PlaceCase{
            "EmptyArea", PlacementMode::Fit, 10, 10, {5, 5, 5, 9}, {}, {5, 5, 5, 5}, false, false}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST(PlacementNames, RoundTripAndUnknownText) {
    for (PlacementMode m : {PlacementMode::Fill, PlacementMode::Fit, PlacementMode::Stretch,
                            PlacementMode::Center, PlacementMode::Tile, PlacementMode::Span})
        EXPECT_EQ(placementFromName(placementName(m)), m);
    EXPECT_EQ(placementName(PlacementMode::Center), "center");
    EXPECT_EQ(placementFromName("Span"), PlacementMode::Span);
    EXPECT_EQ(placementFromName(""), std::nullopt);
    EXPECT_EQ(placementFromName("centre"), std::nullopt);
    EXPECT_EQ(placementFromName("fill "), std::nullopt);
}

} // namespace
