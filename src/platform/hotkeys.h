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

/// Whether a combination could be registered now.
enum class HotkeyCheck {
    Free,  ///< it can be registered (also where that is only known once bound)
    Taken, ///< another program holds it, or a registered hotkey of this one
    NoKey, ///< no key of the current keyboard produces it
};

/// Tries the combination (as registerHotKey takes it) without keeping it.
HotkeyCheck checkHotKey(unsigned modifiers, std::uint16_t vk);

/// True where registered hotkeys take their keys from every window, the
/// program's own included, and can be released and registered again at any
/// moment at no cost: Windows' RegisterHotKey and X11's key grabs. False for
/// the shortcuts portal, where every change binds a new session.
bool hotkeysReleasable();

/// The virtual-key code of the key with this native scan code (the X
/// keycode), read from the key's first symbol in the keyboard map whatever
/// the modifiers make of it: F1 for the key that gives a console switch with
/// Ctrl and Alt, R for the key that types a Cyrillic letter in a second
/// layout. 0 when the key's symbol has no code or the platform has no such
/// map (Windows' key events carry their virtual-key code themselves).
std::uint16_t baseVirtualKey(std::uint32_t nativeScanCode);

/// True when a key event's native key (QKeyEvent::nativeVirtualKey) is one
/// the system acts on itself, so that its press reaches no program and no
/// hotkey: on X11 the server's own symbols, console switches among them,
/// which Ctrl+Alt makes of F1 to F12 on PC keymaps. False on Windows, where
/// such combinations never reach a window.
bool systemKeepsKey(std::uint32_t nativeVirtualKey);

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
