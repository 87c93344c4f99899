// The version marker and the stored settings.
#pragma once

#include <string>

class ChangeScheduler;
struct ProgramState;

/// The version this program writes into the store.
inline constexpr const char* ProgramVersion = "3.2";

/// Wipes the store when its `version` is missing or is not exactly
/// ProgramVersion, then writes ProgramVersion. `runValueName` is the name of
/// the machine-wide start-at-logon entry to remove on such a wipe.
void CurrentVersion(const std::string& runValueName);

/// The main window's left and top edge.
struct WindowPosition {
    int left = 0;
    int top = 0;
};

/// Size of the main window, used to centre it on the screen.
inline constexpr int MainWindowWidth = 800;
inline constexpr int MainWindowHeight = 435;

/// Sets every setting to its default and reads the stored ones over them.
/// A stored value that is missing, of another type or malformed keeps its
/// default. Shows the interval on the counters and starts the change timer
/// when automatic change is on. Returns the window position.
WindowPosition LoadSetting(ProgramState& state, ChangeScheduler& scheduler, int screenWidth,
                           int screenHeight);

/// Writes the eleven settings to the store in one atomic step; throws
/// platform::StoreError when it cannot be written.
void SaveSetting(const ProgramState& state, const ChangeScheduler& scheduler,
                 const WindowPosition& pos);
