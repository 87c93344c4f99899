// The program's shared state: the collection, the current entry, the flags
// and the data folder. Everything here belongs to the user-interface thread.
#pragma once

#include "imaging/bitmap.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

/// One entry of the collection.
struct TWall {
    std::string Path;                ///< the picture's full path, as listed
    std::unique_ptr<Bitmap> Preview; ///< the thumbnail in memory, or none
    bool WasLoad = false;            ///< a thumbnail has been handed over once
};

extern std::vector<TWall> Walls;
extern std::int32_t CurrentWall;

/// The application title (from the executable's name) and the name of the
/// start-at-logon entry (the executable's name without its extension).
extern std::string AppTitle;
extern std::string RunValueName;

/// The data folder (with a trailing separator) and the wallpaper file in it.
extern std::string DataFolder;
extern std::string WallpaperFile;

extern bool AutomaticallyChange;
extern bool ChangeWithStart;
extern bool RandomSelect;
extern bool UseGlobalKey;

extern bool CacheIdle;   ///< no thumbnail worker is running
extern bool AppClosing;  ///< a close has been requested; no new thumbnail job
extern int CloseStage;   ///< 0 running, 1 waiting for the worker, 5 final close
extern bool ListChanged; ///< the picture manager edited its list

/// Seeds the program's one random generator (done once at start-up).
void SeedRandom();
/// A random index uniform over 0 .. count - 1; 0 for an empty range.
std::int32_t RandomIndex(std::int32_t count);

/// Number of entries as the signed index type.
inline std::int32_t WallCount() {
    return static_cast<std::int32_t>(Walls.size());
}

/// What the collection asks of the windows. The main window fills these in;
/// tests set their own. Unset hooks do nothing.
struct UiHooks {
    std::function<void()> showCurrent; ///< labels and strip for CurrentWall
    std::function<void()> clearInfo;   ///< the empty-collection view
    std::function<void()> hideMain;    ///< hide the main window
    std::function<void()> showAbout;   ///< the About window, modally
    /// The Shift+Delete question; true on OK.
    std::function<bool(const std::string& text)> confirmDelete;
    /// The change counters and the two toggles changed.
    std::function<void()> showScheduler;
    /// The framework's standard error box for an error no handler caught.
    std::function<void(const std::string& text)> reportError;
    /// True while the picture manager window is showing (the thumbnail chain
    /// stops then).
    std::function<bool()> managerShowing;
};
extern UiHooks Ui;

/// Back to the state of a fresh start (for tests).
void ResetState();
