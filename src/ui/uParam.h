// The settings window: start at logon, the change at start-up and the three
// hotkeys, edited on copies and applied together.
#pragma once

#include "system/globalkey.h"
#include "ui/skin.h"

#include <QLineEdit>

#include <array>

class GlobalHotkeys;
struct ProgramState;

/// A hotkey field: takes no typing; the release of a key (other than Tab,
/// Shift, Ctrl and Alt) with the modifiers held then becomes its hotkey.
/// Tab and Shift+Tab still move the focus.
class HotkeyEdit : public QLineEdit {
    Q_OBJECT
public:
    HotkeyEdit(const char* name, const QRect& rect, QWidget* parent, const QString& accessibleName);

signals:
    /// A key was released that makes a hotkey.
    void captured(const TGlobalKey& key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TfParam : public SkinWindow {
    Q_OBJECT
public:
    /// The window edits `state` and registers the hotkeys with `hotkeys`.
    TfParam(ProgramState& state, GlobalHotkeys& hotkeys, QWidget* parent = nullptr);

    /// Fills the working copies from the program state and the autostart
    /// entry, and the controls from them (every time the window shows).
    void FormShow();
    /// Copies the working copies into the program state, in order: the
    /// autostart entry (a refusal is shown and ends the apply there, the
    /// window staying open), ChangeWithStart, the hotkeys unregistered if
    /// they were on, UseGlobalKey, GlobalKeys, the hotkeys registered if now
    /// on; then closes the window.
    void applySettings();

    // The working copies, meaningful while the window shows.
    bool NewLoadWithWindows = false;
    bool NewChangeWithStart = false;
    bool NewUseGlobalKey = false;
    std::array<TGlobalKey, 3> NewGlobalKeys{};

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void flip(SkinSwitch* control, bool& flag);
    void clearSlot(int slot);
    void setSlot(int slot, const TGlobalKey& key);
    HotkeyEdit* field(int slot) const;

    ProgramState& m_state;
    GlobalHotkeys& m_hotkeys;

    SkinSwitch* iLoadWithWindows = nullptr;
    SkinSwitch* iChangeWithStart = nullptr;
    SkinButton* iClose = nullptr;
    SkinButton* iApplySmall = nullptr;
    SkinSwitch* iUseGlobalKey = nullptr;
    SkinButton* iClearmini1 = nullptr;
    SkinButton* iClearmini2 = nullptr;
    SkinButton* iClearmini3 = nullptr;
    HotkeyEdit* edt1 = nullptr;
    HotkeyEdit* edt2 = nullptr;
    HotkeyEdit* edt3 = nullptr;
    QLineEdit* edtFocus = nullptr;
};
