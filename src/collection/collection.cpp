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
}

Collection::~Collection() {
    m_applyPool.waitForDone();
}

void Collection::jumpTo(std::int32_t numWall) {
    if (m_state.walls.empty())
        return;
    const std::int32_t target = m_state.isWallIndex(numWall) ? numWall : 0;
    if (target != m_state.currentWall)
        ++m_selection;
    m_state.currentWall = target;
    emit currentChanged();
}

namespace {

// currentWall + delta, computed without overflow: a result outside the 32-bit
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
        target = stepFrom(m_state.currentWall, -1);
        break;
    case WallCommand::Random:
        target = m_state.randomIndex(m_state.wallCount());
        break;
    case WallCommand::Next:
        target = stepFrom(m_state.currentWall, 1);
        break;
    case WallCommand::Last:
        target = m_state.wallCount() - 1;
        break;
    }
    jumpTo(target);
    if (apply)
        setWallpaper(m_state.currentWall);
}

void Collection::setWallpaper(std::int32_t numWall) {
    if (!m_state.isWallIndex(numWall))
        return;
    const std::string path = m_state.walls[numWall].path;
    if (!platform::isRegularFile(path))
        return;
    // The full change interval counts from every applied picture, also when
    // the decode fails.
    emit applyStarted();
    const std::uint64_t generation = ++m_applyGeneration;
    ++m_appliesInFlight;
    auto* watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcher<bool>::finished, this, [this, watcher, path] {
        if (watcher->result())
            emit applied(QString::fromStdString(path));
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(
        &m_applyPool, [this, generation, path, wallpaperFile = m_state.wallpaperFile] {
            const bool shown = applyOnWorker(generation, path, wallpaperFile);
            // Counted down once a background write is queued, so that the close
            // sees no gap between the two.
            --m_appliesInFlight;
            return shown;
        }));
}

bool Collection::applyOnWorker(std::uint64_t generation, const std::string& path,
                               const std::string& wallpaperFile) {
    const auto superseded = [&] { return generation != m_applyGeneration.load(); };
    if (superseded())
        return false;
    // Declared before the picture, so that it runs once the picture is gone.
    struct ReleaseOnReturn {
        ~ReleaseOnReturn() { platform::releaseFreedMemory(); }
    } release;
    Bitmap b;
    const fs::path picture = platform::toFsPath(path);
    DecodeStatus status = file2BitmapStatus(b, picture);
    // A picture refused for the raster limit is applied reduced to fit it.
    if (status == DecodeStatus::TooLarge)
        status = file2BitmapReduced(b, picture);
    if (status != DecodeStatus::Ok || superseded())
        return false;
    const fs::path wallpaperPath = platform::toFsPath(wallpaperFile);
    // Where the program paints the desktop itself (on a connection of its
    // own, so from any thread), the picture shows at once and its file
    // follows in the background; a failed write is silent.
    if (platform::paintDesktopWallpaper(wallpaperFile, b)) {
        m_wallpaperWriter.write(std::move(b), wallpaperPath);
        return true;
    }
    // A desktop that reads the file gets it once it is complete (and no
    // older background write may land after it). Its settings service or
    // program is called from here too: the UI thread never waits for it.
    m_wallpaperWriter.wait();
    try {
        b.saveToFile(wallpaperPath);
    } catch (const std::exception&) {
        return false;
    }
    if (superseded())
        return false;
    platform::setDesktopWallpaper(wallpaperFile);
    return true;
}

bool Collection::wallpaperWriteIdle() const {
    return m_appliesInFlight == 0 && !m_wallpaperWriter.busy();
}

void Collection::waitForWallpaperWrite() {
    m_applyPool.waitForDone();
    m_wallpaperWriter.wait();
}

bool Collection::removeWall(std::int32_t index) {
    try {
        ::deleteWall(m_state, index);
        listWritten();
        return true;
    } catch (const ListFileError& e) {
        emit errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
}

void Collection::removeWallLater(std::int32_t index) {
    if (!m_state.isWallIndex(index))
        return;
    ::removeWallEntry(m_state, index);
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
        ::writeWallList(m_state, wallPaths(m_state));
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

// The list file holds walls as it is: no removal waits any more.
void Collection::listWritten() {
    m_listPending = false;
    m_listTimer.stop();
}

void Collection::showAfterRemoval() {
    if (m_state.walls.empty()) {
        emit collectionEmptied();
        return;
    }
    jumpTo(m_state.currentWall);
    setWallpaper(m_state.currentWall);
}

void Collection::deleteCurrentWall() {
    if (!m_state.isWallIndex(m_state.currentWall))
        return;
    if (removeWall(m_state.currentWall))
        showAfterRemoval();
}

WallTicket Collection::currentWallTicket() const {
    if (!m_state.isWallIndex(m_state.currentWall))
        return {};
    const WallEntry& wall = m_state.walls[m_state.currentWall];
    return {wall.id, wall.path, m_selection};
}

void Collection::deleteWallWithFile(const WallTicket& ticket) {
    std::error_code ec;
    fs::remove(platform::toFsPath(ticket.path), ec);
    const auto it = std::find_if(m_state.walls.begin(), m_state.walls.end(),
                                 [&](const WallEntry& w) { return w.id == ticket.wallId; });
    if (it == m_state.walls.end())
        return; // it left the collection while the question was open
    const auto index = static_cast<std::int32_t>(it - m_state.walls.begin());
    if (!removeWall(index))
        return;
    if (ticket.selection == m_selection) {
        // Still the entry on view: its successor takes its place.
        m_state.currentWall = index;
        return showAfterRemoval();
    }
    // The user moved to another entry while the question was open: that one
    // stays current and is shown with the collection's new count.
    if (index < m_state.currentWall)
        --m_state.currentWall;
    if (m_state.walls.empty())
        emit collectionEmptied();
    else
        jumpTo(m_state.currentWall);
}

void Collection::loadWall() {
    ::loadWall(m_state);
}

bool Collection::replaceWalls(const std::vector<std::string>& paths) {
    try {
        ::replaceWalls(m_state, paths);
        listWritten();
        return true;
    } catch (const ListFileError& e) {
        emit errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
}
