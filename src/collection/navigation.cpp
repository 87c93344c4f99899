#include "collection/navigation.h"

#include "collection/scheduler.h"
#include "collection/state.h"
#include "collection/walls.h"
#include "imaging/codecs.h"
#include "platform/paths.h"
#include "platform/wallpaper.h"

#include <cstdint>
#include <filesystem>

namespace fs = std::filesystem;

void JumpToWall(std::int32_t numWall) {
    if (Walls.empty())
        return;
    CurrentWall = (numWall >= 0 && numWall < WallCount()) ? numWall : 0;
    if (Ui.showCurrent)
        Ui.showCurrent();
}

namespace {

// CurrentWall + delta, computed without overflow: a result outside the 32-bit
// range comes back as -1, which JumpToWall treats like any target out of range.
std::int32_t StepFromCurrent(std::int32_t delta) {
    const std::int64_t n = static_cast<std::int64_t>(CurrentWall) + delta;
    return (n < INT32_MIN || n > INT32_MAX) ? -1 : static_cast<std::int32_t>(n);
}

std::int32_t TargetOf(WallCommand command) {
    switch (command) {
    case WallCommand::First:
        return 0;
    case WallCommand::Previous:
        return StepFromCurrent(-1);
    case WallCommand::Random:
        return RandomIndex(WallCount());
    case WallCommand::Next:
        return StepFromCurrent(1);
    case WallCommand::Last:
        return WallCount() - 1;
    }
    return 0;
}

} // namespace

void RunWallCommand(WallCommand command, bool apply) {
    JumpToWall(TargetOf(command));
    if (apply)
        SetWall(CurrentWall);
}

void SetWall(std::int32_t numWall) {
    if (numWall < 0 || numWall >= WallCount())
        return;
    const fs::path picture = platform::toFsPath(Walls[numWall].Path);
    std::error_code ec;
    if (!fs::is_regular_file(picture, ec))
        return;
    // The full change interval counts from every applied picture, also when
    // the decode below fails.
    RestartChangeTimer();
    Bitmap b;
    if (!File2Bitmap(b, picture))
        return;
    try {
        b.SaveToFile(platform::toFsPath(WallpaperFile));
    } catch (const std::exception&) {
        return;
    }
    platform::setDesktopWallpaper(WallpaperFile);
}

std::string DeleteQuestion(const std::string& path) {
    const std::string name = platform::fromFsPath(platform::toFsPath(path).filename());
    return "Are you sure you want to delete " + name +
           "?\r\n\r\nWarning: this action will delete this file from disk, and cannot be "
           "undone!";
}

void DeleteCurrentWall(bool deleteFile) {
    if (CurrentWall < 0 || CurrentWall >= WallCount())
        return;
    if (deleteFile) {
        const std::string path = Walls[CurrentWall].Path;
        if (!Ui.confirmDelete || !Ui.confirmDelete(DeleteQuestion(path)))
            return;
        std::error_code ec;
        fs::remove(platform::toFsPath(path), ec);
    }
    try {
        DeleteWall(CurrentWall);
    } catch (const ListFileError& e) {
        if (Ui.reportError)
            Ui.reportError(e.what());
        return;
    }
    if (Walls.empty()) {
        if (Ui.clearInfo)
            Ui.clearInfo();
        return;
    }
    JumpToWall(CurrentWall);
    SetWall(CurrentWall);
}

void edtInputKeyDown(std::uint16_t Key, bool shift) {
    switch (Key) {
    case VK_RETURN_:
        SetWall(CurrentWall);
        break;
    case VK_ESCAPE_:
        if (Ui.hideMain)
            Ui.hideMain();
        break;
    case VK_SPACE_:
        RunWallCommand(WallCommand::Random, true);
        break;
    case VK_PRIOR_:
    case VK_UP_:
        RunWallCommand(WallCommand::Previous, true);
        break;
    case VK_NEXT_:
    case VK_DOWN_:
        RunWallCommand(WallCommand::Next, true);
        break;
    case VK_END_:
        RunWallCommand(WallCommand::Last, false);
        break;
    case VK_HOME_:
        RunWallCommand(WallCommand::First, false);
        break;
    case VK_LEFT_:
        RunWallCommand(WallCommand::Previous, false);
        break;
    case VK_RIGHT_:
        RunWallCommand(WallCommand::Next, false);
        break;
    case VK_DELETE_:
        DeleteCurrentWall(shift);
        break;
    case VK_F1_:
        if (Ui.showAbout)
            Ui.showAbout();
        break;
    default:
        break;
    }
}
