// The thumbnail cache: one background request at a time makes the 197 x 123
// thumbnail of a picture (from its cached file when there is one) and writes
// it below the data folder's Thumbnail folder, or looks up which entries of
// the walk have their file there already; the scheduler on the
// user-interface thread hands each result to the collection and picks the
// next request. Requests run through QtConcurrent on a pool of one thread
// ("Thumbnails"), so one thread serves a whole walk.
//
// Everything here except ThumbnailWorker belongs to the user-interface
// thread. The worker never sees the collection: it gets copies of the
// entries it works on, and its results come back through a QFutureWatcher.
#pragma once

#include "collection/collection.h"
#include "imaging/bitmap.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

struct ProgramState;

/// Size of a thumbnail: the monitor's screen in the strip.
inline constexpr int ThumbWidth = 197;
inline constexpr int ThumbHeight = 123;

/// A thumbnail-sized picture of one colour (white), for a job that failed in
/// a way that must not make the scheduler pick the entry again and again.
Bitmap blankThumbnail();

/// What the workers did since the cache was made; counted on the worker
/// thread, read anywhere.
struct ThumbStats {
    std::atomic<long> jobs{0};                ///< jobs run
    std::atomic<long> cacheReads{0};          ///< cached thumbnail files decoded
    std::atomic<long> pictureDecodes{0};      ///< pictures decoded
    std::atomic<long> writeFailures{0};       ///< thumbnails that could not be written
    std::atomic<long long> jobNanoseconds{0}; ///< time spent making thumbnails
    std::atomic<long> workers{0};             ///< threads that served walks, counted once per walk
    std::atomic<long> lookups{0}; ///< entries of the walk whose cached file was looked for
    std::atomic<long> skipped{0}; ///< entries of the walk found cached: no job
};

/// One entry handed to the worker: its index when it was handed, its Id and
/// its picture's path.
struct WalkEntry {
    std::int32_t num = 0;
    std::uint64_t id = 0;
    std::string path;

    EntryRef ref() const { return EntryRef{num, id}; }
};

/// The work of the thumbnail requests, run on the pool's thread one request
/// at a time. Its own state (the folder listing it keeps between look-ups)
/// is private and only ever touched by the request that runs.
class ThumbnailWorker {
public:
    /// How a job ended.
    enum class Outcome {
        Made,        ///< the thumbnail is there (blank when nothing better could be had)
        Undecodable, ///< the picture cannot be decoded and has no cached thumbnail
        Failed,      ///< no memory even for the job: nothing to hand over
    };
    struct JobResult {
        WalkEntry entry;
        Outcome outcome = Outcome::Failed;
        std::unique_ptr<Bitmap> thumbnail;
        Qt::HANDLE thread = nullptr;
    };
    struct LookupResult {
        /// The entries found cached, in order.
        std::vector<EntryRef> cached;
        /// The entry the look-up stopped at: it has no cached file.
        std::optional<std::uint64_t> missing;
        Qt::HANDLE thread = nullptr;
    };

    explicit ThumbnailWorker(ThumbStats& stats) : m_stats(stats) {}

    /// Makes the thumbnail of the entry's picture, the cache below dataFolder.
    JobResult runJob(WalkEntry entry, const std::string& dataFolder);
    /// Looks for the cached files of entries of the walk, in order, and stops
    /// at the first that has none (it needs a job) or when its time is up, so
    /// that the scheduler soon sees a move of the user's.
    LookupResult runLookup(const std::vector<WalkEntry>& entries, const std::string& dataFolder);
    /// Lets go of the folder listing kept between look-ups (the walk is over).
    void forgetListing();

private:
    /// Makes the thumbnail into `thumb`; false when the picture cannot be decoded.
    bool makeThumbnail(const std::string& filename, const std::string& dataFolder, Bitmap& thumb);
    bool hasFile(const std::string& file, bool listFolder);

    // Folders holding at least this many of a look-up's files are read whole.
    static constexpr int ListedFolderMinimum = 16;

    ThumbStats& m_stats;
    // The regular files of the cache's folder read last.
    std::string m_listedFolder;
    std::unordered_set<std::string> m_listedFiles;
};

/// Where the thumbnail chain stands.
enum class ChainState {
    Idle,       ///< nothing is with the worker: the walk is done, stopped or not begun
    Working,    ///< a job or a look-up is with the worker
    Restarting, ///< working, and a new collection's walk begins when that request ends
};

class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    ThumbnailCache(ProgramState& state, Collection& collection, QObject* parent = nullptr);
    /// A request still running is let finish without its hand-over.
    ~ThumbnailCache() override;

    /// The hand-over of a finished thumbnail to its entry, wherever it moved
    /// meanwhile; dropped when the entry left the collection.
    void updatePreview(const EntryRef& entry, std::unique_ptr<Bitmap> thumbBitmap);

    /// The scheduler: starts the job for the next entry that needs one (the
    /// window of 15 around the current entry first), frees the previews
    /// outside the window, or goes idle when nothing is left, the program is
    /// closing or the chain is paused. Does nothing while a request runs.
    void threadDoneCache();

    /// Starts the chain for a freshly loaded or rebuilt collection with a job
    /// for entry 0. When an older request still runs, the new chain starts
    /// when that request ends, so that one request at most is out.
    void browseArray();

    /// Whether anyone looks at the strip (the main window shows). While
    /// nobody does, no previews are kept in memory, the window's included:
    /// the walk still makes the thumbnail files that are missing, and when
    /// the strip shows again the window's previews are read back from them,
    /// the visible slots first.
    void setStripShown(bool shown);
    bool stripShown() const { return m_stripShown; }

    /// While paused (the picture manager is showing) the scheduler starts no
    /// job; a running job finishes and hands its thumbnail over.
    void setPaused(bool paused) { m_paused = paused; }
    bool paused() const { return m_paused; }

    ChainState chainState() const { return m_chain; }
    /// No request is out: nothing of the walk is with the worker.
    bool idle() const { return m_chain == ChainState::Idle; }
    bool thumbnailJobRunning() const { return !idle(); }

    /// A running request is let finish without touching the collection (its
    /// hand-over is dropped) and the chain stops. Waits for the request.
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
    /// The picture at `path` cannot be read: its entry left the collection.
    void pictureUnreadable(const QString& path);

private:
    void startJobFor(std::int32_t i);
    template <class Result, class Work, class Done> void send(Work work, Done done);
    void stopChain();
    void requestEnded(Qt::HANDLE thread);
    void jobEnded(ThumbnailWorker::JobResult result);
    void lookupEnded(ThumbnailWorker::LookupResult result);
    void onCurrentChanged();

    // What the scheduler learnt on earlier runs, so that each run on a big
    // collection looks at a few entries instead of all of them. Indexes are
    // only trusted while the collection's layout stays the same: a removal
    // or a rebuild makes the next run look at every entry once.
    struct ScanState {
        std::optional<std::uint64_t> layout;
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
    ChainState m_chain = ChainState::Idle;
    bool m_paused = false;
    bool m_stripShown = true;
    // The watcher of the request that is out, or none.
    QPointer<QObject> m_watcher;
    // The thread that served the walk so far (the walk's worker count).
    std::optional<Qt::HANDLE> m_walkThread;
    // The last look-up stopped at this entry: it has no cached file.
    std::optional<std::uint64_t> m_missingId;
    ScanState m_scan;
    // Memory given back after a walk, on the worker too.
    QFuture<void> m_release;
    ThumbStats m_stats;
    // Used only by the request that runs, so never by two threads at once.
    ThumbnailWorker m_worker;
    // One thread: the requests run one after the other. Declared last, so
    // that it is gone (its request finished) before what the request uses.
    QThreadPool m_pool;
};

/// Cache window for the current entry: first .. last, before cutting at the
/// end of the collection.
struct CacheWindow {
    std::int64_t first;
    std::int64_t last;
};
CacheWindow cacheWindowFor(std::int32_t currentWall);
