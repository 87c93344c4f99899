// Moving through the collection, applying pictures and removing entries,
// on real picture files.
#include "collection/collection.h"
#include "collection/scheduler.h"
#include "collection/thumbpath.h"
#include "collection/walls.h"
#include "imaging/bitmap.h"
#include "support/recording_wallpaper.h"
#include "support/replacements.h"
#include "support/temphome.h"

#include <QTest>
#include <QThread>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

class Navigation : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        recording_wallpaper::reset();
        QObject::connect(&m_collection, &Collection::currentChanged, [this] { ++m_shows; });
        QObject::connect(&m_collection, &Collection::collectionEmptied, [this] { ++m_clears; });
        QObject::connect(&m_collection, &Collection::errorOccurred,
                         [this](const QString& text) { m_reported = text.toStdString(); });
    }

    // n pictures, each a 4 x 3 BMP of its own colour; loaded as the collection.
    void makeCollection(int n) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            Bitmap b;
            b.setPixelFormat(PixelFormat::Bits24);
            b.setBrushColor(colourOf(i));
            b.setSize(4, 3);
            const std::string p = m_home + "/pics/p" + std::to_string(i) + ".bmp";
            fs::create_directories(m_home + "/pics");
            b.saveToFile(p);
            paths.push_back(p);
        }
        writeWallList(m_state, paths);
        m_collection.loadWall();
        ASSERT_EQ(wallCount(), n);
    }

    static std::uint32_t colourOf(int i) { return 0x102030u + 0x0F0F0Fu * i; }

    // The colour the wallpaper file shows once every apply has finished, or
    // 0xFFFFFFFF when there is none.
    std::uint32_t wallpaperColour() {
        m_collection.waitForWallpaperWrite();
        if (!fs::exists(m_wallpaperFile))
            return 0xFFFFFFFFu;
        Bitmap b;
        b.loadFromFile(m_wallpaperFile);
        return b.pixel(1, 1) & 0xFFFFFF;
    }

    void run(WallCommand c, bool apply) { m_collection.runWallCommand(c, apply); }

    ChangeScheduler m_timers{m_state, m_collection};
    int m_shows = 0, m_clears = 0;
    std::string m_reported;
};

TEST_F(Navigation, EveryOutOfRangeTargetLandsOnTheFirstEntry) {
    makeCollection(5);
    for (std::int32_t target : {-1, 5, 1000, INT32_MIN, INT32_MAX}) {
        m_collection.restoreCurrent(3);
        m_collection.jumpTo(target);
        EXPECT_EQ(currentWall(), 0) << target;
    }
    m_collection.jumpTo(4);
    EXPECT_EQ(currentWall(), 4);
    EXPECT_EQ(m_shows, 6);
}

TEST_F(Navigation, EmptyCollectionIgnoresEveryCommand) {
    m_collection.restoreCurrent(2);
    for (WallCommand c : {WallCommand::First, WallCommand::Previous, WallCommand::Random,
                          WallCommand::Next, WallCommand::Last})
        run(c, true);
    m_collection.setWallpaper(0);
    m_collection.deleteCurrentWall();
    EXPECT_EQ(currentWall(), 2);
    EXPECT_EQ(m_shows, 0);
    EXPECT_EQ(m_clears, 0);
    EXPECT_FALSE(fs::exists(m_wallpaperFile));
    EXPECT_TRUE(recording_wallpaper::applied().empty());
}

TEST_F(Navigation, CommandsAtBothEnds) {
    makeCollection(5);
    m_collection.restoreCurrent(0);
    run(WallCommand::Previous, false); // stays on the first entry
    EXPECT_EQ(currentWall(), 0);
    EXPECT_FALSE(fs::exists(m_wallpaperFile)); // no apply
    run(WallCommand::Previous, true);          // re-applies entry 0
    EXPECT_EQ(currentWall(), 0);
    EXPECT_EQ(wallpaperColour(), colourOf(0));
    m_collection.restoreCurrent(4);
    run(WallCommand::Next, false); // wraps to the first, no apply
    EXPECT_EQ(currentWall(), 0);
    m_collection.restoreCurrent(3);
    run(WallCommand::Next, true);
    EXPECT_EQ(currentWall(), 4);
    EXPECT_EQ(wallpaperColour(), colourOf(4));
    run(WallCommand::First, false);
    EXPECT_EQ(currentWall(), 0);
    EXPECT_EQ(wallpaperColour(), colourOf(4));
    run(WallCommand::Last, false);
    EXPECT_EQ(currentWall(), 4);
    m_collection.restoreCurrent(1);
    m_collection.setWallpaper(currentWall());
    EXPECT_EQ(wallpaperColour(), colourOf(1));
    // Every apply hands the one wallpaper file to the desktop.
    EXPECT_EQ(recording_wallpaper::applied(), std::vector<std::string>(3, m_wallpaperFile));
}

TEST_F(Navigation, OneEntryIsEveryNeighbour) {
    makeCollection(1);
    for (WallCommand c : {WallCommand::Random, WallCommand::Previous, WallCommand::Next}) {
        run(c, true);
        EXPECT_EQ(currentWall(), 0);
    }
    EXPECT_EQ(wallpaperColour(), colourOf(0));
}

TEST_F(Navigation, RandomPicksStayInRangeAndCoverTheCollection) {
    makeCollection(5);
    std::vector<int> seen(5);
    for (int i = 0; i < 400; ++i) {
        const std::int32_t r = m_state.randomIndex(5);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 5);
        ++seen[r];
    }
    for (int n : seen)
        EXPECT_GT(n, 40); // uniform: about 80 each
    EXPECT_EQ(m_state.randomIndex(0), 0);
}

// Starts a 12 s countdown and lets 3 s of it pass: at most 9.7 s remain (the
// coarse timer may stretch a countdown by 5 %). A restart brings it back
// above 11 s for at least a second, which leaves a slow (sanitizer) build
// time to apply.
void ageCountdown(ProgramTimer& t) {
    t.setInterval(12000);
    t.setEnabled(true);
    QThread::msleep(3000);
    ASSERT_LE(t.remainingTime(), 9700);
}

TEST_F(Navigation, ApplyingAMissingFileDoesNothingAndKeepsTheCountdown) {
    makeCollection(2);
    fs::remove(walls()[1].path);
    ageCountdown(m_timers.quorvaneTimer);
    m_collection.setWallpaper(1);
    EXPECT_LE(m_timers.quorvaneTimer.remainingTime(), 9700);
    EXPECT_FALSE(fs::exists(m_wallpaperFile));
    EXPECT_EQ(wallCount(), 2);
}

TEST_F(Navigation, ApplyingADamagedFileRestartsTheTimerAndChangesNothingElse) {
    makeCollection(2);
    m_collection.setWallpaper(0);
    ASSERT_EQ(wallpaperColour(), colourOf(0));
    std::ofstream(walls()[1].path, std::ios::binary | std::ios::trunc) << "BM not really";
    ageCountdown(m_timers.quorvaneTimer);
    m_collection.setWallpaper(1);
    EXPECT_GT(m_timers.quorvaneTimer.remainingTime(), 11000);
    EXPECT_EQ(wallpaperColour(), colourOf(0));
    EXPECT_EQ(wallCount(), 2);
    EXPECT_EQ(recording_wallpaper::applied().size(), 1u);
}

TEST_F(Navigation, ApplyingRestartsTheCountdown) {
    makeCollection(2);
    ageCountdown(m_timers.quorvaneTimer);
    m_collection.setWallpaper(1);
    EXPECT_GT(m_timers.quorvaneTimer.remainingTime(), 11000);
    EXPECT_EQ(wallpaperColour(), colourOf(1));
}

TEST_F(Navigation, ApplyGuardsItsIndex) {
    makeCollection(2);
    m_collection.setWallpaper(-1);
    m_collection.setWallpaper(2);
    EXPECT_FALSE(fs::exists(m_wallpaperFile));
}

TEST_F(Navigation, DeleteKeepsTheFileAndAppliesTheSuccessor) {
    makeCollection(3);
    const std::string removed = walls()[1].path;
    m_collection.restoreCurrent(1);
    m_collection.deleteCurrentWall();
    EXPECT_EQ(wallCount(), 2);
    EXPECT_TRUE(fs::exists(removed));
    EXPECT_EQ(currentWall(), 1);
    EXPECT_EQ(wallpaperColour(), colourOf(2));
    EXPECT_EQ(readFile(listFileName(m_state)), walls()[0].path + "\r\n" + walls()[1].path + "\r\n");
}

TEST_F(Navigation, DeleteWithFileRemovesTheFileAndTheEntry) {
    makeCollection(3);
    const std::string removed = walls()[2].path;
    m_collection.restoreCurrent(2);
    m_collection.deleteWallWithFile(m_collection.currentWallTicket());
    EXPECT_FALSE(fs::exists(removed));
    // The last entry went: the first becomes current and is applied.
    EXPECT_EQ(currentWall(), 0);
    EXPECT_EQ(wallpaperColour(), colourOf(0));
}

TEST_F(Navigation, DeletingTheOnlyEntryShowsTheEmptyViewAndAppliesNothing) {
    makeCollection(1);
    m_collection.deleteCurrentWall();
    EXPECT_TRUE(walls().empty());
    EXPECT_EQ(m_clears, 1);
    EXPECT_FALSE(fs::exists(m_wallpaperFile));
    EXPECT_EQ(fs::file_size(listFileName(m_state)), 0u);
}

TEST_F(Navigation, AListThatCannotBeWrittenIsReportedAndStopsTheRemoval) {
    makeCollection(3);
    // A folder where the list file should be: the write fails.
    fs::remove(listFileName(m_state));
    fs::create_directory(listFileName(m_state));
    m_collection.restoreCurrent(0);
    m_collection.deleteCurrentWall();
    EXPECT_FALSE(m_reported.empty());
    EXPECT_EQ(wallCount(), 2);                 // memory already changed
    EXPECT_FALSE(fs::exists(m_wallpaperFile)); // no apply after the failure
}

// Removals whose list write waits: two in a row, then what writes them.
struct LaterCase {
    const char* name;
    std::function<void(Collection&, const std::vector<std::string>& paths)> then;
    std::vector<int> listed; ///< pictures in the list file afterwards
};

void PrintTo(const LaterCase& c, std::ostream* os) {
    *os << c.name;
}

class LaterRemoval : public Navigation, public ::testing::WithParamInterface<LaterCase> {};

TEST_P(LaterRemoval, LeavesTheListFileUntilOneWriteTakesThemAll) {
    const LaterCase& c = GetParam();
    makeCollection(5);
    const std::vector<std::string> paths = m_collection.paths();
    const std::string before = readFile(listFileName(m_state));
    ReplacementCounter rewrites(listFileName(m_state));
    const std::string thumb = thumbnailFileName(m_dataFolder, paths[1]);
    fs::create_directories(fs::path(thumb).parent_path());
    std::ofstream(thumb) << "a cached thumbnail";

    m_collection.removeWallLater(refOf(1));
    m_collection.removeWallLater(refOf(2)); // p3 now
    EXPECT_EQ(m_collection.paths(), (std::vector<std::string>{paths[0], paths[2], paths[4]}));
    EXPECT_FALSE(fs::exists(thumb)) << "the thumbnail goes at once";
    EXPECT_EQ(readFile(listFileName(m_state)), before);
    EXPECT_TRUE(m_collection.listWritePending());

    c.then(m_collection, paths);
    std::vector<std::string> listed;
    for (int i : c.listed)
        listed.push_back(paths[i]);
    EXPECT_EQ(parseListText(readFile(listFileName(m_state))), listed);
    EXPECT_EQ(rewrites.count(), 1);
    EXPECT_FALSE(m_collection.listWritePending());
    EXPECT_TRUE(m_reported.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Writes, LaterRemoval,
    ::testing::Values(
        LaterCase{"ItsCountdown",
                  [](Collection& c, const std::vector<std::string>&) {
                      ASSERT_TRUE(QTest::qWaitFor([&] { return !c.listWritePending(); },
                                                  Collection::ListWriteDelayMs * 5));
                  },
                  {0, 2, 4}},
        LaterCase{"ARemovalOfTheUser",
                  [](Collection& c, const std::vector<std::string>&) { c.removeWall(0); },
                  {2, 4}},
        LaterCase{"AnExplicitWrite",
                  [](Collection& c, const std::vector<std::string>&) {
                      EXPECT_TRUE(c.writePendingList());
                  },
                  {0, 2, 4}},
        LaterCase{"AReplacedCollection",
                  [](Collection& c, const std::vector<std::string>& paths) {
                      c.replaceWalls({paths[3], paths[1]});
                  },
                  {3, 1}}),
    [](const ::testing::TestParamInfo<LaterCase>& info) { return info.param.name; });

TEST_F(Navigation, AWaitingListThatCannotBeWrittenKeepsWaiting) {
    makeCollection(3);
    fs::remove(listFileName(m_state));
    fs::create_directory(listFileName(m_state));
    m_collection.removeWallLater(refOf(0));
    EXPECT_FALSE(m_collection.writePendingList());
    EXPECT_FALSE(m_reported.empty());
    EXPECT_TRUE(m_collection.listWritePending());

    // At a close the failure goes to the log only: no box may hold the close up.
    m_reported.clear();
    m_appClosing = true;
    EXPECT_FALSE(m_collection.writePendingList());
    EXPECT_TRUE(m_reported.empty());

    // Writable again: the next write brings the file up to date.
    fs::remove(listFileName(m_state));
    EXPECT_TRUE(m_collection.writePendingList());
    EXPECT_EQ(parseListText(readFile(listFileName(m_state))), m_collection.paths());
}
