// Where each placement puts a tall and a wide picture on monitors of known
// shape and position, and the picture composed of several monitors' own.
#include "imaging/placement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

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

// --- One picture composed of every monitor's ---

constexpr std::uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, Grey = 0x808080;

Bitmap solid(int width, int height, std::uint32_t rgb) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setBrushColor(rgb);
    b.setSize(width, height);
    return b;
}

// A 2x2 picture: red at its top-left corner, green elsewhere.
Bitmap cornerMarked() {
    Bitmap b = solid(2, 2, Green);
    b.setPixel(0, 0, 0xFF000000 | Red);
    return b;
}

struct Probe {
    int x, y;
    std::uint32_t rgb;
};

struct ComposeCase {
    const char* name;
    PlacementMode mode;
    std::vector<Rect> areas;
    int canvasWidth, canvasHeight;
    std::vector<Probe> probes; ///< canvas pixels
};

void PrintTo(const ComposeCase& c, std::ostream* os) {
    *os << c.name;
}

class ComposePictures : public testing::TestWithParam<ComposeCase> {};

// The first area shows a 4:3 red picture, the second a 4:1 green one, the
// third (where given) the corner-marked tile; the background is blue.
TEST_P(ComposePictures, EachAreaShowsItsPictureTheRestTheBackground) {
    const ComposeCase& c = GetParam();
    const Bitmap pictures[] = {solid(8, 6, Red), solid(8, 2, Green), cornerMarked()};
    std::vector<AreaPicture> parts;
    for (size_t i = 0; i < c.areas.size(); ++i)
        parts.push_back({c.areas[i], &pictures[i]});
    const Bitmap canvas = composePictures(parts, c.mode, Blue);
    ASSERT_EQ(canvas.width(), c.canvasWidth);
    ASSERT_EQ(canvas.height(), c.canvasHeight);
    for (const Probe& p : c.probes)
        EXPECT_EQ(canvas.pixel(p.x, p.y) & 0xFFFFFF, p.rgb)
            << "at (" << p.x << ", " << p.y << ")" << std::hex << " 0x" << p.rgb;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ComposePictures,
    testing::Values(
        // Side by side from (0, 0): Fill covers each area, the wide picture cut.
        ComposeCase{"SideBySideFill",
                    PlacementMode::Fill,
                    {{0, 0, 40, 30}, {40, 0, 80, 30}},
                    80,
                    30,
                    {{0, 0, Red}, {39, 29, Red}, {40, 0, Green}, {79, 29, Green}, {60, 15, Green}}},
        // Fit: the wide picture lies whole in a band across the middle of its
        // area (40x10 at y 10), the background above and below.
        ComposeCase{"SideBySideFit",
                    PlacementMode::Fit,
                    {{0, 0, 40, 30}, {40, 0, 80, 30}},
                    80,
                    30,
                    {{20, 15, Red},
                     {60, 5, Blue},
                     {60, 9, Blue},
                     {60, 10, Green},
                     {60, 19, Green},
                     {60, 20, Blue},
                     {79, 29, Blue}}},
        // Stretch fills each area, proportions lost.
        ComposeCase{"SideBySideStretch",
                    PlacementMode::Stretch,
                    {{0, 0, 40, 30}, {40, 0, 80, 30}},
                    80,
                    30,
                    {{0, 0, Red}, {41, 1, Green}, {79, 29, Green}}},
        // Monitors away from the origin and not aligned: the canvas starts at
        // their top-left corner, the corners no monitor covers are
        // background.
        ComposeCase{"OffsetLayout",
                    PlacementMode::Fill,
                    {{100, 50, 140, 80}, {140, 70, 180, 100}},
                    80,
                    50,
                    {{0, 0, Red},
                     {39, 29, Red},
                     {40, 20, Green},
                     {79, 49, Green},
                     {60, 5, Blue},
                     {79, 19, Blue},
                     {10, 45, Blue},
                     {0, 49, Blue}}},
        // Tile: each picture at its own size from its area's top-left
        // corner; the marked corner repeats every 2 pixels of the third
        // area, cut at its edges, and the 8x6 picture repeats across the
        // first.
        ComposeCase{"TileFromEachAreasCorner",
                    PlacementMode::Tile,
                    {{-10, -10, 0, 0}, {0, -10, 8, -6}, {3, 0, 8, 5}},
                    18,
                    15,
                    {{0, 0, Red},
                     {9, 9, Red},
                     {10, 0, Green},
                     {17, 3, Green},
                     {13, 10, Red},
                     {14, 10, Green},
                     {15, 12, Red},
                     {17, 14, Red},
                     {16, 13, Green},
                     {12, 10, Blue},
                     {0, 10, Blue},
                     {17, 4, Blue}}}),
    [](const testing::TestParamInfo<ComposeCase>& info) { return std::string(info.param.name); });

TEST(ComposePicturesEdges, MissingPicturesAndEmptyLayouts) {
    EXPECT_TRUE(composePictures({}, PlacementMode::Fill, Blue).empty());
    const Bitmap red = solid(4, 4, Red), empty;
    EXPECT_TRUE(composePictures({{{5, 5, 5, 9}, &red}}, PlacementMode::Fill, Blue).empty());
    // An area without a picture, or with an empty one, keeps the background.
    const Bitmap canvas = composePictures(
        {{{0, 0, 10, 10}, &red}, {{10, 0, 20, 10}, nullptr}, {{20, 0, 30, 10}, &empty}},
        PlacementMode::Fill, Grey);
    ASSERT_EQ(canvas.width(), 30);
    EXPECT_EQ(canvas.pixel(9, 9) & 0xFFFFFF, Red);
    EXPECT_EQ(canvas.pixel(15, 5) & 0xFFFFFF, Grey);
    EXPECT_EQ(canvas.pixel(29, 9) & 0xFFFFFF, Grey);
}

} // namespace
