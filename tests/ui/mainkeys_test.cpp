// The keys of the main window: what each one asks for, and that no other
// key does anything.
#include "ui/mainkeys.h"

#include <gtest/gtest.h>

#include <Qt>

namespace {

struct KeyCase {
    int qtKey;
    MainKey action;
};

class MainKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MainKeys, EachKeyHasItsAction) {
    const auto action = mainKeyFor(GetParam().qtKey);
    ASSERT_TRUE(action.has_value());
    EXPECT_EQ(*action, GetParam().action);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainKeys,
    ::testing::Values(
        KeyCase{Qt::Key_Return, MainKey::Apply},
        KeyCase{Qt::Key_Enter, MainKey::Apply}, // the keypad's Enter too
        KeyCase{Qt::Key_Escape, MainKey::Hide}, KeyCase{Qt::Key_Space, MainKey::RandomApply},
        KeyCase{Qt::Key_PageUp, MainKey::PreviousApply},
        KeyCase{Qt::Key_Up, MainKey::PreviousApply}, KeyCase{Qt::Key_PageDown, MainKey::NextApply},
        KeyCase{Qt::Key_Down, MainKey::NextApply}, KeyCase{Qt::Key_End, MainKey::Last},
        KeyCase{Qt::Key_Home, MainKey::First}, KeyCase{Qt::Key_Left, MainKey::Previous},
        KeyCase{Qt::Key_Right, MainKey::Next}, KeyCase{Qt::Key_Delete, MainKey::Delete},
        KeyCase{Qt::Key_F1, MainKey::About}));

TEST(MainKeys, OtherKeysDoNothing) {
    for (int key : std::initializer_list<int>{Qt::Key_A, Qt::Key_Backspace, Qt::Key_Tab,
                                              Qt::Key_Insert, Qt::Key_F2, Qt::Key_Shift,
                                              Qt::Key_Control, Qt::Key_Alt, Qt::Key_0, 0})
        EXPECT_FALSE(mainKeyFor(key).has_value()) << key;
}

} // namespace
