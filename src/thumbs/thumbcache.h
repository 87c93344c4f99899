// The thumbnail cache: one background job at a time makes the 197 x 123
// thumbnail of a picture (from its cached file when there is one), writes it
// below the data folder's Thumbnail folder and hands it to its entry of Walls;
// the scheduler on the user-interface thread picks the next entry when a job
// ends.
//
// Everything here except TNewThread::run() belongs to the user-interface
// thread. The worker reaches Walls only through calls that it has the
// user-interface thread run while it waits.
#pragma once

#include "imaging/bitmap.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Collection;
class ThumbnailCache;
struct ProgramState;

/// Size of a thumbnail: the monitor's screen in the strip.
inline constexpr int ThumbWidth = 197;
inline constexpr int ThumbHeight = 123;

/// A thumbnail-sized picture of one colour (white), for a job that failed in
/// a way that must not make the scheduler pick the entry again and again.
Bitmap BlankThumbnail();

/// What the workers did since the cache was made; counted on the worker
/// threads, read anywhere.
struct ThumbStats {
    std::atomic<long> jobs{0};                ///< jobs run
    std::atomic<long> cacheReads{0};          ///< cached thumbnail files decoded
    std::atomic<long> pictureDecodes{0};      ///< pictures decoded
    std::atomic<long> writeFailures{0};       ///< thumbnails that could not be written
    std::atomic<long long> jobNanoseconds{0}; ///< time spent making thumbnails
};

/// One thumbnail job on its own thread. It frees itself when its thread has
/// ended and the scheduler has run.
class TNewThread : public QThread {
public:
    TNewThread(ThumbnailCache& cache, std::int32_t num, const std::string& fname,
               const std::string& dataFolder);

    std::string filename;              ///< full path of the picture
    std::unique_ptr<Bitmap> bOriginal; ///< the decoded picture, private to the job
    std::unique_ptr<Bitmap> bFinal;    ///< the thumbnail, 197 x 123, 24 bits
    std::int32_t anum;                 ///< entry index when the job was made

protected:
    void run() override;

private:
    /// Makes the thumbnail; false when the picture cannot be decoded.
    bool makeThumbnail();

    ThumbnailCache& m_cache;
    const std::string m_dataFolder;
};

class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    ThumbnailCache(ProgramState& state, Collection& collection, QObject* parent = nullptr);
    /// A job still running is let finish without its hand-over.
    ~ThumbnailCache() override;

    /// The hand-over of a finished thumbnail to the entry holding filename
    /// (entry anum when it still holds it, else the first such entry); the
    /// strip is redrawn when that entry is visible. Without such an entry the
    /// thumbnail is dropped.
    void UpdatePreview(std::int32_t anum, const std::string& filename,
                       std::unique_ptr<Bitmap> bFinal);

    /// The scheduler: starts the job for the next entry that needs one (the
    /// window of 15 around CurrentWall first), frees the previews outside the
    /// window, or sets CacheIdle when nothing is left, the program is closing
    /// or the chain is paused. Does nothing while a job runs.
    void ThreadDoneCache();

    /// Starts the chain for a freshly loaded or rebuilt collection with a job
    /// for entry 0. When an older job still runs, the new chain starts when
    /// that job ends, so that one worker at most exists.
    void BrowseArray();

    /// While paused (the picture manager is showing) the scheduler starts no
    /// job; a running job finishes and hands its thumbnail over.
    void setPaused(bool paused) { m_paused = paused; }
    bool paused() const { return m_paused; }

    /// True while a job's thread object exists (from its creation to the end
    /// of the scheduling that follows it).
    bool ThumbnailJobRunning() const { return m_currentJob != nullptr; }

    /// A running job is let finish without touching the collection (its
    /// hand-over is dropped) and the chain stops. Waits for that job's thread.
    void AbandonThumbnailJob();

    ThumbStats& stats() { return m_stats; }

signals:
    /// A job was created for entry `num` (the tests and the benchmark record
    /// the order this way).
    void jobStarted(std::int32_t num);
    /// The collection is empty: the empty view.
    void collectionEmpty();

private:
    friend class TNewThread;

    void startJobFor(std::int32_t i);
    void jobEnded(TNewThread* job);
    void removeUndecodable(std::int32_t anum, const std::string& filename);
    std::int32_t entryFor(std::int32_t anum, const std::string& filename) const;

    // What the scheduler learnt on earlier runs, so that each run on a big
    // collection looks at a few entries instead of all of them. Indexes are
    // only trusted while Walls is the same array of the same size: a removal
    // or a rebuild makes the next run look at every entry once.
    struct ScanState {
        const void* data = nullptr;
        std::size_t size = 0;
        // The window when the previews outside it were last freed (none yet:
        // -1), and the entries handed a preview since then.
        std::int64_t windowFirst = -1;
        std::int64_t windowLast = -1;
        std::vector<std::int32_t> handed;
        // Entries afterStart .. afterDone - 1 and 0 .. beforeDone - 1 need no job.
        std::int64_t afterStart = -1;
        std::int64_t afterDone = -1;
        std::int64_t beforeDone = 0;
    };
    void forgetScan();
    bool needsFile(std::int64_t i) const;
    void freeOutside(std::int64_t first, std::int64_t last);
    std::int64_t nextAfter(std::int64_t last);
    std::int64_t nextBefore(std::int64_t first);

    ProgramState& m_state;
    Collection& m_collection;
    // The one job whose thread object exists, or none. At most one at any time.
    TNewThread* m_currentJob = nullptr;
    // A BrowseArray came while a job ran: the chain restarts when that job ends.
    bool m_browsePending = false;
    // The running job's calls leave Walls alone (the job is being abandoned).
    bool m_abandoned = false;
    bool m_paused = false;
    ScanState m_scan;
    ThumbStats m_stats;
};

/// Cache window for the current entry: first .. last, before cutting at the
/// end of the collection.
struct CacheWindow {
    std::int64_t first;
    std::int64_t last;
};
CacheWindow CacheWindowFor(std::int32_t currentWall);
