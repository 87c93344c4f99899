// System-wide hotkeys on a real X server: the grabs with the lock-key
// variants, a combination another client holds, and presses sent by a
// second client arriving as hotkey ids.
#include "platform/hotkeys.h"
#include "platform/linux/keysyms.h"
#include "support/xclient.h"

#include <QAbstractNativeEventFilter>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <vector>

using namespace xtest;

namespace {

constexpr xcb_keysym_t XkB = 'b', XkN = 'n', XkR = 'r', XkF9 = 0xffc6;
constexpr std::uint16_t LockStates[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                        XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK};
constexpr unsigned CtrlAltBits = platform::ModControl | platform::ModAlt;

// Collects the ids the platform layer finds in the native event stream.
class Recorder : public QAbstractNativeEventFilter {
public:
    Recorder() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~Recorder() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        int id = 0;
        if (!platform::hotkeyFromNativeEvent(type.constData(), message, id))
            return false;
        ids.push_back(id);
        return true;
    }
    /// The ids that arrive while `keys` are pressed.
    std::vector<int> press(const QString& keys) {
        ids.clear();
        EXPECT_TRUE(pressKeys(keys)) << keys.toStdString();
        processEvents(300);
        return ids;
    }
    std::vector<int> ids;
};

// Captures what is written on stderr while it lives.
class StderrCapture {
public:
    StderrCapture() {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(2);
        ::dup2(m_file.handle(), 2);
    }
    ~StderrCapture() { restore(); }
    QString text() {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll());
    }

private:
    void restore() {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

class X11Hotkeys : public ::testing::Test {
protected:
    void SetUp() override {
        QUORVANE_REQUIRE_X11();
        ASSERT_TRUE(m_other.ok());
        m_numLock = m_other.state() & XCB_MOD_MASK_2;
    }
    void TearDown() override {
        for (int id = 100; id <= 103; ++id)
            platform::unregisterHotKey(nullptr, id);
        // Leave the lock keys as they were found.
        if ((m_other.state() & XCB_MOD_MASK_2) != m_numLock)
            pressKeys(QStringLiteral("Num_Lock"));
        if (m_other.state() & XCB_MOD_MASK_LOCK)
            pressKeys(QStringLiteral("Caps_Lock"));
    }
    XClient m_other;
    Recorder m_recorder;
    std::uint16_t m_numLock = 0;
};

TEST_F(X11Hotkeys, CombinationIsGrabbedWithEveryLockState) {
    ASSERT_TRUE(platform::registerHotKey(nullptr, 101, CtrlAltBits, 'N'));
    // Xvfb's map puts NumLock on Mod2.
    for (std::uint16_t locks : LockStates)
        EXPECT_TRUE(m_other.heldByOther(CtrlAlt | locks, XkN)) << "locks " << locks;
    // Only the combination itself: not Ctrl+N, not Ctrl+Alt+Shift+N.
    EXPECT_FALSE(m_other.heldByOther(XCB_MOD_MASK_CONTROL, XkN));
    EXPECT_FALSE(m_other.heldByOther(CtrlAlt | XCB_MOD_MASK_SHIFT, XkN));
}

TEST_F(X11Hotkeys, PressArrivesWhateverTheLockKeys) {
    ASSERT_TRUE(platform::registerHotKey(nullptr, 101, CtrlAltBits, 'N'));
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101});

    if (!(m_other.state() & XCB_MOD_MASK_2)) {
        ASSERT_TRUE(pressKeys(QStringLiteral("Num_Lock")));
    }
    ASSERT_TRUE(m_other.state() & XCB_MOD_MASK_2) << "NumLock did not lock";
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101})
        << "with NumLock on";

    ASSERT_TRUE(pressKeys(QStringLiteral("Caps_Lock")));
    ASSERT_TRUE(m_other.state() & XCB_MOD_MASK_LOCK) << "CapsLock did not lock";
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101})
        << "with NumLock and CapsLock on";

    ASSERT_TRUE(pressKeys(QStringLiteral("Num_Lock")));
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101})
        << "with CapsLock on";

    // Other modifiers make another combination.
    EXPECT_TRUE(m_recorder.press(QStringLiteral("ctrl+n")).empty());
    EXPECT_TRUE(m_recorder.press(QStringLiteral("ctrl+alt+shift+n")).empty());
}

TEST_F(X11Hotkeys, BareKeyAndShiftedKeyAreCombinationsToo) {
    ASSERT_TRUE(platform::registerHotKey(nullptr, 100, 0, 120));                  // F9 alone
    ASSERT_TRUE(platform::registerHotKey(nullptr, 102, platform::ModShift, 191)); // Shift + "/"
    EXPECT_EQ(m_recorder.press(QStringLiteral("F9")), std::vector<int>{100});
    EXPECT_EQ(m_recorder.press(QStringLiteral("shift+slash")), std::vector<int>{102});
    EXPECT_TRUE(m_recorder.press(QStringLiteral("slash")).empty());
}

TEST_F(X11Hotkeys, CombinationHeldByAnotherClientIsRefusedQuietlyAndTheOthersWork) {
    ASSERT_TRUE(m_other.grab(CtrlAlt, XkR));
    StderrCapture err;
    EXPECT_FALSE(platform::registerHotKey(nullptr, 100, CtrlAltBits, 'R'));
    EXPECT_TRUE(platform::registerHotKey(nullptr, 101, CtrlAltBits, 'N'));
    EXPECT_TRUE(platform::registerHotKey(nullptr, 102, CtrlAltBits, 'B'));
    const QString said = err.text();
    EXPECT_EQ(said.count(QLatin1Char('\n')), 1) << said.toStdString();
    EXPECT_TRUE(said.contains(QLatin1String("hotkey 100"))) << said.toStdString();

    // Nothing of the refused combination stays grabbed by us (its lock variants included).
    m_other.ungrab(CtrlAlt, XkR);
    EXPECT_FALSE(m_other.heldByOther(CtrlAlt | XCB_MOD_MASK_2, XkR));
    EXPECT_FALSE(m_other.heldByOther(CtrlAlt, XkR));

    EXPECT_TRUE(m_recorder.press(QStringLiteral("ctrl+alt+r")).empty());
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101});
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+b")), std::vector<int>{102});
}

TEST_F(X11Hotkeys, SecondIdWithTheSameCombinationIsRefused) {
    ASSERT_TRUE(platform::registerHotKey(nullptr, 101, CtrlAltBits, 'N'));
    StderrCapture err;
    EXPECT_FALSE(platform::registerHotKey(nullptr, 102, CtrlAltBits, 'N'));
    EXPECT_EQ(err.text().count(QLatin1Char('\n')), 1);
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101});
    // The first keeps it after the refused one is unregistered.
    platform::unregisterHotKey(nullptr, 102);
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101});
}

TEST_F(X11Hotkeys, UnregisteringReleasesEveryVariant) {
    ASSERT_TRUE(platform::registerHotKey(nullptr, 102, CtrlAltBits, 'B'));
    ASSERT_TRUE(platform::registerHotKey(nullptr, 103, platform::ModShift, 120));
    platform::unregisterHotKey(nullptr, 102);
    for (std::uint16_t locks : LockStates)
        EXPECT_FALSE(m_other.heldByOther(CtrlAlt | locks, XkB)) << "locks " << locks;
    EXPECT_TRUE(m_other.heldByOther(XCB_MOD_MASK_SHIFT, XkF9));
    EXPECT_TRUE(m_recorder.press(QStringLiteral("ctrl+alt+b")).empty());
    // Harmless when not registered.
    platform::unregisterHotKey(nullptr, 102);
    platform::unregisterHotKey(nullptr, 999);
    // Registered again, it works again.
    ASSERT_TRUE(platform::registerHotKey(nullptr, 102, CtrlAltBits, 'B'));
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+b")), std::vector<int>{102});
}

TEST_F(X11Hotkeys, KeyboardMapChangeMovesTheGrabToTheNewKey) {
    const xcb_keycode_t before = m_other.keycode(XkN);
    const xcb_keycode_t spare = m_other.unusedKeycode();
    ASSERT_NE(before, 0);
    ASSERT_NE(spare, 0);
    const std::vector<xcb_keysym_t> saved = m_other.keysymsOf(before);
    ASSERT_TRUE(platform::registerHotKey(nullptr, 101, CtrlAltBits, 'N'));

    // "n" leaves its key for another one.
    m_other.setKeysyms(spare, {XkN, 'N'});
    m_other.setKeysyms(before, {});
    processEvents(300); // the map change reaches the program
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101});
    EXPECT_TRUE(m_other.heldByOther(CtrlAlt | XCB_MOD_MASK_2, XkN));

    m_other.setKeysyms(before, saved);
    m_other.setKeysyms(spare, {});
    processEvents(300);
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101});
}

TEST_F(X11Hotkeys, KeyWithoutAKeysymIsRefused) {
    StderrCapture err;
    EXPECT_FALSE(platform::registerHotKey(nullptr, 100, CtrlAltBits, 0));
    EXPECT_FALSE(platform::registerHotKey(nullptr, 101, CtrlAltBits, 0xFFFF));
    EXPECT_EQ(err.text().count(QLatin1Char('\n')), 2);
}

// The trial grab tells what a registration would meet, and keeps nothing.
TEST_F(X11Hotkeys, CheckTriesTheCombinationAndKeepsNothing) {
    using platform::HotkeyCheck;
    EXPECT_EQ(platform::checkHotKey(CtrlAltBits, 'N'), HotkeyCheck::Free);
    for (std::uint16_t locks : LockStates)
        EXPECT_FALSE(m_other.heldByOther(CtrlAlt | locks, XkN)) << "locks " << locks;

    // Another program holding one lock state of it is enough to refuse it.
    ASSERT_TRUE(m_other.grab(CtrlAlt | XCB_MOD_MASK_LOCK, XkN));
    EXPECT_EQ(platform::checkHotKey(CtrlAltBits, 'N'), HotkeyCheck::Taken);
    m_other.ungrab(CtrlAlt | XCB_MOD_MASK_LOCK, XkN);
    EXPECT_FALSE(m_other.heldByOther(CtrlAlt, XkN)) << "the refused trial kept a grab";

    // Our own registration counts as taken, and the trial leaves it in place.
    ASSERT_TRUE(platform::registerHotKey(nullptr, 101, CtrlAltBits, 'N'));
    EXPECT_EQ(platform::checkHotKey(CtrlAltBits, 'N'), HotkeyCheck::Taken);
    EXPECT_EQ(m_recorder.press(QStringLiteral("ctrl+alt+n")), std::vector<int>{101});

    EXPECT_EQ(platform::checkHotKey(CtrlAltBits, 0xFFFF), HotkeyCheck::NoKey);
    EXPECT_EQ(platform::checkHotKey(0, 112), HotkeyCheck::Free); // F1 alone
}

// A key is named by its first keysym, whatever the modifiers make of it.
TEST_F(X11Hotkeys, BaseVirtualKeyReadsTheKeysFirstSymbol) {
    struct Case {
        xcb_keysym_t keysym;
        std::uint16_t vk;
    };
    const Case cases[] = {
        {XkN, 'N'},    {'7', '7'},   {0xffbe, 112}, // F1
        {0xffc9, 123}, {0xff13, 19}, {0xff0d, 13},  // F12, Pause, Return
        {0x002f, 191}, {0xff1b, 27}, {0xff51, 37},  // slash, Escape, Left
    };
    for (const Case& c : cases) {
        const xcb_keycode_t code = m_other.keycode(c.keysym);
        ASSERT_NE(code, 0) << std::hex << c.keysym;
        EXPECT_EQ(platform::baseVirtualKey(code), c.vk) << std::hex << c.keysym;
    }
    // A key whose first symbol is a console switch: F1 with Ctrl and Alt on
    // a PC keymap, made on a spare key here.
    const xcb_keycode_t spare = m_other.unusedKeycode();
    ASSERT_NE(spare, 0);
    EXPECT_EQ(platform::baseVirtualKey(spare), 0) << "a key without symbols";
    m_other.setKeysyms(spare, {0xffbf, 0xffbf, 0x1008fe02}); // F2, F2, XF86Switch_VT_2
    processEvents(300);
    EXPECT_EQ(platform::baseVirtualKey(spare), 113);
    m_other.setKeysyms(spare, {0x6c3, 0x6e3}); // Cyrillic_ka: a letter without a code
    processEvents(300);
    EXPECT_EQ(platform::baseVirtualKey(spare), 0);
    m_other.setKeysyms(spare, {});
    processEvents(300);
    EXPECT_EQ(platform::baseVirtualKey(0), 0);
    EXPECT_EQ(platform::baseVirtualKey(100000), 0);
}

// A key read from the keyboard map names the key that is grabbed for it.
TEST(X11Keysyms, EveryCodeWithAKeysymReadsBackFromIt) {
    int mapped = 0;
    for (int vk = 1; vk <= 0xFFFF; ++vk) {
        const std::uint32_t keysym = platform::linux_keys::virtualKey2Keysym(vk);
        if (keysym == 0)
            continue;
        ++mapped;
        EXPECT_EQ(platform::linux_keys::keysym2VirtualKey(keysym), vk) << std::hex << keysym;
    }
    EXPECT_GT(mapped, 100);
    EXPECT_EQ(platform::linux_keys::keysym2VirtualKey('N'), 'N');      // either case of a letter
    EXPECT_EQ(platform::linux_keys::keysym2VirtualKey(0x1008fe05), 0); // a console switch
    EXPECT_EQ(platform::linux_keys::keysym2VirtualKey(0), 0);
}

TEST(X11HotkeyEvents, OtherEventsAndTypesAreNotHotkeys) {
    int id = -1;
    xcb_key_press_event_t press{};
    press.response_type = XCB_KEY_PRESS;
    EXPECT_FALSE(platform::hotkeyFromNativeEvent("windows_generic_MSG", &press, id));
    EXPECT_FALSE(platform::hotkeyFromNativeEvent(nullptr, &press, id));
    EXPECT_FALSE(platform::hotkeyFromNativeEvent("xcb_generic_event_t", nullptr, id));
    EXPECT_FALSE(platform::hotkeyFromNativeEvent("xcb_generic_event_t", &press, id));
    EXPECT_EQ(id, -1);
}

} // namespace
