// System-wide hotkeys on X11: passive key grabs on the root windows through
// Qt's own xcb connection, and the presses picked out of its event stream.
#pragma once

#include "platform/hotkeys.h"

#include <cstdint>

namespace platform::x11_hotkeys {

/// True when the application runs on the xcb platform.
bool available();

/// Grabs the combination for hotkey `id` on every key that produces it, with
/// and without NumLock and CapsLock. False, with one line on stderr, when
/// the server refuses (another client holds it), another id of ours holds
/// it, or no key of the current keyboard map produces it.
bool grab(int id, unsigned modifiers, std::uint16_t vk);
void ungrab(int id);

/// Grabs the combination and releases it at once: NoKey when no key
/// produces it, Taken when another client or a registration of ours holds it.
HotkeyCheck check(unsigned modifiers, std::uint16_t vk);

/// The virtual-key code of the first keysym of X keycode `keycode`, or 0.
std::uint16_t baseVirtualKey(std::uint32_t keycode);

/// A press of a grabbed combination gives its id; keyboard-map changes make
/// every registered combination grabbed again (returning false).
bool fromNativeEvent(void* message, int& id);

} // namespace platform::x11_hotkeys
