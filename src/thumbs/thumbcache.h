// The thumbnail cache: one background job at a time makes the 197 x 123
// thumbnail of a picture (from its cached file when there is one), writes it
// below the data folder's Thumbnail folder and hands it to its entry of walls;
// the scheduler on the user-interface thread picks the next entry when a job
// ends. One worker thread serves a whole walk; it ends when the walk is done.
//
// Everything here except ThumbnailWorker::run() belongs to the user-interface
// thread. The worker reaches walls only through calls that it has the
// user-interface thread run while it waits.
#pragma once

#include "imaging/bitmap.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class Collection;
class ThumbnailCache;
struct ProgramState;

/// Size of a thumbnail: the monitor's screen in the strip.
inline constexpr int ThumbWidth = 197;
inline constexpr int ThumbHeight = 123;

/// A thumbnail-sized picture of one colour (white), for a job that failed in
/// a way that must not make the scheduler pick the entry again and again.
Bitmap blankThumbnail();

/// What the workers did since the cache was made; counted on the worker
/// threads, read anywhere.
struct ThumbStats {
    std::atomic<long> jobs{0};                ///< jobs run
    std::atomic<long> cacheReads{0};          ///< cached thumbnail files decoded
    std::atomic<long> pictureDecodes{0};      ///< pictures decoded
    std::atomic<long> writeFailures{0};       ///< thumbnails that could not be written
    std::atomic<long long> jobNanoseconds{0}; ///< time spent making thumbnails
    std::atomic<long> workers{0};             ///< worker threads started
    std::atomic<long> lookups{0}; ///< entries of the walk whose cached file was looked for
    std::atomic<long> skipped{0}; ///< entries of the walk found cached: no job
};

/// One entry handed to the worker: its index when it was handed, its Id and
/// its picture's path.
struct WalkEntry {
    std::int32_t num = 0;
    std::uint64_t id = 0;
    std::string path;
};

/// The worker of one walk: one thread that runs the jobs and the look-ups the
/// scheduler hands it, one at a time, and ends once the scheduler has nothing
/// more for it. The object frees itself after its thread has ended.
class ThumbnailWorker : public QThread {
public:
    ThumbnailWorker(ThumbnailCache& cache, const std::string& dataFolder);

    // The job being run; the worker's own until the hand-over.
    std::string filename;                   ///< full path of the picture
    std::unique_ptr<Bitmap> originalBitmap; ///< the decoded picture, private to the job
    std::unique_ptr<Bitmap> thumbBitmap;    ///< the thumbnail, 197 x 123, 24 bits
    std::int32_t anum = 0;                  ///< entry index when the job was made

    /// User-interface thread: hands the next request over, taking `entries`
    /// (a job when `lookup` is false: entries holds exactly one entry). False,
    /// and `entries` left alone, when the thread has already left its loop.
    bool give(std::vector<WalkEntry>& entries, bool lookup);
    /// User-interface thread: a request not yet taken is dropped, and the
    /// thread ends once the one it runs is done.
    void finish();

protected:
    void run() override;

private:
    struct Request {
        std::vector<WalkEntry> entries;
        bool lookup = false;
    };
    /// Makes the thumbnail; false when the picture cannot be decoded.
    bool makeThumbnail();
    void runJob(const WalkEntry& entry);
    void runLookup(const std::vector<WalkEntry>& entries);
    bool hasFile(const std::string& file, bool listFolder);

    // Folders holding at least this many of a look-up's files are read whole.
    static constexpr int ListedFolderMinimum = 16;

    ThumbnailCache& m_cache;
    const std::string m_dataFolder;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_request;
    bool m_finish = false;
    bool m_ended = false;
    // The regular files of the cache's folder read last (worker thread only).
    std::string m_listedFolder;
    std::unordered_set<std::string> m_listedFiles;
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
    void updatePreview(std::int32_t anum, const std::string& filename,
                       std::unique_ptr<Bitmap> thumbBitmap);

    /// The scheduler: starts the job for the next entry that needs one (the
    /// window of 15 around currentWall first), frees the previews outside the
    /// window, or sets cacheIdle when nothing is left, the program is closing
    /// or the chain is paused. Does nothing while a job runs.
    void threadDoneCache();

    /// Starts the chain for a freshly loaded or rebuilt collection with a job
    /// for entry 0. When an older job still runs, the new chain starts when
    /// that job ends, so that one worker at most exists.
    void browseArray();

    /// While paused (the picture manager is showing) the scheduler starts no
    /// job; a running job finishes and hands its thumbnail over.
    void setPaused(bool paused) { m_paused = paused; }
    bool paused() const { return m_paused; }

    /// True while the walk's worker thread object exists (from the first job
    /// to the end of its thread after the walk).
    bool thumbnailJobRunning() const { return m_worker != nullptr; }

    /// A running job is let finish without touching the collection (its
    /// hand-over is dropped) and the chain stops. Waits for the worker's thread.
    void abandonThumbnailJob();

    /// Entries of the walk looked up in one request at most.
    static constexpr int LookupBatch = 1024;

    ThumbStats& stats() { return m_stats; }

signals:
    /// A job was created for entry `num` (the tests and the benchmark record
    /// the order this way).
    void jobStarted(std::int32_t num);
    /// The collection is empty: the empty view.
    void collectionEmpty();

private:
    friend class ThumbnailWorker;

    void startJobFor(std::int32_t i);
    void hand(std::vector<WalkEntry> entries, bool lookup);
    void stopChain();
    void requestEnded(ThumbnailWorker* worker);
    void lookupEnded(ThumbnailWorker* worker, const std::vector<WalkEntry>& cached,
                     std::optional<std::uint64_t> missing);
    void workerEnded(ThumbnailWorker* worker);
    void removeUndecodable(std::int32_t anum, const std::string& filename);
    std::int32_t entryFor(std::int32_t anum, const std::string& filename) const;

    // What the scheduler learnt on earlier runs, so that each run on a big
    // collection looks at a few entries instead of all of them. Indexes are
    // only trusted while walls is the same array of the same size: a removal
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
    void walkTo(std::int64_t i, std::int64_t end);
    void freeOutside(std::int64_t first, std::int64_t last);
    std::int64_t nextAfter(std::int64_t last);
    std::int64_t nextBefore(std::int64_t first);

    ProgramState& m_state;
    Collection& m_collection;
    // The walk's worker, or none. At most one at any time.
    ThumbnailWorker* m_worker = nullptr;
    // A job or a look-up is with the worker.
    bool m_busy = false;
    // The last look-up stopped at this entry: it has no cached file.
    std::optional<std::uint64_t> m_missingId;
    // A browseArray came while a job ran: the chain restarts when that job ends.
    bool m_browsePending = false;
    // The running job's calls leave walls alone (the job is being abandoned).
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
CacheWindow cacheWindowFor(std::int32_t currentWall);
