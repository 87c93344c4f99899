// The table between Qt keys and Windows virtual-key codes.
#include "system/qtkeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct Pair {
    int key;
    bool keypad;
    std::uint16_t vk;
};

Qt::KeyboardModifiers keypadIf(bool keypad) {
    return keypad ? Qt::KeypadModifier : Qt::NoModifier;
}

// Codes as the Win32 documentation gives them (VK_BACK, VK_CLEAR, VK_SNAPSHOT,
// VK_LWIN, VK_NUMPAD5, VK_MULTIPLY, VK_F24, VK_SCROLL, VK_OEM_1, VK_OEM_7...).
class QtKeyDocumented : public ::testing::TestWithParam<Pair> {};

TEST_P(QtKeyDocumented, MapsBothWays) {
    const Pair& p = GetParam();
    EXPECT_EQ(qtKey2VirtualKey(p.key, keypadIf(p.keypad)), p.vk);
    const QKeyCombination back = virtualKey2QtKey(p.vk);
    EXPECT_EQ(back.key(), p.key);
    EXPECT_EQ(back.keyboardModifiers(), keypadIf(p.keypad));
}

INSTANTIATE_TEST_SUITE_P(
    Win32, QtKeyDocumented,
    ::testing::Values(Pair{Qt::Key_Backspace, false, 0x08}, Pair{Qt::Key_Clear, true, 0x0C},
                      Pair{Qt::Key_Return, false, 0x0D}, Pair{Qt::Key_Pause, false, 0x13},
                      Pair{Qt::Key_Space, false, 0x20}, Pair{Qt::Key_Print, false, 0x2C},
                      Pair{Qt::Key_Delete, false, 0x2E}, Pair{Qt::Key_7, false, 0x37},
                      Pair{Qt::Key_Z, false, 0x5A}, Pair{Qt::Key_Super_L, false, 0x5B},
                      Pair{Qt::Key_Menu, false, 0x5D}, Pair{Qt::Key_5, true, 0x65},
                      Pair{Qt::Key_Asterisk, true, 0x6A}, Pair{Qt::Key_Slash, true, 0x6F},
                      Pair{Qt::Key_F1, false, 0x70}, Pair{Qt::Key_F24, false, 0x87},
                      Pair{Qt::Key_NumLock, false, 0x90}, Pair{Qt::Key_ScrollLock, false, 0x91},
                      Pair{Qt::Key_Semicolon, false, 0xBA}, Pair{Qt::Key_Comma, false, 0xBC},
                      Pair{Qt::Key_QuoteLeft, false, 0xC0}, Pair{Qt::Key_Apostrophe, false, 0xDE}));

// Every code that names a key comes back from that key, held modifiers or
// not, and no two codes name the same key.
TEST(QtKeyTable, EveryCodeWithAKeyComesBackFromIt) {
    const auto held = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier;
    int named = 0;
    std::vector<std::pair<int, bool>> keys;
    for (int vk = 0; vk < 256; ++vk) {
        const QKeyCombination back = virtualKey2QtKey(static_cast<std::uint16_t>(vk));
        if (back.key() == Qt::Key_unknown)
            continue;
        ++named;
        EXPECT_EQ(qtKey2VirtualKey(back.key(), back.keyboardModifiers()), vk);
        EXPECT_EQ(qtKey2VirtualKey(back.key(), held | back.keyboardModifiers()), vk);
        const std::pair<int, bool> key{back.key(), back.keyboardModifiers() != Qt::NoModifier};
        EXPECT_EQ(std::count(keys.begin(), keys.end(), key), 0) << vk;
        keys.push_back(key);
    }
    // Digits, letters, the keypad's digits and F1 to F24, and 44 others.
    EXPECT_EQ(named, 10 + 26 + 10 + 24 + 44);
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
    EXPECT_EQ(qtKey2VirtualKey(GetParam().key, GetParam().modifiers), GetParam().vk);
    // And the code maps back to a key that gives the same code.
    const QKeyCombination back = virtualKey2QtKey(GetParam().vk);
    EXPECT_EQ(qtKey2VirtualKey(back.key(), back.keyboardModifiers()), GetParam().vk);
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
        EXPECT_EQ(qtKey2VirtualKey(key, Qt::NoModifier), 0) << key;
}

TEST(QtKeyTable, CodesWithoutAKeyGiveUnknown) {
    for (int vk : {0, 1, 7, 10, 47, 58, 64, 94, 136, 143, 146, 185, 223, 255, 256, 0xFFFF})
        EXPECT_EQ(virtualKey2QtKey(static_cast<std::uint16_t>(vk)).key(), Qt::Key_unknown) << vk;
}

} // namespace
