// The three system-wide hotkeys: the record, its stored text form, the
// capture of a key press and the display text.
#pragma once

#include <QString>
#include <QtCore/qnamespace.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

/// One hotkey: modifiers and a Windows virtual-key code (0: no hotkey).
struct GlobalKey {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    std::uint16_t key = 0;

    friend bool operator==(const GlobalKey&, const GlobalKey&) = default;
};

/// The ids the three hotkeys are registered with.
enum HotkeyId : int {
    RandomWallpaperHotkey = 100,
    NextWallpaperHotkey = 101,
    PreviousWallpaperHotkey = 102
};

/// The fixed table of slots: 0 random, 1 next, 2 previous wallpaper.
struct GlobalKeySlot {
    int id;                    ///< hotkey id registered with the system
    const char* valueName;     ///< stored setting
    const char* defaultString; ///< stored form of the default combination
    const char* description;   ///< what the hotkey does, for desktops that list shortcuts
};
inline constexpr std::array<GlobalKeySlot, 3> GlobalKeySlots{{
    {RandomWallpaperHotkey, "gk1", "11082", "Random wallpaper"},     // Ctrl+Alt+R
    {NextWallpaperHotkey, "gk2", "11078", "Next wallpaper"},         // Ctrl+Alt+N
    {PreviousWallpaperHotkey, "gk3", "11066", "Previous wallpaper"}, // Ctrl+Alt+B
}};

/// A stored text whose key part is no integer.
struct ConvertError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// "CAS" flags as 0/1 characters, then the key code in decimal.
std::string globalKey2Ini(const GlobalKey& gk);

/// Reads the stored form. The three flags are stored first; then the rest
/// must be decimal digits (leading zeros allowed, no sign, no spaces), of
/// which the value modulo 65536 becomes the key code, however long the
/// number. Anything else throws ConvertError and gk keeps its key code.
void globalKeyFromIni(const std::string& str, GlobalKey& gk);

/// The hotkey of a captured key release: the Ctrl, Alt and Shift members of
/// `Shift` (other modifiers are ignored) and the virtual-key code k unchanged.
GlobalKey key2GlobalKey(Qt::KeyboardModifiers shift, std::uint16_t k);

/// The display text: "Ctrl + ", "Alt + ", "Shift + " (in this order, each
/// when set), then the key's name ("Ctrl + Alt + R", "Shift + F5").
QString globalKey2String(const GlobalKey& gk);

/// True for the key codes a hotkey field captures on release: everything
/// but Tab (9), Shift (16), Ctrl (17) and Alt (18).
bool isHotkeyCaptureKey(std::uint16_t k);

/// True for the keys that no one types text or moves the cursor with, which
/// may make a hotkey on their own: F1 to F24, Pause, Print, Insert and the
/// browser, volume, media and launch keys.
bool isStandaloneHotkeyKey(std::uint16_t k);

/// True when the hotkey may be taken from every program: it holds Ctrl or
/// Alt, or its key is a standalone one (a bare letter, or Shift with one,
/// would take that character from every program's typing).
bool isSystemWideHotkey(const GlobalKey& gk);
