#include "thumbs/thumbcache.h"

#include "collection/collection.h"
#include "collection/folderwalk.h"
#include "collection/state.h"
#include "collection/thumbpath.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "imaging/uprightthumbs.h"
#include "platform/memory.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <unordered_map>

namespace fs = std::filesystem;

Bitmap blankThumbnail() {
    Bitmap blank;
    blank.setSize(ThumbWidth, ThumbHeight);
    blank.setPixelFormat(PixelFormat::Bits24);
    return blank;
}

namespace {

bool isThumbSize(const Bitmap& b) {
    return b.width() == ThumbWidth && b.height() == ThumbHeight;
}

} // namespace

ThumbnailWorker::ThumbnailWorker(ThumbnailCache& cache, const std::string& dataFolder)
    : m_cache(cache), m_dataFolder(dataFolder) {
    // The thread's name, as the system's tools show it.
    setObjectName(QStringLiteral("Thumbnails"));
}

bool ThumbnailWorker::give(std::vector<WalkEntry>& entries, bool lookup) {
    const std::lock_guard lock(m_mutex);
    if (m_ended)
        return false;
    m_request = Request{std::move(entries), lookup};
    m_finish = false;
    m_wake.notify_one();
    return true;
}

void ThumbnailWorker::finish() {
    const std::lock_guard lock(m_mutex);
    m_request.reset();
    m_finish = true;
    m_wake.notify_one();
}

bool ThumbnailWorker::makeThumbnail() {
    ThumbStats& stats = m_cache.m_stats;
    ++stats.jobs;
    std::string cached = findThumbnailOnDisk(m_dataFolder, filename);
    // One cached before pictures were turned upright is made again for a turned picture.
    if (!cached.empty() &&
        thumbnailPredatesOrientation(platform::toFsPath(thumbnailFolder(m_dataFolder)),
                                     platform::toFsPath(cached), platform::toFsPath(filename)))
        cached.clear();
    if (!cached.empty()) {
        ++stats.cacheReads;
        // Only a thumbnail of the right size counts; anything else in its
        // place is made again from the picture.
        if (file2Bitmap(*originalBitmap, platform::toFsPath(cached)) &&
            isThumbSize(*originalBitmap)) {
            *thumbBitmap = std::move(*originalBitmap);
            return true;
        }
    }
    ++stats.pictureDecodes;
    const fs::path picture = platform::toFsPath(filename);
    // The picture is averaged onto the thumbnail as it is decoded, never held
    // whole where its kind allows.
    DecodeStatus status = file2BitmapAveraged(*thumbBitmap, picture);
    if (status == DecodeStatus::TooLarge) {
        // Refused for a resource limit is not damaged: decoded reduced, to no
        // less than the thumbnail's size.
        status = file2BitmapReduced(*originalBitmap, picture, ThumbWidth, ThumbHeight);
        if (status == DecodeStatus::Ok)
            myResizeBitmap(*originalBitmap, *thumbBitmap);
    }
    if (status == DecodeStatus::Undecodable)
        return false;
    if (status == DecodeStatus::TooLarge) {
        // Not even reduced: the entry stays, with a blank thumbnail, and no
        // file is cached, so that a later run tries again.
        *originalBitmap = Bitmap();
        return true;
    }
    // A reduced picture is no longer needed; its memory goes at once.
    *originalBitmap = Bitmap();
    const fs::path file = platform::toFsPath(thumbnailFileName(m_dataFolder, filename));
    try {
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        bitmap2Jpeg(*thumbBitmap, file);
    } catch (...) {
        // A read-only or full disk: the entry still gets its thumbnail, so
        // the chain moves on instead of making it again and again.
        ++stats.writeFailures;
    }
    return true;
}

void ThumbnailWorker::run() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_request || m_finish; });
            if (!m_request) {
                m_ended = true;
                return;
            }
            request = std::move(*m_request);
            m_request.reset();
        }
        if (request.lookup)
            runLookup(request.entries);
        else
            runJob(request.entries.front());
    }
}

void ThumbnailWorker::runJob(const WalkEntry& entry) {
    enum class Outcome { Made, Undecodable, Failed } outcome = Outcome::Failed;
    const auto started = std::chrono::steady_clock::now();
    ThumbnailCache* cache = &m_cache;
    try {
        filename = entry.path;
        anum = entry.num;
        originalBitmap = std::make_unique<Bitmap>();
        thumbBitmap = std::make_unique<Bitmap>(blankThumbnail());
    } catch (...) {
        originalBitmap.reset();
        thumbBitmap.reset();
    }
    if (originalBitmap && thumbBitmap) {
        originalBitmap->lock();
        thumbBitmap->lock();
        try {
            outcome = makeThumbnail() ? Outcome::Made : Outcome::Undecodable;
        } catch (...) {
            // Nothing escapes the worker. The entry gets a blank thumbnail, so
            // that the scheduler does not pick it again and again.
            try {
                *originalBitmap = Bitmap();
                *thumbBitmap = blankThumbnail();
                outcome = Outcome::Made;
            } catch (...) {
            }
        }
        originalBitmap->unlock();
        thumbBitmap->unlock();
        originalBitmap.reset();
    }
    m_cache.m_stats.jobNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now() - started)
                                          .count();
    if (outcome == Outcome::Made) {
        QMetaObject::invokeMethod(
            this,
            [this, cache] {
                if (cache->m_abandoned)
                    thumbBitmap.reset();
                else
                    cache->updatePreview(anum, filename, std::move(thumbBitmap));
            },
            Qt::BlockingQueuedConnection);
    } else if (outcome == Outcome::Undecodable) {
        QMetaObject::invokeMethod(
            this,
            [this, cache] {
                if (!cache->m_abandoned)
                    cache->removeUndecodable(anum, filename);
            },
            Qt::BlockingQueuedConnection);
    }
    thumbBitmap.reset();
    // The scheduler runs when the job has ended, as it would after a thread
    // of its own.
    QMetaObject::invokeMethod(
        this, [this, cache] { cache->requestEnded(this); }, Qt::QueuedConnection);
}

// Looks for the cached files of entries of the walk, in order, and stops at
// the first that has none (it needs a job) or when the time is up, so that
// the scheduler soon sees a move of the user's.
void ThumbnailWorker::runLookup(const std::vector<WalkEntry>& entries) {
    constexpr auto Budget = std::chrono::milliseconds(50);
    const auto deadline = std::chrono::steady_clock::now() + Budget;
    std::vector<WalkEntry> cached;
    std::optional<std::uint64_t> missing;
    try {
        cached.reserve(entries.size());
        // The cache's folders that hold many of these files are read once.
        std::vector<std::string> files;
        files.reserve(entries.size());
        std::unordered_map<std::string_view, int> perFolder;
        for (const WalkEntry& e : entries) {
            files.push_back(thumbnailFileName(m_dataFolder, e.path));
            ++perFolder[folderOf(files.back())];
        }
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const WalkEntry& e = entries[k];
            ++m_cache.m_stats.lookups;
            if (!hasFile(files[k], perFolder[folderOf(files[k])] >= ListedFolderMinimum)) {
                missing = e.id;
                break;
            }
            cached.push_back(WalkEntry{e.num, e.id, {}});
            if (std::chrono::steady_clock::now() >= deadline)
                break;
        }
    } catch (...) {
        // What was found stands; the rest is looked up again.
    }
    m_cache.m_stats.skipped += static_cast<long>(cached.size());
    ThumbnailCache* cache = &m_cache;
    QMetaObject::invokeMethod(
        this,
        [this, cache, cached = std::move(cached), missing] {
            cache->lookupEnded(this, cached, missing);
        },
        Qt::QueuedConnection);
}

// True when `file` exists as a regular file. A folder that holds many of the
// files asked for is read once for the walk; a name not found there is still
// looked up on its own, so the answer is always the file system's.
bool ThumbnailWorker::hasFile(const std::string& file, bool listFolder) {
    const std::string_view folder = folderOf(file);
    if (listFolder && !folder.empty()) {
        if (folder != m_listedFolder) {
            m_listedFolder = folder;
            m_listedFiles = regularFileNames(m_listedFolder);
        }
        if (m_listedFiles.contains(file.substr(folder.size() + 1)))
            return true;
    }
    return platform::isRegularFile(file);
}

ThumbnailCache::ThumbnailCache(ProgramState& state, Collection& collection, QObject* parent)
    : QObject(parent), m_state(state), m_collection(collection) {}

ThumbnailCache::~ThumbnailCache() {
    abandonThumbnailJob();
}

void ThumbnailCache::forgetScan() {
    m_scan = ScanState{};
    m_scan.data = m_state.walls.data();
    m_scan.size = m_state.walls.size();
}

bool ThumbnailCache::needsFile(std::int64_t i) const {
    const WallEntry& w = m_state.walls[i];
    return !w.preview && !w.wasLoad && !w.fileCached;
}

// Frees every preview outside first .. last.
void ThumbnailCache::freeOutside(std::int64_t first, std::int64_t last) {
    auto freeAt = [&](std::int64_t i) {
        if (m_state.isWallIndex(i) && (i < first || i > last))
            m_state.walls[i].preview.reset();
    };
    if (m_scan.windowFirst < 0) {
        for (std::int64_t i = 0; i < m_state.wallCount(); ++i)
            freeAt(i);
    } else {
        for (std::int64_t i = m_scan.windowFirst; i <= m_scan.windowLast; ++i)
            freeAt(i);
        for (std::int32_t i : m_scan.handed)
            freeAt(i);
    }
    m_scan.windowFirst = first;
    m_scan.windowLast = last;
    m_scan.handed.clear();
}

// The first entry after the window that needs a job, or -1.
std::int64_t ThumbnailCache::nextAfter(std::int64_t last) {
    const std::int64_t count = m_state.wallCount();
    std::int64_t i = last + 1;
    if (m_scan.afterStart >= 0 && m_scan.afterStart <= i && i <= m_scan.afterDone)
        i = m_scan.afterDone;
    else
        m_scan.afterStart = i;
    while (i < count && !needsFile(i))
        ++i;
    m_scan.afterDone = i;
    return i < count ? i : -1;
}

// The first entry before the window that needs a job, or -1.
std::int64_t ThumbnailCache::nextBefore(std::int64_t first) {
    const std::int64_t end = std::min<std::int64_t>(first, m_state.wallCount());
    std::int64_t i = m_scan.beforeDone;
    while (i < end && !needsFile(i))
        ++i;
    m_scan.beforeDone = i;
    return i < end ? i : -1;
}

// The entry a job's result belongs to: anum while it still holds the
// picture, else the first entry holding it; -1 when there is none.
std::int32_t ThumbnailCache::entryFor(std::int32_t anum, const std::string& filename) const {
    const auto& walls = m_state.walls;
    if (m_state.isWallIndex(anum) && walls[anum].path == filename)
        return anum;
    const auto it = std::find_if(walls.begin(), walls.end(),
                                 [&](const WallEntry& w) { return w.path == filename; });
    return it == walls.end() ? -1 : static_cast<std::int32_t>(it - walls.begin());
}

// The failure path: the picture cannot be decoded and has no usable cached
// thumbnail, so its entry leaves the collection, and the list file with the
// other removals of the walk (a folder of broken files would otherwise cost
// a rewrite of the whole list each).
void ThumbnailCache::removeUndecodable(std::int32_t anum, const std::string& filename) {
    const std::int32_t i = entryFor(anum, filename);
    if (i >= 0)
        m_collection.removeWallLater(i);
}

void ThumbnailCache::startJobFor(std::int32_t i) {
    const WallEntry& w = m_state.walls[i];
    std::vector<WalkEntry> entry;
    entry.push_back(WalkEntry{i, w.id, w.path});
    hand(std::move(entry), false);
    emit jobStarted(i);
}

// Hands a request to the walk's worker, starting one when there is none (or
// when the last one has already left its loop).
void ThumbnailCache::hand(std::vector<WalkEntry> entries, bool lookup) {
    m_state.cacheIdle = false;
    m_busy = true;
    if (m_worker && !m_worker->give(entries, lookup)) {
        // It has nothing left to do but end.
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
    }
    if (m_worker)
        return;
    auto* worker = new ThumbnailWorker(*this, m_state.dataFolder);
    m_worker = worker;
    // Queued to the user-interface thread, where the worker object lives;
    // dropped with the object.
    connect(worker, &QThread::finished, worker, [this, worker] { workerEnded(worker); });
    worker->give(entries, lookup);
    ++m_stats.workers;
    worker->start(QThread::LowPriority);
}

// Nothing (more) to do now: the worker's thread ends, and the removals of
// the walk reach the list file.
void ThumbnailCache::stopChain() {
    m_state.cacheIdle = true;
    if (m_worker)
        m_worker->finish();
    m_collection.writePendingList();
}

void ThumbnailCache::workerEnded(ThumbnailWorker* worker) {
    if (worker != m_worker)
        return;
    m_worker = nullptr;
    worker->deleteLater();
    // The pictures the walk decoded leave no memory behind.
    platform::releaseFreedMemory();
}

// The end of a job or a look-up, on the user-interface thread: the chain
// goes on (or restarts for a collection replaced meanwhile).
void ThumbnailCache::requestEnded(ThumbnailWorker* worker) {
    if (worker != m_worker || m_abandoned)
        return;
    m_busy = false;
    if (m_browsePending && !m_state.appClosing) {
        m_browsePending = false;
        m_state.cacheIdle = true;
        browseArray();
        return;
    }
    m_browsePending = false;
    threadDoneCache();
}

void ThumbnailCache::lookupEnded(ThumbnailWorker* worker, const std::vector<WalkEntry>& cached,
                                 std::optional<std::uint64_t> missing) {
    if (worker != m_worker || m_abandoned)
        return;
    // Entries that moved or left meanwhile are looked up again when the walk
    // reaches them.
    for (const WalkEntry& e : cached)
        if (m_state.isWallIndex(e.num) && m_state.walls[e.num].id == e.id)
            m_state.walls[e.num].fileCached = true;
    m_missingId = missing;
    requestEnded(worker);
}

// The walk reached entry i (before `end`): a job when it is the entry the last
// look-up stopped at, otherwise a look-up of the entries from i on.
void ThumbnailCache::walkTo(std::int64_t i, std::int64_t end) {
    if (m_missingId && *m_missingId == m_state.walls[i].id) {
        m_missingId.reset();
        return startJobFor(static_cast<std::int32_t>(i));
    }
    std::vector<WalkEntry> entries;
    for (std::int64_t j = i; j < end && entries.size() < std::size_t(LookupBatch); ++j)
        if (needsFile(j)) {
            const WallEntry& w = m_state.walls[j];
            entries.push_back(WalkEntry{static_cast<std::int32_t>(j), w.id, w.path});
        }
    hand(std::move(entries), true);
}

void ThumbnailCache::updatePreview(std::int32_t anum, const std::string& filename,
                                   std::unique_ptr<Bitmap> thumbBitmap) {
    if (m_state.walls.empty())
        return;
    const std::int32_t i = entryFor(anum, filename);
    if (i < 0)
        return;
    m_state.walls[i].preview = std::move(thumbBitmap);
    m_state.walls[i].wasLoad = true;
    m_scan.handed.push_back(i);
    const std::int64_t current = m_state.currentWall;
    if (current - 2 <= i && i <= current + 2)
        m_collection.jumpTo(m_state.currentWall);
}

CacheWindow cacheWindowFor(std::int32_t currentWall) {
    const std::int64_t s = std::max<std::int64_t>(std::int64_t(currentWall) - 2, 0);
    return s >= 5 ? CacheWindow{s - 5, s + 9} : CacheWindow{0, 14};
}

void ThumbnailCache::threadDoneCache() {
    if (m_busy)
        return; // its end schedules again
    if (m_state.appClosing || m_paused)
        return stopChain();
    if (m_state.walls.empty()) {
        stopChain();
        emit collectionEmpty();
        return;
    }
    if (m_scan.data != m_state.walls.data() || m_scan.size != m_state.walls.size())
        forgetScan();
    const std::int64_t count = m_state.wallCount();
    const std::int64_t s = std::max<std::int64_t>(std::int64_t(m_state.currentWall) - 2, 0);
    const auto [first, last] = cacheWindowFor(m_state.currentWall);
    auto needsPreview = [this](std::int64_t i) { return !m_state.walls[i].preview; };

    // The window, from the first visible entry onwards, then backwards.
    for (std::int64_t i = s; i <= last && i < count; ++i)
        if (needsPreview(i))
            return startJobFor(static_cast<std::int32_t>(i));
    // currentWall may lie past the end after a removal: only valid indices.
    for (std::int64_t i = std::min(s - 1, count - 1); i >= first && i >= 0; --i)
        if (needsPreview(i))
            return startJobFor(static_cast<std::int32_t>(i));

    // The window is complete: only its previews stay in memory.
    freeOutside(first, last);

    // Every other picture once, for its file in the cache; one whose file is
    // there already needs nothing.
    if (const std::int64_t i = nextAfter(last); i >= 0)
        return walkTo(i, count);
    if (const std::int64_t i = nextBefore(first); i >= 0)
        return walkTo(i, std::min<std::int64_t>(first, count));
    stopChain();
}

void ThumbnailCache::browseArray() {
    if (m_state.walls.empty()) {
        emit collectionEmpty();
        return;
    }
    if (!m_state.isWallIndex(m_state.currentWall))
        m_state.currentWall = 0;
    // A new collection, maybe in the same array: nothing learnt holds.
    m_scan.data = nullptr;
    m_missingId.reset();
    if (m_busy) {
        // One chain, one worker: this one starts when the older job ends.
        m_browsePending = true;
        return;
    }
    startJobFor(0);
}

void ThumbnailCache::abandonThumbnailJob() {
    m_browsePending = false;
    if (!m_worker)
        return;
    ThumbnailWorker* worker = m_worker;
    m_worker = nullptr;
    m_abandoned = true;
    worker->finish();
    // The job may be waiting for its hand-over: deliver it (as a no-op)
    // until the thread has ended.
    while (!worker->wait(QDeadlineTimer(20)))
        QCoreApplication::sendPostedEvents(worker, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(worker, QEvent::MetaCall);
    m_abandoned = false;
    delete worker;
    m_busy = false;
    m_state.cacheIdle = true;
}
