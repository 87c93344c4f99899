// Applying pictures: where the program paints the desktop itself the picture shows first
// and the wallpaper file follows in the background; pictures over the raster limit are
// applied reduced to fit it.
#include "collection/collection.h"
#include "collection/walls.h"
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "support/recording_wallpaper.h"
#include "support/temphome.h"

#include <QCoreApplication>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

namespace fs = std::filesystem;

namespace {

class Apply : public TempHome, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        TempHome::SetUp();
        recording_wallpaper::reset();
        recording_wallpaper::paintsItself() = GetParam();
    }
    void TearDown() override {
        setMaxRasterBytes(std::uint64_t(1) << 30);
        recording_wallpaper::reset();
    }

    std::string picture(const std::string& name, int w, int h, std::uint32_t rgb) {
        Bitmap b;
        b.setPixelFormat(PixelFormat::Bits24);
        b.setBrushColor(rgb);
        b.setSize(w, h);
        const std::string path = m_home + "/pics/" + name;
        fs::create_directories(m_home + "/pics");
        if (name.ends_with(".jpg"))
            bitmap2Jpeg(b, path);
        else
            b.saveToFile(path);
        return path;
    }

    void load(const std::vector<std::string>& paths) {
        writeWallList(m_state, paths);
        m_collection->loadWall();
    }

    // The wallpaper file once every write has landed.
    Bitmap wallpaper() {
        m_collection->waitForWallpaperWrite();
        EXPECT_TRUE(m_collection->wallpaperWriteIdle());
        Bitmap b;
        b.loadFromFile(m_wallpaperFile);
        return b;
    }

    std::unique_ptr<Collection> m_collection = std::make_unique<Collection>(m_state);
};

TEST_P(Apply, TheNewestPictureShowsAndItsFileWins) {
    load({picture("a.bmp", 40, 30, 0x112233), picture("b.bmp", 50, 20, 0x445566),
          picture("c.bmp", 30, 30, 0x778899)});
    // Three applies in a row: their writes may overlap, the last one's file stays.
    for (int i : {0, 1, 2})
        m_collection->setWallpaper(i);
    const Bitmap b = wallpaper();
    EXPECT_EQ(b.width(), 30);
    EXPECT_EQ(b.pixel(5, 5) & 0xFFFFFF, 0x778899u);
    // Older applies may have been superseded on the way; the newest arrives.
    if (GetParam()) {
        ASSERT_FALSE(recording_wallpaper::painted().empty());
        ASSERT_LE(recording_wallpaper::painted().size(), 3u);
        EXPECT_EQ(recording_wallpaper::painted().back().path, m_wallpaperFile);
        EXPECT_EQ(recording_wallpaper::painted().back().width, 30);
        EXPECT_TRUE(recording_wallpaper::applied().empty()) << "the file was handed over too";
    } else {
        ASSERT_FALSE(recording_wallpaper::applied().empty());
        ASSERT_LE(recording_wallpaper::applied().size(), 3u);
        EXPECT_EQ(recording_wallpaper::applied().back(), m_wallpaperFile);
    }
    // Nothing half-written beside it.
    int files = 0;
    for (const auto& e : fs::directory_iterator(m_dataFolder))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 2); // Wallpaper.bmp and list.txt
}

// The placement and colour in the settings reach the desktop with the picture,
// painted or handed over as a file.
TEST_P(Apply, PlacementAndColourGoWithThePicture) {
    load({picture("a.bmp", 40, 30, 0x112233)});
    m_state.placement = PlacementMode::Fit;
    m_state.backgroundColor = 0x102030;
    m_collection->setWallpaper(0);
    wallpaper();
    EXPECT_EQ(recording_wallpaper::placement(),
              (platform::Placement{PlacementMode::Fit, 0x102030}));
}

TEST_P(Apply, ClosingWaitsForThePendingWrite) {
    load({picture("a.jpg", 640, 480, 0x204060)});
    m_collection->setWallpaper(0);
    m_collection.reset(); // the destructor must not lose the file
    Bitmap b;
    b.loadFromFile(m_wallpaperFile);
    EXPECT_EQ(b.width(), 640);
}

TEST_P(Apply, PictureOverTheLimitIsAppliedReducedToFitIt) {
    load({picture("big.jpg", 800, 600, 0x3060C0), picture("big.bmp", 800, 600, 0xC06030)});
    setMaxRasterBytes(300000); // 800 x 600 takes 1440000 bytes
    for (int i : {0, 1}) {
        SCOPED_TRACE(i);
        m_collection->setWallpaper(i);
        const Bitmap b = wallpaper();
        EXPECT_LE(b.stride() * std::uint64_t(b.height()), 300000u);
        EXPECT_GE(b.width(), 200);
        const std::uint32_t want = i == 0 ? 0x3060C0 : 0xC06030;
        const std::uint32_t got = b.pixel(b.width() / 2, b.height() / 2);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int(got >> shift & 0xFF), int(want >> shift & 0xFF), 4);
    }
}

// A picture larger than the monitors is decoded no larger than they need: covering each of
// them (all of them together for Span, the larger of the desktop's and the toolkit's idea of
// a monitor), its proportions kept; Center and Tile show its own pixels, and with no monitor
// known it stays whole. Desktop and file get the same picture.
TEST_P(Apply, PictureComesAtTheSizeTheMonitorsNeed) {
    load({picture("big.jpg", 640, 480, 0x3060C0)});
    using Monitors = std::vector<platform::Monitor>;
    const Monitors one{{"A", {0, 0, 160, 90}}};
    const Monitors two{{"A", {0, 0, 160, 90}}, {"B", {160, 0, 320, 90}}};
    struct Case {
        PlacementMode mode;
        std::optional<Monitors> desktop;
        Monitors toolkit;
        int width, height;
    };
    const Case cases[] = {
        {PlacementMode::Fill, one, {}, 160, 120},
        {PlacementMode::Fit, one, {}, 160, 120},
        {PlacementMode::Stretch, one, {}, 160, 120},
        {PlacementMode::Center, one, {}, 640, 480},
        {PlacementMode::Tile, one, {}, 640, 480},
        {PlacementMode::Fill, two, {}, 160, 120},
        {PlacementMode::Span, two, {}, 320, 240},
        {PlacementMode::Fill, one, {{"A", {0, 0, 320, 180}}}, 320, 240},
        {PlacementMode::Fill, std::nullopt, one, 160, 120},
        {PlacementMode::Fill, std::nullopt, {}, 640, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(placementName(c.mode)) + " on " +
                     std::to_string(c.desktop ? c.desktop->size() : 0) + " monitors");
        recording_wallpaper::monitors() = c.desktop;
        m_collection->setToolkitMonitors(c.toolkit);
        m_state.placement = c.mode;
        m_collection->setWallpaper(0);
        const Bitmap b = wallpaper();
        EXPECT_EQ(b.width(), c.width);
        EXPECT_EQ(b.height(), c.height);
        if (GetParam()) {
            ASSERT_FALSE(recording_wallpaper::painted().empty());
            EXPECT_EQ(recording_wallpaper::painted().back().width, c.width);
        }
    }
}

// Applies in a row reuse the memory of the picture before (kept for the next apply a
// while), and it goes back to the system with the collection at the latest.
TEST_P(Apply, MemoryKeptForTheNextApplyGoesBack) {
    load({picture("a.bmp", 1024, 768, 0x102030), picture("b.bmp", 1024, 768, 0x302010)});
    for (int i : {0, 1}) {
        m_collection->setWallpaper(i);
        wallpaper();
    }
    EXPECT_GE(keptRasterBytes(), std::size_t(1024) * 768 * 3);
    m_collection.reset();
    EXPECT_EQ(keptRasterBytes(), 0u);
}

TEST_P(Apply, UndecodablePictureChangesNothing) {
    const std::string good = picture("a.bmp", 4, 3, 0x010203);
    load({good, writeFile("pics/bad.jpg", "not a jpeg")});
    m_collection->setWallpaper(0);
    const std::string before = (m_collection->waitForWallpaperWrite(), readFile(m_wallpaperFile));
    m_collection->setWallpaper(1);
    m_collection->waitForWallpaperWrite();
    EXPECT_EQ(readFile(m_wallpaperFile), before);
    EXPECT_EQ(recording_wallpaper::painted().size() + recording_wallpaper::applied().size(), 1u);
}

// A large picture still decoding when a small one is asked for: only the small
// one reaches the desktop, and the file holds it.
TEST_P(Apply, ANewerApplySupersedesOneInFlight) {
    load({picture("big.jpg", 4000, 3000, 0x3060C0), picture("small.bmp", 30, 20, 0x445566)});
    std::vector<QString> arrived;
    QObject::connect(m_collection.get(), &Collection::applied,
                     [&](const QString& path) { arrived.push_back(path); });
    int failed = 0;
    QObject::connect(m_collection.get(), &Collection::applyFailed, [&] { ++failed; });
    m_collection->setWallpaper(0);
    m_collection->setWallpaper(1);
    const Bitmap b = wallpaper();
    EXPECT_EQ(b.width(), 30);
    EXPECT_EQ(b.pixel(5, 5) & 0xFFFFFF, 0x445566u);
    if (GetParam()) {
        ASSERT_EQ(recording_wallpaper::painted().size(), 1u);
        EXPECT_EQ(recording_wallpaper::painted()[0].width, 30);
    } else {
        EXPECT_EQ(recording_wallpaper::applied().size(), 1u);
    }
    // Only the newest is reported, on this thread.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !arrived.empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(arrived.size(), 1u);
    EXPECT_TRUE(arrived[0].endsWith("small.bmp"));
    EXPECT_EQ(failed, 0) << "the superseded apply was reported as failed";
}

// The close polls wallpaperWriteIdle: it stays false from the request until
// the picture is on the desktop and its file complete.
TEST_P(Apply, TheCloseWaitsForAnApplyInFlight) {
    load({picture("big.jpg", 2000, 1500, 0x204060)});
    bool arrived = false;
    QObject::connect(m_collection.get(), &Collection::applied, [&] { arrived = true; });
    m_collection->setWallpaper(0);
    EXPECT_FALSE(m_collection->wallpaperWriteIdle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_collection->wallpaperWriteIdle(); }, 20000));
    Bitmap b;
    b.loadFromFile(m_wallpaperFile);
    EXPECT_EQ(b.width(), 2000);
    EXPECT_EQ(recording_wallpaper::painted().size() + recording_wallpaper::applied().size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return arrived; }));
}

// A picture that cannot be read or is gone is reported once as not applied;
// one that a newer apply superseded is not, nor is one that arrived.
TEST_P(Apply, FailuresAreReportedAndSupersededAppliesAreNot) {
    const std::string broken = m_home + "/pics/broken.jpg";
    const std::string good = picture("good.bmp", 30, 20, 0x112233);
    const std::string gone = picture("gone.bmp", 10, 10, 0x445566);
    std::ofstream(broken, std::ios::binary) << "no picture";
    load({broken, good, gone});
    fs::remove(gone);
    std::vector<QString> failed;
    QObject::connect(m_collection.get(), &Collection::applyFailed,
                     [&](const QString& path) { failed.push_back(path); });
    m_collection->setWallpaper(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failed.empty(); }, 10000));
    m_collection->setWallpaper(2);
    m_collection->setWallpaper(1);
    wallpaper();
    QTest::qWait(100);
    EXPECT_EQ(failed,
              (std::vector<QString>{QString::fromStdString(broken), QString::fromStdString(gone)}));
}

// With a picture of its own on each monitor, every apply gives the next
// monitor the new picture and the others keep theirs, each kept in its own
// file; monitors without a picture yet take the first one. Placing again
// uses the files; a picture for every monitor again removes them.
TEST_P(Apply, EachMonitorTakesTheNewPictureInTurn) {
    load({picture("a.bmp", 40, 30, 0x112233), picture("b.bmp", 50, 30, 0x223344),
          picture("c.bmp", 60, 30, 0x334455), picture("d.jpg", 70, 30, 0x445566)});
    recording_wallpaper::monitors() = std::vector<platform::Monitor>{
        {"A", {0, 0, 100, 80}}, {"B", {100, 0, 200, 80}}, {"C", {200, 0, 300, 80}}};
    m_state.perMonitor = true;
    const std::string second = m_home + "/Documents/Quorvane/Wallpaper-2.bmp";
    const std::string third = m_home + "/Documents/Quorvane/Wallpaper-3.bmp";
    const auto width = [](const std::string& file) {
        Bitmap b;
        b.loadFromFile(file);
        return b.width();
    };
    struct Step {
        int entry;
        int monitor;
        std::vector<int> widths;  // the three monitors' files afterwards
        std::vector<int> decoded; // pictures handed over decoded
    };
    const Step steps[] = {
        {0, 0, {40, 40, 40}, {40, 40, 40}},
        {1, 1, {40, 50, 40}, {0, 50, 0}},
        {2, 2, {40, 50, 60}, {0, 0, 60}},
        {3, 0, {70, 50, 60}, {70, 0, 0}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.entry);
        m_collection->setWallpaper(step.entry);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return m_collection->monitorShowing(step.entry) == step.monitor; }));
        m_collection->waitForWallpaperWrite();
        EXPECT_EQ(m_collection->monitorCount(), 3);
        EXPECT_EQ((std::vector<int>{width(m_wallpaperFile), width(second), width(third)}),
                  step.widths);
        ASSERT_FALSE(recording_wallpaper::monitorCalls().empty());
        const auto& call = recording_wallpaper::monitorCalls().back();
        EXPECT_EQ(call.names, (std::vector<std::string>{"A", "B", "C"}));
        EXPECT_EQ(call.files, (std::vector<std::string>{m_wallpaperFile, second, third}));
        EXPECT_EQ(call.decodedWidths, step.decoded);
    }
    // An entry no monitor shows as its own any more.
    EXPECT_EQ(m_collection->monitorShowing(0), -1);

    // A monitor unplugged: the wallpaper is placed again from the files.
    recording_wallpaper::monitors()->pop_back();
    m_collection->placeAgain(false);
    m_collection->waitForWallpaperWrite();
    const auto& again = recording_wallpaper::monitorCalls().back();
    EXPECT_EQ(again.files, (std::vector<std::string>{m_wallpaperFile, second}));
    EXPECT_EQ(again.decodedWidths, (std::vector<int>{0, 0}));

    // Span spreads one picture over all monitors: the monitors' own files go.
    m_state.placement = PlacementMode::Span;
    const std::size_t calls = recording_wallpaper::monitorCalls().size();
    m_collection->setWallpaper(1);
    EXPECT_EQ(wallpaper().width(), 50);
    EXPECT_EQ(recording_wallpaper::monitorCalls().size(), calls);
    EXPECT_FALSE(fs::exists(second));
    EXPECT_FALSE(fs::exists(third));
}

INSTANTIATE_TEST_SUITE_P(Desktops, Apply, testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "PaintedByTheProgram" : "ReadFromTheFile");
});

} // namespace
