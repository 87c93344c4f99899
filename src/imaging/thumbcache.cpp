#include "imaging/thumbcache.h"

#include "collection/navigation.h"
#include "collection/state.h"
#include "collection/thumbpath.h"
#include "collection/walls.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

std::function<void(std::int32_t num)> OnThumbnailJob;

namespace {

// The one job whose thread object exists, or none. At most one at any time.
TNewThread* CurrentJob = nullptr;
// A BrowseArray came while a job ran: the chain restarts when that job ends.
bool BrowsePending = false;
// The window is being destroyed: the running job's calls leave Walls alone.
bool Abandoned = false;

// What the scheduler learnt on earlier runs, so that each run on a big
// collection looks at a few entries instead of all of them. Indexes are only
// trusted while Walls is the same array of the same size: a removal or a
// rebuild makes the next run look at every entry once.
struct ScanState {
    const TWall* data = nullptr;
    std::size_t size = 0;
    // The window when the previews outside it were last freed (none yet: -1),
    // and the entries handed a preview since then.
    std::int64_t windowFirst = -1;
    std::int64_t windowLast = -1;
    std::vector<std::int32_t> handed;
    // Entries afterStart .. afterDone - 1 and 0 .. beforeDone - 1 need no job.
    std::int64_t afterStart = -1;
    std::int64_t afterDone = -1;
    std::int64_t beforeDone = 0;
};
ScanState Scan;

void ForgetScan() {
    Scan = ScanState{};
    Scan.data = Walls.data();
    Scan.size = Walls.size();
}

bool NeedsFile(std::int64_t i) {
    return !Walls[i].Preview && !Walls[i].WasLoad;
}

// Frees every preview outside first .. last.
void FreeOutside(std::int64_t first, std::int64_t last) {
    const std::int64_t count = WallCount();
    auto freeAt = [&](std::int64_t i) {
        if (i >= 0 && i < count && (i < first || i > last))
            Walls[i].Preview.reset();
    };
    if (Scan.windowFirst < 0) {
        for (std::int64_t i = 0; i < count; ++i)
            freeAt(i);
    } else {
        for (std::int64_t i = Scan.windowFirst; i <= Scan.windowLast; ++i)
            freeAt(i);
        for (std::int32_t i : Scan.handed)
            freeAt(i);
    }
    Scan.windowFirst = first;
    Scan.windowLast = last;
    Scan.handed.clear();
}

// The first entry after the window that needs a job, or -1.
std::int64_t NextAfter(std::int64_t last) {
    const std::int64_t count = WallCount();
    std::int64_t i = last + 1;
    if (Scan.afterStart >= 0 && Scan.afterStart <= i && i <= Scan.afterDone)
        i = Scan.afterDone;
    else
        Scan.afterStart = i;
    while (i < count && !NeedsFile(i))
        ++i;
    Scan.afterDone = i;
    return i < count ? i : -1;
}

// The first entry before the window that needs a job, or -1.
std::int64_t NextBefore(std::int64_t first) {
    const std::int64_t end = std::min<std::int64_t>(first, WallCount());
    std::int64_t i = Scan.beforeDone;
    while (i < end && !NeedsFile(i))
        ++i;
    Scan.beforeDone = i;
    return i < end ? i : -1;
}

bool IsThumbSize(const Bitmap& b) {
    return b.width() == ThumbWidth && b.height() == ThumbHeight;
}

// The entry a job's result belongs to: anum while it still holds the
// picture, else the first entry holding it; -1 when there is none.
std::int32_t EntryFor(std::int32_t anum, const std::string& filename) {
    if (anum >= 0 && anum < WallCount() && Walls[anum].Path == filename)
        return anum;
    const auto it = std::find_if(Walls.begin(), Walls.end(),
                                 [&](const TWall& w) { return w.Path == filename; });
    return it == Walls.end() ? -1 : static_cast<std::int32_t>(it - Walls.begin());
}

// The failure path: the picture cannot be decoded and has no usable cached
// thumbnail, so its entry leaves the collection and the list file.
void RemoveUndecodable(std::int32_t anum, const std::string& filename) {
    const std::int32_t i = EntryFor(anum, filename);
    if (i < 0)
        return;
    try {
        DeleteWall(i);
    } catch (const ListFileError& e) {
        if (Ui.reportError)
            Ui.reportError(e.what());
    }
}

void StartJobFor(std::int32_t i) {
    TNewThread::Create(i, Walls[i].Path);
}

// The end of a job, on the user-interface thread: the thread has ended; the
// chain goes on (or restarts for a collection replaced meanwhile).
void JobEnded(TNewThread* job) {
    if (job != CurrentJob)
        return;
    CurrentJob = nullptr;
    job->deleteLater();
    if (BrowsePending && !AppClosing) {
        BrowsePending = false;
        CacheIdle = true;
        BrowseArray();
        return;
    }
    BrowsePending = false;
    ThreadDoneCache();
}

} // namespace

ThumbStats& ThumbnailStats() {
    static ThumbStats stats;
    return stats;
}

TNewThread::TNewThread(std::int32_t num, const std::string& fname)
    : filename(fname), bOriginal(std::make_unique<Bitmap>()), bFinal(std::make_unique<Bitmap>()),
      anum(num) {
    bFinal->setSize(ThumbWidth, ThumbHeight);
    bFinal->setPixelFormat(PixelFormat::Bits24);
}

void TNewThread::Create(std::int32_t num, const std::string& fname) {
    CacheIdle = false;
    auto* job = new TNewThread(num, fname);
    CurrentJob = job;
    // Queued to the user-interface thread, where the job object lives.
    QObject::connect(job, &QThread::finished, job, [job] { JobEnded(job); });
    if (OnThumbnailJob)
        OnThumbnailJob(num);
    job->start(QThread::LowPriority);
}

bool TNewThread::makeThumbnail() {
    ThumbStats& stats = ThumbnailStats();
    ++stats.jobs;
    const std::string cached = FindThumbnailHDD(filename);
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
    if (!File2Bitmap(*bOriginal, platform::toFsPath(filename)))
        return false;
    MyResizeBitmap(*bOriginal, *bFinal);
    // The full picture is no longer needed; its memory goes at once.
    *bOriginal = Bitmap();
    const fs::path file = platform::toFsPath(ThumbnailFileName(filename));
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
            Bitmap blank;
            blank.setSize(ThumbWidth, ThumbHeight);
            blank.setPixelFormat(PixelFormat::Bits24);
            *bFinal = std::move(blank);
            outcome = Outcome::Made;
        } catch (...) {
        }
    }
    bOriginal->unlock();
    bFinal->unlock();
    ThumbnailStats().jobNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(
                                           std::chrono::steady_clock::now() - started)
                                           .count();
    if (outcome == Outcome::Made) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (Abandoned)
                    bFinal.reset();
                else
                    UpdatePreview(anum, filename, std::move(bFinal));
            },
            Qt::BlockingQueuedConnection);
    } else if (outcome == Outcome::Undecodable) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!Abandoned)
                    RemoveUndecodable(anum, filename);
            },
            Qt::BlockingQueuedConnection);
    }
    bFinal.reset();
}

void UpdatePreview(std::int32_t anum, const std::string& filename, std::unique_ptr<Bitmap> bFinal) {
    if (Walls.empty())
        return;
    const std::int32_t i = EntryFor(anum, filename);
    if (i < 0)
        return;
    Walls[i].Preview = std::move(bFinal);
    Walls[i].WasLoad = true;
    Scan.handed.push_back(i);
    const std::int64_t current = CurrentWall;
    if (current - 2 <= i && i <= current + 2)
        JumpToWall(CurrentWall);
}

CacheWindow CacheWindowFor(std::int32_t currentWall) {
    const std::int64_t s = std::max<std::int64_t>(std::int64_t(currentWall) - 2, 0);
    return s >= 5 ? CacheWindow{s - 5, s + 9} : CacheWindow{0, 14};
}

void ThreadDoneCache() {
    if (CurrentJob)
        return; // its end schedules again
    if (AppClosing || (Ui.managerShowing && Ui.managerShowing())) {
        CacheIdle = true;
        return;
    }
    if (Walls.empty()) {
        CacheIdle = true;
        if (Ui.clearInfo)
            Ui.clearInfo();
        return;
    }
    if (Scan.data != Walls.data() || Scan.size != Walls.size())
        ForgetScan();
    const std::int64_t count = WallCount();
    const std::int64_t s = std::max<std::int64_t>(std::int64_t(CurrentWall) - 2, 0);
    const auto [first, last] = CacheWindowFor(CurrentWall);
    auto needsPreview = [](std::int64_t i) { return !Walls[i].Preview; };

    // The window, from the first visible entry onwards, then backwards.
    for (std::int64_t i = s; i <= last && i < count; ++i)
        if (needsPreview(i))
            return StartJobFor(static_cast<std::int32_t>(i));
    // CurrentWall may lie past the end after a removal: only valid indices.
    for (std::int64_t i = std::min(s - 1, count - 1); i >= first && i >= 0; --i)
        if (needsPreview(i))
            return StartJobFor(static_cast<std::int32_t>(i));

    // The window is complete: only its previews stay in memory.
    FreeOutside(first, last);

    // Every other picture once, for its file in the cache.
    if (const std::int64_t i = NextAfter(last); i >= 0)
        return StartJobFor(static_cast<std::int32_t>(i));
    if (const std::int64_t i = NextBefore(first); i >= 0)
        return StartJobFor(static_cast<std::int32_t>(i));
    CacheIdle = true;
}

void BrowseArray() {
    if (Walls.empty()) {
        if (Ui.clearInfo)
            Ui.clearInfo();
        return;
    }
    if (CurrentWall < 0 || CurrentWall >= WallCount())
        CurrentWall = 0;
    // A new collection, maybe in the same array: nothing learnt holds.
    Scan.data = nullptr;
    if (CurrentJob) {
        // One chain, one worker: this one starts when the older job ends.
        BrowsePending = true;
        return;
    }
    StartJobFor(0);
}

bool ThumbnailJobRunning() {
    return CurrentJob != nullptr;
}

void AbandonThumbnailJob() {
    BrowsePending = false;
    if (!CurrentJob)
        return;
    TNewThread* job = CurrentJob;
    CurrentJob = nullptr;
    Abandoned = true;
    // The job may be waiting for its hand-over: deliver it (as a no-op)
    // until the thread has ended.
    while (!job->wait(QDeadlineTimer(20)))
        QCoreApplication::sendPostedEvents(job, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(job, QEvent::MetaCall);
    Abandoned = false;
    delete job;
    CacheIdle = true;
}
