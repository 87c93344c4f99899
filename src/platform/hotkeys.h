// System-wide hotkeys.
#pragma once

#include <cstdint>

namespace platform {

/// Modifier bits, the same values as Win32's MOD_ALT, MOD_CONTROL, MOD_SHIFT.
enum HotkeyModifier : unsigned { ModAlt = 1, ModControl = 2, ModShift = 4 };

/// Registers hotkey `id` (Windows virtual-key code `vk` with `modifiers`) for
/// the native window `window` (an HWND on Windows; ignored on X11, where the
/// keys are grabbed on the root window). False when the combination is taken.
bool registerHotKey(void* window, int id, unsigned modifiers, std::uint16_t vk);
void unregisterHotKey(void* window, int id);

/// When the native event is a press of a registered hotkey, stores its id and
/// returns true. `eventType` and `message` as QAbstractNativeEventFilter gets them.
bool hotkeyFromNativeEvent(const char* eventType, void* message, int& id);

} // namespace platform
