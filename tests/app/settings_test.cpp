// The settings window in the running program on the offscreen platform: its
// showing, the hotkey capture, the switches and clear buttons, Apply's order
// and Cancel; and the About window's link.
#include "app/appfixture.h"
#include "support/modal.h"

#include "platform/autostart.h"
#include "platform/paths.h"
#include "system/hotkeys.h"
#include "ui/aboutwindow.h"
#include "ui/settingswindow.h"

#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QStandardPaths>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const GlobalKey CtrlAltR{true, true, false, 'R'};
const GlobalKey CtrlAltN{true, true, false, 'N'};
const GlobalKey CtrlAltB{true, true, false, 'B'};
const GlobalKey F9{false, false, false, 120};

std::string autostartEntry() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
           "/autostart/Quorvane.desktop";
}

} // namespace

class Settings : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        startApp();
        m_window = m_app->settingsWindow();
        ASSERT_NE(m_window, nullptr);
    }
    void TearDown() override {
        m_window->closeWindow();
        AppTest::TearDown();
    }

    void open() {
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
    }
    template <typename T = QWidget> T* child(const char* name) const {
        T* w = m_window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString field(const char* name) const { return child<QLineEdit>(name)->text(); }
    std::string picture(const char* name) const { return child<SkinPicture>(name)->pictureName(); }
    void press(const char* name, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(child(name), button, {}, QPoint(5, 5));
        QTest::mouseRelease(child(name), button, {}, QPoint(5, 5));
    }
    const std::array<GlobalKey, 3>& registered() const {
        return m_app->hotkeys()->registeredKeys();
    }

    SettingsWindow* m_window = nullptr;
};

// ------------------------------------------------------------------- showing

TEST_F(Settings, ShowingFillsTheCopiesAndControlsFromTheState) {
    s().changeWithStart = true;
    s().useGlobalKey = false;
    s().globalKeys = {CtrlAltR, GlobalKey{true, true, false, 0},
                      GlobalKey{false, false, true, 116}};
    platform::setAutostart("Quorvane", "/opt/quorvane", true);
    open();
    EXPECT_TRUE(m_window->newLoadWithWindows);
    EXPECT_TRUE(m_window->newChangeWithStart);
    EXPECT_FALSE(m_window->newUseGlobalKey);
    EXPECT_EQ(m_window->newGlobalKeys, s().globalKeys);
    EXPECT_EQ(picture("iLoadWithWindows"), "iOn");
    EXPECT_EQ(picture("iChangeWithStart"), "iOn");
    EXPECT_EQ(picture("iUseGlobalKey"), "iOff");
    EXPECT_EQ(field("edt1"), "Ctrl + Alt + R");
    EXPECT_EQ(field("edt2"), ""); // the empty slot shows blank
    EXPECT_EQ(field("edt3"), "Shift + F5");
    EXPECT_EQ(m_window->focusWidget(), child("edtFocus"));
    EXPECT_EQ(child("edtFocus")->width(), 0);
}

// ------------------------------------------------------------------- capture

struct KeyStep {
    QEvent::Type type;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};
const auto Down = QEvent::KeyPress;
const auto Up = QEvent::KeyRelease;
const Qt::KeyboardModifiers None = Qt::NoModifier;
const Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
const Qt::KeyboardModifiers Alt = Qt::AltModifier;
const Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
const Qt::KeyboardModifiers Keypad = Qt::KeypadModifier;
const Qt::KeyboardModifiers Meta = Qt::MetaModifier;

struct CaptureCase {
    const char* label;
    std::vector<KeyStep> steps;
    QString shown;    // the field's text at the end
    GlobalKey hotkey; // the slot at the end
    QString reason{}; // why the last key was refused, shown under the fields
};
void PrintTo(const CaptureCase& c, std::ostream* os) {
    *os << c.label;
}

class SettingsCapture : public Settings, public ::testing::WithParamInterface<CaptureCase> {};

TEST_P(SettingsCapture, AReleaseInAFieldBecomesItsSlotsHotkey) {
    open();
    auto* edt = child<QLineEdit>("edt2");
    edt->setFocus();
    for (const KeyStep& step : GetParam().steps) {
        const QString before = edt->text();
        QKeyEvent event(step.type, step.key, step.modifiers, step.text);
        QApplication::sendEvent(edt, &event);
        // A press never changes the text: nothing typed appears.
        if (step.type == QEvent::KeyPress) {
            EXPECT_EQ(edt->text(), before) << "after pressing " << step.key;
        }
    }
    EXPECT_EQ(edt->text(), GetParam().shown);
    EXPECT_EQ(m_window->newGlobalKeys[1], GetParam().hotkey);
    EXPECT_EQ(child<QLabel>("lbHotkeyReason")->text(), GetParam().reason);
    // Only the focused field's slot changes, and nothing reaches the state.
    EXPECT_EQ(m_window->newGlobalKeys[0], CtrlAltR);
    EXPECT_EQ(m_window->newGlobalKeys[2], CtrlAltB);
    EXPECT_EQ(s().globalKeys[1], CtrlAltN);
    EXPECT_EQ(QApplication::focusWidget(), edt);
}

INSTANTIATE_TEST_SUITE_P(
    , SettingsCapture,
    ::testing::Values(
        CaptureCase{"ModifiersAndTabAlone",
                    {{Down, Qt::Key_Control, Ctrl, {}},
                     {Up, Qt::Key_Control, None, {}},
                     {Down, Qt::Key_Alt, Alt, {}},
                     {Up, Qt::Key_Alt, None, {}},
                     {Down, Qt::Key_Shift, Shift, {}},
                     {Up, Qt::Key_Shift, None, {}},
                     {Up, Qt::Key_Tab, None, "\t"}},
                    "Ctrl + Alt + N",
                    CtrlAltN},
        CaptureCase{"CtrlAltR",
                    {{Down, Qt::Key_Control, Ctrl, {}},
                     {Down, Qt::Key_Alt, Ctrl | Alt, {}},
                     {Down, Qt::Key_R, Ctrl | Alt, {}},
                     {Up, Qt::Key_R, Ctrl | Alt, {}},
                     {Up, Qt::Key_Alt, Ctrl, {}},
                     {Up, Qt::Key_Control, None, {}}},
                    "Ctrl + Alt + R",
                    CtrlAltR},
        CaptureCase{"CtrlReleasedFirst",
                    {{Down, Qt::Key_Control, Ctrl, {}},
                     {Down, Qt::Key_Alt, Ctrl | Alt, {}},
                     {Down, Qt::Key_R, Ctrl | Alt, {}},
                     {Up, Qt::Key_Control, Alt, {}},
                     {Up, Qt::Key_R, Alt, {}},
                     {Up, Qt::Key_Alt, None, {}}},
                    "Alt + R",
                    GlobalKey{false, true, false, 'R'}},
        CaptureCase{"ModifiersInAnyOrder",
                    {{Down, Qt::Key_Shift, Shift, {}},
                     {Down, Qt::Key_Control, Shift | Ctrl, {}},
                     {Down, Qt::Key_F5, Shift | Ctrl, {}},
                     {Up, Qt::Key_F5, Shift | Ctrl, {}}},
                    "Ctrl + Shift + F5",
                    GlobalKey{true, false, true, 116}},
        CaptureCase{
            "F9Alone", {{Down, Qt::Key_F9, None, {}}, {Up, Qt::Key_F9, None, {}}}, "F9", F9},
        CaptureCase{"PauseAlone",
                    {{Down, Qt::Key_Pause, None, {}}, {Up, Qt::Key_Pause, None, {}}},
                    "Pause",
                    GlobalKey{false, false, false, 19}},
        // Keys that type or move take Ctrl or Alt: alone they would be taken
        // from every program.
        CaptureCase{"TypedCharactersAreRefused",
                    {{Down, Qt::Key_A, None, "a"},
                     {Up, Qt::Key_A, None, "a"},
                     {Down, Qt::Key_B, None, "b"},
                     {Up, Qt::Key_B, None, "b"}},
                    "Ctrl + Alt + N",
                    CtrlAltN,
                    "Add Ctrl or Alt: other programs need this key"},
        CaptureCase{"ShiftedCharacterIsRefused",
                    {{Down, Qt::Key_Shift, Shift, {}},
                     {Down, Qt::Key_Exclam, Shift, "!"},
                     {Up, Qt::Key_Exclam, Shift, "!"}},
                    "Ctrl + Alt + N",
                    CtrlAltN,
                    "Add Ctrl or Alt: other programs need this key"},
        CaptureCase{"ShiftedCharacterWithCtrl",
                    {{Down, Qt::Key_Shift, Shift, {}},
                     {Down, Qt::Key_Control, Shift | Ctrl, {}},
                     {Down, Qt::Key_Exclam, Shift | Ctrl, "!"},
                     {Up, Qt::Key_Exclam, Shift | Ctrl, "!"}},
                    "Ctrl + Shift + 1",
                    GlobalKey{true, false, true, '1'}},
        CaptureCase{"KeypadDigitIsRefused",
                    {{Down, Qt::Key_5, Keypad, "5"}, {Up, Qt::Key_5, Keypad, "5"}},
                    "Ctrl + Alt + N",
                    CtrlAltN,
                    "Add Ctrl or Alt: other programs need this key"},
        CaptureCase{"KeypadOperatorWithCtrl",
                    {{Down, Qt::Key_Control, Ctrl, {}},
                     {Down, Qt::Key_Minus, Ctrl | Keypad, "-"},
                     {Up, Qt::Key_Minus, Ctrl | Keypad, "-"}},
                    "Ctrl + Num -",
                    GlobalKey{true, false, false, 109}},
        // The record has no flag for the logo key: it would be dropped.
        CaptureCase{"LogoKeyIsRefused",
                    {{Down, Qt::Key_Meta, Meta, {}},
                     {Down, Qt::Key_F9, Meta, {}},
                     {Up, Qt::Key_F9, Meta, {}},
                     {Up, Qt::Key_Meta, None, {}}},
                    "Ctrl + Alt + N",
                    CtrlAltN,
                    "The logo key cannot be part of a hotkey"},
        CaptureCase{"KeyWithoutACode",
                    {{Down, Qt::Key_VolumeUp, None, {}}, {Up, Qt::Key_VolumeUp, None, {}}},
                    "Ctrl + Alt + N",
                    CtrlAltN,
                    "This key cannot be a hotkey"},
        // An accepted key clears the reason of the refused one before it.
        CaptureCase{"RefusedThenAccepted",
                    {{Down, Qt::Key_A, None, "a"},
                     {Up, Qt::Key_A, None, "a"},
                     {Down, Qt::Key_F9, None, {}},
                     {Up, Qt::Key_F9, None, {}}},
                    "F9",
                    F9}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Settings, NothingButACaptureReachesTheText) {
    open();
    auto* edt = child<QLineEdit>("edt1");
    edt->setFocus();
    QGuiApplication::clipboard()->setText("pasted");
    QTest::mouseClick(edt, Qt::MiddleButton);
    QInputMethodEvent im;
    im.setCommitString("typed");
    QApplication::sendEvent(edt, &im);
    QTest::keyClicks(edt, "xyz");
    EXPECT_EQ(edt->text(), "Ctrl + Alt + R");
    EXPECT_FALSE(edt->acceptDrops());
    EXPECT_EQ(edt->contextMenuPolicy(), Qt::NoContextMenu);
}

TEST_F(Settings, TabMovesTheFocusThroughTheControlsInReadingOrder) {
    open();
    // The focus holder is no Tab stop: Tab goes from it to the first control,
    // then row by row, each row from the left.
    QWidget* focus = child("edtFocus");
    // The placement and monitors lists sit beside the first row, one under
    // the other; the colour swatch is off for Fill.
    const std::vector<std::string> expected{"iLoadWithWindows", "cbPlacement",
                                            "cbMonitors",       "iChangeWithStart",
                                            "iUseGlobalKey",    "edt1",
                                            "iClearmini1",      "edt2",
                                            "iClearmini2",      "edt3",
                                            "iClearmini3",      "iApplySmall",
                                            "iClose",           "iLoadWithWindows"};
    std::vector<std::string> visited;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QTest::keyClick(focus, Qt::Key_Tab);
        focus = QApplication::focusWidget();
        visited.push_back(focus ? focus->objectName().toStdString() : std::string());
    }
    EXPECT_EQ(visited, expected);
    QTest::keyClick(focus, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), child("iClose"));
    EXPECT_EQ(field("edt2"), "Ctrl + Alt + N");
    EXPECT_EQ(field("edt3"), "Ctrl + Alt + B");
}

// ----------------------------------------------- switches and clear buttons

TEST_F(Settings, SwitchesFlipOnlyTheCopiesOnAnyButton) {
    open();
    struct {
        const char* name;
        bool SettingsWindow::*copy;
    } switches[] = {{"iLoadWithWindows", &SettingsWindow::newLoadWithWindows},
                    {"iChangeWithStart", &SettingsWindow::newChangeWithStart},
                    {"iUseGlobalKey", &SettingsWindow::newUseGlobalKey}};
    for (const auto& s : switches) {
        const bool before = m_window->*s.copy;
        press(s.name, Qt::RightButton);
        EXPECT_NE(m_window->*s.copy, before) << s.name;
        EXPECT_EQ(picture(s.name), before ? "iOff" : "iOn") << s.name;
        press(s.name, Qt::MiddleButton);
        EXPECT_EQ(m_window->*s.copy, before) << "twice flips back: " << s.name;
    }
    press("iChangeWithStart");
    EXPECT_FALSE(s().changeWithStart);
    EXPECT_TRUE(s().useGlobalKey);
    EXPECT_FALSE(fs::exists(autostartEntry()));
}

TEST_F(Settings, ClearButtonsEmptyTheKeyKeepTheFlagsAndActOnAClick) {
    open();
    press("iClearmini2", Qt::RightButton);
    EXPECT_EQ(field("edt2"), "Ctrl + Alt + N") << "a right click is no click";
    press("iClearmini2");
    EXPECT_EQ(field("edt2"), "");
    EXPECT_EQ(m_window->newGlobalKeys[1], (GlobalKey{true, true, false, 0}));
    EXPECT_EQ(field("edt1"), "Ctrl + Alt + R");
    EXPECT_EQ(field("edt3"), "Ctrl + Alt + B");
    EXPECT_EQ(s().globalKeys[1], CtrlAltN);
}

// -------------------------------------------------------- apply and cancel

TEST_F(Settings, ApplyCopiesEverythingUnregistersThenRegistersTheNewKeys) {
    ASSERT_EQ(registered(), (std::array<GlobalKey, 3>{CtrlAltR, CtrlAltN, CtrlAltB}));
    open();
    child("edt1")->setFocus();
    QTest::keyClick(child("edt1"), Qt::Key_F9);
    press("iClearmini2");
    press("iChangeWithStart");
    press("iLoadWithWindows");
    press("iApplySmall", Qt::RightButton);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(s().changeWithStart);
    EXPECT_TRUE(s().useGlobalKey);
    const GlobalKey cleared{true, true, false, 0};
    EXPECT_EQ(s().globalKeys, (std::array<GlobalKey, 3>{F9, cleared, CtrlAltB}));
    // The old slot 1 went with the unregistration; the new keys came after
    // the copy.
    EXPECT_EQ(registered(), (std::array<GlobalKey, 3>{F9, GlobalKey{}, CtrlAltB}));
    EXPECT_TRUE(platform::autostartEnabled("Quorvane"));
    EXPECT_NE(readFile(autostartEntry()).find(platform::executablePath()), std::string::npos);
}

TEST_F(Settings, HotkeysOffUnregisterAllAndKeepTheirKeysForLater) {
    open();
    press("iUseGlobalKey");
    press("iApplySmall");
    EXPECT_FALSE(s().useGlobalKey);
    EXPECT_EQ(registered(), (std::array<GlobalKey, 3>{}));
    EXPECT_EQ(s().globalKeys, (std::array<GlobalKey, 3>{CtrlAltR, CtrlAltN, CtrlAltB}));

    open(); // off and staying off: nothing registered
    child("edt3")->setFocus();
    QTest::keyClick(child("edt3"), Qt::Key_F9);
    press("iApplySmall");
    EXPECT_EQ(registered(), (std::array<GlobalKey, 3>{}));
    EXPECT_EQ(s().globalKeys[2], F9);

    open();
    EXPECT_EQ(picture("iUseGlobalKey"), "iOff");
    press("iUseGlobalKey");
    press("iApplySmall");
    EXPECT_EQ(registered(), (std::array<GlobalKey, 3>{CtrlAltR, CtrlAltN, F9}));
}

TEST_F(Settings, ApplyWithoutAChangeRewritesTheEntryWithTheCurrentPath) {
    writeFile(".config/autostart/Quorvane.desktop",
              "[Desktop Entry]\nType=Application\nName=Quorvane\nExec=\"/old/place/quorvane\"\n");
    open();
    EXPECT_EQ(picture("iLoadWithWindows"), "iOn");
    press("iApplySmall");
    const std::string entry = readFile(autostartEntry());
    EXPECT_EQ(entry.find("/old/place"), std::string::npos) << entry;
    EXPECT_NE(entry.find(platform::executablePath()), std::string::npos) << entry;
    EXPECT_EQ(registered(), (std::array<GlobalKey, 3>{CtrlAltR, CtrlAltN, CtrlAltB}));

    // Off: the entry goes, an empty one included.
    writeFile(".config/autostart/Quorvane.desktop", "");
    open();
    EXPECT_EQ(picture("iLoadWithWindows"), "iOff");
    press("iApplySmall");
    EXPECT_FALSE(fs::exists(autostartEntry()));
}

TEST_F(Settings, CancelDiscardsEveryEdit) {
    open();
    child("edt1")->setFocus();
    QTest::keyClick(child("edt1"), Qt::Key_F9);
    QTest::keyClick(child("edt1"), Qt::Key_A); // refused: F9 stays, with the reason
    EXPECT_EQ(field("edt1"), "F9");
    EXPECT_FALSE(child<QLabel>("lbHotkeyReason")->text().isEmpty());
    press("iClearmini3");
    press("iChangeWithStart");
    press("iUseGlobalKey");
    press("iLoadWithWindows");
    press("iClose", Qt::RightButton);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(s().changeWithStart);
    EXPECT_TRUE(s().useGlobalKey);
    EXPECT_EQ(s().globalKeys, (std::array<GlobalKey, 3>{CtrlAltR, CtrlAltN, CtrlAltB}));
    EXPECT_EQ(registered(), s().globalKeys);
    EXPECT_FALSE(fs::exists(autostartEntry()));
    // The next showing starts afresh, from the state and the entry as they
    // are then (this one written meanwhile by someone else).
    platform::setAutostart("Quorvane", "/opt/quorvane", true);
    open();
    EXPECT_EQ(field("edt1"), "Ctrl + Alt + R");
    EXPECT_EQ(field("edt3"), "Ctrl + Alt + B");
    EXPECT_EQ(picture("iChangeWithStart"), "iOff");
    EXPECT_EQ(picture("iLoadWithWindows"), "iOn");
    EXPECT_EQ(m_window->focusWidget(), child("edtFocus"));
    EXPECT_EQ(child<QLabel>("lbHotkeyReason")->text(), "");
}

// ------------------------------------------------------------------ placement

TEST_F(Settings, PlacementAndColourAreChosenByKeyboardAndTakenOnlyOnApply) {
    s().placement = PlacementMode::Stretch;
    s().backgroundColor = 0x336699;
    open();
    auto* placement = child<QComboBox>("cbPlacement");
    auto* colour = child<QPushButton>("pbBackgroundColor");
    EXPECT_EQ(placement->currentText(), "Stretch");
    EXPECT_FALSE(colour->isEnabled()) << "stretch leaves no room for a colour";
    // Down arrow on the focused list: Stretch -> Center, which leaves room.
    placement->setFocus();
    QTest::keyClick(placement, Qt::Key_Down);
    EXPECT_EQ(placement->currentText(), "Center");
    EXPECT_EQ(m_window->newPlacement, PlacementMode::Center);
    EXPECT_TRUE(colour->isEnabled());
    EXPECT_EQ(s().placement, PlacementMode::Stretch) << "taken before Apply";
    // Tab reaches the colour, Space opens the chooser without a loop of its own.
    QTest::keyClick(placement, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), colour);
    QTest::keyClick(colour, Qt::Key_Space);
    auto* dialog = m_window->findChild<QColorDialog*>("dBackgroundColor");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->currentColor(), QColor(0x33, 0x66, 0x99));
    dialog->setCurrentColor(QColor(0xAB, 0xCD, 0xEF));
    dialog->accept();
    EXPECT_EQ(m_window->newBackgroundColor, 0xABCDEFu);
    EXPECT_EQ(s().backgroundColor, 0x336699u);

    // A picture on each monitor, chosen with the keyboard; Span turns the
    // choice off, as one picture then covers all monitors.
    auto* monitors = child<QComboBox>("cbMonitors");
    EXPECT_EQ(monitors->currentText(), "All the same");
    monitors->setFocus();
    QTest::keyClick(monitors, Qt::Key_Down);
    EXPECT_FALSE(s().perMonitor) << "taken before Apply";

    press("iApplySmall");
    EXPECT_EQ(s().placement, PlacementMode::Center);
    EXPECT_EQ(s().backgroundColor, 0xABCDEFu);
    EXPECT_TRUE(s().perMonitor);

    // Cancel drops a new choice; the next showing starts from the state.
    open();
    EXPECT_EQ(placement->currentText(), "Center");
    placement->setFocus();
    QTest::keyClick(placement, Qt::Key_Up);
    EXPECT_EQ(m_window->newPlacement, PlacementMode::Stretch);
    press("iClose");
    EXPECT_EQ(s().placement, PlacementMode::Center);
    open();
    EXPECT_EQ(placement->currentText(), "Center");
    EXPECT_EQ(monitors->currentText(), "Each its own");
    EXPECT_TRUE(monitors->isEnabled());
    placement->setFocus();
    QTest::keyClick(placement, Qt::Key_End);
    EXPECT_EQ(placement->currentText(), "Span");
    EXPECT_FALSE(monitors->isEnabled());
}

TEST_F(Settings, ARefusedAutostartWriteStopsTheApplyBeforeAnyChange) {
    writeFile(".config/autostart", "a file where the folder should be");
    open();
    child("edt1")->setFocus();
    QTest::keyClick(child("edt1"), Qt::Key_F9);
    press("iChangeWithStart");
    press("iUseGlobalKey");
    press("iLoadWithWindows");
    QString text;
    answerNextBox(QMessageBox::Ok, &text);
    press("iApplySmall");
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_NE(text.indexOf("autostart"), -1) << text.toStdString();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(s().changeWithStart);
    EXPECT_TRUE(s().useGlobalKey);
    EXPECT_EQ(s().globalKeys[0], CtrlAltR);
    EXPECT_EQ(registered(), (std::array<GlobalKey, 3>{CtrlAltR, CtrlAltN, CtrlAltB}));
    // The edits are still there to retry or cancel.
    EXPECT_EQ(field("edt1"), "F9");
    EXPECT_TRUE(m_window->newLoadWithWindows);
}

// ---------------------------------------------------------------- About

class UrlRecorder : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { urls.push_back(url); }

public:
    std::vector<QUrl> urls;
};

class About : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        // The link goes to this recorder instead of a browser of the machine.
        QDesktopServices::setUrlHandler("https", &m_recorder, "open");
        QDesktopServices::setUrlHandler("http", &m_recorder, "open");
        startApp();
    }
    void TearDown() override {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("http");
        AppTest::TearDown();
    }
    UrlRecorder m_recorder;
};

TEST_F(About, TheLinkOpensTheWebPageEachTimeAndTheWindowStays) {
    AboutWindow* about = m_app->aboutWindow();
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = about->isVisible();
        auto* update = about->findChild<SkinButton*>("iUpdate");
        QTest::mouseClick(update, Qt::LeftButton);
        QTest::mouseClick(update, Qt::LeftButton);
        QTest::mouseClick(update, Qt::RightButton); // no click
        auto* close = about->findChild<SkinButton*>("iClose");
        QTest::mouseClick(close, Qt::RightButton);
        EXPECT_TRUE(about->isVisible());
        QTest::mouseClick(close, Qt::LeftButton);
    });
    m_app->showAbout();
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_TRUE(shown);
    EXPECT_FALSE(about->isVisible());
    ASSERT_EQ(m_recorder.urls.size(), 2u);
    EXPECT_EQ(m_recorder.urls[0], AboutWindow::homePage());
    EXPECT_TRUE(AboutWindow::homePage().isValid());
    EXPECT_FALSE(AboutWindow::homePage().host().isEmpty());
}

TEST_F(About, OpensCentredOverTheHiddenMainWindowThenWhereItWasLeft) {
    mainWindow().hide();
    mainWindow().move(100, 50);
    AboutWindow* about = m_app->aboutWindow();
    QPoint first;
    QTimer::singleShot(0, [&] {
        first = about->pos();
        about->move(300, 300);
        about->closeWindow();
    });
    QTest::keyClick(control("edtInput"), Qt::Key_F1);
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_EQ(first, QPoint(100 + (800 - 397) / 2, 50 + (435 - 174) / 2));
    QPoint second;
    QTimer::singleShot(0, [&] {
        second = about->pos();
        about->closeWindow();
    });
    m_app->showAbout();
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_EQ(second, QPoint(300, 300));
}

#include "settings_test.moc"
