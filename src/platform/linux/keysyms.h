// Windows virtual-key codes as X keysyms, for the X11 key grabs and the
// shortcuts portal's triggers.
#pragma once

#include <cstdint>
#include <string>

namespace platform::linux_keys {

/// The keysym of the key that gives virtual-key code `vk` on a US layout
/// (letters as their lower-case keysyms), or 0 when there is none.
std::uint32_t virtualKey2Keysym(std::uint16_t vk);

/// The virtual-key code of the key whose symbol is `keysym` on a US layout
/// (either case of a letter giving the letter's code), or 0 when none has it.
std::uint16_t keysym2VirtualKey(std::uint32_t keysym);

/// The keysym's name as xkbcommon spells it ("n", "F5", "KP_Add",
/// "bracketleft"), for the keysyms virtualKey2Keysym gives; empty otherwise.
std::string keysymName(std::uint32_t keysym);

/// A trigger in the shortcuts portal's syntax: "CTRL+ALT+n". Empty when the
/// key has no keysym.
std::string portalTrigger(unsigned modifiers, std::uint16_t vk);

} // namespace platform::linux_keys
