#include "platform/hotkeys.h"

#include <cstring>

#include <windows.h>

namespace platform {

bool registerHotKey(void* window, int id, unsigned modifiers, std::uint16_t vk, const char*) {
    const unsigned bits = modifiers & (MOD_ALT | MOD_CONTROL | MOD_SHIFT);
    return RegisterHotKey(static_cast<HWND>(window), id, bits, vk) != FALSE;
}

void unregisterHotKey(void* window, int id) {
    UnregisterHotKey(static_cast<HWND>(window), id);
}

HotkeyCheck checkHotKey(unsigned modifiers, std::uint16_t vk) {
    // A hotkey of the thread, given back at once. The id is the last one
    // an application may use, far from the program's own.
    constexpr int TrialId = 0xBFFF;
    const unsigned bits = modifiers & (MOD_ALT | MOD_CONTROL | MOD_SHIFT);
    if (!RegisterHotKey(nullptr, TrialId, bits, vk))
        return HotkeyCheck::Taken;
    UnregisterHotKey(nullptr, TrialId);
    return HotkeyCheck::Free;
}

bool hotkeysReleasable() {
    return true;
}

// Qt's key events carry the virtual-key code itself.
std::uint16_t baseVirtualKey(std::uint32_t) {
    return 0;
}

// Combinations the system keeps (Ctrl+Alt+Del) never reach a window.
bool systemKeepsKey(std::uint32_t) {
    return false;
}

bool hotkeyFromNativeEvent(const char* eventType, void* message, int& id) {
    // Qt hands every message to the filter twice, once from its event
    // dispatcher and once from the window procedure ("windows_generic_MSG");
    // only the second is taken, so that each press counts once.
    if (!eventType || !message || std::strcmp(eventType, "windows_generic_MSG") != 0)
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_HOTKEY)
        return false;
    id = static_cast<int>(msg->wParam);
    return true;
}

// WM_HOTKEY is the only way presses arrive here.
void onHotkeyActivated(std::function<void(int)>) {}

} // namespace platform
