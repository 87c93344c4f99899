// The three hotkeys through GlobalHotkeys on a real X server: which slots
// are registered, their release, and each press arriving as its id.
#include "support/xclient.h"
#include "system/hotkeys.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace xtest;

namespace {

constexpr xcb_keysym_t XkB = 'b', XkN = 'n', XkR = 'r', XkF9 = 0xffc6;

const std::array<GlobalKey, 3> Defaults{{
    {true, true, false, 'R'},
    {true, true, false, 'N'},
    {true, true, false, 'B'},
}};

class SystemHotkeys : public ::testing::Test {
protected:
    void SetUp() override {
        QUORVANE_REQUIRE_X11();
        ASSERT_TRUE(m_other.ok());
    }
    /// The ids signalled while `keys` are pressed.
    std::vector<int> press(GlobalHotkeys& hotkeys, const QString& keys) {
        QSignalSpy spy(&hotkeys, &GlobalHotkeys::hotkeyPressed);
        EXPECT_TRUE(pressKeys(keys));
        processEvents(300);
        std::vector<int> ids;
        for (const QList<QVariant>& signal : spy)
            ids.push_back(signal.at(0).toInt());
        return ids;
    }
    XClient m_other;
};

TEST_F(SystemHotkeys, EachSlotSignalsItsId) {
    GlobalHotkeys hotkeys;
    hotkeys.registerHotkeys(Defaults, true);
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+r")), std::vector<int>{100});
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+n")), std::vector<int>{101});
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+b")), std::vector<int>{102});
    EXPECT_TRUE(press(hotkeys, QStringLiteral("ctrl+alt+x")).empty());
}

TEST_F(SystemHotkeys, SwitchedOffRegistersNothing) {
    GlobalHotkeys hotkeys;
    hotkeys.registerHotkeys(Defaults, false);
    for (xcb_keysym_t key : {XkR, XkN, XkB})
        EXPECT_FALSE(m_other.heldByOther(CtrlAlt, key)) << char(key);
    EXPECT_TRUE(press(hotkeys, QStringLiteral("ctrl+alt+n")).empty());
}

TEST_F(SystemHotkeys, EmptySlotIsSkippedAndTheOthersRegistered) {
    std::array<GlobalKey, 3> keys = Defaults;
    keys[1].key = 0;                     // cleared: keeps its flags
    keys[2] = {false, false, true, 120}; // Shift + F9
    GlobalHotkeys hotkeys;
    hotkeys.registerHotkeys(keys, true);
    EXPECT_TRUE(m_other.heldByOther(CtrlAlt, XkR));
    EXPECT_FALSE(m_other.heldByOther(CtrlAlt, XkN));
    EXPECT_TRUE(m_other.heldByOther(XCB_MOD_MASK_SHIFT, XkF9));
    EXPECT_EQ(press(hotkeys, QStringLiteral("shift+F9")), std::vector<int>{102});
}

TEST_F(SystemHotkeys, UnregistryReleasesAllThreeAndApplyRegistersTheNewKeys) {
    GlobalHotkeys hotkeys;
    hotkeys.registerHotkeys(Defaults, true);
    hotkeys.unregisterHotkeys();
    for (xcb_keysym_t key : {XkR, XkN, XkB})
        EXPECT_FALSE(m_other.heldByOther(CtrlAlt, key)) << char(key);
    EXPECT_TRUE(press(hotkeys, QStringLiteral("ctrl+alt+r")).empty());
    hotkeys.unregisterHotkeys(); // again: harmless

    // The settings window's apply: unregister, then register the edited slots.
    std::array<GlobalKey, 3> edited = Defaults;
    edited[0] = {false, false, false, 120}; // F9 alone
    hotkeys.registerHotkeys(edited, true);
    EXPECT_EQ(press(hotkeys, QStringLiteral("F9")), std::vector<int>{100});
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+b")), std::vector<int>{102});
}

// While a hotkey field has the focus the keys are given back; what is
// registered meanwhile is taken when the suspension ends.
TEST_F(SystemHotkeys, SuspensionGivesTheKeysBackAndTakesTheWantedOnesAgain) {
    GlobalHotkeys hotkeys;
    hotkeys.registerHotkeys(Defaults, true);
    hotkeys.setSuspended(true);
    EXPECT_TRUE(hotkeys.isSuspended());
    for (xcb_keysym_t key : {XkR, XkN, XkB})
        EXPECT_FALSE(m_other.heldByOther(CtrlAlt, key)) << char(key);
    EXPECT_TRUE(press(hotkeys, QStringLiteral("ctrl+alt+n")).empty());
    EXPECT_EQ(hotkeys.registeredKeys(), (std::array<GlobalKey, 3>{}));

    // An apply while suspended: unregister, register the edited slots.
    std::array<GlobalKey, 3> edited = Defaults;
    edited[0] = {true, true, false, 'N'}; // moved from slot 1
    edited[1] = {true, true, false, 0};
    hotkeys.unregisterHotkeys();
    hotkeys.registerHotkeys(edited, true);
    EXPECT_FALSE(m_other.heldByOther(CtrlAlt, XkN)) << "registered while suspended";

    hotkeys.setSuspended(false);
    EXPECT_TRUE(m_other.heldByOther(CtrlAlt, XkN));
    EXPECT_TRUE(m_other.heldByOther(CtrlAlt, XkB));
    EXPECT_FALSE(m_other.heldByOther(CtrlAlt, XkR));
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+n")), std::vector<int>{100});
    EXPECT_EQ(hotkeys.registeredKeys(), (std::array<GlobalKey, 3>{edited[0], {}, edited[2]}));
    hotkeys.setSuspended(false); // again: nothing changes
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+b")), std::vector<int>{102});
}

// A bare letter (stored by an older version) would take the letter from
// every program: it is not registered; F9 alone is.
TEST_F(SystemHotkeys, BareTypingKeyIsNotRegistered) {
    const std::array<GlobalKey, 3> keys{{
        {false, false, false, 'C'},
        {false, false, true, 'C'},
        {false, false, false, 120},
    }};
    GlobalHotkeys hotkeys;
    hotkeys.registerHotkeys(keys, true);
    EXPECT_FALSE(m_other.heldByOther(0, 'c'));
    EXPECT_FALSE(m_other.heldByOther(XCB_MOD_MASK_SHIFT, 'c'));
    EXPECT_TRUE(m_other.heldByOther(0, XkF9));
    EXPECT_EQ(hotkeys.registeredKeys(), (std::array<GlobalKey, 3>{{{}, {}, keys[2]}}));
}

TEST_F(SystemHotkeys, DestructionUnregisters) {
    {
        GlobalHotkeys hotkeys;
        hotkeys.registerHotkeys(Defaults, true);
        ASSERT_TRUE(m_other.heldByOther(CtrlAlt, XkN));
    }
    for (xcb_keysym_t key : {XkR, XkN, XkB})
        EXPECT_FALSE(m_other.heldByOther(CtrlAlt, key)) << char(key);
}

} // namespace
