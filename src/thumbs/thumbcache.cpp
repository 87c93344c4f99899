#include "thumbs/thumbcache.h"

#include "collection/collection.h"
#include "collection/state.h"
#include "collection/thumbpath.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

Bitmap BlankThumbnail() {
    Bitmap blank;
    blank.setSize(ThumbWidth, ThumbHeight);
    blank.setPixelFormat(PixelFormat::Bits24);
    return blank;
}

namespace {

bool IsThumbSize(const Bitmap& b) {
    return b.width() == ThumbWidth && b.height() == ThumbHeight;
}

} // namespace

TNewThread::TNewThread(ThumbnailCache& cache, std::int32_t num, const std::string& fname,
                       const std::string& dataFolder)
    : filename(fname), bOriginal(std::make_unique<Bitmap>()),
      bFinal(std::make_unique<Bitmap>(BlankThumbnail())), anum(num), m_cache(cache),
      m_dataFolder(dataFolder) {}

bool TNewThread::makeThumbnail() {
    ThumbStats& stats = m_cache.m_stats;
    ++stats.jobs;
    const std::string cached = FindThumbnailHDD(m_dataFolder, filename);
    if (!cached.empty()) {
        ++stats.cacheReads;
        // Only a thumbnail of the right size counts; anything else in its
        // place is made again from the picture.
        if (File2Bitmap(*bOriginal, platform::toFsPath(cached)) && IsThumbSize(*bOriginal)) {
            *bFinal = std::move(*bOriginal);
            return true;
        }
    }
    ++stats.pictureDecodes;
    const fs::path picture = platform::toFsPath(filename);
    // The picture is averaged onto the thumbnail as it is decoded, never held
    // whole where its kind allows.
    DecodeStatus status = File2BitmapAveraged(*bFinal, picture);
    if (status == DecodeStatus::TooLarge) {
        // Refused for a resource limit is not damaged: decoded reduced, to no
        // less than the thumbnail's size.
        status = File2BitmapReduced(*bOriginal, picture, ThumbWidth, ThumbHeight);
        if (status == DecodeStatus::Ok)
            MyResizeBitmap(*bOriginal, *bFinal);
    }
    if (status == DecodeStatus::Undecodable)
        return false;
    if (status == DecodeStatus::TooLarge) {
        // Not even reduced: the entry stays, with a blank thumbnail, and no
        // file is cached, so that a later run tries again.
        *bOriginal = Bitmap();
        return true;
    }
    // A reduced picture is no longer needed; its memory goes at once.
    *bOriginal = Bitmap();
    const fs::path file = platform::toFsPath(ThumbnailFileName(m_dataFolder, filename));
    try {
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        Bitmap2Jpeg(*bFinal, file);
    } catch (...) {
        // A read-only or full disk: the entry still gets its thumbnail, so
        // the chain moves on instead of making it again and again.
        ++stats.writeFailures;
    }
    return true;
}

void TNewThread::run() {
    enum class Outcome { Made, Undecodable, Failed } outcome = Outcome::Failed;
    const auto started = std::chrono::steady_clock::now();
    bOriginal->lock();
    bFinal->lock();
    try {
        outcome = makeThumbnail() ? Outcome::Made : Outcome::Undecodable;
    } catch (...) {
        // Nothing escapes the worker. The entry gets a blank thumbnail, so
        // that the scheduler does not pick it again and again.
        try {
            *bOriginal = Bitmap();
            *bFinal = BlankThumbnail();
            outcome = Outcome::Made;
        } catch (...) {
        }
    }
    bOriginal->unlock();
    bFinal->unlock();
    m_cache.m_stats.jobNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now() - started)
                                          .count();
    ThumbnailCache* cache = &m_cache;
    if (outcome == Outcome::Made) {
        QMetaObject::invokeMethod(
            this,
            [this, cache] {
                if (cache->m_abandoned)
                    bFinal.reset();
                else
                    cache->UpdatePreview(anum, filename, std::move(bFinal));
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
    bFinal.reset();
}

ThumbnailCache::ThumbnailCache(ProgramState& state, Collection& collection, QObject* parent)
    : QObject(parent), m_state(state), m_collection(collection) {}

ThumbnailCache::~ThumbnailCache() {
    AbandonThumbnailJob();
}

void ThumbnailCache::forgetScan() {
    m_scan = ScanState{};
    m_scan.data = m_state.Walls.data();
    m_scan.size = m_state.Walls.size();
}

bool ThumbnailCache::needsFile(std::int64_t i) const {
    return !m_state.Walls[i].Preview && !m_state.Walls[i].WasLoad;
}

// Frees every preview outside first .. last.
void ThumbnailCache::freeOutside(std::int64_t first, std::int64_t last) {
    auto freeAt = [&](std::int64_t i) {
        if (m_state.IsWallIndex(i) && (i < first || i > last))
            m_state.Walls[i].Preview.reset();
    };
    if (m_scan.windowFirst < 0) {
        for (std::int64_t i = 0; i < m_state.WallCount(); ++i)
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
    const std::int64_t count = m_state.WallCount();
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
    const std::int64_t end = std::min<std::int64_t>(first, m_state.WallCount());
    std::int64_t i = m_scan.beforeDone;
    while (i < end && !needsFile(i))
        ++i;
    m_scan.beforeDone = i;
    return i < end ? i : -1;
}

// The entry a job's result belongs to: anum while it still holds the
// picture, else the first entry holding it; -1 when there is none.
std::int32_t ThumbnailCache::entryFor(std::int32_t anum, const std::string& filename) const {
    const auto& walls = m_state.Walls;
    if (m_state.IsWallIndex(anum) && walls[anum].Path == filename)
        return anum;
    const auto it = std::find_if(walls.begin(), walls.end(),
                                 [&](const TWall& w) { return w.Path == filename; });
    return it == walls.end() ? -1 : static_cast<std::int32_t>(it - walls.begin());
}

// The failure path: the picture cannot be decoded and has no usable cached
// thumbnail, so its entry leaves the collection and the list file.
void ThumbnailCache::removeUndecodable(std::int32_t anum, const std::string& filename) {
    const std::int32_t i = entryFor(anum, filename);
    if (i >= 0)
        m_collection.RemoveWall(i);
}

void ThumbnailCache::startJobFor(std::int32_t i) {
    m_state.CacheIdle = false;
    auto* job = new TNewThread(*this, i, m_state.Walls[i].Path, m_state.DataFolder);
    m_currentJob = job;
    // Queued to the user-interface thread, where the job object lives.
    connect(job, &QThread::finished, this, [this, job] { jobEnded(job); });
    emit jobStarted(i);
    job->start(QThread::LowPriority);
}

// The end of a job, on the user-interface thread: the thread has ended; the
// chain goes on (or restarts for a collection replaced meanwhile).
void ThumbnailCache::jobEnded(TNewThread* job) {
    if (job != m_currentJob)
        return;
    m_currentJob = nullptr;
    job->deleteLater();
    if (m_browsePending && !m_state.AppClosing) {
        m_browsePending = false;
        m_state.CacheIdle = true;
        BrowseArray();
        return;
    }
    m_browsePending = false;
    ThreadDoneCache();
}

void ThumbnailCache::UpdatePreview(std::int32_t anum, const std::string& filename,
                                   std::unique_ptr<Bitmap> bFinal) {
    if (m_state.Walls.empty())
        return;
    const std::int32_t i = entryFor(anum, filename);
    if (i < 0)
        return;
    m_state.Walls[i].Preview = std::move(bFinal);
    m_state.Walls[i].WasLoad = true;
    m_scan.handed.push_back(i);
    const std::int64_t current = m_state.CurrentWall;
    if (current - 2 <= i && i <= current + 2)
        m_collection.JumpToWall(m_state.CurrentWall);
}

CacheWindow CacheWindowFor(std::int32_t currentWall) {
    const std::int64_t s = std::max<std::int64_t>(std::int64_t(currentWall) - 2, 0);
    return s >= 5 ? CacheWindow{s - 5, s + 9} : CacheWindow{0, 14};
}

void ThumbnailCache::ThreadDoneCache() {
    if (m_currentJob)
        return; // its end schedules again
    if (m_state.AppClosing || m_paused) {
        m_state.CacheIdle = true;
        return;
    }
    if (m_state.Walls.empty()) {
        m_state.CacheIdle = true;
        emit collectionEmpty();
        return;
    }
    if (m_scan.data != m_state.Walls.data() || m_scan.size != m_state.Walls.size())
        forgetScan();
    const std::int64_t count = m_state.WallCount();
    const std::int64_t s = std::max<std::int64_t>(std::int64_t(m_state.CurrentWall) - 2, 0);
    const auto [first, last] = CacheWindowFor(m_state.CurrentWall);
    auto needsPreview = [this](std::int64_t i) { return !m_state.Walls[i].Preview; };

    // The window, from the first visible entry onwards, then backwards.
    for (std::int64_t i = s; i <= last && i < count; ++i)
        if (needsPreview(i))
            return startJobFor(static_cast<std::int32_t>(i));
    // CurrentWall may lie past the end after a removal: only valid indices.
    for (std::int64_t i = std::min(s - 1, count - 1); i >= first && i >= 0; --i)
        if (needsPreview(i))
            return startJobFor(static_cast<std::int32_t>(i));

    // The window is complete: only its previews stay in memory.
    freeOutside(first, last);

    // Every other picture once, for its file in the cache.
    if (const std::int64_t i = nextAfter(last); i >= 0)
        return startJobFor(static_cast<std::int32_t>(i));
    if (const std::int64_t i = nextBefore(first); i >= 0)
        return startJobFor(static_cast<std::int32_t>(i));
    m_state.CacheIdle = true;
}

void ThumbnailCache::BrowseArray() {
    if (m_state.Walls.empty()) {
        emit collectionEmpty();
        return;
    }
    if (!m_state.IsWallIndex(m_state.CurrentWall))
        m_state.CurrentWall = 0;
    // A new collection, maybe in the same array: nothing learnt holds.
    m_scan.data = nullptr;
    if (m_currentJob) {
        // One chain, one worker: this one starts when the older job ends.
        m_browsePending = true;
        return;
    }
    startJobFor(0);
}

void ThumbnailCache::AbandonThumbnailJob() {
    m_browsePending = false;
    if (!m_currentJob)
        return;
    TNewThread* job = m_currentJob;
    m_currentJob = nullptr;
    m_abandoned = true;
    // The job may be waiting for its hand-over: deliver it (as a no-op)
    // until the thread has ended.
    while (!job->wait(QDeadlineTimer(20)))
        QCoreApplication::sendPostedEvents(job, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(job, QEvent::MetaCall);
    m_abandoned = false;
    delete job;
    m_state.CacheIdle = true;
}
