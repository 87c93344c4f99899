// Registration of the three hotkeys with the system and the dispatch of
// their presses.
#pragma once

#include "platform/hotkeys.h"
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
    /// A combination the system refuses leaves its slot inactive; so does
    /// one that is no system-wide hotkey (IsSystemWideHotkey: a bare letter
    /// stored by an older version), said on stderr. While suspended, the
    /// slots are registered when the suspension ends.
    void registerHotkeys(const std::array<GlobalKey, 3>& keys, bool useGlobalKey);
    /// Unregisters hotkeys 100, 101 and 102, whatever is registered.
    void unregisterHotkeys();

    /// Suspended, the registered hotkeys are given back to the system, so
    /// that their keys reach the program's own windows (a hotkey field
    /// capturing them); ending the suspension registers them again. Where
    /// giving them back costs more than a call (the shortcuts portal) the
    /// hotkeys stay.
    void setSuspended(bool suspended);
    bool isSuspended() const { return m_suspended; }

    /// What this object has asked the system to hold now, by slot: the
    /// combination registered as 100 + slot, or a record with key 0 where
    /// nothing is (the system may still have refused a combination asked
    /// for). Empty while suspended.
    const std::array<GlobalKey, 3>& registeredKeys() const { return m_registered; }

    /// Whether the system would grant the hotkey now (another program may
    /// hold it, or no key of the keyboard make it).
    static platform::HotkeyCheck check(const GlobalKey& gk);

    /// The modifier bits of the system calls for a hotkey.
    static unsigned modifierBits(const GlobalKey& gk);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    /// A registered combination was pressed: its hotkey id (100 random,
    /// 101 next, 102 previous wallpaper).
    void hotkeyPressed(int id);

private:
    void registerSlot(std::size_t slot);

    void* m_window;
    bool m_suspended = false;
    std::array<GlobalKey, 3> m_wanted{};     // registered, or to be when the suspension ends
    std::array<GlobalKey, 3> m_registered{}; // registered now
};
