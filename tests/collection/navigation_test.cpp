// Moving through the collection, applying pictures and removing the
// current entry, on real picture files.
#include "collection/navigation.h"
#include "collection/scheduler.h"
#include "collection/walls.h"
#include "imaging/bitmap.h"
#include "support/temphome.h"

#include <QThread>

#include <filesystem>

namespace fs = std::filesystem;

class Navigation : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        Ui.showCurrent = [this] { ++shows; };
        Ui.clearInfo = [this] { ++clears; };
        Ui.hideMain = [this] { ++hides; };
        Ui.showAbout = [this] { ++abouts; };
        Ui.confirmDelete = [this](const std::string& text) {
            question = text;
            return answerOk;
        };
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
        WriteWallList(paths);
        LoadWall();
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

    SchedulerTimers timers;
    int shows = 0, clears = 0, hides = 0, abouts = 0;
    bool answerOk = true;
    std::string question;
};

TEST_F(Navigation, EveryOutOfRangeTargetLandsOnTheFirstEntry) {
    makeCollection(5);
    for (std::int32_t target : {-1, 5, 1000, INT32_MIN, INT32_MAX}) {
        CurrentWall = 3;
        JumpToWall(target);
        EXPECT_EQ(CurrentWall, 0) << target;
    }
    JumpToWall(4);
    EXPECT_EQ(CurrentWall, 4);
    EXPECT_EQ(shows, 6);
}

TEST_F(Navigation, EmptyCollectionIgnoresEveryKeyButEscAndF1) {
    CurrentWall = 2;
    for (std::uint16_t key : {13, 32, 33, 34, 35, 36, 37, 38, 39, 40, 46, 65})
        edtInputKeyDown(key, key == 46);
    EXPECT_EQ(CurrentWall, 2);
    EXPECT_EQ(shows, 0);
    EXPECT_EQ(clears, 0);
    EXPECT_TRUE(question.empty());
    EXPECT_FALSE(fs::exists(WallpaperFile));
    edtInputKeyDown(27, false);
    edtInputKeyDown(112, false);
    EXPECT_EQ(hides, 1);
    EXPECT_EQ(abouts, 1);
}

TEST_F(Navigation, KeysAtBothEnds) {
    makeCollection(5);
    CurrentWall = 0;
    edtInputKeyDown(37, false); // Left: stays on the first entry
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_FALSE(fs::exists(WallpaperFile)); // no apply
    edtInputKeyDown(38, false);              // Up: re-applies entry 0
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(wallpaperColour(), colourOf(0));
    CurrentWall = 4;
    edtInputKeyDown(39, false); // Right wraps to the first, no apply
    EXPECT_EQ(CurrentWall, 0);
    CurrentWall = 3;
    edtInputKeyDown(40, false); // Down applies the next
    EXPECT_EQ(CurrentWall, 4);
    EXPECT_EQ(wallpaperColour(), colourOf(4));
    edtInputKeyDown(36, false); // Home, no apply
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(wallpaperColour(), colourOf(4));
    edtInputKeyDown(35, false); // End
    EXPECT_EQ(CurrentWall, 4);
    edtInputKeyDown(33, false); // Page Up applies the previous
    EXPECT_EQ(CurrentWall, 3);
    EXPECT_EQ(wallpaperColour(), colourOf(3));
    edtInputKeyDown(34, true); // Page Down with Shift acts as Page Down
    EXPECT_EQ(CurrentWall, 4);
    EXPECT_EQ(wallpaperColour(), colourOf(4));
    CurrentWall = 1;
    edtInputKeyDown(13, false); // Enter re-applies
    EXPECT_EQ(wallpaperColour(), colourOf(1));
}

TEST_F(Navigation, OneEntryIsEveryNeighbour) {
    makeCollection(1);
    for (std::uint16_t key : {32, 33, 34, 37, 39}) {
        edtInputKeyDown(key, false);
        EXPECT_EQ(CurrentWall, 0);
    }
    EXPECT_EQ(wallpaperColour(), colourOf(0));
}

TEST_F(Navigation, RandomPicksStayInRangeAndCoverTheCollection) {
    makeCollection(5);
    std::vector<int> seen(5);
    for (int i = 0; i < 400; ++i) {
        const std::int32_t r = RandomIndex(5);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 5);
        ++seen[r];
    }
    for (int n : seen)
        EXPECT_GT(n, 40); // uniform: about 80 each
    EXPECT_EQ(RandomIndex(0), 0);
}

// Starts a 4 s countdown and lets 1.5 s of it pass: at most 2.7 s remain
// (allowing for the timer's slack). A restart brings it back above 3 s for
// at least a second, which leaves a slow (sanitizer) build time to apply.
void ageCountdown(ProgramTimer& t) {
    t.setInterval(4000);
    t.setEnabled(true);
    QThread::msleep(1500);
    ASSERT_LE(t.remainingTime(), 2700);
}

TEST_F(Navigation, ApplyingAMissingFileDoesNothingAndKeepsTheCountdown) {
    makeCollection(2);
    fs::remove(Walls[1].Path);
    ageCountdown(timers.QuorvaneTimer);
    SetWall(1);
    EXPECT_LE(timers.QuorvaneTimer.remainingTime(), 2700);
    EXPECT_FALSE(fs::exists(WallpaperFile));
    EXPECT_EQ(WallCount(), 2);
}

TEST_F(Navigation, ApplyingADamagedFileRestartsTheTimerAndChangesNothingElse) {
    makeCollection(2);
    SetWall(0);
    ASSERT_EQ(wallpaperColour(), colourOf(0));
    std::ofstream(Walls[1].Path, std::ios::binary | std::ios::trunc) << "BM not really";
    ageCountdown(timers.QuorvaneTimer);
    SetWall(1);
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 3000);
    EXPECT_EQ(wallpaperColour(), colourOf(0));
    EXPECT_EQ(WallCount(), 2);
}

TEST_F(Navigation, ApplyingRestartsTheCountdown) {
    makeCollection(2);
    ageCountdown(timers.QuorvaneTimer);
    SetWall(1);
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 3000);
    EXPECT_EQ(wallpaperColour(), colourOf(1));
}

TEST_F(Navigation, ApplyGuardsItsIndex) {
    makeCollection(2);
    SetWall(-1);
    SetWall(2);
    EXPECT_FALSE(fs::exists(WallpaperFile));
}

TEST_F(Navigation, DeleteWithoutShiftAsksNothingAndAppliesTheSuccessor) {
    makeCollection(3);
    const std::string removed = Walls[1].Path;
    CurrentWall = 1;
    edtInputKeyDown(46, false);
    EXPECT_TRUE(question.empty());
    EXPECT_EQ(WallCount(), 2);
    EXPECT_TRUE(fs::exists(removed));
    EXPECT_EQ(CurrentWall, 1);
    EXPECT_EQ(wallpaperColour(), colourOf(2));
    EXPECT_EQ(readFile(ListFileName()), Walls[0].Path + "\r\n" + Walls[1].Path + "\r\n");
}

TEST_F(Navigation, ShiftDeleteAsksAndDeletesTheFileOnOk) {
    makeCollection(3);
    const std::string removed = Walls[2].Path;
    CurrentWall = 2;
    edtInputKeyDown(46, true);
    EXPECT_EQ(question, "Are you sure you want to delete p2.bmp?\r\n\r\nWarning: this action will "
                        "delete this file from disk, and cannot be undone!");
    EXPECT_FALSE(fs::exists(removed));
    // The last entry went: the first becomes current and is applied.
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(wallpaperColour(), colourOf(0));
}

TEST_F(Navigation, ShiftDeleteCancelledKeepsEverything) {
    makeCollection(3);
    answerOk = false;
    CurrentWall = 1;
    edtInputKeyDown(46, true);
    EXPECT_FALSE(question.empty());
    EXPECT_EQ(WallCount(), 3);
    EXPECT_TRUE(fs::exists(Walls[1].Path));
    EXPECT_FALSE(fs::exists(WallpaperFile));
}

TEST_F(Navigation, DeletingTheOnlyEntryShowsTheEmptyViewAndAppliesNothing) {
    makeCollection(1);
    edtInputKeyDown(46, false);
    EXPECT_TRUE(Walls.empty());
    EXPECT_EQ(clears, 1);
    EXPECT_FALSE(fs::exists(WallpaperFile));
    EXPECT_EQ(fs::file_size(ListFileName()), 0u);
}

TEST_F(Navigation, AListThatCannotBeWrittenIsReportedAndStopsTheRemoval) {
    makeCollection(3);
    std::string reported;
    Ui.reportError = [&](const std::string& text) { reported = text; };
    // A folder where the list file should be: the write fails.
    fs::remove(ListFileName());
    fs::create_directory(ListFileName());
    CurrentWall = 0;
    edtInputKeyDown(46, false);
    EXPECT_FALSE(reported.empty());
    EXPECT_EQ(WallCount(), 2);               // memory already changed
    EXPECT_FALSE(fs::exists(WallpaperFile)); // no apply after the failure
}
