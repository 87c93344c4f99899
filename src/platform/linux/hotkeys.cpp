#include "platform/hotkeys.h"

namespace platform {

// System-wide hotkeys on X11 are not wired up yet: registration reports the
// combination as unavailable and no native event is recognised.
bool registerHotKey(void*, int, unsigned, std::uint16_t) {
    return false;
}
void unregisterHotKey(void*, int) {}
bool hotkeyFromNativeEvent(const char*, void*, int&) {
    return false;
}

} // namespace platform
