#include "system/hotkeys.h"

#include "platform/hotkeys.h"

#include <QCoreApplication>
#include <QPointer>

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
        platform::registerHotKey(m_window, GlobalKeySlots[i].id, modifierBits(keys[i]),
                                 keys[i].aKey, GlobalKeySlots[i].description);
        m_registered[i] = keys[i];
    }
}

void GlobalHotkeys::GlobalKeyUnRegistry() {
    for (const TGlobalKeySlot& slot : GlobalKeySlots)
        platform::unregisterHotKey(m_window, slot.id);
    m_registered = {};
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
