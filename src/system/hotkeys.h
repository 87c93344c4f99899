// Registration of the three hotkeys with the system and the dispatch of
// their presses.
#pragma once

#include "system/globalkey.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <array>

/// Registers the hotkeys for one native window and reports their presses.
/// Create it on the user-interface thread after the application object; it
/// installs itself as a native event filter for its lifetime and
/// unregisters the hotkeys when destroyed.
class GlobalHotkeys : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    /// `window`: the native handle of the window the hotkeys belong to (the
    /// main window's HWND on Windows, its winId(); not needed on Linux).
    explicit GlobalHotkeys(void* window = nullptr, QObject* parent = nullptr);
    ~GlobalHotkeys() override;

    /// With `useGlobalKey` on, registers every slot whose key is not 0 as
    /// hotkey 100 + slot, in slot order; with it off, registers nothing.
    /// A combination the system refuses leaves its slot inactive.
    void GlobalKeyRegistry(const std::array<TGlobalKey, 3>& keys, bool useGlobalKey);
    /// Unregisters hotkeys 100, 101 and 102, whatever is registered.
    void GlobalKeyUnRegistry();

    /// What this object has asked the system to hold now, by slot: the
    /// combination registered as 100 + slot, or a record with key 0 where
    /// nothing is (the system may still have refused a combination asked for).
    const std::array<TGlobalKey, 3>& registeredKeys() const { return m_registered; }

    /// The modifier bits of the system calls for a hotkey.
    static unsigned modifierBits(const TGlobalKey& gk);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    /// A registered combination was pressed: its hotkey id (100 random,
    /// 101 next, 102 previous wallpaper).
    void hotkeyPressed(int id);

private:
    void* m_window;
    std::array<TGlobalKey, 3> m_registered{};
};
