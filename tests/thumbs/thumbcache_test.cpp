// The thumbnail chain with real pictures, a real worker thread and the real
// cache folder: which jobs run in which order, what stays in memory, what
// lands on disk, and how entries that change or fail are treated.
#include "thumbs/thumbfixture.h"

#include "imaging/codecs.h"
#include "support/replacements.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::vector<std::int32_t> Concat(std::initializer_list<std::vector<std::int32_t>> parts) {
    std::vector<std::int32_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The size of a picture on disk, decoded.
std::pair<int, int> DecodedSize(const std::string& path) {
    Bitmap b;
    if (!File2Bitmap(b, path))
        return {0, 0};
    return {b.width(), b.height()};
}

} // namespace

// ---------------------------------------------------------------- job order

struct OrderCase {
    int count;
    std::int32_t current;
    std::vector<std::int32_t> order;
    std::int32_t windowFirst;
    std::int32_t windowLast;
};

class JobOrder : public ThumbTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(JobOrder, FollowsTheWindowThenTheRestAndKeepsOnlyTheWindow) {
    const OrderCase& c = GetParam();
    const auto paths = makeCollection(c.count);
    CurrentWall = c.current;
    std::size_t mostPreviews = 0;
    OnThumbnailJob = [&](std::int32_t num) {
        jobs.push_back(num);
        mostPreviews = std::max(mostPreviews, withPreview().size());
    };
    const long workersBefore = ThumbnailStats().workers;
    BrowseArray();
    ASSERT_TRUE(waitIdle());

    EXPECT_EQ(jobs, c.order);
    EXPECT_EQ(ThumbnailStats().workers - workersBefore, 1) << "one thread serves the walk";
    EXPECT_EQ(withPreview(), Span(c.windowFirst, c.windowLast));
    // 15 previews of the window plus the one just handed over, at most.
    EXPECT_LE(mostPreviews, 16u);
    for (int i = 0; i < c.count; ++i) {
        EXPECT_TRUE(Walls[i].WasLoad) << i;
        EXPECT_FALSE(FindThumbnailHDD(paths[i]).empty()) << "no cached file for " << i;
    }
    EXPECT_EQ(CurrentWall, c.current);
}

INSTANTIATE_TEST_SUITE_P(
    Collections, JobOrder,
    ::testing::Values(
        // The first job is always entry 0 (BrowseArray).
        OrderCase{40, 0, Span(0, 39), 0, 14},
        OrderCase{40, 4, Concat({{0}, Span(2, 14), {1}, Span(15, 39)}), 0, 14},
        OrderCase{40, 20, Concat({{0}, Span(18, 27), Span(17, 13), Span(28, 39), Span(1, 12)}), 13,
                  27},
        OrderCase{3, 2, {0, 1, 2}, 0, 2},
        OrderCase{40, 39, Concat({{0}, Span(37, 39), Span(36, 32), Span(1, 31)}), 32, 39}));

TEST_F(ThumbTest, MovingAwayWhileIdleMakesTheNewWindowAndFreesTheOld) {
    makeCollection(40);
    CurrentWall = 20;
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    jobs.clear();

    // The redraw finds 33 .. 37 without previews and restarts the chain.
    JumpToWall(35);
    EXPECT_FALSE(CacheIdle);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(jobs, Concat({Span(33, 39), Span(32, 28)}));
    EXPECT_EQ(withPreview(), Span(28, 39));
}

TEST_F(ThumbTest, SecondRunReadsOnlyTheCachedFiles) {
    const auto paths = makeCollection(40);
    CurrentWall = 10;
    BrowseArray();
    ASSERT_TRUE(waitIdle());

    // A new run of the program: a fresh collection, the pictures themselves
    // replaced by data no decoder accepts. Reading one of them would remove
    // its entry.
    loadFresh(paths);
    for (const auto& p : paths)
        std::ofstream(p, std::ios::binary | std::ios::trunc) << "not a picture any more";
    const ThumbStats& stats = ThumbnailStats();
    const long decodesBefore = File2BitmapCount();
    const long picturesBefore = stats.pictureDecodes;
    const long cacheBefore = stats.cacheReads;
    const long skippedBefore = stats.skipped;
    const long workersBefore = stats.workers;
    jobs.clear();
    BrowseArray();
    ASSERT_TRUE(waitIdle());

    // Jobs for entry 0 and the window 3 .. 17 only: every other entry has
    // its file in the cache and needs nothing.
    EXPECT_EQ(WallCount(), 40);
    EXPECT_EQ(jobs, Concat({{0}, Span(8, 17), Span(7, 3)}));
    EXPECT_EQ(stats.pictureDecodes - picturesBefore, 0);
    EXPECT_EQ(stats.cacheReads - cacheBefore, 16);
    EXPECT_EQ(stats.skipped - skippedBefore, 24);
    EXPECT_EQ(stats.workers - workersBefore, 1);
    EXPECT_EQ(File2BitmapCount() - decodesBefore, 16) << "something besides the cache was decoded";
    EXPECT_EQ(withPreview(), Span(3, 17));
    ASSERT_TRUE(Walls[10].Preview);
    // The cached JPEG comes back close to the picture's colour.
    const std::uint32_t got = Walls[10].Preview->pixel(98, 61) & 0xFFFFFF;
    const std::uint32_t want = ColourOf(10);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), 6);
}

TEST_F(ThumbTest, WalkMakesOnlyTheMissingFilesInItsOrder) {
    const auto paths = makeCollection(40);
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    // Three cached files lost: one before the window, two after it.
    for (int i : {1, 20, 25})
        fs::remove(ThumbnailFileName(paths[i]));

    loadFresh(paths);
    CurrentWall = 10;
    const long picturesBefore = ThumbnailStats().pictureDecodes;
    jobs.clear();
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(jobs, Concat({{0}, Span(8, 17), Span(7, 3), {20, 25}, {1}}));
    EXPECT_EQ(ThumbnailStats().pictureDecodes - picturesBefore, 3);
    for (int i : {1, 20, 25})
        EXPECT_FALSE(FindThumbnailHDD(paths[i]).empty()) << i;

    // A skipped entry gets its preview from its cached file when the window
    // reaches it.
    jobs.clear();
    JumpToWall(30);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(withPreview(), Span(23, 37));
    EXPECT_EQ(ThumbnailStats().pictureDecodes - picturesBefore, 3);
}

TEST_F(ThumbTest, BigCachedCollectionIsWalkedByOneWorkerWithoutJobs) {
    // Thousands of entries whose pictures are gone but whose thumbnails are
    // cached: more than one batch of look-ups, and no entry is lost.
    const int count = 2 * ThumbnailCache::LookupBatch + 100;
    const std::string thumb = home + "/one.jpg";
    WriteSolidPicture(thumb, ThumbWidth, ThumbHeight, 0x224466);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(home + "/gone/d" + std::to_string(i / 500) + "/p" + std::to_string(i) +
                        ".jpg");
        const std::string file = ThumbnailFileName(paths.back());
        fs::create_directories(fs::path(file).parent_path());
        fs::copy_file(thumb, file);
    }
    loadFresh(paths);
    CurrentWall = 1000;
    const ThumbStats& stats = ThumbnailStats();
    const long workersBefore = stats.workers;
    const long skippedBefore = stats.skipped;
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(WallCount(), count);
    EXPECT_EQ(jobs, Concat({{0}, Span(998, 1007), Span(997, 993)}));
    EXPECT_EQ(stats.skipped - skippedBefore, count - 16);
    EXPECT_EQ(stats.workers - workersBefore, 1);
    EXPECT_EQ(withPreview(), Span(993, 1007));
}

// ------------------------------------------------------------ path mapping

TEST_F(ThumbTest, WorkerWritesWhereLookupAndDeletionLook) {
    // Colons are ordinary characters in Linux paths: none is dropped here.
    const std::string odd = home + "/pics/a:b/c:d.bmp";
    const std::string plain = home + "/pics/sea/wave.bmp";
    WriteSolidPicture(odd, 64, 40, 0x336699);
    WriteSolidPicture(plain, 64, 40, 0x993366);
    WriteWallList({odd, plain});
    loadFresh({odd, plain});
    BrowseArray();
    ASSERT_TRUE(waitIdle());

    for (const std::string& picture : {odd, plain}) {
        const std::string expected = DataFolder + "Thumbnail" + picture + ".jpg";
        EXPECT_TRUE(fs::is_regular_file(expected)) << expected;
        EXPECT_EQ(FindThumbnailHDD(picture), expected);
        EXPECT_EQ(DecodedSize(expected), std::make_pair(ThumbWidth, ThumbHeight));
    }
    // Removing the entry removes the very file the worker wrote.
    DeleteWall(0);
    EXPECT_FALSE(fs::exists(DataFolder + "Thumbnail" + odd + ".jpg"));
    EXPECT_TRUE(fs::exists(DataFolder + "Thumbnail" + plain + ".jpg"));
}

// --------------------------------------------------------------- hand-over

TEST_F(ThumbTest, HandOverGoesToTheEntryHoldingThePath) {
    const auto paths = makeCollection(8);
    int redraws = 0;
    onRedraw([&] { ++redraws; });
    CurrentWall = 0;

    // Entry anum still holds the picture.
    UpdatePreview(1, paths[1], std::make_unique<Bitmap>(SolidBitmap(197, 123, 1)));
    EXPECT_TRUE(Walls[1].Preview && Walls[1].WasLoad);
    EXPECT_EQ(redraws, 1) << "entry 1 is visible from entry 0";

    // A stale index: the first entry with the path gets it.
    UpdatePreview(2, paths[5], std::make_unique<Bitmap>(SolidBitmap(197, 123, 2)));
    EXPECT_FALSE(Walls[2].Preview);
    ASSERT_TRUE(Walls[5].Preview);
    EXPECT_EQ(Walls[5].Preview->pixel(0, 0) & 0xFFFFFF, 2u);
    EXPECT_EQ(redraws, 1) << "entry 5 is not visible from entry 0";

    // A replaced preview goes; an index out of range is no problem.
    UpdatePreview(99, paths[5], std::make_unique<Bitmap>(SolidBitmap(197, 123, 3)));
    EXPECT_EQ(Walls[5].Preview->pixel(0, 0) & 0xFFFFFF, 3u);

    // No entry holds the path (compared exactly, case included).
    std::string upper = paths[3];
    upper.back() = 'P';
    UpdatePreview(3, upper, std::make_unique<Bitmap>(SolidBitmap(197, 123, 4)));
    EXPECT_FALSE(Walls[3].Preview);
    EXPECT_FALSE(Walls[3].WasLoad);

    Walls.clear();
    UpdatePreview(0, paths[0], std::make_unique<Bitmap>(SolidBitmap(197, 123, 5)));
    EXPECT_EQ(redraws, 1);
}

TEST_F(ThumbTest, EntryDeletedWhileItsJobRunsLosesTheThumbnail) {
    const auto paths = makeCollection(3);
    BrowseArray(); // job for entry 0
    // The hand-over can only run once this handler returns to the event loop.
    DeleteWall(0);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(jobs, (std::vector<std::int32_t>{0, 0, 1}));
    ASSERT_EQ(WallCount(), 2);
    EXPECT_EQ(Walls[0].Path, paths[1]);
    EXPECT_TRUE(Walls[0].Preview && Walls[1].Preview);
}

TEST_F(ThumbTest, EntryDeletedWhileItsJobRunsGivesTheThumbnailToItsTwin) {
    const auto paths = makeCollection(3);
    Walls[2].Path = paths[0]; // the same picture listed twice
    BrowseArray();
    DeleteWall(0);
    ASSERT_TRUE(waitIdle());
    // The twin (now entry 1) got the first job's thumbnail: no job of its own.
    EXPECT_EQ(jobs, (std::vector<std::int32_t>{0, 0}));
    ASSERT_EQ(WallCount(), 2);
    EXPECT_TRUE(Walls[1].Preview && Walls[1].WasLoad);
    EXPECT_EQ(Walls[1].Preview->pixel(5, 5) & 0xFFFFFF, ColourOf(0));
}

// ---------------------------------------------------------------- failures

TEST_F(ThumbTest, UndecodablePictureLeavesTheCollectionAndTheListFile) {
    auto paths = makeCollection(5);
    std::ofstream(paths[2], std::ios::binary | std::ios::trunc) << "BM but nothing else";
    fs::remove(paths[4]); // gone from disk, never cached
    CurrentWall = 3;
    BrowseArray();
    ASSERT_TRUE(waitIdle());

    const std::vector<std::string> kept{paths[0], paths[1], paths[3]};
    std::vector<std::string> now;
    for (const auto& w : Walls)
        now.push_back(w.Path);
    EXPECT_EQ(now, kept);
    EXPECT_EQ(ParseListText(readFile(ListFileName())), kept);
    EXPECT_TRUE(std::all_of(Walls.begin(), Walls.end(), [](const TWall& w) { return w.WasLoad; }));
    EXPECT_TRUE(FindThumbnailHDD(paths[2]).empty());
}

// Many undecodable pictures: each leaves the collection as the walk meets it,
// but the list file is rewritten at most once a second and when the walk
// stops, however it stops; no removal is left unwritten then.
struct BrokenWalkCase {
    const char* name;
    std::size_t stopAfterJobs; // 0: the walk runs to its end
    bool closing;              // the stop is a close request, else the manager opens
};

void PrintTo(const BrokenWalkCase& c, std::ostream* os) {
    *os << c.name;
}

class BrokenWalk : public ThumbTest, public ::testing::WithParamInterface<BrokenWalkCase> {};

TEST_P(BrokenWalk, RewritesTheListAFewTimesAndLeavesNoRemovalUnwritten) {
    const BrokenWalkCase& c = GetParam();
    const int count = 160;
    const auto paths = makeCollection(count);
    std::vector<std::string> good;
    for (int i = 0; i < count; ++i) {
        if (i % 4 == 0)
            good.push_back(paths[i]);
        else
            std::ofstream(paths[i], std::ios::binary | std::ios::trunc) << "BM broken";
    }
    OnThumbnailJob = [&](std::int32_t num) {
        jobs.push_back(num);
        if (jobs.size() != c.stopAfterJobs)
            return;
        if (c.closing)
            AppClosing = true;
        else
            cache.setPaused(true);
    };
    ReplacementCounter rewrites(ListFileName());
    QElapsedTimer clock;
    clock.start();
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    const qint64 elapsedMs = clock.elapsed();

    const std::vector<std::string> now = WallPaths(state);
    if (c.stopAfterJobs == 0) {
        EXPECT_EQ(now, good);
    } else {
        EXPECT_LT(now.size(), paths.size()) << "nothing was removed before the stop";
        EXPECT_GT(now.size(), good.size()) << "the walk did not stop";
    }
    EXPECT_EQ(ParseListText(readFile(ListFileName())), now);
    EXPECT_FALSE(collection.ListWritePending());
    const int n = rewrites.count();
    EXPECT_GE(n, 1);
    // One a second while the walk runs (the timer may fire a little early),
    // one when it stops.
    EXPECT_LE(n, elapsedMs / 900 + 2) << "after " << elapsedMs << " ms";
}

INSTANTIATE_TEST_SUITE_P(Stops, BrokenWalk,
                         ::testing::Values(BrokenWalkCase{"ToItsEnd", 0, false},
                                           BrokenWalkCase{"AtAClose", 40, true},
                                           BrokenWalkCase{"WhenTheManagerOpens", 40, false}),
                         [](const ::testing::TestParamInfo<BrokenWalkCase>& info) {
                             return info.param.name;
                         });

TEST_F(ThumbTest, MissingPictureWithACachedThumbnailStays) {
    const auto paths = makeCollection(4);
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    fs::remove(paths[1]);

    loadFresh(paths);
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(WallCount(), 4);
    ASSERT_TRUE(Walls[1].Preview);
    EXPECT_EQ(Walls[1].Preview->width(), ThumbWidth);
    EXPECT_EQ(ParseListText(readFile(ListFileName())).size(), 4u);
}

TEST_F(ThumbTest, DamagedOrMisfitCachedThumbnailIsMadeAgain) {
    const auto paths = makeCollection(2);
    const std::string damaged = ThumbnailFileName(paths[0]);
    const std::string misfit = ThumbnailFileName(paths[1]);
    fs::create_directories(fs::path(damaged).parent_path());
    std::ofstream(damaged, std::ios::binary) << "\xFF\xD8\xFF truncated";
    WriteSolidPicture(misfit, 4000, 30, 0x00FF00);

    BrowseArray();
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(WallCount(), 2);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(Walls[i].Preview);
        EXPECT_EQ(Walls[i].Preview->width(), ThumbWidth);
        EXPECT_EQ(Walls[i].Preview->pixel(100, 60) & 0xFFFFFF, ColourOf(i));
        EXPECT_EQ(DecodedSize(ThumbnailFileName(paths[i])),
                  std::make_pair(ThumbWidth, ThumbHeight));
    }
}

TEST_F(ThumbTest, UnwritableCacheStillHandsOverOncePerEntry) {
    const auto paths = makeCollection(20);
    // A file where the thumbnail folder should be: nothing can be written
    // below it, whoever runs the test.
    fs::remove_all(DataFolder + "Thumbnail");
    std::ofstream(DataFolder + "Thumbnail") << "in the way";
    const long failuresBefore = ThumbnailStats().writeFailures;

    BrowseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(jobs, Span(0, 19));
    EXPECT_EQ(ThumbnailStats().writeFailures - failuresBefore, 20);
    EXPECT_EQ(withPreview(), Span(0, 14));
    EXPECT_TRUE(std::all_of(Walls.begin(), Walls.end(), [](const TWall& w) { return w.WasLoad; }));
}

// -------------------------------------------------------- stopping, restarting

TEST_F(ThumbTest, PictureManagerShowingStopsTheChainAndClosingItGoesOn) {
    const auto paths = makeCollection(20);
    cache.setPaused(true); // the picture manager opens
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(jobs, (std::vector<std::int32_t>{0}));
    EXPECT_TRUE(Walls[0].Preview) << "the running job completes";

    cache.setPaused(false);
    ThreadDoneCache(); // what the main window does when the manager closed unchanged
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(jobs, Span(0, 19));
}

TEST_F(ThumbTest, ClosingLetsTheRunningJobFinishAndStartsNoOther) {
    makeCollection(10);
    BrowseArray();
    AppClosing = true; // the close request comes while job 0 runs
    EXPECT_FALSE(CacheIdle);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(jobs, (std::vector<std::int32_t>{0}));
    EXPECT_TRUE(Walls[0].Preview && Walls[0].WasLoad);
    // Nothing starts it again.
    JumpToWall(5);
    EXPECT_TRUE(CacheIdle);
    EXPECT_EQ(jobs.size(), 1u);
}

TEST_F(ThumbTest, BrowseArrayDuringAJobWaitsForItsEnd) {
    makeCollection(12, "old");
    BrowseArray(); // job 0 of the old collection runs
    // The picture manager replaced the collection meanwhile.
    ClearPreview();
    const auto fresh = makeCollection(4, "new");
    CurrentWall = 9; // past the new end
    BrowseArray();
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(jobs.size(), 1u) << "a second worker was started";
    ASSERT_TRUE(waitIdle());
    // The old job's thumbnail found no entry; the new chain ran from 0.
    EXPECT_EQ(jobs, (std::vector<std::int32_t>{0, 0, 1, 2, 3}));
    EXPECT_EQ(withPreview(), Span(0, 3));
}

TEST_F(ThumbTest, EmptyCollectionShowsTheEmptyViewAndStaysIdle) {
    int cleared = 0;
    QObject::connect(&cache, &ThumbnailCache::collectionEmpty, [&] { ++cleared; });
    BrowseArray();
    EXPECT_EQ(cleared, 1);
    EXPECT_TRUE(CacheIdle);
    EXPECT_TRUE(jobs.empty());

    // The last entry removed by its own job: the scheduler shows the empty view.
    const auto paths = makeCollection(1);
    fs::remove(paths[0]);
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(Walls.empty());
    EXPECT_EQ(cleared, 2) << "the scheduler shows the empty view";
}

TEST_F(ThumbTest, AbandonedJobLeavesTheCollectionAlone) {
    makeCollection(3);
    BrowseArray();
    AbandonThumbnailJob();
    EXPECT_FALSE(ThumbnailJobRunning());
    EXPECT_TRUE(CacheIdle);
    QCoreApplication::processEvents();
    EXPECT_FALSE(Walls[0].Preview);
    EXPECT_FALSE(Walls[0].WasLoad);
    EXPECT_EQ(jobs.size(), 1u);
}

TEST_F(ThumbTest, CurrentWallPastTheEndAfterRemovalsIsNoProblem) {
    auto paths = makeCollection(30);
    // The last five pictures are gone: removing them one by one leaves
    // CurrentWall (and the scheduler's window) behind the end.
    for (int i = 25; i < 30; ++i)
        fs::remove(paths[i]);
    CurrentWall = 29;
    BrowseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(WallCount(), 25);
    for (std::int32_t i = 0; i < 25; ++i)
        EXPECT_FALSE(FindThumbnailHDD(paths[i]).empty()) << i;
}

TEST_F(ThumbTest, NavigationAndRemovalsDuringTheWalkStillCacheEveryPictureOnce) {
    auto paths = makeCollection(60);
    fs::remove(paths[30]); // removed when the walk reaches it
    fs::remove(paths[50]);
    OnThumbnailJob = [&](std::int32_t num) {
        jobs.push_back(num);
        if (jobs.size() == 20)
            JumpToWall(40); // the user moves while the chain runs
    };
    BrowseArray();
    ASSERT_TRUE(waitIdle());

    ASSERT_EQ(WallCount(), 58);
    EXPECT_EQ(CurrentWall, 40);
    EXPECT_EQ(withPreview(), Span(33, 47));
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i != 30 && i != 50) {
            EXPECT_FALSE(FindThumbnailHDD(paths[i]).empty()) << i;
        }
    }
    // Each picture once, plus the window's previews made again from the cache
    // after they were freed.
    EXPECT_LE(jobs.size(), 60u + 15u);
    EXPECT_TRUE(std::all_of(Walls.begin(), Walls.end(), [](const TWall& w) { return w.WasLoad; }));
}
