// The thumbnail cache: one background job at a time makes the 197 x 123
// thumbnail of a picture (from its cached file when there is one), writes it
// below DataFolder/Thumbnail and hands it to its entry of Walls; the scheduler
// on the user-interface thread picks the next entry when a job ends.
//
// Everything here except TNewThread::run() belongs to the user-interface
// thread. The worker reaches Walls only through calls that it has the
// user-interface thread run while it waits.
#pragma once

#include "imaging/bitmap.h"

#include <QThread>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

/// Size of a thumbnail: the monitor's screen in the strip.
inline constexpr int ThumbWidth = 197;
inline constexpr int ThumbHeight = 123;

/// One thumbnail job on its own thread. It frees itself when its thread has
/// ended and the scheduler has run.
class TNewThread : public QThread {
public:
    /// Creates and starts the job for entry num with picture fname
    /// (CacheIdle becomes false).
    static void Create(std::int32_t num, const std::string& fname);

    std::string filename;              ///< full path of the picture
    std::unique_ptr<Bitmap> bOriginal; ///< the decoded picture, private to the job
    std::unique_ptr<Bitmap> bFinal;    ///< the thumbnail, 197 x 123, 24 bits
    std::int32_t anum;                 ///< entry index when the job was made

protected:
    void run() override;

private:
    TNewThread(std::int32_t num, const std::string& fname);
    /// Makes the thumbnail; false when the picture cannot be decoded.
    bool makeThumbnail();
};

/// The hand-over of a finished thumbnail to the entry holding filename
/// (entry anum when it still holds it, else the first such entry); the strip
/// is redrawn when that entry is visible. Without such an entry the
/// thumbnail is dropped.
void UpdatePreview(std::int32_t anum, const std::string& filename, std::unique_ptr<Bitmap> bFinal);

/// The scheduler: starts the job for the next entry that needs one (the
/// window of 15 around CurrentWall first), frees the previews outside the
/// window, or sets CacheIdle when nothing is left, the program is closing or
/// the picture manager is showing. Does nothing while a job runs.
void ThreadDoneCache();

/// Starts the chain for a freshly loaded or rebuilt collection with a job
/// for entry 0. When an older job still runs, the new chain starts when that
/// job ends, so that one worker at most exists.
void BrowseArray();

/// True while a job's thread object exists (from its creation to the end of
/// the scheduling that follows it).
bool ThumbnailJobRunning();

/// For the window's destruction: a running job is let finish without
/// touching the collection (its hand-over is dropped) and the chain stops.
/// Waits for that job's thread.
void AbandonThumbnailJob();

/// Cache window for the current entry: first .. last, before cutting at the
/// end of the collection.
struct CacheWindow {
    std::int64_t first;
    std::int64_t last;
};
CacheWindow CacheWindowFor(std::int32_t currentWall);

/// What the workers did since the program started; counted on the worker
/// threads, read anywhere.
struct ThumbStats {
    std::atomic<long> jobs{0};                ///< jobs run
    std::atomic<long> cacheReads{0};          ///< cached thumbnail files decoded
    std::atomic<long> pictureDecodes{0};      ///< pictures decoded
    std::atomic<long> writeFailures{0};       ///< thumbnails that could not be written
    std::atomic<long long> jobNanoseconds{0}; ///< time spent making thumbnails
};
ThumbStats& ThumbnailStats();

/// Called on the user-interface thread for every job created, with its
/// entry index (the tests and the benchmark record the order this way).
extern std::function<void(std::int32_t num)> OnThumbnailJob;
