#include "ui/settingswindow.h"

#include "collection/state.h"
#include "platform/autostart.h"
#include "platform/hotkeys.h"
#include "platform/paths.h"
#include "system/hotkeys.h"
#include "system/qtkeys.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QColorDialog>
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
    if (const std::uint16_t vk = qtKey2VirtualKey(event->key(), event->modifiers()))
        return vk;
    return platform::baseVirtualKey(event->nativeScanCode());
#endif
}

constexpr std::uint16_t LeftLogoKey = 91, RightLogoKey = 92;

// The hotkey fields' look, shared by the placement's list: black, borderless,
// light text, a thin light frame while it has the keyboard focus.
const QString FieldText = QStringLiteral("rgb(221, 248, 246)");

// The placements in the order the list shows them.
constexpr PlacementMode Placements[] = {PlacementMode::Fill,    PlacementMode::Fit,
                                        PlacementMode::Stretch, PlacementMode::Center,
                                        PlacementMode::Tile,    PlacementMode::Span};

bool leavesRoom(PlacementMode mode) {
    return mode == PlacementMode::Fit || mode == PlacementMode::Center;
}

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
    if (vk != 0 && !isHotkeyCaptureKey(vk))
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

// --------------------------------------------------------------- SettingsWindow

SettingsWindow::SettingsWindow(ProgramState& state, GlobalHotkeys& hotkeys, QWidget* parent)
    : SkinWindow(QSize(397, 300), "imgInterfaceParam", "imgInterfaceParam", parent), m_state(state),
      m_hotkeys(hotkeys) {
    setObjectName(QStringLiteral("fParam"));
    setWindowTitle(tr("Settings"));
    setFont(fieldFont());
    createControls();
}

void SettingsWindow::createControls() {
    // In layout order: each control is drawn over the ones before it.
    m_iLoadWithWindows =
        new SkinSwitch("iLoadWithWindows", {8, 48, 73, 25}, this, tr("Start at logon"));
    m_iChangeWithStart = new SkinSwitch("iChangeWithStart", {8, 88, 73, 25}, this,
                                        tr("Change the wallpaper at start-up"));
    m_iClose = new SkinButton("iClose", {206, 272, 105, 27}, this, tr("Cancel"));
    m_iApplySmall = new SkinButton("iApplySmall", {86, 272, 105, 27}, this, tr("Apply"));
    m_iUseGlobalKey = new SkinSwitch("iUseGlobalKey", {8, 128, 73, 25}, this, tr("Hotkeys"));
    m_iClearmini1 = new SkinButton("iClearmini1", {354, 160, 19, 23}, this,
                                   tr("Clear the random wallpaper hotkey"), "iClearmini");
    m_iClearmini2 = new SkinButton("iClearmini2", {354, 190, 19, 23}, this,
                                   tr("Clear the next wallpaper hotkey"), "iClearmini");
    m_iClearmini3 = new SkinButton("iClearmini3", {354, 221, 19, 23}, this,
                                   tr("Clear the previous wallpaper hotkey"), "iClearmini");
    m_iLoadWithWindows->describe(tr("Start at logon (Space)"),
                                 tr("Starts the program when you log on."));
    m_iChangeWithStart->describe(tr("Change the wallpaper at start-up (Space)"),
                                 tr("Sets a random picture as the wallpaper when the program "
                                    "starts."));
    m_iUseGlobalKey->describe(tr("Hotkeys on or off (Space)"),
                              tr("Lets the three hotkeys below change the wallpaper from any "
                                 "program."));
    m_iApplySmall->describe(tr("Apply"), tr("Applies the settings and closes."));
    m_iClose->describe(tr("Cancel"), tr("Closes without applying."));
    for (SkinButton* b : {m_iClearmini1, m_iClearmini2, m_iClearmini3})
        b->describe(b->accessibleName(), tr("Empties the hotkey field beside this button."));
    m_edt1 = new HotkeyEdit("edt1", {193, 164, 155, 15}, this, tr("Random wallpaper hotkey"));
    m_edt2 = new HotkeyEdit("edt2", {193, 194, 155, 15}, this, tr("Next wallpaper hotkey"));
    m_edt3 = new HotkeyEdit("edt3", {193, 224, 155, 15}, this, tr("Previous wallpaper hotkey"));
    // A zero-width edit holds the focus, so that no hotkey field has it
    // when the window opens.
    m_edtFocus = new QLineEdit(this);
    m_edtFocus->setObjectName(QStringLiteral("edtFocus"));
    m_edtFocus->setGeometry(212, 8, 0, 21);
    m_edtFocus->setReadOnly(true);
    setTabOrder(m_edtFocus, m_edt1);
    setTabOrder(m_edt1, m_edt2);
    setTabOrder(m_edt2, m_edt3);
    // Why the last key released in a field was not taken, under the fields.
    m_lbHotkeyReason = new QLabel(this);
    m_lbHotkeyReason->setObjectName(QStringLiteral("lbHotkeyReason"));
    m_lbHotkeyReason->setGeometry(20, 242, 328, 13);
    m_lbHotkeyReason->setTextFormat(Qt::PlainText);
    m_lbHotkeyReason->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette reasonColours = m_lbHotkeyReason->palette();
    reasonColours.setColor(QPalette::WindowText, QColor(246, 206, 134));
    m_lbHotkeyReason->setPalette(reasonColours);

    // How the picture meets the monitors, and the colour of what it leaves
    // free, on the first row beside its label.
    m_lbPlacement = new QLabel(tr("Placement"), this);
    m_lbPlacement->setObjectName(QStringLiteral("lbPlacement"));
    m_lbPlacement->setGeometry(196, 44, 68, 17);
    m_lbPlacement->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette labelColours = m_lbPlacement->palette();
    labelColours.setColor(QPalette::WindowText, QColor(214, 218, 222));
    m_lbPlacement->setPalette(labelColours);
    m_cbPlacement = new QComboBox(this);
    m_cbPlacement->setObjectName(QStringLiteral("cbPlacement"));
    m_cbPlacement->setGeometry(268, 44, 80, 17);
    m_cbPlacement->setAccessibleName(tr("Placement"));
    for (const QString& text :
         {tr("Fill"), tr("Fit"), tr("Stretch"), tr("Center"), tr("Tile"), tr("Span")})
        m_cbPlacement->addItem(text);
    m_cbPlacement->setStyleSheet(
        QStringLiteral("QComboBox { background: black; color: %1; border: 1px solid black;"
                       " padding-left: 3px; }"
                       "QComboBox:focus { border: 1px solid %1; }"
                       "QComboBox::drop-down { border: none; width: 12px; }"
                       "QComboBox::down-arrow { width: 0; height: 0; border-left: 4px solid black;"
                       " border-right: 4px solid black; border-top: 5px solid %1; }"
                       "QComboBox QAbstractItemView { background: black; color: %1;"
                       " selection-background-color: rgb(52, 66, 80); border: 1px solid %1; }")
            .arg(FieldText));
    // The same picture on every monitor, or each monitor its own, under the
    // placement: the first row is the one whose caption leaves room.
    m_lbMonitors = new QLabel(tr("Monitors"), this);
    m_lbMonitors->setObjectName(QStringLiteral("lbMonitors"));
    m_lbMonitors->setGeometry(196, 67, 68, 17);
    m_lbMonitors->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lbMonitors->setPalette(labelColours);
    m_cbMonitors = new QComboBox(this);
    m_cbMonitors->setObjectName(QStringLiteral("cbMonitors"));
    m_cbMonitors->setGeometry(268, 67, 105, 17);
    m_cbMonitors->setAccessibleName(tr("Monitors"));
    m_cbMonitors->setToolTip(tr("The same picture on every monitor, or a different picture on "
                                "each monitor, the monitors taking new pictures in turn"));
    m_cbMonitors->addItem(tr("All the same"));
    m_cbMonitors->addItem(tr("Each its own"));
    m_cbMonitors->setStyleSheet(m_cbPlacement->styleSheet());
    m_lbMonitors->setBuddy(m_cbMonitors);
    m_pbBackgroundColor = new QPushButton(this);
    m_pbBackgroundColor->setObjectName(QStringLiteral("pbBackgroundColor"));
    m_pbBackgroundColor->setGeometry(354, 43, 19, 19);
    m_pbBackgroundColor->setAccessibleName(tr("Background colour"));
    m_pbBackgroundColor->setToolTip(tr("Colour around a picture that does not fill the screen"));
    m_pbBackgroundColor->setCursor(Qt::PointingHandCursor);
    setTabOrder(m_edt3, m_cbPlacement);
    setTabOrder(m_cbPlacement, m_pbBackgroundColor);
    setTabOrder(m_pbBackgroundColor, m_cbMonitors);

    connect(m_iLoadWithWindows, &SkinSwitch::pressed, this,
            [this] { flip(m_iLoadWithWindows, newLoadWithWindows); });
    connect(m_iChangeWithStart, &SkinSwitch::pressed, this,
            [this] { flip(m_iChangeWithStart, newChangeWithStart); });
    connect(m_iUseGlobalKey, &SkinSwitch::pressed, this,
            [this] { flip(m_iUseGlobalKey, newUseGlobalKey); });
    for (int slot = 0; slot < 3; ++slot) {
        connect(field(slot), &HotkeyEdit::released, this,
                [this, slot](Qt::KeyboardModifiers modifiers, std::uint16_t vk, bool systemKeeps) {
                    captureKey(slot, modifiers, vk, systemKeeps);
                });
    }
    connect(m_iClearmini1, &SkinButton::clicked, this, [this] { clearSlot(0); });
    connect(m_iClearmini2, &SkinButton::clicked, this, [this] { clearSlot(1); });
    connect(m_iClearmini3, &SkinButton::clicked, this, [this] { clearSlot(2); });
    connect(m_cbPlacement, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < int(std::size(Placements)))
            newPlacement = Placements[index];
        showPlacement();
    });
    connect(m_cbMonitors, &QComboBox::activated, this,
            [this](int index) { newPerMonitor = index == 1; });
    connect(m_pbBackgroundColor, &QPushButton::clicked, this,
            &SettingsWindow::chooseBackgroundColor);
    connect(m_iApplySmall, &SkinButton::pressed, this, &SettingsWindow::applySettings);
    connect(m_iClose, &SkinButton::pressed, this, &SkinWindow::closeWindow);
    // The program's own hotkeys would take the very keys a field is to
    // capture: they are given back while a field has the focus.
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { onFocusChanged(now); });
}

void SettingsWindow::onFocusChanged(QWidget* now) {
    const bool inField = now && (now == m_edt1 || now == m_edt2 || now == m_edt3);
    m_hotkeys.setSuspended(inField && isVisible());
}

void SettingsWindow::hideEvent(QHideEvent* event) {
    SkinWindow::hideEvent(event);
    m_hotkeys.setSuspended(false);
}

HotkeyEdit* SettingsWindow::field(int slot) const {
    return slot == 0 ? m_edt1 : slot == 1 ? m_edt2 : m_edt3;
}

void SettingsWindow::showEvent(QShowEvent* event) {
    SkinWindow::showEvent(event);
    // A window manager showing the window again (after a minimise, say) is
    // no new showing.
    if (!event->spontaneous())
        resetFromState();
}

void SettingsWindow::resetFromState() {
    QString readError;
    try {
        newLoadWithWindows = platform::autostartEnabled(m_state.runValueName);
    } catch (const platform::StoreError& e) {
        // An entry that cannot be read shows as off; the error is reported
        // once the window is up.
        newLoadWithWindows = false;
        readError = QString::fromUtf8(e.what());
    }
    newChangeWithStart = m_state.changeWithStart;
    newUseGlobalKey = m_state.useGlobalKey;
    m_iLoadWithWindows->setOn(newLoadWithWindows);
    m_iChangeWithStart->setOn(newChangeWithStart);
    m_iUseGlobalKey->setOn(newUseGlobalKey);
    for (int slot = 0; slot < 3; ++slot)
        field(slot)->clear();
    m_lbHotkeyReason->clear();
    m_edtFocus->setFocus();
    newPlacement = m_state.placement;
    setBackgroundColor(m_state.backgroundColor);
    showPlacement();
    newPerMonitor = m_state.perMonitor;
    m_cbMonitors->setCurrentIndex(newPerMonitor ? 1 : 0);
    newGlobalKeys = m_state.globalKeys;
    for (int slot = 0; slot < 3; ++slot)
        if (newGlobalKeys[slot].key != 0)
            field(slot)->setText(globalKey2String(newGlobalKeys[slot]));
    if (!readError.isEmpty())
        QTimer::singleShot(0, this,
                           [this, readError] { showErrorBox(this, readError.toStdString()); });
}

void SettingsWindow::showPlacement() {
    for (int i = 0; i < int(std::size(Placements)); ++i)
        if (Placements[i] == newPlacement)
            m_cbPlacement->setCurrentIndex(i);
    // The colour matters only where the picture leaves room.
    m_pbBackgroundColor->setEnabled(leavesRoom(newPlacement));
    // One picture spread over all monitors has no picture per monitor.
    if (m_cbMonitors)
        m_cbMonitors->setEnabled(newPlacement != PlacementMode::Span);
}

void SettingsWindow::setBackgroundColor(std::uint32_t rgb) {
    newBackgroundColor = rgb & 0xFFFFFF;
    const QColor c = QColor::fromRgb(newBackgroundColor);
    m_pbBackgroundColor->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; border: 1px solid rgb(120, 128, 136); }"
                       "QPushButton:focus { border: 1px solid %2; }"
                       "QPushButton:disabled { background: rgb(40, 44, 48);"
                       " border: 1px solid rgb(60, 64, 68); }")
            .arg(c.name(), FieldText));
}

void SettingsWindow::chooseBackgroundColor() {
    // Window-modal and answered by a signal: no loop of its own.
    auto* dialog = new QColorDialog(QColor::fromRgb(newBackgroundColor), this);
    dialog->setObjectName(QStringLiteral("dBackgroundColor"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QColorDialog::colorSelected, this,
            [this](const QColor& c) { setBackgroundColor(c.rgb() & 0xFFFFFF); });
    dialog->open();
}

void SettingsWindow::flip(SkinSwitch* control, bool& flag) {
    flag = !flag;
    control->setOn(flag);
}

void SettingsWindow::captureKey(int slot, Qt::KeyboardModifiers modifiers, std::uint16_t vk,
                                bool systemKeeps) {
    // The record has no flag for the logo key: held, it would be dropped
    // and the rest taken alone.
    if (vk == LeftLogoKey || vk == RightLogoKey || modifiers.testFlag(Qt::MetaModifier))
        return showReason(tr("The logo key cannot be part of a hotkey"));
    if (vk == 0)
        return showReason(tr("This key cannot be a hotkey"));
    const GlobalKey key = key2GlobalKey(modifiers, vk);
    // A grab would be granted, but the press would never come.
    if (systemKeeps)
        return showReason(tr("%1 belongs to the system").arg(globalKey2String(key)));
    if (!isSystemWideHotkey(key))
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

void SettingsWindow::showReason(const QString& reason) {
    m_lbHotkeyReason->setText(reason);
}

void SettingsWindow::setSlot(int slot, const GlobalKey& key) {
    newGlobalKeys[slot] = key;
    field(slot)->setText(globalKey2String(key));
    m_lbHotkeyReason->clear();
}

void SettingsWindow::clearSlot(int slot) {
    // The flags stay: the slot is stored with them and no key.
    newGlobalKeys[slot].key = 0;
    field(slot)->clear();
    m_lbHotkeyReason->clear();
}

void SettingsWindow::applySettings() {
    // The entry is written (or removed) on every apply, so that it always
    // holds the program's current path. A refusal ends the apply before
    // anything else has changed.
    try {
        platform::setAutostart(m_state.runValueName, platform::executablePath(),
                               newLoadWithWindows);
    } catch (const platform::StoreError& e) {
        showErrorBox(this, e.what());
        return;
    }
    m_state.changeWithStart = newChangeWithStart;
    m_state.placement = newPlacement;
    m_state.backgroundColor = newBackgroundColor;
    m_state.perMonitor = newPerMonitor;
    if (m_state.useGlobalKey)
        m_hotkeys.unregisterHotkeys();
    m_state.useGlobalKey = newUseGlobalKey;
    m_state.globalKeys = newGlobalKeys;
    m_hotkeys.registerHotkeys(m_state.globalKeys, m_state.useGlobalKey);
    closeWindow();
}
