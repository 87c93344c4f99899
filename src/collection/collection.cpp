#include "collection/collection.h"

#include "collection/state.h"
#include "collection/walls.h"
#include "imaging/codecs.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/wallpaper.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

Collection::Collection(ProgramState& state, QObject* parent) : QObject(parent), m_state(state) {
    m_listTimer.setSingleShot(true);
    m_listTimer.setInterval(ListWriteDelayMs);
    connect(&m_listTimer, &QTimer::timeout, this, [this] { writePendingList(); });
    m_applyPool.setMaxThreadCount(1);
    m_rasterTimer.setSingleShot(true);
    m_rasterTimer.setInterval(KeepRastersMs);
    connect(&m_rasterTimer, &QTimer::timeout, this, [] {
        keepFreedRasters(false);
        platform::releaseFreedMemory();
    });
}

Collection::~Collection() {
    m_applyPool.waitForDone();
    m_wallpaperWriter.wait();
    keepFreedRasters(false);
}

WallEntry Collection::makeEntry(std::string path) {
    return WallEntry{.path = std::move(path),
                     .preview = nullptr,
                     .id = ++m_lastId,
                     .wasLoad = false,
                     .fileCached = false};
}

std::int32_t Collection::indexOf(const EntryRef& ref) const {
    if (isIndex(ref.index) && m_entries[ref.index].id == ref.id)
        return ref.index;
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const WallEntry& w) { return w.id == ref.id; });
    return it == m_entries.end() ? -1 : static_cast<std::int32_t>(it - m_entries.begin());
}

std::vector<std::string> Collection::paths() const {
    std::vector<std::string> paths;
    paths.reserve(m_entries.size());
    for (const WallEntry& w : m_entries)
        paths.push_back(w.path);
    return paths;
}

void Collection::add(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    m_entries.reserve(m_entries.size() + paths.size());
    for (const std::string& p : paths)
        m_entries.push_back(makeEntry(p));
    ++m_layout;
    emit entriesChanged();
}

bool Collection::append(const std::vector<std::string>& paths) {
    add(paths);
    try {
        writeWallList(m_state, this->paths(), m_unavailable);
        listWritten();
        return true;
    } catch (const ListFileError& e) {
        emit errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
}

void Collection::clear() {
    m_entries.clear();
    m_unavailable.clear();
    ++m_layout;
    emit entriesChanged();
}

void Collection::setPreview(const EntryRef& ref, std::unique_ptr<Bitmap> preview) {
    const std::int32_t i = indexOf(ref);
    if (i < 0)
        return;
    m_entries[i].preview = std::move(preview);
    m_entries[i].wasLoad = true;
    emit previewChanged(i);
}

void Collection::dropPreview(std::int32_t index) {
    if (isIndex(index))
        m_entries[index].preview.reset();
}

void Collection::dropAllPreviews() {
    for (WallEntry& w : m_entries)
        w.preview.reset();
}

void Collection::markFileCached(const EntryRef& ref) {
    // Only where the entry still is: one that moved is looked up again when
    // the walk reaches it.
    if (isIndex(ref.index) && m_entries[ref.index].id == ref.id)
        m_entries[ref.index].fileCached = true;
}

bool Collection::moveCurrent(std::int32_t numWall) {
    if (m_entries.empty())
        return false;
    const std::int32_t target = isIndex(numWall) ? numWall : 0;
    if (target != m_current)
        ++m_selection;
    m_current = target;
    return true;
}

void Collection::jumpTo(std::int32_t numWall) {
    if (moveCurrent(numWall))
        emit currentChanged();
}

void Collection::restoreCurrent(std::int32_t index) {
    m_current = (m_entries.empty() || isIndex(index)) ? index : 0;
}

namespace {

// The current index + delta, computed without overflow: a result outside the 32-bit
// range comes back as -1, which jumpTo treats like any target out of range.
std::int32_t stepFrom(std::int32_t current, std::int32_t delta) {
    const std::int64_t n = static_cast<std::int64_t>(current) + delta;
    return (n < INT32_MIN || n > INT32_MAX) ? -1 : static_cast<std::int32_t>(n);
}

} // namespace

void Collection::runWallCommand(WallCommand command, bool apply) {
    std::int32_t target = 0;
    switch (command) {
    case WallCommand::First:
        target = 0;
        break;
    case WallCommand::Previous:
        target = stepFrom(m_current, -1);
        break;
    case WallCommand::Random:
        target = m_state.randomIndex(count());
        break;
    case WallCommand::Next:
        target = stepFrom(m_current, 1);
        break;
    case WallCommand::Last:
        target = count() - 1;
        break;
    }
    if (!moveCurrent(target))
        return;
    // The picture's apply starts before the strip is drawn for the new place:
    // the two then run side by side.
    if (apply)
        setWallpaper(m_current);
    emit currentChanged();
}

namespace {

// The file that keeps monitor `k`'s own picture: the wallpaper file itself
// for the first monitor (desktops that read one file show that one), then
// "Wallpaper-2.bmp", "Wallpaper-3.bmp", ... beside it.
fs::path monitorFile(const fs::path& wallpaper, std::size_t k) {
    if (k == 0)
        return wallpaper;
    fs::path name = wallpaper.stem();
    name += "-" + std::to_string(k + 1);
    name += wallpaper.extension();
    return wallpaper.parent_path() / name;
}

// The picture of all monitors together, for a desktop that spreads one
// picture over them.
fs::path composedFile(const fs::path& wallpaper) {
    return wallpaper.parent_path() / "Spanned.bmp";
}

// More monitors than this on one desktop are no real layout; files of
// monitors beyond it are never made.
constexpr std::size_t MaxMonitors = 16;

// Removes the files of monitors' own pictures: every monitor shows the
// wallpaper file now. (With a picture on each monitor they stay while only
// one monitor is left: the others get theirs back when they return.)
void removeMonitorFiles(const fs::path& wallpaper) {
    std::error_code ec;
    for (std::size_t k = 1; k < MaxMonitors; ++k)
        fs::remove(monitorFile(wallpaper, k), ec);
    fs::remove(composedFile(wallpaper), ec);
}

// The monitors to place pictures on: the platform's own list, else the
// toolkit's, at most MaxMonitors.
std::vector<platform::Monitor> currentMonitors(const std::vector<platform::Monitor>& toolkit) {
    std::vector<platform::Monitor> monitors = platform::desktopMonitors().value_or(toolkit);
    if (monitors.size() > MaxMonitors)
        monitors.resize(MaxMonitors);
    return monitors;
}

// What the picture is reduced to cover before it is shown: every monitor (both as the
// desktop and as the toolkit count them, so that neither's idea of a monitor's pixels is
// short-changed), or all of them together for Span; nothing for the placements that show
// the picture's own pixels.
ScreenFit screenFit(PlacementMode mode, const std::vector<platform::Monitor>& monitors,
                    const std::vector<platform::Monitor>& toolkit) {
    ScreenFit fit;
    if (mode == PlacementMode::Center || mode == PlacementMode::Tile)
        return fit;
    for (const std::vector<platform::Monitor>* list : {&monitors, &toolkit}) {
        if (list->empty())
            continue;
        if (mode != PlacementMode::Span) {
            for (const platform::Monitor& m : *list)
                fit.areas.push_back(m.area);
            continue;
        }
        Rect all = list->front().area;
        for (const platform::Monitor& m : *list)
            all = {std::min(all.left, m.area.left), std::min(all.top, m.area.top),
                   std::max(all.right, m.area.right), std::max(all.bottom, m.area.bottom)};
        fit.areas.push_back(all);
    }
    return fit;
}

} // namespace

void Collection::setToolkitMonitors(std::vector<platform::Monitor> monitors) {
    m_toolkitMonitors = std::move(monitors);
}

int Collection::monitorShowing(std::int32_t index) const {
    if (!isIndex(index))
        return -1;
    const auto it =
        std::find(m_monitorEntries.begin(), m_monitorEntries.end(), m_entries[index].id);
    return it == m_monitorEntries.end() ? -1 : int(it - m_monitorEntries.begin());
}

Collection::ApplyJob Collection::applyJob() const {
    ApplyJob job;
    job.wallpaperFile = m_state.wallpaperFile;
    job.placement = {m_state.placement, m_state.backgroundColor};
    // One picture over all monitors has no picture per monitor.
    job.perMonitor = m_state.perMonitor && m_state.placement != PlacementMode::Span;
    job.turn = m_monitorTurn;
    job.toolkitMonitors = m_toolkitMonitors;
    return job;
}

void Collection::setWallpaper(std::int32_t numWall) {
    if (!isIndex(numWall))
        return;
    const std::string path = m_entries[numWall].path;
    if (!platform::isRegularFile(path)) {
        emit applyFailed(QString::fromStdString(path));
        return;
    }
    // The full change interval counts from every applied picture, also when
    // the decode fails.
    emit applyStarted();
    // The pictures of applies in a row reuse each other's memory (a fresh raster costs the
    // clearing of all its pages); it goes back once they stop.
    keepFreedRasters(true);
    m_rasterTimer.start();
    ApplyJob job = applyJob();
    job.generation = ++m_applyGeneration;
    job.path = path;
    // Each apply gives the next monitor its turn.
    if (job.perMonitor)
        ++m_monitorTurn;
    ++m_appliesInFlight;
    auto* watcher = new QFutureWatcher<ApplyResult>(this);
    connect(watcher, &QFutureWatcher<ApplyResult>::finished, this,
            [this, watcher, path, generation = job.generation, id = m_entries[numWall].id] {
                const ApplyResult result = watcher->result();
                watcher->deleteLater();
                m_rasterTimer.start();
                if (!result.shown) {
                    if (generation == m_applyGeneration.load())
                        emit applyFailed(QString::fromStdString(path));
                    return;
                }
                if (result.monitor >= 0) {
                    m_monitorEntries.resize(std::size_t(result.monitors), 0);
                    m_monitorEntries[std::size_t(result.monitor)] = id;
                } else {
                    m_monitorEntries.clear();
                }
                emit monitorsChanged();
                emit applied(QString::fromStdString(path));
            });
    watcher->setFuture(QtConcurrent::run(&m_applyPool, [this, job = std::move(job)] {
        const ApplyResult result = applyOnWorker(job);
        // Counted down once a background write is queued, so that the close
        // sees no gap between the two.
        --m_appliesInFlight;
        return result;
    }));
}

Collection::ApplyResult Collection::applyOnWorker(const ApplyJob& job) {
    const auto superseded = [&] { return job.generation != m_applyGeneration.load(); };
    if (superseded())
        return {};
    // Declared before the picture, so that it runs once the picture is gone.
    struct ReleaseOnReturn {
        ~ReleaseOnReturn() { platform::releaseFreedMemory(); }
    } release;
    Bitmap b;
    const fs::path picture = platform::toFsPath(job.path);
    const std::vector<platform::Monitor> monitors = currentMonitors(job.toolkitMonitors);
    // Decoded no larger than the monitors need: the desktop shows, and the wallpaper file
    // keeps, the picture at the size it is seen.
    DecodeStatus status = file2BitmapForScreen(
        b, picture, screenFit(job.placement.mode, monitors, job.toolkitMonitors));
    // A picture refused for the raster limit is applied reduced to fit it.
    if (status == DecodeStatus::TooLarge)
        status = file2BitmapReduced(b, picture);
    if (status != DecodeStatus::Ok || superseded())
        return {};
    if (job.perMonitor && monitors.size() > 1)
        return applyToMonitor(job, b, monitors);
    const fs::path wallpaperPath = platform::toFsPath(job.wallpaperFile);
    // Where the program paints the desktop itself (on a connection of its
    // own, so from any thread), the picture shows at once and its file
    // follows in the background; a failed write is silent.
    if (platform::paintDesktopWallpaper(job.wallpaperFile, b, job.placement)) {
        m_wallpaperWriter.write(std::move(b), wallpaperPath);
        if (!job.perMonitor)
            removeMonitorFiles(wallpaperPath);
        return {true};
    }
    // A desktop that reads the file gets it once it is complete (and no
    // older background write may land after it). Its settings service or
    // program is called from here too: the UI thread never waits for it.
    m_wallpaperWriter.wait();
    try {
        b.saveToFile(wallpaperPath);
    } catch (const std::exception&) {
        return {};
    }
    if (superseded())
        return {};
    platform::setDesktopWallpaper(job.wallpaperFile, job.placement);
    if (!job.perMonitor)
        removeMonitorFiles(wallpaperPath);
    return {true};
}

Collection::ApplyResult Collection::applyToMonitor(const ApplyJob& job, Bitmap& picture,
                                                   const std::vector<platform::Monitor>& monitors) {
    const fs::path wallpaperPath = platform::toFsPath(job.wallpaperFile);
    const std::size_t target = job.turn % monitors.size();
    // The other monitors keep their pictures, read from their files: any
    // write of one still running ends first.
    m_wallpaperWriter.wait();
    std::vector<platform::MonitorPicture> pictures;
    std::vector<fs::path> missing;
    for (std::size_t k = 0; k < monitors.size(); ++k) {
        const fs::path file = monitorFile(wallpaperPath, k);
        platform::MonitorPicture p{monitors[k], platform::fromFsPath(file), nullptr};
        // A monitor without a picture of its own yet (the first apply, a
        // monitor just added) takes this one too, and keeps it.
        std::error_code ec;
        if (k == target) {
            p.picture = &picture;
        } else if (!fs::is_regular_file(file, ec)) {
            p.picture = &picture;
            missing.push_back(file);
        }
        pictures.push_back(std::move(p));
    }
    const fs::path targetFile = monitorFile(wallpaperPath, target);
    const auto writeMissing = [&] {
        // The same picture under the other names: links where the file
        // system has them (each is replaced by a write of its own later).
        for (const fs::path& file : missing) {
            std::error_code ec;
            fs::create_hard_link(targetFile, file, ec);
            if (ec)
                fs::copy_file(targetFile, file, fs::copy_options::overwrite_existing, ec);
        }
    };
    const ApplyResult shown{true, int(target), int(monitors.size())};
    if (missing.empty() && platform::paintMonitorWallpapers(pictures, job.placement)) {
        m_wallpaperWriter.write(std::move(picture), targetFile);
        return shown;
    }
    try {
        picture.saveToFile(targetFile);
    } catch (const std::exception&) {
        return {};
    }
    writeMissing();
    if (job.generation != m_applyGeneration.load())
        return {};
    if (!platform::paintMonitorWallpapers(pictures, job.placement))
        platform::setMonitorWallpapers(pictures, platform::fromFsPath(composedFile(wallpaperPath)),
                                       job.placement);
    return shown;
}

void Collection::placeAgain(bool onlyWhileShown) {
    // Counted as an apply, so that the close waits for it.
    ++m_appliesInFlight;
    (void)QtConcurrent::run(&m_applyPool, [this, job = applyJob(), onlyWhileShown] {
        placeAgainOnWorker(job, onlyWhileShown);
        --m_appliesInFlight;
    });
}

void Collection::placeAgainOnWorker(const ApplyJob& job, bool onlyWhileShown) {
    m_wallpaperWriter.wait();
    const fs::path wallpaperPath = platform::toFsPath(job.wallpaperFile);
    std::error_code ec;
    if (!fs::is_regular_file(wallpaperPath, ec))
        return;
    // A wallpaper another program set since is none of the program's files.
    if (onlyWhileShown) {
        const std::string shown = platform::getWallpaperName();
        if (shown.empty() || platform::toFsPath(shown).parent_path() != wallpaperPath.parent_path())
            return;
    }
    const std::vector<platform::Monitor> monitors =
        job.perMonitor ? currentMonitors(job.toolkitMonitors) : std::vector<platform::Monitor>{};
    if (monitors.size() <= 1) {
        platform::setDesktopWallpaper(job.wallpaperFile, job.placement);
        return;
    }
    // A monitor without its own file shows the first monitor's picture.
    std::vector<platform::MonitorPicture> pictures;
    for (std::size_t k = 0; k < monitors.size(); ++k) {
        const fs::path file = monitorFile(wallpaperPath, k);
        pictures.push_back(
            {monitors[k],
             platform::fromFsPath(fs::is_regular_file(file, ec) ? file : wallpaperPath), nullptr});
    }
    platform::setMonitorWallpapers(pictures, platform::fromFsPath(composedFile(wallpaperPath)),
                                   job.placement);
}

bool Collection::wallpaperWriteIdle() const {
    return m_appliesInFlight == 0 && !m_wallpaperWriter.busy();
}

void Collection::waitForWallpaperWrite() {
    m_applyPool.waitForDone();
    m_wallpaperWriter.wait();
}

// Removes the entry and its cached thumbnail file.
void Collection::eraseEntry(std::int32_t index) {
    removeCachedThumbnail(m_state, m_entries[index].path);
    m_entries.erase(m_entries.begin() + index);
    ++m_layout;
    emit entriesChanged();
}

bool Collection::removeWall(std::int32_t index) {
    if (!isIndex(index))
        return true;
    eraseEntry(index);
    try {
        writeWallList(m_state, paths(), m_unavailable);
        listWritten();
        return true;
    } catch (const ListFileError& e) {
        emit errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
}

void Collection::removeWallLater(const EntryRef& ref) {
    const std::int32_t index = indexOf(ref);
    if (index < 0)
        return;
    eraseEntry(index);
    m_listPending = true;
    // Counted from the first removal that waits, so that a steady stream of
    // them is written once a second.
    if (!m_listTimer.isActive())
        m_listTimer.start();
}

bool Collection::writePendingList() {
    if (!m_listPending)
        return true;
    m_listTimer.stop();
    try {
        writeWallList(m_state, paths(), m_unavailable);
    } catch (const ListFileError& e) {
        if (m_state.appClosing)
            platform::warn(std::string("the list file could not be written: ") + e.what());
        else
            emit errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
    listWritten();
    return true;
}

// The list file holds the collection as it is: no removal waits any more.
void Collection::listWritten() {
    m_listPending = false;
    m_listTimer.stop();
}

void Collection::showAfterRemoval() {
    if (m_entries.empty()) {
        emit collectionEmptied();
        return;
    }
    jumpTo(m_current);
    setWallpaper(m_current);
}

void Collection::deleteCurrentWall() {
    if (!isIndex(m_current))
        return;
    if (removeWall(m_current))
        showAfterRemoval();
}

WallTicket Collection::currentWallTicket() const {
    if (!isIndex(m_current))
        return {};
    const WallEntry& wall = m_entries[m_current];
    return {wall.id, wall.path, m_selection};
}

void Collection::deleteWallWithFile(const WallTicket& ticket) {
    std::error_code ec;
    fs::remove(platform::toFsPath(ticket.path), ec);
    const std::int32_t index = indexOf(EntryRef{-1, ticket.wallId});
    if (index < 0)
        return; // it left the collection while the question was open
    if (!removeWall(index))
        return;
    if (ticket.selection == m_selection) {
        // Still the entry on view: its successor takes its place.
        m_current = index;
        return showAfterRemoval();
    }
    // The user moved to another entry while the question was open: that one
    // stays current and is shown with the collection's new count.
    if (index < m_current)
        --m_current;
    if (m_entries.empty())
        emit collectionEmptied();
    else
        jumpTo(m_current);
}

void Collection::loadWall() {
    WallList list = readWallList(m_state);
    m_unavailable.insert(m_unavailable.end(), list.unavailable.begin(), list.unavailable.end());
    add(list.paths);
}

bool Collection::replaceWalls(const std::vector<std::string>& paths) {
    std::vector<WallEntry> fresh;
    fresh.reserve(paths.size());
    for (const std::string& p : paths)
        fresh.push_back(makeEntry(p));
    // The new collection goes in at once, so nothing sees it half built.
    m_entries = std::move(fresh);
    ++m_layout;
    emit entriesChanged();
    try {
        writeWallList(m_state, paths, m_unavailable);
        listWritten();
        return true;
    } catch (const ListFileError& e) {
        emit errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
}
