#include "system/hotkeys.h"

#include "platform/hotkeys.h"
#include "platform/log.h"

#include <QCoreApplication>
#include <QPointer>

#include <string>

GlobalHotkeys::GlobalHotkeys(void* window, QObject* parent) : QObject(parent), m_window(window) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    platform::onHotkeyActivated([self = QPointer<GlobalHotkeys>(this)](int id) {
        if (self)
            emit self->hotkeyPressed(id);
    });
}

GlobalHotkeys::~GlobalHotkeys() {
    unregisterHotkeys();
    platform::onHotkeyActivated({});
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

unsigned GlobalHotkeys::modifierBits(const GlobalKey& gk) {
    unsigned bits = 0;
    if (gk.ctrl)
        bits |= platform::ModControl;
    if (gk.alt)
        bits |= platform::ModAlt;
    if (gk.shift)
        bits |= platform::ModShift;
    return bits;
}

void GlobalHotkeys::registerHotkeys(const std::array<GlobalKey, 3>& keys, bool useGlobalKey) {
    if (!useGlobalKey)
        return;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].key == 0)
            continue;
        if (!isSystemWideHotkey(keys[i])) {
            platform::warn("hotkey " + std::to_string(GlobalKeySlots[i].id) +
                           " is not active: " + globalKey2String(keys[i]).toStdString() +
                           " would take a key from every program's typing");
            continue;
        }
        m_wanted[i] = keys[i];
        if (!m_suspended)
            registerSlot(i);
    }
}

void GlobalHotkeys::registerSlot(std::size_t slot) {
    const GlobalKey& key = m_wanted[slot];
    platform::registerHotKey(m_window, GlobalKeySlots[slot].id, modifierBits(key), key.key,
                             GlobalKeySlots[slot].description);
    m_registered[slot] = key;
}

void GlobalHotkeys::unregisterHotkeys() {
    for (const GlobalKeySlot& slot : GlobalKeySlots)
        platform::unregisterHotKey(m_window, slot.id);
    m_wanted = {};
    m_registered = {};
}

void GlobalHotkeys::setSuspended(bool suspended) {
    if (suspended == m_suspended || (suspended && !platform::hotkeysReleasable()))
        return;
    m_suspended = suspended;
    if (suspended) {
        for (std::size_t i = 0; i < m_registered.size(); ++i)
            if (m_registered[i].key != 0)
                platform::unregisterHotKey(m_window, GlobalKeySlots[i].id);
        m_registered = {};
        return;
    }
    for (std::size_t i = 0; i < m_wanted.size(); ++i)
        if (m_wanted[i].key != 0)
            registerSlot(i);
}

platform::HotkeyCheck GlobalHotkeys::check(const GlobalKey& gk) {
    return platform::checkHotKey(modifierBits(gk), gk.key);
}

bool GlobalHotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    int id = 0;
    if (!platform::hotkeyFromNativeEvent(eventType.constData(), message, id))
        return false;
    // Other ids are not ours; the message is taken all the same.
    if (id >= GlobalKeySlots.front().id && id <= GlobalKeySlots.back().id)
        emit hotkeyPressed(id);
    return true;
}
