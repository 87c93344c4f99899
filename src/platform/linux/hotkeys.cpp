// System-wide hotkeys on Linux: key grabs on X11; under Wayland (or any
// platform without an X connection) the desktop's shortcuts portal where
// the session offers one; otherwise none, said once on stderr.
#include "platform/hotkeys.h"

#include "platform/linux/hotkeys_portal.h"
#include "platform/linux/hotkeys_x11.h"
#include "platform/linux/keysyms.h"

#include <QCoreApplication>

#include <cstring>

namespace platform {

namespace {

bool usePortal() {
    return !x11_hotkeys::available() && QCoreApplication::instance();
}

} // namespace

bool registerHotKey(void*, int id, unsigned modifiers, std::uint16_t vk, const char* description) {
    if (x11_hotkeys::available())
        return x11_hotkeys::grab(id, modifiers, vk);
    if (!usePortal()) {
        reportHotkeysUnavailable(QStringLiteral("no application object"));
        return false;
    }
    PortalShortcuts& portal = PortalShortcuts::instance();
    const QString name = description && *description ? QString::fromUtf8(description)
                                                     : QStringLiteral("Hotkey %1").arg(id);
    portal.set(id, name, QString::fromStdString(linux_keys::portalTrigger(modifiers, vk)));
    return portal.mayBeAvailable();
}

void unregisterHotKey(void*, int id) {
    if (x11_hotkeys::available())
        x11_hotkeys::ungrab(id);
    else if (usePortal())
        PortalShortcuts::instance().remove(id);
}

HotkeyCheck checkHotKey(unsigned modifiers, std::uint16_t vk) {
    // The portal says what it bound only once it has bound it.
    return x11_hotkeys::available() ? x11_hotkeys::check(modifiers, vk) : HotkeyCheck::Free;
}

bool hotkeysReleasable() {
    return x11_hotkeys::available();
}

std::uint16_t baseVirtualKey(std::uint32_t nativeScanCode) {
    return x11_hotkeys::available() ? x11_hotkeys::baseVirtualKey(nativeScanCode) : 0;
}

bool systemKeepsKey(std::uint32_t nativeVirtualKey) {
    // The X server's private keysyms: console switches, video modes, grab
    // breakers; and Terminate_Server.
    constexpr std::uint32_t FirstServerKeysym = 0x1008fe01, LastServerKeysym = 0x1008feff;
    constexpr std::uint32_t TerminateServer = 0xfed5;
    return (nativeVirtualKey >= FirstServerKeysym && nativeVirtualKey <= LastServerKeysym) ||
           nativeVirtualKey == TerminateServer;
}

bool hotkeyFromNativeEvent(const char* eventType, void* message, int& id) {
    if (!eventType || std::strcmp(eventType, "xcb_generic_event_t") != 0)
        return false;
    return x11_hotkeys::fromNativeEvent(message, id);
}

void onHotkeyActivated(std::function<void(int id)> handler) {
    if (usePortal())
        PortalShortcuts::instance().activated = std::move(handler);
}

} // namespace platform
