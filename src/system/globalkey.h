// The three system-wide hotkeys and their stored text form.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

/// One hotkey: modifiers and a Windows virtual-key code (0: no hotkey).
struct TGlobalKey {
    bool aCtrl = false;
    bool aAlt = false;
    bool aShift = false;
    std::uint16_t aKey = 0;

    friend bool operator==(const TGlobalKey&, const TGlobalKey&) = default;
};

/// The fixed table of slots: 0 random, 1 next, 2 previous wallpaper.
struct TGlobalKeySlot {
    int id;                    ///< hotkey id registered with the system
    const char* valueName;     ///< stored setting
    const char* defaultString; ///< stored form of the default combination
};
inline constexpr std::array<TGlobalKeySlot, 3> GlobalKeySlots{{
    {100, "gk1", "11082"}, // Ctrl+Alt+R
    {101, "gk2", "11078"}, // Ctrl+Alt+N
    {102, "gk3", "11066"}, // Ctrl+Alt+B
}};

/// A stored text whose key part is no integer.
struct EConvertError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// "CAS" flags as 0/1 characters, then the key code in decimal.
std::string GlobalKey2Ini(const TGlobalKey& gk);

/// Reads the stored form. The three flags are stored first; when the rest is
/// no integer, EConvertError is thrown and gk keeps its previous key code.
/// Codes above 16 bits keep their low 16 bits.
void GlobalKeyFromIni(const std::string& Str, TGlobalKey& gk);
