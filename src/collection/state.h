// The program's shared state: the collection, the current entry, the
// settings in memory, the flags and the data folder. One object, owned by the
// application; tests make a fresh one. Everything here belongs to the
// user-interface thread.
#pragma once

#include "imaging/bitmap.h"
#include "system/globalkey.h"

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

/// One entry of the collection.
struct WallEntry {
    std::string path;                ///< the picture's full path, as listed
    std::unique_ptr<Bitmap> preview; ///< the thumbnail in memory, or none
    bool wasLoad = false;            ///< a thumbnail has been handed over once
    /// Tells this entry apart from every other entry of the run, also from
    /// one holding the same path (an index changes when entries move).
    std::uint64_t id = 0;
    /// The walk found this entry's thumbnail file in the cache: it needs no
    /// job until the window reaches it.
    bool fileCached = false;
};

/// Where the close protocol stands.
enum class CloseStage {
    Running,           ///< no close asked for
    WaitingForWorkers, ///< asked; the thumbnail worker and a wallpaper write finish first
    Final,             ///< the workers are done: the next close request ends the program
};

struct ProgramState {
    std::vector<WallEntry> walls;
    std::int32_t currentWall = 0;

    /// The application title (from the executable's name) and the name of
    /// the start-at-logon entry (the executable's name without its extension).
    std::string appTitle = "Quorvane";
    std::string runValueName = "Quorvane";

    /// The data folder (with a trailing separator) and the wallpaper file in it.
    std::string dataFolder;
    std::string wallpaperFile;

    bool automaticallyChange = false;
    bool changeWithStart = false;
    bool randomSelect = false;
    bool useGlobalKey = true;
    /// The three hotkey slots: 0 random, 1 next, 2 previous wallpaper.
    std::array<GlobalKey, 3> globalKeys{};

    bool cacheIdle = true;   ///< no thumbnail worker is running
    bool appClosing = false; ///< a close has been requested; no new thumbnail job
    CloseStage closeStage = CloseStage::Running;
    bool listChanged = false; ///< the picture manager edited its list

    /// Lines of the list file kept out of walls because their folder is not
    /// there now (an unmounted drive, a network share that is away): they are
    /// written back with the list, after the collection, until the folder
    /// returns and a start loads them again.
    std::vector<std::string> unavailableWalls;

    /// Number of entries as the signed index type.
    std::int32_t wallCount() const { return static_cast<std::int32_t>(walls.size()); }
    /// True when i is the index of an entry.
    bool isWallIndex(std::int64_t i) const { return i >= 0 && i < std::int64_t(walls.size()); }

    /// A new entry for `path` with an Id of its own.
    WallEntry makeWall(std::string path);

    /// Seeds the program's one random generator (done once at start-up).
    void seedRandom();
    /// A random index uniform over 0 .. count - 1; 0 for an empty range.
    std::int32_t randomIndex(std::int32_t count);

private:
    std::mt19937 m_random;
    std::uint64_t m_lastWallId = 0;
};
