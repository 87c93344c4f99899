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

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

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

bool ThumbnailWorker::makeThumbnail(const std::string& filename, const std::string& dataFolder,
                                    Bitmap& thumb) {
    ++m_stats.jobs;
    Bitmap original;
    std::string cached = findThumbnailOnDisk(dataFolder, filename);
    // One cached before pictures were turned upright is made again for a turned picture.
    if (!cached.empty() &&
        thumbnailPredatesOrientation(platform::toFsPath(thumbnailFolder(dataFolder)),
                                     platform::toFsPath(cached), platform::toFsPath(filename)))
        cached.clear();
    if (!cached.empty()) {
        ++m_stats.cacheReads;
        // Only a thumbnail of the right size counts; anything else in its
        // place is made again from the picture.
        if (file2Bitmap(original, platform::toFsPath(cached)) && isThumbSize(original)) {
            thumb = std::move(original);
            return true;
        }
    }
    ++m_stats.pictureDecodes;
    const fs::path picture = platform::toFsPath(filename);
    // The picture is averaged onto the thumbnail as it is decoded, never held
    // whole where its kind allows.
    DecodeStatus status = file2BitmapAveraged(thumb, picture);
    if (status == DecodeStatus::TooLarge) {
        // Refused for a resource limit is not damaged: decoded reduced, to no
        // less than the thumbnail's size.
        status = file2BitmapReduced(original, picture, ThumbWidth, ThumbHeight);
        if (status == DecodeStatus::Ok)
            myResizeBitmap(original, thumb);
    }
    if (status == DecodeStatus::Undecodable)
        return false;
    // A reduced picture is no longer needed; its memory goes at once.
    original = Bitmap();
    if (status == DecodeStatus::TooLarge) {
        // Not even reduced: the entry stays, with a blank thumbnail, and no
        // file is cached, so that a later run tries again.
        return true;
    }
    const fs::path file = platform::toFsPath(thumbnailFileName(dataFolder, filename));
    try {
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        bitmap2Jpeg(thumb, file);
    } catch (...) {
        // A read-only or full disk: the entry still gets its thumbnail, so
        // the chain moves on instead of making it again and again.
        ++m_stats.writeFailures;
    }
    return true;
}

ThumbnailWorker::JobResult ThumbnailWorker::runJob(WalkEntry entry, const std::string& dataFolder) {
    const auto started = std::chrono::steady_clock::now();
    JobResult result{std::move(entry), Outcome::Failed, nullptr, QThread::currentThreadId()};
    try {
        result.thumbnail = std::make_unique<Bitmap>(blankThumbnail());
        result.outcome = makeThumbnail(result.entry.path, dataFolder, *result.thumbnail)
                             ? Outcome::Made
                             : Outcome::Undecodable;
    } catch (...) {
        // Nothing escapes the worker. The entry gets a blank thumbnail, so
        // that the scheduler does not pick it again and again.
        try {
            result.thumbnail = std::make_unique<Bitmap>(blankThumbnail());
            result.outcome = Outcome::Made;
        } catch (...) {
            result.thumbnail.reset();
            result.outcome = Outcome::Failed;
        }
    }
    if (result.outcome != Outcome::Made)
        result.thumbnail.reset();
    m_stats.jobNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(
                                  std::chrono::steady_clock::now() - started)
                                  .count();
    return result;
}

ThumbnailWorker::LookupResult ThumbnailWorker::runLookup(const std::vector<WalkEntry>& entries,
                                                         const std::string& dataFolder) {
    constexpr auto Budget = std::chrono::milliseconds(50);
    const auto deadline = std::chrono::steady_clock::now() + Budget;
    LookupResult result;
    result.thread = QThread::currentThreadId();
    std::vector<EntryRef>& cached = result.cached;
    std::optional<std::uint64_t>& missing = result.missing;
    try {
        cached.reserve(entries.size());
        // The cache's folders that hold many of these files are read once.
        std::vector<std::string> files;
        files.reserve(entries.size());
        std::unordered_map<std::string_view, int> perFolder;
        for (const WalkEntry& e : entries) {
            files.push_back(thumbnailFileName(dataFolder, e.path));
            ++perFolder[folderOf(files.back())];
        }
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const WalkEntry& e = entries[k];
            ++m_stats.lookups;
            if (!hasFile(files[k], perFolder[folderOf(files[k])] >= ListedFolderMinimum)) {
                missing = e.id;
                break;
            }
            cached.push_back(e.ref());
            if (std::chrono::steady_clock::now() >= deadline)
                break;
        }
    } catch (...) {
        // What was found stands; the rest is looked up again.
    }
    m_stats.skipped += static_cast<long>(cached.size());
    return result;
}

void ThumbnailWorker::forgetListing() {
    m_listedFolder.clear();
    m_listedFiles = {};
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
    : QObject(parent), m_state(state), m_collection(collection), m_worker(m_stats) {
    // The thread's name, as the system's tools show it.
    m_pool.setObjectName(QStringLiteral("Thumbnails"));
    m_pool.setMaxThreadCount(1);
    m_pool.setThreadPriority(QThread::LowPriority);
    connect(&m_collection, &Collection::currentChanged, this, &ThumbnailCache::onCurrentChanged);
}

ThumbnailCache::~ThumbnailCache() {
    abandonThumbnailJob();
}

void ThumbnailCache::forgetScan() {
    m_scan = ScanState{};
    m_scan.layout = m_collection.layout();
}

bool ThumbnailCache::needsFile(std::int64_t i) const {
    const WallEntry& w = m_collection.entries()[i];
    return !w.preview && !w.wasLoad && !w.fileCached;
}

// Frees every preview outside first .. last.
void ThumbnailCache::freeOutside(std::int64_t first, std::int64_t last) {
    auto freeAt = [&](std::int64_t i) {
        if (i < first || i > last)
            m_collection.dropPreview(static_cast<std::int32_t>(i));
    };
    if (m_scan.windowFirst < 0) {
        for (std::int64_t i = 0; i < m_collection.count(); ++i)
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
    const std::int64_t count = m_collection.count();
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
    const std::int64_t end = std::min<std::int64_t>(first, m_collection.count());
    std::int64_t i = m_scan.beforeDone;
    while (i < end && !needsFile(i))
        ++i;
    m_scan.beforeDone = i;
    return i < end ? i : -1;
}

void ThumbnailCache::startJobFor(std::int32_t i) {
    const WallEntry& w = m_collection.entries()[i];
    send<ThumbnailWorker::JobResult>(
        [this, entry = WalkEntry{i, w.id, w.path}, folder = m_state.dataFolder]() mutable {
            return m_worker.runJob(std::move(entry), folder);
        },
        [this](ThumbnailWorker::JobResult result) { jobEnded(std::move(result)); });
    emit jobStarted(i);
}

// Runs `work` on the pool; `done` gets its result on this thread, unless the
// request was abandoned meanwhile.
template <class Result, class Work, class Done> void ThumbnailCache::send(Work work, Done done) {
    if (m_chain != ChainState::Restarting)
        m_chain = ChainState::Working;
    auto* watcher = new QFutureWatcher<Result>(this);
    m_watcher = watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, done] {
        watcher->deleteLater();
        if (m_watcher != watcher)
            return; // abandoned
        m_watcher = nullptr;
        done(watcher->future().takeResult());
    });
    watcher->setFuture(QtConcurrent::run(&m_pool, std::move(work)));
}

// Nothing (more) to do now: the chain rests, and the removals of the walk
// reach the list file.
void ThumbnailCache::stopChain() {
    m_chain = ChainState::Idle;
    m_collection.writePendingList();
    // The pictures the walk decoded, and the folder listing of its look-ups,
    // leave no memory behind.
    if (m_walkThread)
        m_release = QtConcurrent::run(&m_pool, [this] {
            m_worker.forgetListing();
            platform::releaseFreedMemory();
        });
    m_walkThread.reset();
}

// The end of a request, on the user-interface thread: the chain goes on (or
// restarts for a collection replaced meanwhile).
void ThumbnailCache::requestEnded(Qt::HANDLE thread) {
    if (m_walkThread != thread) {
        m_walkThread = thread;
        ++m_stats.workers;
    }
    const bool restart = m_chain == ChainState::Restarting;
    m_chain = ChainState::Idle;
    if (restart && !m_state.appClosing)
        return browseArray();
    threadDoneCache();
}

void ThumbnailCache::jobEnded(ThumbnailWorker::JobResult result) {
    using Outcome = ThumbnailWorker::Outcome;
    if (result.outcome == Outcome::Made)
        updatePreview(result.entry.ref(), std::move(result.thumbnail));
    else if (result.outcome == Outcome::Undecodable &&
             m_collection.indexOf(result.entry.ref()) >= 0) {
        // The picture cannot be decoded and has no usable cached thumbnail,
        // so its entry leaves the collection, and the list file with the
        // other removals of the walk (a folder of broken files would
        // otherwise cost a rewrite of the whole list each).
        m_collection.removeWallLater(result.entry.ref());
        emit pictureUnreadable(QString::fromStdString(result.entry.path));
    }
    requestEnded(result.thread);
}

void ThumbnailCache::lookupEnded(ThumbnailWorker::LookupResult result) {
    // Entries that moved or left meanwhile are looked up again when the walk
    // reaches them.
    for (const EntryRef& e : result.cached)
        m_collection.markFileCached(e);
    m_missingId = result.missing;
    requestEnded(result.thread);
}

// The walk reached entry i (before `end`): a job when it is the entry the last
// look-up stopped at, otherwise a look-up of the entries from i on.
void ThumbnailCache::walkTo(std::int64_t i, std::int64_t end) {
    if (m_missingId && *m_missingId == m_collection.entries()[i].id) {
        m_missingId.reset();
        return startJobFor(static_cast<std::int32_t>(i));
    }
    std::vector<WalkEntry> entries;
    for (std::int64_t j = i; j < end && entries.size() < std::size_t(LookupBatch); ++j)
        if (needsFile(j)) {
            const WallEntry& w = m_collection.entries()[j];
            entries.push_back(WalkEntry{static_cast<std::int32_t>(j), w.id, w.path});
        }
    send<ThumbnailWorker::LookupResult>(
        [this, entries = std::move(entries), folder = m_state.dataFolder] {
            return m_worker.runLookup(entries, folder);
        },
        [this](ThumbnailWorker::LookupResult result) { lookupEnded(std::move(result)); });
}

void ThumbnailCache::updatePreview(const EntryRef& entry, std::unique_ptr<Bitmap> thumbBitmap) {
    const std::int32_t i = m_collection.indexOf(entry);
    if (i < 0)
        return;
    m_collection.setPreview(EntryRef{i, entry.id}, std::move(thumbBitmap));
    m_scan.handed.push_back(i);
}

CacheWindow cacheWindowFor(std::int32_t currentWall) {
    const std::int64_t s = std::max<std::int64_t>(std::int64_t(currentWall) - 2, 0);
    return s >= 5 ? CacheWindow{s - 5, s + 9} : CacheWindow{0, 14};
}

void ThumbnailCache::threadDoneCache() {
    if (m_chain != ChainState::Idle)
        return; // its end schedules again
    if (m_state.appClosing || m_paused)
        return stopChain();
    if (m_collection.empty()) {
        stopChain();
        emit collectionEmpty();
        return;
    }
    if (m_scan.layout != m_collection.layout())
        forgetScan();
    const std::int64_t count = m_collection.count();
    const std::int32_t current = m_collection.current();
    const std::int64_t s = std::max<std::int64_t>(std::int64_t(current) - 2, 0);
    // Nobody looks at the strip: an empty window, so no preview stays.
    const auto [first, last] = m_stripShown ? cacheWindowFor(current) : CacheWindow{0, -1};
    auto needsPreview = [this](std::int64_t i) { return !m_collection.entries()[i].preview; };

    // The window, from the first visible entry onwards, then backwards.
    for (std::int64_t i = s; i <= last && i < count; ++i)
        if (needsPreview(i))
            return startJobFor(static_cast<std::int32_t>(i));
    // The current index may lie past the end after a removal: only valid indices.
    for (std::int64_t i = std::min({s - 1, count - 1, last}); i >= first && i >= 0; --i)
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
    if (m_collection.empty()) {
        emit collectionEmpty();
        return;
    }
    // A new collection, maybe of the same size: nothing learnt holds.
    m_scan.layout.reset();
    m_missingId.reset();
    if (m_chain != ChainState::Idle) {
        // One chain, one request at a time: this one starts when the older
        // request ends.
        m_chain = ChainState::Restarting;
        return;
    }
    m_walkThread.reset(); // a new walk
    startJobFor(0);
}

void ThumbnailCache::setStripShown(bool shown) {
    if (shown == m_stripShown)
        return;
    m_stripShown = shown;
    // Showing: the window's previews are made again. Hidden: they go at once,
    // unless a request is out (its end frees them).
    if (m_chain == ChainState::Idle && !m_collection.empty())
        threadDoneCache();
}

// A move of the user's: when the chain rests and a visible slot has no
// preview, the scheduler runs again (a running chain reaches it by itself).
void ThumbnailCache::onCurrentChanged() {
    if (m_chain != ChainState::Idle || !m_stripShown)
        return;
    for (std::int64_t i = std::int64_t(m_collection.current()) - 2,
                      end = std::int64_t(m_collection.current()) + 2;
         i <= end; ++i)
        if (m_collection.isIndex(i) && !m_collection.entries()[i].preview)
            return threadDoneCache();
}

void ThumbnailCache::abandonThumbnailJob() {
    if (m_chain == ChainState::Restarting)
        m_chain = ChainState::Working;
    // The request's hand-over is dropped: its watcher goes, and its result
    // with it.
    delete m_watcher.data();
    m_watcher = nullptr;
    m_pool.waitForDone();
    m_chain = ChainState::Idle;
    m_walkThread.reset();
}
