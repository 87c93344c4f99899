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
        QObject::connect(&collection, &Collection::currentChanged, [this] { ++shows; });
        QObject::connect(&collection, &Collection::collectionEmptied, [this] { ++clears; });
        QObject::connect(&collection, &Collection::errorOccurred,
                         [this](const QString& text) { reported = text.toStdString(); });
    }

    // n pictures, each a 4 x 3 BMP of its own colour; loaded as the collection.
    void makeCollection(int n) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            Bitmap b;
            b.setPixelFormat(PixelFormat::Bits24);
            b.setBrushColor(colourOf(i));
            b.setSize(4, 3);
            const std::string p = home + "/pics/p" + std::to_string(i) + ".bmp";
            fs::create_directories(home + "/pics");
            b.SaveToFile(p);
            paths.push_back(p);
        }
        WriteWallList(state, paths);
        collection.LoadWall();
        ASSERT_EQ(WallCount(), n);
    }

    static std::uint32_t colourOf(int i) { return 0x102030u + 0x0F0F0Fu * i; }

    // The colour the wallpaper file shows, or 0xFFFFFFFF when there is none.
    std::uint32_t wallpaperColour() {
        if (!fs::exists(WallpaperFile))
            return 0xFFFFFFFFu;
        Bitmap b;
        b.LoadFromFile(WallpaperFile);
        return b.pixel(1, 1) & 0xFFFFFF;
    }

    void run(WallCommand c, bool apply) { collection.RunWallCommand(c, apply); }

    Collection collection{state};
    ChangeScheduler timers{state, collection};
    int shows = 0, clears = 0;
    std::string reported;
};

TEST_F(Navigation, EveryOutOfRangeTargetLandsOnTheFirstEntry) {
    makeCollection(5);
    for (std::int32_t target : {-1, 5, 1000, INT32_MIN, INT32_MAX}) {
        CurrentWall = 3;
        collection.JumpToWall(target);
        EXPECT_EQ(CurrentWall, 0) << target;
    }
    collection.JumpToWall(4);
    EXPECT_EQ(CurrentWall, 4);
    EXPECT_EQ(shows, 6);
}

TEST_F(Navigation, EmptyCollectionIgnoresEveryCommand) {
    CurrentWall = 2;
    for (WallCommand c : {WallCommand::First, WallCommand::Previous, WallCommand::Random,
                          WallCommand::Next, WallCommand::Last})
        run(c, true);
    collection.SetWall(0);
    collection.DeleteCurrentWall();
    EXPECT_EQ(CurrentWall, 2);
    EXPECT_EQ(shows, 0);
    EXPECT_EQ(clears, 0);
    EXPECT_FALSE(fs::exists(WallpaperFile));
    EXPECT_TRUE(recording_wallpaper::applied().empty());
}

TEST_F(Navigation, CommandsAtBothEnds) {
    makeCollection(5);
    CurrentWall = 0;
    run(WallCommand::Previous, false); // stays on the first entry
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_FALSE(fs::exists(WallpaperFile)); // no apply
    run(WallCommand::Previous, true);        // re-applies entry 0
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(wallpaperColour(), colourOf(0));
    CurrentWall = 4;
    run(WallCommand::Next, false); // wraps to the first, no apply
    EXPECT_EQ(CurrentWall, 0);
    CurrentWall = 3;
    run(WallCommand::Next, true);
    EXPECT_EQ(CurrentWall, 4);
    EXPECT_EQ(wallpaperColour(), colourOf(4));
    run(WallCommand::First, false);
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(wallpaperColour(), colourOf(4));
    run(WallCommand::Last, false);
    EXPECT_EQ(CurrentWall, 4);
    CurrentWall = 1;
    collection.SetWall(CurrentWall);
    EXPECT_EQ(wallpaperColour(), colourOf(1));
    // Every apply hands the one wallpaper file to the desktop.
    EXPECT_EQ(recording_wallpaper::applied(), std::vector<std::string>(3, WallpaperFile));
}

TEST_F(Navigation, OneEntryIsEveryNeighbour) {
    makeCollection(1);
    for (WallCommand c : {WallCommand::Random, WallCommand::Previous, WallCommand::Next}) {
        run(c, true);
        EXPECT_EQ(CurrentWall, 0);
    }
    EXPECT_EQ(wallpaperColour(), colourOf(0));
}

TEST_F(Navigation, RandomPicksStayInRangeAndCoverTheCollection) {
    makeCollection(5);
    std::vector<int> seen(5);
    for (int i = 0; i < 400; ++i) {
        const std::int32_t r = state.RandomIndex(5);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 5);
        ++seen[r];
    }
    for (int n : seen)
        EXPECT_GT(n, 40); // uniform: about 80 each
    EXPECT_EQ(state.RandomIndex(0), 0);
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
    fs::remove(Walls[1].Path);
    ageCountdown(timers.QuorvaneTimer);
    collection.SetWall(1);
    EXPECT_LE(timers.QuorvaneTimer.remainingTime(), 9700);
    EXPECT_FALSE(fs::exists(WallpaperFile));
    EXPECT_EQ(WallCount(), 2);
}

TEST_F(Navigation, ApplyingADamagedFileRestartsTheTimerAndChangesNothingElse) {
    makeCollection(2);
    collection.SetWall(0);
    ASSERT_EQ(wallpaperColour(), colourOf(0));
    std::ofstream(Walls[1].Path, std::ios::binary | std::ios::trunc) << "BM not really";
    ageCountdown(timers.QuorvaneTimer);
    collection.SetWall(1);
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 11000);
    EXPECT_EQ(wallpaperColour(), colourOf(0));
    EXPECT_EQ(WallCount(), 2);
    EXPECT_EQ(recording_wallpaper::applied().size(), 1u);
}

TEST_F(Navigation, ApplyingRestartsTheCountdown) {
    makeCollection(2);
    ageCountdown(timers.QuorvaneTimer);
    collection.SetWall(1);
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 11000);
    EXPECT_EQ(wallpaperColour(), colourOf(1));
}

TEST_F(Navigation, ApplyGuardsItsIndex) {
    makeCollection(2);
    collection.SetWall(-1);
    collection.SetWall(2);
    EXPECT_FALSE(fs::exists(WallpaperFile));
}

TEST_F(Navigation, DeleteKeepsTheFileAndAppliesTheSuccessor) {
    makeCollection(3);
    const std::string removed = Walls[1].Path;
    CurrentWall = 1;
    collection.DeleteCurrentWall();
    EXPECT_EQ(WallCount(), 2);
    EXPECT_TRUE(fs::exists(removed));
    EXPECT_EQ(CurrentWall, 1);
    EXPECT_EQ(wallpaperColour(), colourOf(2));
    EXPECT_EQ(readFile(ListFileName(state)), Walls[0].Path + "\r\n" + Walls[1].Path + "\r\n");
}

TEST_F(Navigation, DeleteWithFileRemovesTheFileAndTheEntry) {
    makeCollection(3);
    const std::string removed = Walls[2].Path;
    CurrentWall = 2;
    collection.DeleteWallWithFile(collection.CurrentWallTicket());
    EXPECT_FALSE(fs::exists(removed));
    // The last entry went: the first becomes current and is applied.
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(wallpaperColour(), colourOf(0));
}

TEST_F(Navigation, DeletingTheOnlyEntryShowsTheEmptyViewAndAppliesNothing) {
    makeCollection(1);
    collection.DeleteCurrentWall();
    EXPECT_TRUE(Walls.empty());
    EXPECT_EQ(clears, 1);
    EXPECT_FALSE(fs::exists(WallpaperFile));
    EXPECT_EQ(fs::file_size(ListFileName(state)), 0u);
}

TEST_F(Navigation, AListThatCannotBeWrittenIsReportedAndStopsTheRemoval) {
    makeCollection(3);
    // A folder where the list file should be: the write fails.
    fs::remove(ListFileName(state));
    fs::create_directory(ListFileName(state));
    CurrentWall = 0;
    collection.DeleteCurrentWall();
    EXPECT_FALSE(reported.empty());
    EXPECT_EQ(WallCount(), 2);               // memory already changed
    EXPECT_FALSE(fs::exists(WallpaperFile)); // no apply after the failure
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
    const std::vector<std::string> paths = WallPaths(state);
    const std::string before = readFile(ListFileName(state));
    ReplacementCounter rewrites(ListFileName(state));
    const std::string thumb = ThumbnailFileName(DataFolder, paths[1]);
    fs::create_directories(fs::path(thumb).parent_path());
    std::ofstream(thumb) << "a cached thumbnail";

    collection.RemoveWallLater(1);
    collection.RemoveWallLater(2); // p3 now
    EXPECT_EQ(WallPaths(state), (std::vector<std::string>{paths[0], paths[2], paths[4]}));
    EXPECT_FALSE(fs::exists(thumb)) << "the thumbnail goes at once";
    EXPECT_EQ(readFile(ListFileName(state)), before);
    EXPECT_TRUE(collection.ListWritePending());

    c.then(collection, paths);
    std::vector<std::string> listed;
    for (int i : c.listed)
        listed.push_back(paths[i]);
    EXPECT_EQ(ParseListText(readFile(ListFileName(state))), listed);
    EXPECT_EQ(rewrites.count(), 1);
    EXPECT_FALSE(collection.ListWritePending());
    EXPECT_TRUE(reported.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Writes, LaterRemoval,
    ::testing::Values(
        LaterCase{"ItsCountdown",
                  [](Collection& c, const std::vector<std::string>&) {
                      ASSERT_TRUE(QTest::qWaitFor([&] { return !c.ListWritePending(); },
                                                  Collection::ListWriteDelayMs * 5));
                  },
                  {0, 2, 4}},
        LaterCase{"ARemovalOfTheUser",
                  [](Collection& c, const std::vector<std::string>&) { c.RemoveWall(0); },
                  {2, 4}},
        LaterCase{"AnExplicitWrite",
                  [](Collection& c, const std::vector<std::string>&) {
                      EXPECT_TRUE(c.WritePendingList());
                  },
                  {0, 2, 4}},
        LaterCase{"AReplacedCollection",
                  [](Collection& c, const std::vector<std::string>& paths) {
                      c.ReplaceWalls({paths[3], paths[1]});
                  },
                  {3, 1}}),
    [](const ::testing::TestParamInfo<LaterCase>& info) { return info.param.name; });

TEST_F(Navigation, AWaitingListThatCannotBeWrittenKeepsWaiting) {
    makeCollection(3);
    fs::remove(ListFileName(state));
    fs::create_directory(ListFileName(state));
    collection.RemoveWallLater(0);
    EXPECT_FALSE(collection.WritePendingList());
    EXPECT_FALSE(reported.empty());
    EXPECT_TRUE(collection.ListWritePending());

    // At a close the failure goes to the log only: no box may hold the close up.
    reported.clear();
    AppClosing = true;
    EXPECT_FALSE(collection.WritePendingList());
    EXPECT_TRUE(reported.empty());

    // Writable again: the next write brings the file up to date.
    fs::remove(ListFileName(state));
    EXPECT_TRUE(collection.WritePendingList());
    EXPECT_EQ(ParseListText(readFile(ListFileName(state))), WallPaths(state));
}
