#include "ui/uParam.h"

#include "collection/state.h"
#include "platform/autostart.h"
#include "platform/hotkeys.h"
#include "platform/paths.h"
#include "system/hotkeys.h"
#include "system/qtkeys.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {

// The key's code in the stored form: the system's own virtual-key code on
// Windows, the code of the Qt key elsewhere. Where the modifiers turn the
// key into a symbol without a code (Ctrl+Alt+F1 gives a console switch on
// X11 keymaps, a second layout gives Cyrillic letters), the key's first
// symbol in the keyboard map tells it.
std::uint16_t virtualKeyOf(const QKeyEvent* event) {
#ifdef Q_OS_WIN
    return static_cast<std::uint16_t>(event->nativeVirtualKey());
#else
    if (const std::uint16_t vk = QtKey2VirtualKey(event->key(), event->modifiers()))
        return vk;
    return platform::baseVirtualKey(event->nativeScanCode());
#endif
}

constexpr std::uint16_t LeftLogoKey = 91, RightLogoKey = 92;

QFont fieldFont() {
    // Tahoma 8 pt is 11 pixels at 96 dpi; DejaVu Sans where there is no Tahoma.
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(11);
    return f;
}

} // namespace

// ------------------------------------------------------------- HotkeyEdit

HotkeyEdit::HotkeyEdit(const char* name, const QRect& rect, QWidget* parent,
                       const QString& accessibleName)
    : QLineEdit(parent) {
    setObjectName(QLatin1String(name));
    setGeometry(rect);
    setAccessibleName(accessibleName);
    setFrame(false);
    setFont(fieldFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::Text, QColor(221, 248, 246));
    setPalette(pal);
    // Nothing reaches the text but a captured hotkey: no input method, no
    // menu with Paste, no drop.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
}

void HotkeyEdit::keyPressEvent(QKeyEvent* event) {
    // Tab and Shift+Tab never get here: QWidget moves the focus with them.
    event->accept();
}

void HotkeyEdit::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    if (event->isAutoRepeat())
        return;
    const std::uint16_t vk = virtualKeyOf(event);
    if (vk != 0 && !IsHotkeyCaptureKey(vk))
        return;
    emit released(event->modifiers(), vk, platform::systemKeepsKey(event->nativeVirtualKey()));
}

void HotkeyEdit::inputMethodEvent(QInputMethodEvent* event) {
    event->ignore();
}

void HotkeyEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button would paste the X selection.
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

// --------------------------------------------------------------- TfParam

TfParam::TfParam(ProgramState& state, GlobalHotkeys& hotkeys, QWidget* parent)
    : SkinWindow(QSize(397, 300), "imgInterfaceParam", "imgInterfaceParam", parent), m_state(state),
      m_hotkeys(hotkeys) {
    setObjectName(QStringLiteral("fParam"));
    setWindowTitle(QStringLiteral("Параметры"));
    setFont(fieldFont());
    createControls();
}

void TfParam::createControls() {
    // In layout order: each control is drawn over the ones before it.
    iLoadWithWindows =
        new SkinSwitch("iLoadWithWindows", {8, 48, 73, 25}, this, tr("Start at logon"));
    iChangeWithStart = new SkinSwitch("iChangeWithStart", {8, 88, 73, 25}, this,
                                      tr("Change the wallpaper at start-up"));
    iClose = new SkinButton("iClose", {206, 272, 105, 27}, this, tr("Cancel"));
    iApplySmall = new SkinButton("iApplySmall", {86, 272, 105, 27}, this, tr("Apply"));
    iUseGlobalKey = new SkinSwitch("iUseGlobalKey", {8, 128, 73, 25}, this, tr("Hotkeys"));
    iClearmini1 = new SkinButton("iClearmini1", {354, 160, 19, 23}, this,
                                 tr("Clear the random wallpaper hotkey"), "iClearmini");
    iClearmini2 = new SkinButton("iClearmini2", {354, 190, 19, 23}, this,
                                 tr("Clear the next wallpaper hotkey"), "iClearmini");
    iClearmini3 = new SkinButton("iClearmini3", {354, 221, 19, 23}, this,
                                 tr("Clear the previous wallpaper hotkey"), "iClearmini");
    edt1 = new HotkeyEdit("edt1", {193, 164, 155, 15}, this, tr("Random wallpaper hotkey"));
    edt2 = new HotkeyEdit("edt2", {193, 194, 155, 15}, this, tr("Next wallpaper hotkey"));
    edt3 = new HotkeyEdit("edt3", {193, 224, 155, 15}, this, tr("Previous wallpaper hotkey"));
    // A zero-width edit holds the focus, so that no hotkey field has it
    // when the window opens.
    edtFocus = new QLineEdit(this);
    edtFocus->setObjectName(QStringLiteral("edtFocus"));
    edtFocus->setGeometry(212, 8, 0, 21);
    edtFocus->setReadOnly(true);
    setTabOrder(edtFocus, edt1);
    setTabOrder(edt1, edt2);
    setTabOrder(edt2, edt3);
    // Why the last key released in a field was not taken, under the fields.
    lbHotkeyReason = new QLabel(this);
    lbHotkeyReason->setObjectName(QStringLiteral("lbHotkeyReason"));
    lbHotkeyReason->setGeometry(20, 242, 328, 13);
    lbHotkeyReason->setTextFormat(Qt::PlainText);
    lbHotkeyReason->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette reasonColours = lbHotkeyReason->palette();
    reasonColours.setColor(QPalette::WindowText, QColor(246, 206, 134));
    lbHotkeyReason->setPalette(reasonColours);

    connect(iLoadWithWindows, &SkinSwitch::pressed, this,
            [this] { flip(iLoadWithWindows, NewLoadWithWindows); });
    connect(iChangeWithStart, &SkinSwitch::pressed, this,
            [this] { flip(iChangeWithStart, NewChangeWithStart); });
    connect(iUseGlobalKey, &SkinSwitch::pressed, this,
            [this] { flip(iUseGlobalKey, NewUseGlobalKey); });
    for (int slot = 0; slot < 3; ++slot) {
        connect(field(slot), &HotkeyEdit::released, this,
                [this, slot](Qt::KeyboardModifiers modifiers, std::uint16_t vk, bool systemKeeps) {
                    captureKey(slot, modifiers, vk, systemKeeps);
                });
    }
    connect(iClearmini1, &SkinButton::clicked, this, [this] { clearSlot(0); });
    connect(iClearmini2, &SkinButton::clicked, this, [this] { clearSlot(1); });
    connect(iClearmini3, &SkinButton::clicked, this, [this] { clearSlot(2); });
    connect(iApplySmall, &SkinButton::pressed, this, &TfParam::applySettings);
    connect(iClose, &SkinButton::pressed, this, &SkinWindow::closeWindow);
    // The program's own hotkeys would take the very keys a field is to
    // capture: they are given back while a field has the focus.
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { onFocusChanged(now); });
}

void TfParam::onFocusChanged(QWidget* now) {
    const bool inField = now && (now == edt1 || now == edt2 || now == edt3);
    m_hotkeys.setSuspended(inField && isVisible());
}

void TfParam::hideEvent(QHideEvent* event) {
    SkinWindow::hideEvent(event);
    m_hotkeys.setSuspended(false);
}

HotkeyEdit* TfParam::field(int slot) const {
    return slot == 0 ? edt1 : slot == 1 ? edt2 : edt3;
}

void TfParam::showEvent(QShowEvent* event) {
    SkinWindow::showEvent(event);
    // A window manager showing the window again (after a minimise, say) is
    // no new showing.
    if (!event->spontaneous())
        FormShow();
}

void TfParam::FormShow() {
    QString readError;
    try {
        NewLoadWithWindows = platform::autostartEnabled(m_state.RunValueName);
    } catch (const platform::StoreError& e) {
        // An entry that cannot be read shows as off; the error is reported
        // once the window is up.
        NewLoadWithWindows = false;
        readError = QString::fromUtf8(e.what());
    }
    NewChangeWithStart = m_state.ChangeWithStart;
    NewUseGlobalKey = m_state.UseGlobalKey;
    iLoadWithWindows->setOn(NewLoadWithWindows);
    iChangeWithStart->setOn(NewChangeWithStart);
    iUseGlobalKey->setOn(NewUseGlobalKey);
    for (int slot = 0; slot < 3; ++slot)
        field(slot)->clear();
    lbHotkeyReason->clear();
    edtFocus->setFocus();
    NewGlobalKeys = m_state.GlobalKeys;
    for (int slot = 0; slot < 3; ++slot)
        if (NewGlobalKeys[slot].aKey != 0)
            field(slot)->setText(GlobalKey2String(NewGlobalKeys[slot]));
    if (!readError.isEmpty())
        QTimer::singleShot(0, this,
                           [this, readError] { ShowErrorBox(this, readError.toStdString()); });
}

void TfParam::flip(SkinSwitch* control, bool& flag) {
    flag = !flag;
    control->setOn(flag);
}

void TfParam::captureKey(int slot, Qt::KeyboardModifiers modifiers, std::uint16_t vk,
                         bool systemKeeps) {
    // The record has no flag for the logo key: held, it would be dropped
    // and the rest taken alone.
    if (vk == LeftLogoKey || vk == RightLogoKey || modifiers.testFlag(Qt::MetaModifier))
        return showReason(tr("The logo key cannot be part of a hotkey"));
    if (vk == 0)
        return showReason(tr("This key cannot be a hotkey"));
    const TGlobalKey key = Key2GlobalKey(modifiers, vk);
    // A grab would be granted, but the press would never come.
    if (systemKeeps)
        return showReason(tr("%1 belongs to the system").arg(GlobalKey2String(key)));
    if (!IsSystemWideHotkey(key))
        return showReason(tr("Add Ctrl or Alt: other programs need this key"));
    switch (GlobalHotkeys::check(key)) {
    case platform::HotkeyCheck::Taken:
        return showReason(tr("Another program uses this combination"));
    case platform::HotkeyCheck::NoKey:
        return showReason(tr("No key of this keyboard makes this combination"));
    case platform::HotkeyCheck::Free:
        break;
    }
    setSlot(slot, key);
}

void TfParam::showReason(const QString& reason) {
    lbHotkeyReason->setText(reason);
}

void TfParam::setSlot(int slot, const TGlobalKey& key) {
    NewGlobalKeys[slot] = key;
    field(slot)->setText(GlobalKey2String(key));
    lbHotkeyReason->clear();
}

void TfParam::clearSlot(int slot) {
    // The flags stay: the slot is stored with them and no key.
    NewGlobalKeys[slot].aKey = 0;
    field(slot)->clear();
    lbHotkeyReason->clear();
}

void TfParam::applySettings() {
    // The entry is written (or removed) on every apply, so that it always
    // holds the program's current path. A refusal ends the apply before
    // anything else has changed.
    try {
        platform::setAutostart(m_state.RunValueName, platform::executablePath(),
                               NewLoadWithWindows);
    } catch (const platform::StoreError& e) {
        ShowErrorBox(this, e.what());
        return;
    }
    m_state.ChangeWithStart = NewChangeWithStart;
    if (m_state.UseGlobalKey)
        m_hotkeys.GlobalKeyUnRegistry();
    m_state.UseGlobalKey = NewUseGlobalKey;
    m_state.GlobalKeys = NewGlobalKeys;
    m_hotkeys.GlobalKeyRegistry(m_state.GlobalKeys, m_state.UseGlobalKey);
    closeWindow();
}
