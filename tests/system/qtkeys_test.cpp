// The table between Qt keys and Windows virtual-key codes.
#include "system/qtkeys.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Pair {
    int key;
    bool keypad;
    std::uint16_t vk;
};

// Every key of the table with the code it must give.
std::vector<Pair> bothWays() {
    std::vector<Pair> pairs = {
        {Qt::Key_Backspace, false, 8},
        {Qt::Key_Tab, false, 9},
        {Qt::Key_Clear, true, 12},
        {Qt::Key_Return, false, 13},
        {Qt::Key_Shift, false, 16},
        {Qt::Key_Control, false, 17},
        {Qt::Key_Alt, false, 18},
        {Qt::Key_Pause, false, 19},
        {Qt::Key_CapsLock, false, 20},
        {Qt::Key_Escape, false, 27},
        {Qt::Key_Space, false, 32},
        {Qt::Key_PageUp, false, 33},
        {Qt::Key_PageDown, false, 34},
        {Qt::Key_End, false, 35},
        {Qt::Key_Home, false, 36},
        {Qt::Key_Left, false, 37},
        {Qt::Key_Up, false, 38},
        {Qt::Key_Right, false, 39},
        {Qt::Key_Down, false, 40},
        {Qt::Key_Print, false, 44},
        {Qt::Key_Insert, false, 45},
        {Qt::Key_Delete, false, 46},
        {Qt::Key_Super_L, false, 91},
        {Qt::Key_Super_R, false, 92},
        {Qt::Key_Menu, false, 93},
        {Qt::Key_Asterisk, true, 106},
        {Qt::Key_Plus, true, 107},
        {Qt::Key_Comma, true, 108},
        {Qt::Key_Minus, true, 109},
        {Qt::Key_Period, true, 110},
        {Qt::Key_Slash, true, 111},
        {Qt::Key_NumLock, false, 144},
        {Qt::Key_ScrollLock, false, 145},
        {Qt::Key_Semicolon, false, 186},
        {Qt::Key_Equal, false, 187},
        {Qt::Key_Comma, false, 188},
        {Qt::Key_Minus, false, 189},
        {Qt::Key_Period, false, 190},
        {Qt::Key_Slash, false, 191},
        {Qt::Key_QuoteLeft, false, 192},
        {Qt::Key_BracketLeft, false, 219},
        {Qt::Key_Backslash, false, 220},
        {Qt::Key_BracketRight, false, 221},
        {Qt::Key_Apostrophe, false, 222},
    };
    for (int i = 0; i < 10; ++i) {
        pairs.push_back({Qt::Key_0 + i, false, static_cast<std::uint16_t>('0' + i)});
        pairs.push_back({Qt::Key_0 + i, true, static_cast<std::uint16_t>(96 + i)});
    }
    for (int i = 0; i < 26; ++i)
        pairs.push_back({Qt::Key_A + i, false, static_cast<std::uint16_t>('A' + i)});
    for (int i = 0; i < 24; ++i)
        pairs.push_back({Qt::Key_F1 + i, false, static_cast<std::uint16_t>(112 + i)});
    return pairs;
}

Qt::KeyboardModifiers keypadIf(bool keypad) {
    return keypad ? Qt::KeypadModifier : Qt::NoModifier;
}

TEST(QtKeyTable, EveryKeyMapsBothWays) {
    std::vector<bool> seen(256);
    for (const Pair& p : bothWays()) {
        EXPECT_EQ(QtKey2VirtualKey(p.key, keypadIf(p.keypad)), p.vk) << std::hex << p.key;
        const QKeyCombination back = VirtualKey2QtKey(p.vk);
        EXPECT_EQ(back.key(), p.key) << p.vk;
        EXPECT_EQ(back.keyboardModifiers(), keypadIf(p.keypad)) << p.vk;
        EXPECT_FALSE(seen[p.vk]) << "code twice in the table: " << p.vk;
        seen[p.vk] = true;
    }
}

TEST(QtKeyTable, OtherModifiersDoNotChangeTheCode) {
    const auto held = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier;
    for (const Pair& p : bothWays())
        EXPECT_EQ(QtKey2VirtualKey(p.key, held | keypadIf(p.keypad)), p.vk) << p.vk;
}

// What Qt reports for a key pressed with Shift on a US layout, or under
// another name, gives the key's code.
struct Alias {
    int key;
    Qt::KeyboardModifiers modifiers;
    std::uint16_t vk;
};

class QtKeyAliases : public ::testing::TestWithParam<Alias> {};

TEST_P(QtKeyAliases, GiveThePhysicalKey) {
    EXPECT_EQ(QtKey2VirtualKey(GetParam().key, GetParam().modifiers), GetParam().vk);
    // And the code maps back to a key that gives the same code.
    const QKeyCombination back = VirtualKey2QtKey(GetParam().vk);
    EXPECT_EQ(QtKey2VirtualKey(back.key(), back.keyboardModifiers()), GetParam().vk);
}

INSTANTIATE_TEST_SUITE_P(
    ShiftedAndRenamed, QtKeyAliases,
    ::testing::Values(
        Alias{Qt::Key_ParenRight, Qt::ShiftModifier, '0'},
        Alias{Qt::Key_Exclam, Qt::ShiftModifier, '1'}, Alias{Qt::Key_At, Qt::ShiftModifier, '2'},
        Alias{Qt::Key_NumberSign, Qt::ShiftModifier, '3'},
        Alias{Qt::Key_Dollar, Qt::ShiftModifier, '4'},
        Alias{Qt::Key_Percent, Qt::ShiftModifier, '5'},
        Alias{Qt::Key_AsciiCircum, Qt::ShiftModifier, '6'},
        Alias{Qt::Key_Ampersand, Qt::ShiftModifier, '7'},
        Alias{Qt::Key_Asterisk, Qt::ShiftModifier, '8'},
        Alias{Qt::Key_ParenLeft, Qt::ShiftModifier, '9'},
        Alias{Qt::Key_Colon, Qt::ShiftModifier, 186}, Alias{Qt::Key_Plus, Qt::ShiftModifier, 187},
        Alias{Qt::Key_Less, Qt::ShiftModifier, 188},
        Alias{Qt::Key_Underscore, Qt::ShiftModifier, 189},
        Alias{Qt::Key_Greater, Qt::ShiftModifier, 190},
        Alias{Qt::Key_Question, Qt::ShiftModifier, 191},
        Alias{Qt::Key_AsciiTilde, Qt::ShiftModifier, 192},
        Alias{Qt::Key_BraceLeft, Qt::ShiftModifier, 219},
        Alias{Qt::Key_Bar, Qt::ShiftModifier, 220},
        Alias{Qt::Key_BraceRight, Qt::ShiftModifier, 221},
        Alias{Qt::Key_QuoteDbl, Qt::ShiftModifier, 222},
        Alias{Qt::Key_Backtab, Qt::ShiftModifier, 9}, Alias{Qt::Key_Enter, Qt::KeypadModifier, 13},
        Alias{Qt::Key_Enter, Qt::NoModifier, 13}, Alias{Qt::Key_AltGr, Qt::NoModifier, 18},
        Alias{Qt::Key_Meta, Qt::NoModifier, 91},
        // The keypad with NumLock off: the navigation and editing keys' codes.
        Alias{Qt::Key_Home, Qt::KeypadModifier, 36}, Alias{Qt::Key_End, Qt::KeypadModifier, 35},
        Alias{Qt::Key_PageUp, Qt::KeypadModifier, 33}, Alias{Qt::Key_Left, Qt::KeypadModifier, 37},
        Alias{Qt::Key_Insert, Qt::KeypadModifier, 45},
        Alias{Qt::Key_Delete, Qt::KeypadModifier, 46}));

TEST(QtKeyTable, KeysWithoutACodeGiveZero) {
    for (int key : {int(Qt::Key_unknown), int(Qt::Key_Adiaeresis), int(Qt::Key_VolumeUp),
                    int(Qt::Key_F25), int(Qt::Key_Launch0), 0, -1, 0x7fffffff})
        EXPECT_EQ(QtKey2VirtualKey(key, Qt::NoModifier), 0) << key;
}

TEST(QtKeyTable, CodesWithoutAKeyGiveUnknown) {
    for (int vk : {0, 1, 7, 10, 47, 58, 64, 94, 136, 143, 146, 185, 223, 255, 256, 0xFFFF})
        EXPECT_EQ(VirtualKey2QtKey(static_cast<std::uint16_t>(vk)).key(), Qt::Key_unknown) << vk;
}

} // namespace
