// The settings window: start at logon, the change at start-up and the three
// hotkeys, edited on copies and applied together.
#pragma once

#include "imaging/placement.h"
#include "system/globalkey.h"
#include "ui/skin.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <cstdint>

class GlobalHotkeys;
struct ProgramState;

/// A hotkey field: takes no typing; the release of a key (other than Tab,
/// Shift, Ctrl and Alt) with the modifiers held is offered as its hotkey.
/// Tab and Shift+Tab still move the focus.
class HotkeyEdit : public QLineEdit {
    Q_OBJECT
public:
    HotkeyEdit(const char* name, const QRect& rect, QWidget* parent, const QString& accessibleName);

signals:
    /// A key was released with `modifiers` held: its virtual-key code (0
    /// for a key that has none), and whether the system keeps the key as
    /// the modifiers made it (a console switch) so that it reaches no hotkey.
    void released(Qt::KeyboardModifiers modifiers, std::uint16_t vk, bool systemKeeps);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class SettingsWindow : public SkinWindow {
    Q_OBJECT
public:
    /// The window edits `state` and registers the hotkeys with `hotkeys`.
    SettingsWindow(ProgramState& state, GlobalHotkeys& hotkeys, QWidget* parent = nullptr);

    /// Fills the working copies from the program state and the autostart
    /// entry, and the controls from them (every time the window shows).
    void resetFromState();
    /// Makes the key released in the field of `slot` that slot's hotkey, or
    /// refuses it and shows why (lbHotkeyReason): the logo key, a key
    /// without a code, a combination the system keeps, a key that types or
    /// moves without Ctrl or Alt, a combination another program holds or no
    /// key makes.
    void captureKey(int slot, Qt::KeyboardModifiers modifiers, std::uint16_t vk,
                    bool systemKeeps = false);

    /// Copies the working copies into the program state, in order: the
    /// autostart entry (a refusal is shown and ends the apply there, the
    /// window staying open), changeWithStart, the placement and its colour
    /// (for the next wallpaper applied), the hotkeys unregistered if
    /// they were on, useGlobalKey, GlobalKeys, the hotkeys registered if now
    /// on; then closes the window.
    void applySettings();

    // The working copies, meaningful while the window shows.
    bool newLoadWithWindows = false;
    bool newChangeWithStart = false;
    bool newUseGlobalKey = false;
    std::array<GlobalKey, 3> newGlobalKeys{};
    PlacementMode newPlacement = PlacementMode::Fill;
    std::uint32_t newBackgroundColor = 0;
    bool newPerMonitor = false;

    /// Makes `rgb` (0xRRGGBB) the working background colour and shows it.
    void setBackgroundColor(std::uint32_t rgb);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void createControls();
    void flip(SkinSwitch* control, bool& flag);
    void clearSlot(int slot);
    void setSlot(int slot, const GlobalKey& key);
    HotkeyEdit* field(int slot) const;
    void showReason(const QString& reason);
    void onFocusChanged(QWidget* now);
    void showPlacement();
    void chooseBackgroundColor();

    ProgramState& m_state;
    GlobalHotkeys& m_hotkeys;

    SkinSwitch* m_iLoadWithWindows = nullptr;
    SkinSwitch* m_iChangeWithStart = nullptr;
    SkinButton* m_iClose = nullptr;
    SkinButton* m_iApplySmall = nullptr;
    SkinSwitch* m_iUseGlobalKey = nullptr;
    SkinButton* m_iClearmini1 = nullptr;
    SkinButton* m_iClearmini2 = nullptr;
    SkinButton* m_iClearmini3 = nullptr;
    HotkeyEdit* m_edt1 = nullptr;
    HotkeyEdit* m_edt2 = nullptr;
    HotkeyEdit* m_edt3 = nullptr;
    QLineEdit* m_edtFocus = nullptr;
    QLabel* m_lbHotkeyReason = nullptr;
    QLabel* m_lbPlacement = nullptr;
    QComboBox* m_cbPlacement = nullptr;
    QPushButton* m_pbBackgroundColor = nullptr;
    QLabel* m_lbMonitors = nullptr;
    QComboBox* m_cbMonitors = nullptr;
};
