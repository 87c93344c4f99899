#include "collection/collection.h"

#include "collection/state.h"
#include "collection/walls.h"
#include "imaging/codecs.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/wallpaper.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

Collection::Collection(ProgramState& state, QObject* parent) : QObject(parent), m_state(state) {
    m_listTimer.setSingleShot(true);
    m_listTimer.setInterval(ListWriteDelayMs);
    connect(&m_listTimer, &QTimer::timeout, this, [this] { WritePendingList(); });
}

void Collection::JumpToWall(std::int32_t numWall) {
    if (m_state.Walls.empty())
        return;
    const std::int32_t target = m_state.IsWallIndex(numWall) ? numWall : 0;
    if (target != m_state.CurrentWall)
        ++m_selection;
    m_state.CurrentWall = target;
    emit currentChanged();
}

namespace {

// CurrentWall + delta, computed without overflow: a result outside the 32-bit
// range comes back as -1, which JumpToWall treats like any target out of range.
std::int32_t StepFrom(std::int32_t current, std::int32_t delta) {
    const std::int64_t n = static_cast<std::int64_t>(current) + delta;
    return (n < INT32_MIN || n > INT32_MAX) ? -1 : static_cast<std::int32_t>(n);
}

} // namespace

void Collection::RunWallCommand(WallCommand command, bool apply) {
    std::int32_t target = 0;
    switch (command) {
    case WallCommand::First:
        target = 0;
        break;
    case WallCommand::Previous:
        target = StepFrom(m_state.CurrentWall, -1);
        break;
    case WallCommand::Random:
        target = m_state.RandomIndex(m_state.WallCount());
        break;
    case WallCommand::Next:
        target = StepFrom(m_state.CurrentWall, 1);
        break;
    case WallCommand::Last:
        target = m_state.WallCount() - 1;
        break;
    }
    JumpToWall(target);
    if (apply)
        SetWall(m_state.CurrentWall);
}

void Collection::SetWall(std::int32_t numWall) {
    if (!m_state.IsWallIndex(numWall))
        return;
    const std::string& path = m_state.Walls[numWall].Path;
    if (!platform::isRegularFile(path))
        return;
    // The full change interval counts from every applied picture, also when
    // the decode below fails.
    emit applyStarted();
    // Declared before the picture, so that it runs once the picture is gone.
    struct ReleaseOnReturn {
        ~ReleaseOnReturn() { platform::releaseFreedMemory(); }
    } release;
    Bitmap b;
    const fs::path picture = platform::toFsPath(path);
    DecodeStatus status = File2BitmapStatus(b, picture);
    // A picture refused for the raster limit is applied reduced to fit it.
    if (status == DecodeStatus::TooLarge)
        status = File2BitmapReduced(b, picture);
    if (status != DecodeStatus::Ok)
        return;
    const fs::path wallpaperFile = platform::toFsPath(m_state.WallpaperFile);
    // Where the program paints the desktop itself, the picture shows at once
    // and its file follows in the background; a failed write is silent.
    if (platform::paintDesktopWallpaper(m_state.WallpaperFile, b)) {
        m_wallpaperWriter.write(std::move(b), wallpaperFile);
        return;
    }
    // A desktop that reads the file gets it once it is complete (and no
    // older background write may land after it).
    m_wallpaperWriter.wait();
    try {
        b.SaveToFile(wallpaperFile);
    } catch (const std::exception&) {
        return;
    }
    platform::setDesktopWallpaper(m_state.WallpaperFile);
}

bool Collection::WallpaperWriteIdle() const {
    return !m_wallpaperWriter.busy();
}

void Collection::WaitForWallpaperWrite() {
    m_wallpaperWriter.wait();
}

bool Collection::RemoveWall(std::int32_t index) {
    try {
        ::DeleteWall(m_state, index);
        listWritten();
        return true;
    } catch (const ListFileError& e) {
        emit errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
}

void Collection::RemoveWallLater(std::int32_t index) {
    if (!m_state.IsWallIndex(index))
        return;
    ::RemoveWallEntry(m_state, index);
    m_listPending = true;
    // Counted from the first removal that waits, so that a steady stream of
    // them is written once a second.
    if (!m_listTimer.isActive())
        m_listTimer.start();
}

bool Collection::WritePendingList() {
    if (!m_listPending)
        return true;
    m_listTimer.stop();
    try {
        ::WriteWallList(m_state, WallPaths(m_state));
    } catch (const ListFileError& e) {
        if (m_state.AppClosing)
            platform::Warn(std::string("the list file could not be written: ") + e.what());
        else
            emit errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
    listWritten();
    return true;
}

// The list file holds Walls as it is: no removal waits any more.
void Collection::listWritten() {
    m_listPending = false;
    m_listTimer.stop();
}

void Collection::showAfterRemoval() {
    if (m_state.Walls.empty()) {
        emit collectionEmptied();
        return;
    }
    JumpToWall(m_state.CurrentWall);
    SetWall(m_state.CurrentWall);
}

void Collection::DeleteCurrentWall() {
    if (!m_state.IsWallIndex(m_state.CurrentWall))
        return;
    if (RemoveWall(m_state.CurrentWall))
        showAfterRemoval();
}

WallTicket Collection::CurrentWallTicket() const {
    if (!m_state.IsWallIndex(m_state.CurrentWall))
        return {};
    const TWall& wall = m_state.Walls[m_state.CurrentWall];
    return {wall.Id, wall.Path, m_selection};
}

void Collection::DeleteWallWithFile(const WallTicket& ticket) {
    std::error_code ec;
    fs::remove(platform::toFsPath(ticket.path), ec);
    const auto it = std::find_if(m_state.Walls.begin(), m_state.Walls.end(),
                                 [&](const TWall& w) { return w.Id == ticket.wallId; });
    if (it == m_state.Walls.end())
        return; // it left the collection while the question was open
    const auto index = static_cast<std::int32_t>(it - m_state.Walls.begin());
    if (!RemoveWall(index))
        return;
    if (ticket.selection == m_selection) {
        // Still the entry on view: its successor takes its place.
        m_state.CurrentWall = index;
        return showAfterRemoval();
    }
    // The user moved to another entry while the question was open: that one
    // stays current and is shown with the collection's new count.
    if (index < m_state.CurrentWall)
        --m_state.CurrentWall;
    if (m_state.Walls.empty())
        emit collectionEmptied();
    else
        JumpToWall(m_state.CurrentWall);
}

void Collection::LoadWall() {
    ::LoadWall(m_state);
}

bool Collection::ReplaceWalls(const std::vector<std::string>& paths) {
    try {
        ::ReplaceWalls(m_state, paths);
        listWritten();
        return true;
    } catch (const ListFileError& e) {
        emit errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
}
