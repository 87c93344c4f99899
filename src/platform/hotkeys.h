// System-wide hotkeys.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

/// Modifier bits, the same values as Win32's MOD_ALT, MOD_CONTROL, MOD_SHIFT.
enum HotkeyModifier : unsigned { ModAlt = 1, ModControl = 2, ModShift = 4 };

/// Registers hotkey `id` (Windows virtual-key code `vk` with `modifiers`) for
/// the native window `window` (an HWND on Windows; ignored on Linux, where X11
/// grabs the keys on the root window). `description` says what the hotkey
/// does, for desktops that list the shortcuts they bind (the Wayland
/// shortcuts portal); Windows does not use it. False when the combination is
/// taken (by another program, or by another id of this one) or when the
/// session offers no system-wide hotkeys. Under Wayland the portal binds the
/// shortcuts later, asynchronously: true then means "asked for".
bool registerHotKey(void* window, int id, unsigned modifiers, std::uint16_t vk,
                    const char* description = nullptr);
/// Unregisters hotkey `id`; harmless when it is not registered.
void unregisterHotKey(void* window, int id);

/// When the native event is a press of a registered hotkey, stores its id and
/// returns true. `eventType` and `message` as QAbstractNativeEventFilter gets
/// them. On X11 it also follows keyboard-map changes, grabbing the registered
/// combinations again on the keys that now produce them (it returns false
/// for those events, which Qt must see too).
bool hotkeyFromNativeEvent(const char* eventType, void* message, int& id);

/// Presses that reach the program outside the native event stream (the
/// desktop's shortcuts portal under Wayland) are handed to `handler`, on the
/// user-interface thread, with the hotkey's id. One handler at a time; an
/// empty one removes it. Windows and X11 deliver everything through
/// hotkeyFromNativeEvent and never call it.
void onHotkeyActivated(std::function<void(int id)> handler);

} // namespace platform
