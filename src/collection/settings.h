// The version marker and the stored settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ChangeScheduler;
class Collection;
struct ProgramState;

/// The version this program writes into the store.
inline constexpr const char* ProgramVersion = "3.2";

/// Wipes the store when its `version` is missing or is not exactly
/// ProgramVersion, then writes ProgramVersion. `runValueName` is the name of
/// the machine-wide start-at-logon entry to remove on such a wipe.
void currentVersion(const std::string& runValueName);

/// The main window's left and top edge.
struct WindowPosition {
    int left = 0;
    int top = 0;
};

/// Size of the main window, used to centre it on the screen.
inline constexpr int MainWindowWidth = 800;
inline constexpr int MainWindowHeight = 435;

/// A screen's area on the desktop, in pixels.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

/// The main window's position centred on `screen`.
WindowPosition centredOn(const ScreenArea& screen);

/// True when the whole main window at `pos` lies on one of the screens. A
/// place stored at another scale or screen layout may otherwise leave the
/// close button, or the whole window, where no one can reach it.
bool fitsOnAScreen(const WindowPosition& pos, const std::vector<ScreenArea>& screens);

/// Sets every setting to its default and reads the stored ones over them.
/// A stored value that is missing, of another type or malformed keeps its
/// default. Shows the interval on the counters and starts the change timer
/// when automatic change is on; the collection (loaded before) gets its
/// stored current entry. Returns the window position: the stored one, or
/// centred on the primary screen.
WindowPosition loadSetting(ProgramState& state, Collection& collection, ChangeScheduler& scheduler,
                           const ScreenArea& primaryScreen);

/// A background colour as stored: "#rrggbb".
std::string backgroundColor2Ini(std::uint32_t rgb);
/// The colour of a stored "#rrggbb" (either case); nullopt for other text.
std::optional<std::uint32_t> backgroundColorFromIni(std::string_view text);

/// Writes the settings (the eleven, the placement and its colour) to the
/// store in one atomic step; throws
/// platform::StoreError when it cannot be written.
void saveSetting(const ProgramState& state, const Collection& collection,
                 const ChangeScheduler& scheduler, const WindowPosition& pos);
