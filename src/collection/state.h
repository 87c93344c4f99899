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
struct TWall {
    std::string Path;                ///< the picture's full path, as listed
    std::unique_ptr<Bitmap> Preview; ///< the thumbnail in memory, or none
    bool WasLoad = false;            ///< a thumbnail has been handed over once
    /// Tells this entry apart from every other entry of the run, also from
    /// one holding the same path (an index changes when entries move).
    std::uint64_t Id = 0;
    /// The walk found this entry's thumbnail file in the cache: it needs no
    /// job until the window reaches it.
    bool FileCached = false;
};

struct ProgramState {
    std::vector<TWall> Walls;
    std::int32_t CurrentWall = 0;

    /// The application title (from the executable's name) and the name of
    /// the start-at-logon entry (the executable's name without its extension).
    std::string AppTitle = "Quorvane";
    std::string RunValueName = "Quorvane";

    /// The data folder (with a trailing separator) and the wallpaper file in it.
    std::string DataFolder;
    std::string WallpaperFile;

    bool AutomaticallyChange = false;
    bool ChangeWithStart = false;
    bool RandomSelect = false;
    bool UseGlobalKey = true;
    /// The three hotkey slots: 0 random, 1 next, 2 previous wallpaper.
    std::array<TGlobalKey, 3> GlobalKeys{};

    bool CacheIdle = true;    ///< no thumbnail worker is running
    bool AppClosing = false;  ///< a close has been requested; no new thumbnail job
    int CloseStage = 0;       ///< 0 running, 1 waiting for the worker, 5 final close
    bool ListChanged = false; ///< the picture manager edited its list

    /// Lines of the list file kept out of Walls because their folder is not
    /// there now (an unmounted drive, a network share that is away): they are
    /// written back with the list, after the collection, until the folder
    /// returns and a start loads them again.
    std::vector<std::string> UnavailableWalls;

    /// Number of entries as the signed index type.
    std::int32_t WallCount() const { return static_cast<std::int32_t>(Walls.size()); }
    /// True when i is the index of an entry.
    bool IsWallIndex(std::int64_t i) const { return i >= 0 && i < std::int64_t(Walls.size()); }

    /// A new entry for `path` with an Id of its own.
    TWall MakeWall(std::string path);

    /// Seeds the program's one random generator (done once at start-up).
    void SeedRandom();
    /// A random index uniform over 0 .. count - 1; 0 for an empty range.
    std::int32_t RandomIndex(std::int32_t count);

private:
    std::mt19937 m_random;
    std::uint64_t m_lastWallId = 0;
};
