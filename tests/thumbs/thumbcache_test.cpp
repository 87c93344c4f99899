// The thumbnail chain with real pictures, a real worker thread and the real
// cache folder: which jobs run in which order, what stays in memory, what
// lands on disk, and how entries that change or fail are treated.
#include "thumbs/thumbfixture.h"

#include "imaging/codecs.h"
#include "samples.h"
#include "support/replacements.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::vector<std::int32_t> concat(std::initializer_list<std::vector<std::int32_t>> parts) {
    std::vector<std::int32_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The size of a picture on disk, decoded.
std::pair<int, int> decodedSize(const std::string& path) {
    Bitmap b;
    if (!file2Bitmap(b, path))
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
    m_currentWall = c.current;
    std::size_t mostPreviews = 0;
    m_onThumbnailJob = [&](std::int32_t num) {
        m_jobs.push_back(num);
        mostPreviews = std::max(mostPreviews, withPreview().size());
    };
    const long workersBefore = thumbnailStats().workers;
    browseArray();
    ASSERT_TRUE(waitIdle());

    EXPECT_EQ(m_jobs, c.order);
    EXPECT_EQ(thumbnailStats().workers - workersBefore, 1) << "one thread serves the walk";
    EXPECT_EQ(withPreview(), span(c.windowFirst, c.windowLast));
    // 15 previews of the window plus the one just handed over, at most.
    EXPECT_LE(mostPreviews, 16u);
    for (int i = 0; i < c.count; ++i) {
        EXPECT_TRUE(m_walls[i].wasLoad) << i;
        EXPECT_FALSE(findThumbnailOnDisk(paths[i]).empty()) << "no cached file for " << i;
    }
    EXPECT_EQ(m_currentWall, c.current);
}

INSTANTIATE_TEST_SUITE_P(
    Collections, JobOrder,
    ::testing::Values(
        // The first job is always entry 0 (browseArray).
        OrderCase{40, 0, span(0, 39), 0, 14},
        OrderCase{40, 4, concat({{0}, span(2, 14), {1}, span(15, 39)}), 0, 14},
        OrderCase{40, 20, concat({{0}, span(18, 27), span(17, 13), span(28, 39), span(1, 12)}), 13,
                  27},
        OrderCase{3, 2, {0, 1, 2}, 0, 2},
        OrderCase{40, 39, concat({{0}, span(37, 39), span(36, 32), span(1, 31)}), 32, 39}));

TEST_F(ThumbTest, MovingAwayWhileIdleMakesTheNewWindowAndFreesTheOld) {
    makeCollection(40);
    m_currentWall = 20;
    browseArray();
    ASSERT_TRUE(waitIdle());
    m_jobs.clear();

    // The redraw finds 33 .. 37 without previews and restarts the chain.
    jumpTo(35);
    EXPECT_FALSE(m_cacheIdle);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_jobs, concat({span(33, 39), span(32, 28)}));
    EXPECT_EQ(withPreview(), span(28, 39));
}

TEST_F(ThumbTest, SecondRunReadsOnlyTheCachedFiles) {
    const auto paths = makeCollection(40);
    m_currentWall = 10;
    browseArray();
    ASSERT_TRUE(waitIdle());

    // A new run of the program: a fresh collection, the pictures themselves
    // replaced by data no decoder accepts. Reading one of them would remove
    // its entry.
    loadFresh(paths);
    for (const auto& p : paths)
        std::ofstream(p, std::ios::binary | std::ios::trunc) << "not a picture any more";
    const ThumbStats& stats = thumbnailStats();
    const long decodesBefore = file2BitmapCount();
    const long picturesBefore = stats.pictureDecodes;
    const long cacheBefore = stats.cacheReads;
    const long skippedBefore = stats.skipped;
    const long workersBefore = stats.workers;
    m_jobs.clear();
    browseArray();
    ASSERT_TRUE(waitIdle());

    // Jobs for entry 0 and the window 3 .. 17 only: every other entry has
    // its file in the cache and needs nothing.
    EXPECT_EQ(wallCount(), 40);
    EXPECT_EQ(m_jobs, concat({{0}, span(8, 17), span(7, 3)}));
    EXPECT_EQ(stats.pictureDecodes - picturesBefore, 0);
    EXPECT_EQ(stats.cacheReads - cacheBefore, 16);
    EXPECT_EQ(stats.skipped - skippedBefore, 24);
    EXPECT_EQ(stats.workers - workersBefore, 1);
    EXPECT_EQ(file2BitmapCount() - decodesBefore, 16) << "something besides the cache was decoded";
    EXPECT_EQ(withPreview(), span(3, 17));
    ASSERT_TRUE(m_walls[10].preview);
    // The cached JPEG comes back close to the picture's colour.
    const std::uint32_t got = m_walls[10].preview->pixel(98, 61) & 0xFFFFFF;
    const std::uint32_t want = colourOf(10);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), 6);
}

TEST_F(ThumbTest, WalkMakesOnlyTheMissingFilesInItsOrder) {
    const auto paths = makeCollection(40);
    browseArray();
    ASSERT_TRUE(waitIdle());
    // Three cached files lost: one before the window, two after it.
    for (int i : {1, 20, 25})
        fs::remove(thumbnailFileName(paths[i]));

    loadFresh(paths);
    m_currentWall = 10;
    const long picturesBefore = thumbnailStats().pictureDecodes;
    m_jobs.clear();
    browseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_jobs, concat({{0}, span(8, 17), span(7, 3), {20, 25}, {1}}));
    EXPECT_EQ(thumbnailStats().pictureDecodes - picturesBefore, 3);
    for (int i : {1, 20, 25})
        EXPECT_FALSE(findThumbnailOnDisk(paths[i]).empty()) << i;

    // A skipped entry gets its preview from its cached file when the window
    // reaches it.
    m_jobs.clear();
    jumpTo(30);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(withPreview(), span(23, 37));
    EXPECT_EQ(thumbnailStats().pictureDecodes - picturesBefore, 3);
}

TEST_F(ThumbTest, BigCachedCollectionIsWalkedByOneWorkerWithoutJobs) {
    // Thousands of entries whose pictures are gone but whose thumbnails are
    // cached: more than one batch of look-ups, and no entry is lost.
    const int count = 2 * ThumbnailCache::LookupBatch + 100;
    const std::string thumb = m_home + "/one.jpg";
    writeSolidPicture(thumb, ThumbWidth, ThumbHeight, 0x224466);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(m_home + "/gone/d" + std::to_string(i / 500) + "/p" + std::to_string(i) +
                        ".jpg");
        const std::string file = thumbnailFileName(paths.back());
        fs::create_directories(fs::path(file).parent_path());
        fs::copy_file(thumb, file);
    }
    loadFresh(paths);
    m_currentWall = 1000;
    const ThumbStats& stats = thumbnailStats();
    const long workersBefore = stats.workers;
    const long skippedBefore = stats.skipped;
    browseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(wallCount(), count);
    EXPECT_EQ(m_jobs, concat({{0}, span(998, 1007), span(997, 993)}));
    EXPECT_EQ(stats.skipped - skippedBefore, count - 16);
    EXPECT_EQ(stats.workers - workersBefore, 1);
    EXPECT_EQ(withPreview(), span(993, 1007));
}

// ------------------------------------------------------------ path mapping

TEST_F(ThumbTest, WorkerWritesWhereLookupAndDeletionLook) {
    // Colons are ordinary characters in Linux paths: none is dropped here.
    const std::string odd = m_home + "/pics/a:b/c:d.bmp";
    const std::string plain = m_home + "/pics/sea/wave.bmp";
    writeSolidPicture(odd, 64, 40, 0x336699);
    writeSolidPicture(plain, 64, 40, 0x993366);
    writeWallList({odd, plain});
    loadFresh({odd, plain});
    browseArray();
    ASSERT_TRUE(waitIdle());

    for (const std::string& picture : {odd, plain}) {
        const std::string expected = m_dataFolder + "Thumbnail" + picture + ".jpg";
        EXPECT_TRUE(fs::is_regular_file(expected)) << expected;
        EXPECT_EQ(findThumbnailOnDisk(picture), expected);
        EXPECT_EQ(decodedSize(expected), std::make_pair(ThumbWidth, ThumbHeight));
    }
    // Removing the entry removes the very file the worker wrote.
    deleteWall(0);
    EXPECT_FALSE(fs::exists(m_dataFolder + "Thumbnail" + odd + ".jpg"));
    EXPECT_TRUE(fs::exists(m_dataFolder + "Thumbnail" + plain + ".jpg"));
}

// --------------------------------------------------------------- hand-over

TEST_F(ThumbTest, HandOverGoesToTheEntryHoldingThePath) {
    const auto paths = makeCollection(8);
    int redraws = 0;
    onRedraw([&] { ++redraws; });
    m_currentWall = 0;

    // Entry anum still holds the picture.
    updatePreview(1, paths[1], std::make_unique<Bitmap>(solidBitmap(197, 123, 1)));
    EXPECT_TRUE(m_walls[1].preview && m_walls[1].wasLoad);
    EXPECT_EQ(redraws, 1) << "entry 1 is visible from entry 0";

    // A stale index: the first entry with the path gets it.
    updatePreview(2, paths[5], std::make_unique<Bitmap>(solidBitmap(197, 123, 2)));
    EXPECT_FALSE(m_walls[2].preview);
    ASSERT_TRUE(m_walls[5].preview);
    EXPECT_EQ(m_walls[5].preview->pixel(0, 0) & 0xFFFFFF, 2u);
    EXPECT_EQ(redraws, 1) << "entry 5 is not visible from entry 0";

    // A replaced preview goes; an index out of range is no problem.
    updatePreview(99, paths[5], std::make_unique<Bitmap>(solidBitmap(197, 123, 3)));
    EXPECT_EQ(m_walls[5].preview->pixel(0, 0) & 0xFFFFFF, 3u);

    // No entry holds the path (compared exactly, case included).
    std::string upper = paths[3];
    upper.back() = 'P';
    updatePreview(3, upper, std::make_unique<Bitmap>(solidBitmap(197, 123, 4)));
    EXPECT_FALSE(m_walls[3].preview);
    EXPECT_FALSE(m_walls[3].wasLoad);

    m_walls.clear();
    updatePreview(0, paths[0], std::make_unique<Bitmap>(solidBitmap(197, 123, 5)));
    EXPECT_EQ(redraws, 1);
}

TEST_F(ThumbTest, EntryDeletedWhileItsJobRunsLosesTheThumbnail) {
    const auto paths = makeCollection(3);
    browseArray(); // job for entry 0
    // The hand-over can only run once this handler returns to the event loop.
    deleteWall(0);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_jobs, (std::vector<std::int32_t>{0, 0, 1}));
    ASSERT_EQ(wallCount(), 2);
    EXPECT_EQ(m_walls[0].path, paths[1]);
    EXPECT_TRUE(m_walls[0].preview && m_walls[1].preview);
}

TEST_F(ThumbTest, EntryDeletedWhileItsJobRunsGivesTheThumbnailToItsTwin) {
    const auto paths = makeCollection(3);
    m_walls[2].path = paths[0]; // the same picture listed twice
    browseArray();
    deleteWall(0);
    ASSERT_TRUE(waitIdle());
    // The twin (now entry 1) got the first job's thumbnail: no job of its own.
    EXPECT_EQ(m_jobs, (std::vector<std::int32_t>{0, 0}));
    ASSERT_EQ(wallCount(), 2);
    EXPECT_TRUE(m_walls[1].preview && m_walls[1].wasLoad);
    EXPECT_EQ(m_walls[1].preview->pixel(5, 5) & 0xFFFFFF, colourOf(0));
}

// ---------------------------------------------------------------- failures

TEST_F(ThumbTest, UndecodablePictureLeavesTheCollectionAndTheListFile) {
    auto paths = makeCollection(5);
    std::ofstream(paths[2], std::ios::binary | std::ios::trunc) << "BM but nothing else";
    fs::remove(paths[4]); // gone from disk, never cached
    m_currentWall = 3;
    browseArray();
    ASSERT_TRUE(waitIdle());

    const std::vector<std::string> kept{paths[0], paths[1], paths[3]};
    std::vector<std::string> now;
    for (const auto& w : m_walls)
        now.push_back(w.path);
    EXPECT_EQ(now, kept);
    EXPECT_EQ(parseListText(readFile(listFileName())), kept);
    EXPECT_TRUE(
        std::all_of(m_walls.begin(), m_walls.end(), [](const WallEntry& w) { return w.wasLoad; }));
    EXPECT_TRUE(findThumbnailOnDisk(paths[2]).empty());
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
    m_onThumbnailJob = [&](std::int32_t num) {
        m_jobs.push_back(num);
        if (m_jobs.size() != c.stopAfterJobs)
            return;
        if (c.closing)
            m_appClosing = true;
        else
            m_cache.setPaused(true);
    };
    ReplacementCounter rewrites(listFileName());
    QElapsedTimer clock;
    clock.start();
    browseArray();
    ASSERT_TRUE(waitIdle());
    const qint64 elapsedMs = clock.elapsed();

    const std::vector<std::string> now = wallPaths(m_state);
    if (c.stopAfterJobs == 0) {
        EXPECT_EQ(now, good);
    } else {
        EXPECT_LT(now.size(), paths.size()) << "nothing was removed before the stop";
        EXPECT_GT(now.size(), good.size()) << "the walk did not stop";
    }
    EXPECT_EQ(parseListText(readFile(listFileName())), now);
    EXPECT_FALSE(m_collection.listWritePending());
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
    browseArray();
    ASSERT_TRUE(waitIdle());
    fs::remove(paths[1]);

    loadFresh(paths);
    browseArray();
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(wallCount(), 4);
    ASSERT_TRUE(m_walls[1].preview);
    EXPECT_EQ(m_walls[1].preview->width(), ThumbWidth);
    EXPECT_EQ(parseListText(readFile(listFileName())).size(), 4u);
}

TEST_F(ThumbTest, DamagedOrMisfitCachedThumbnailIsMadeAgain) {
    const auto paths = makeCollection(2);
    const std::string damaged = thumbnailFileName(paths[0]);
    const std::string misfit = thumbnailFileName(paths[1]);
    fs::create_directories(fs::path(damaged).parent_path());
    std::ofstream(damaged, std::ios::binary) << "\xFF\xD8\xFF truncated";
    writeSolidPicture(misfit, 4000, 30, 0x00FF00);

    browseArray();
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(wallCount(), 2);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(m_walls[i].preview);
        EXPECT_EQ(m_walls[i].preview->width(), ThumbWidth);
        EXPECT_EQ(m_walls[i].preview->pixel(100, 60) & 0xFFFFFF, colourOf(i));
        EXPECT_EQ(decodedSize(thumbnailFileName(paths[i])),
                  std::make_pair(ThumbWidth, ThumbHeight));
    }
}

// A photograph with a red left half and a blue right half, stored as EXIF orientation o
// needs it: upright (1), or turned a quarter clockwise to be shown (6).
samples::Bytes halvesPhoto(int o) {
    const bool quarter = o == 6;
    return samples::makeJpeg(
        {.width = quarter ? 32 : 64,
         .height = quarter ? 64 : 32,
         .pixel =
             [quarter](int x, int y, int c) {
                 const bool red = quarter ? y >= 32 : x < 32;
                 return std::uint8_t(c == 0 ? (red ? 220 : 20) : c == 2 ? (red ? 20 : 220) : 20);
             },
         .exif = samples::exifWithOrientation(o)});
}

bool isRed(std::uint32_t argb) {
    return ((argb >> 16) & 0xFF) > 150 && (argb & 0xFF) < 100;
}

// The green of the thumbnails cached before, within JPEG's loss.
bool isCachedGreen(std::uint32_t argb) {
    return ((argb >> 16) & 0xFF) < 30 && ((argb >> 8) & 0xFF) > 220 && (argb & 0xFF) < 30;
}

TEST_F(ThumbTest, ThumbnailsCachedBeforeTurningAreMadeAgainForTurnedPicturesOnly) {
    const std::vector<std::string> paths = {m_home + "/pics/turned.jpg",
                                            m_home + "/pics/plain.jpg"};
    fs::create_directories(m_home + "/pics");
    samples::writeFile(paths[0], halvesPhoto(6));
    samples::writeFile(paths[1], halvesPhoto(1));
    // Both cached by an earlier version, in green.
    for (const auto& p : paths) {
        writeSolidPicture(thumbnailFileName(p), ThumbWidth, ThumbHeight, 0x00FF00);
        fs::last_write_time(thumbnailFileName(p), fs::file_time_type::clock::now() - 1h);
    }
    writeWallList(paths);
    loadFresh(paths);
    browseArray();
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(m_walls[0].preview && m_walls[1].preview);
    EXPECT_TRUE(isRed(m_walls[0].preview->pixel(40, 60))) << "made again, upright";
    EXPECT_FALSE(isRed(m_walls[0].preview->pixel(150, 60)));
    EXPECT_TRUE(isCachedGreen(m_walls[1].preview->pixel(100, 60))) << "kept";

    // The next run reads both from the cache; the upright picture was looked at once.
    samples::writeFile(paths[1], halvesPhoto(6));
    loadFresh(paths);
    const long picturesBefore = thumbnailStats().pictureDecodes;
    browseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(thumbnailStats().pictureDecodes - picturesBefore, 0);
    ASSERT_TRUE(m_walls[0].preview && m_walls[1].preview);
    EXPECT_TRUE(isRed(m_walls[0].preview->pixel(40, 60)));
    EXPECT_TRUE(isCachedGreen(m_walls[1].preview->pixel(100, 60)));
}

TEST_F(ThumbTest, UnwritableCacheStillHandsOverOncePerEntry) {
    const auto paths = makeCollection(20);
    // A file where the thumbnail folder should be: nothing can be written
    // below it, whoever runs the test.
    fs::remove_all(m_dataFolder + "Thumbnail");
    std::ofstream(m_dataFolder + "Thumbnail") << "in the way";
    const long failuresBefore = thumbnailStats().writeFailures;

    browseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_jobs, span(0, 19));
    EXPECT_EQ(thumbnailStats().writeFailures - failuresBefore, 20);
    EXPECT_EQ(withPreview(), span(0, 14));
    EXPECT_TRUE(
        std::all_of(m_walls.begin(), m_walls.end(), [](const WallEntry& w) { return w.wasLoad; }));
}

// -------------------------------------------------------- stopping, restarting

TEST_F(ThumbTest, PictureManagerShowingStopsTheChainAndClosingItGoesOn) {
    const auto paths = makeCollection(20);
    m_cache.setPaused(true); // the picture manager opens
    browseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_jobs, (std::vector<std::int32_t>{0}));
    EXPECT_TRUE(m_walls[0].preview) << "the running job completes";

    m_cache.setPaused(false);
    threadDoneCache(); // what the main window does when the manager closed unchanged
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_jobs, span(0, 19));
}

TEST_F(ThumbTest, ClosingLetsTheRunningJobFinishAndStartsNoOther) {
    makeCollection(10);
    browseArray();
    m_appClosing = true; // the close request comes while job 0 runs
    EXPECT_FALSE(m_cacheIdle);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_jobs, (std::vector<std::int32_t>{0}));
    EXPECT_TRUE(m_walls[0].preview && m_walls[0].wasLoad);
    // Nothing starts it again.
    jumpTo(5);
    EXPECT_TRUE(m_cacheIdle);
    EXPECT_EQ(m_jobs.size(), 1u);
}

TEST_F(ThumbTest, BrowseArrayDuringAJobWaitsForItsEnd) {
    makeCollection(12, "old");
    browseArray(); // job 0 of the old collection runs
    // The picture manager replaced the collection meanwhile.
    clearPreview();
    const auto fresh = makeCollection(4, "new");
    m_currentWall = 9; // past the new end
    browseArray();
    EXPECT_EQ(m_currentWall, 0);
    EXPECT_EQ(m_jobs.size(), 1u) << "a second worker was started";
    ASSERT_TRUE(waitIdle());
    // The old job's thumbnail found no entry; the new chain ran from 0.
    EXPECT_EQ(m_jobs, (std::vector<std::int32_t>{0, 0, 1, 2, 3}));
    EXPECT_EQ(withPreview(), span(0, 3));
}

TEST_F(ThumbTest, EmptyCollectionShowsTheEmptyViewAndStaysIdle) {
    int cleared = 0;
    QObject::connect(&m_cache, &ThumbnailCache::collectionEmpty, [&] { ++cleared; });
    browseArray();
    EXPECT_EQ(cleared, 1);
    EXPECT_TRUE(m_cacheIdle);
    EXPECT_TRUE(m_jobs.empty());

    // The last entry removed by its own job: the scheduler shows the empty view.
    const auto paths = makeCollection(1);
    fs::remove(paths[0]);
    browseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(m_walls.empty());
    EXPECT_EQ(cleared, 2) << "the scheduler shows the empty view";
}

TEST_F(ThumbTest, AbandonedJobLeavesTheCollectionAlone) {
    makeCollection(3);
    browseArray();
    abandonThumbnailJob();
    EXPECT_FALSE(thumbnailJobRunning());
    EXPECT_TRUE(m_cacheIdle);
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_walls[0].preview);
    EXPECT_FALSE(m_walls[0].wasLoad);
    EXPECT_EQ(m_jobs.size(), 1u);
}

TEST_F(ThumbTest, CurrentWallPastTheEndAfterRemovalsIsNoProblem) {
    auto paths = makeCollection(30);
    // The last five pictures are gone: removing them one by one leaves
    // currentWall (and the scheduler's window) behind the end.
    for (int i = 25; i < 30; ++i)
        fs::remove(paths[i]);
    m_currentWall = 29;
    browseArray();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(wallCount(), 25);
    for (std::int32_t i = 0; i < 25; ++i)
        EXPECT_FALSE(findThumbnailOnDisk(paths[i]).empty()) << i;
}

TEST_F(ThumbTest, NavigationAndRemovalsDuringTheWalkStillCacheEveryPictureOnce) {
    auto paths = makeCollection(60);
    fs::remove(paths[30]); // removed when the walk reaches it
    fs::remove(paths[50]);
    m_onThumbnailJob = [&](std::int32_t num) {
        m_jobs.push_back(num);
        if (m_jobs.size() == 20)
            jumpTo(40); // the user moves while the chain runs
    };
    browseArray();
    ASSERT_TRUE(waitIdle());

    ASSERT_EQ(wallCount(), 58);
    EXPECT_EQ(m_currentWall, 40);
    EXPECT_EQ(withPreview(), span(33, 47));
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i != 30 && i != 50) {
            EXPECT_FALSE(findThumbnailOnDisk(paths[i]).empty()) << i;
        }
    }
    // Each picture once, plus the window's previews made again from the cache
    // after they were freed.
    EXPECT_LE(m_jobs.size(), 60u + 15u);
    EXPECT_TRUE(
        std::all_of(m_walls.begin(), m_walls.end(), [](const WallEntry& w) { return w.wasLoad; }));
}
