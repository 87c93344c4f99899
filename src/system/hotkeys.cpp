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
    GlobalKeyUnRegistry();
    platform::onHotkeyActivated({});
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

unsigned GlobalHotkeys::modifierBits(const TGlobalKey& gk) {
    unsigned bits = 0;
    if (gk.aCtrl)
        bits |= platform::ModControl;
    if (gk.aAlt)
        bits |= platform::ModAlt;
    if (gk.aShift)
        bits |= platform::ModShift;
    return bits;
}

void GlobalHotkeys::GlobalKeyRegistry(const std::array<TGlobalKey, 3>& keys, bool useGlobalKey) {
    if (!useGlobalKey)
        return;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].aKey == 0)
            continue;
        if (!IsSystemWideHotkey(keys[i])) {
            platform::Warn("hotkey " + std::to_string(GlobalKeySlots[i].id) +
                           " is not active: " + GlobalKey2String(keys[i]).toStdString() +
                           " would take a key from every program's typing");
            continue;
        }
        m_wanted[i] = keys[i];
        if (!m_suspended)
            registerSlot(i);
    }
}

void GlobalHotkeys::registerSlot(std::size_t slot) {
    const TGlobalKey& key = m_wanted[slot];
    platform::registerHotKey(m_window, GlobalKeySlots[slot].id, modifierBits(key), key.aKey,
                             GlobalKeySlots[slot].description);
    m_registered[slot] = key;
}

void GlobalHotkeys::GlobalKeyUnRegistry() {
    for (const TGlobalKeySlot& slot : GlobalKeySlots)
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
            if (m_registered[i].aKey != 0)
                platform::unregisterHotKey(m_window, GlobalKeySlots[i].id);
        m_registered = {};
        return;
    }
    for (std::size_t i = 0; i < m_wanted.size(); ++i)
        if (m_wanted[i].aKey != 0)
            registerSlot(i);
}

platform::HotkeyCheck GlobalHotkeys::check(const TGlobalKey& gk) {
    return platform::checkHotKey(modifierBits(gk), gk.aKey);
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
