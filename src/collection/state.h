// The program's shared state: the settings in memory, the flags and the data
// folder (the collection itself belongs to Collection). One object, owned by
// the application; tests make a fresh one. Everything here belongs to the
// user-interface thread.
#pragma once

#include "imaging/placement.h"
#include "system/globalkey.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

/// Where the close protocol stands.
enum class CloseStage {
    Running,           ///< no close asked for
    WaitingForWorkers, ///< asked; the thumbnail worker and a wallpaper write finish first
    Final,             ///< the workers are done: the next close request ends the program
};

struct ProgramState {
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
    /// How the wallpaper meets the monitors, and the colour (0xRRGGBB) of
    /// what the picture leaves free.
    PlacementMode placement = PlacementMode::Fill;
    std::uint32_t backgroundColor = 0;
    /// Each monitor shows a picture of its own, the monitors taking the new
    /// pictures in turn; otherwise every monitor shows the same one.
    bool perMonitor = false;
    /// The folder the file dialog last took pictures from (empty: none yet).
    std::string lastFileFolder;

    bool appClosing = false; ///< a close has been requested; no new thumbnail job
    CloseStage closeStage = CloseStage::Running;
    bool listChanged = false; ///< the picture manager edited its list

    /// Seeds the program's one random generator (done once at start-up).
    void seedRandom();
    /// A random index uniform over 0 .. count - 1; 0 for an empty range.
    std::int32_t randomIndex(std::int32_t count);

private:
    std::mt19937 m_random;
};
