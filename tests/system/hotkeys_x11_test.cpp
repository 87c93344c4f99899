// The three hotkeys through GlobalHotkeys on a real X server: which slots
// are registered, their release, and each press arriving as its id.
#include "support/xclient.h"
#include "system/hotkeys.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace xtest;

namespace {

constexpr xcb_keysym_t XK_b = 'b', XK_n = 'n', XK_r = 'r', XK_F9 = 0xffc6;

const std::array<TGlobalKey, 3> kDefaults{{
    {true, true, false, 'R'},
    {true, true, false, 'N'},
    {true, true, false, 'B'},
}};

class SystemHotkeys : public ::testing::Test {
protected:
    void SetUp() override {
        QUORVANE_REQUIRE_X11();
        ASSERT_TRUE(other.ok());
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
    XClient other;
};

TEST_F(SystemHotkeys, EachSlotSignalsItsId) {
    GlobalHotkeys hotkeys;
    hotkeys.GlobalKeyRegistry(kDefaults, true);
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+r")), std::vector<int>{100});
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+n")), std::vector<int>{101});
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+b")), std::vector<int>{102});
    EXPECT_TRUE(press(hotkeys, QStringLiteral("ctrl+alt+x")).empty());
}

TEST_F(SystemHotkeys, SwitchedOffRegistersNothing) {
    GlobalHotkeys hotkeys;
    hotkeys.GlobalKeyRegistry(kDefaults, false);
    for (xcb_keysym_t key : {XK_r, XK_n, XK_b})
        EXPECT_FALSE(other.heldByOther(kCtrlAlt, key)) << char(key);
    EXPECT_TRUE(press(hotkeys, QStringLiteral("ctrl+alt+n")).empty());
}

TEST_F(SystemHotkeys, EmptySlotIsSkippedAndTheOthersRegistered) {
    std::array<TGlobalKey, 3> keys = kDefaults;
    keys[1].aKey = 0;                    // cleared: keeps its flags
    keys[2] = {false, false, true, 120}; // Shift + F9
    GlobalHotkeys hotkeys;
    hotkeys.GlobalKeyRegistry(keys, true);
    EXPECT_TRUE(other.heldByOther(kCtrlAlt, XK_r));
    EXPECT_FALSE(other.heldByOther(kCtrlAlt, XK_n));
    EXPECT_TRUE(other.heldByOther(XCB_MOD_MASK_SHIFT, XK_F9));
    EXPECT_EQ(press(hotkeys, QStringLiteral("shift+F9")), std::vector<int>{102});
}

TEST_F(SystemHotkeys, UnregistryReleasesAllThreeAndApplyRegistersTheNewKeys) {
    GlobalHotkeys hotkeys;
    hotkeys.GlobalKeyRegistry(kDefaults, true);
    hotkeys.GlobalKeyUnRegistry();
    for (xcb_keysym_t key : {XK_r, XK_n, XK_b})
        EXPECT_FALSE(other.heldByOther(kCtrlAlt, key)) << char(key);
    EXPECT_TRUE(press(hotkeys, QStringLiteral("ctrl+alt+r")).empty());
    hotkeys.GlobalKeyUnRegistry(); // again: harmless

    // The settings window's apply: unregister, then register the edited slots.
    std::array<TGlobalKey, 3> edited = kDefaults;
    edited[0] = {false, false, false, 120}; // F9 alone
    hotkeys.GlobalKeyRegistry(edited, true);
    EXPECT_EQ(press(hotkeys, QStringLiteral("F9")), std::vector<int>{100});
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+b")), std::vector<int>{102});
}

// While a hotkey field has the focus the keys are given back; what is
// registered meanwhile is taken when the suspension ends.
TEST_F(SystemHotkeys, SuspensionGivesTheKeysBackAndTakesTheWantedOnesAgain) {
    GlobalHotkeys hotkeys;
    hotkeys.GlobalKeyRegistry(kDefaults, true);
    hotkeys.setSuspended(true);
    EXPECT_TRUE(hotkeys.isSuspended());
    for (xcb_keysym_t key : {XK_r, XK_n, XK_b})
        EXPECT_FALSE(other.heldByOther(kCtrlAlt, key)) << char(key);
    EXPECT_TRUE(press(hotkeys, QStringLiteral("ctrl+alt+n")).empty());
    EXPECT_EQ(hotkeys.registeredKeys(), (std::array<TGlobalKey, 3>{}));

    // An apply while suspended: unregister, register the edited slots.
    std::array<TGlobalKey, 3> edited = kDefaults;
    edited[0] = {true, true, false, 'N'}; // moved from slot 1
    edited[1] = {true, true, false, 0};
    hotkeys.GlobalKeyUnRegistry();
    hotkeys.GlobalKeyRegistry(edited, true);
    EXPECT_FALSE(other.heldByOther(kCtrlAlt, XK_n)) << "registered while suspended";

    hotkeys.setSuspended(false);
    EXPECT_TRUE(other.heldByOther(kCtrlAlt, XK_n));
    EXPECT_TRUE(other.heldByOther(kCtrlAlt, XK_b));
    EXPECT_FALSE(other.heldByOther(kCtrlAlt, XK_r));
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+n")), std::vector<int>{100});
    EXPECT_EQ(hotkeys.registeredKeys(), (std::array<TGlobalKey, 3>{edited[0], {}, edited[2]}));
    hotkeys.setSuspended(false); // again: nothing changes
    EXPECT_EQ(press(hotkeys, QStringLiteral("ctrl+alt+b")), std::vector<int>{102});
}

// A bare letter (stored by an older version) would take the letter from
// every program: it is not registered; F9 alone is.
TEST_F(SystemHotkeys, BareTypingKeyIsNotRegistered) {
    const std::array<TGlobalKey, 3> keys{{
        {false, false, false, 'C'},
        {false, false, true, 'C'},
        {false, false, false, 120},
    }};
    GlobalHotkeys hotkeys;
    hotkeys.GlobalKeyRegistry(keys, true);
    EXPECT_FALSE(other.heldByOther(0, 'c'));
    EXPECT_FALSE(other.heldByOther(XCB_MOD_MASK_SHIFT, 'c'));
    EXPECT_TRUE(other.heldByOther(0, XK_F9));
    EXPECT_EQ(hotkeys.registeredKeys(), (std::array<TGlobalKey, 3>{{{}, {}, keys[2]}}));
}

TEST_F(SystemHotkeys, DestructionUnregisters) {
    {
        GlobalHotkeys hotkeys;
        hotkeys.GlobalKeyRegistry(kDefaults, true);
        ASSERT_TRUE(other.heldByOther(kCtrlAlt, XK_n));
    }
    for (xcb_keysym_t key : {XK_r, XK_n, XK_b})
        EXPECT_FALSE(other.heldByOther(kCtrlAlt, key)) << char(key);
}

} // namespace
