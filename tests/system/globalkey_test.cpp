// The stored text form of the hotkeys.
#include "system/globalkey.h"

#include <QString>

#include <gtest/gtest.h>

struct StoredForm {
    const char* text;
    GlobalKey key;
};

class StoredHotkeys : public ::testing::TestWithParam<StoredForm> {};

TEST_P(StoredHotkeys, ReadsAsTheRecord) {
    GlobalKey gk{false, false, false, 999};
    globalKeyFromIni(GetParam().text, gk);
    EXPECT_EQ(gk, GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StoredHotkeys,
    ::testing::Values(StoredForm{"11082", {true, true, false, 82}},
                      StoredForm{"001116", {false, false, true, 116}},
                      StoredForm{"1108", {true, true, false, 8}},
                      StoredForm{"0010065", {false, false, true, 65}},   // leading zeros
                      StoredForm{"00065601", {false, false, false, 65}}, // low 16 bits
                      StoredForm{"1100", {true, true, false, 0}},        // empty slot keeps flags
                      StoredForm{"0000", {false, false, false, 0}},
                      StoredForm{"2x010", {false, false, false, 10}})); // only "1" is set

TEST(StoredHotkeys, RestThatIsNoIntegerFailsAfterStoringTheFlags) {
    GlobalKey gk{false, false, true, 77};
    try {
        globalKeyFromIni("11", gk);
        FAIL() << "no error for a missing key code";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'''' is not a valid integer value");
    }
    EXPECT_EQ(gk, (GlobalKey{true, true, false, 77}));

    gk = {true, true, true, 5};
    try {
        globalKeyFromIni("abcd", gk);
        FAIL() << "no error for letters";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "''d'' is not a valid integer value");
    }
    EXPECT_EQ(gk, (GlobalKey{false, false, false, 5}));
}

// The key part is digits only: no sign, no space, no hexadecimal; the
// error names the rest of the text.
class MalformedKeyPart : public ::testing::TestWithParam<const char*> {};

TEST_P(MalformedKeyPart, FailsWithTheConversionErrorAndKeepsTheKeyCode) {
    const std::string text = GetParam();
    GlobalKey gk{false, false, false, 4242};
    try {
        globalKeyFromIni(text, gk);
        FAIL() << "accepted: " << text;
    } catch (const ConvertError& e) {
        const std::string rest = text.size() > 3 ? text.substr(3) : "";
        EXPECT_EQ(e.what(), "''" + rest + "'' is not a valid integer value");
    }
    EXPECT_EQ(gk.key, 4242);
}

INSTANTIATE_TEST_SUITE_P(Texts, MalformedKeyPart,
                         ::testing::Values("", "1", "110", "110 82", "11082 ", "1101x", "110+",
                                           "110+82", "110-5", "110--5", "000--2147483648",
                                           "000-2147483648", "0000x41", "000$41", "0001e3",
                                           "00012.0", "000\t12",
                                           "00012345678901234567890123456789x"));

TEST(StoredHotkeys, EmbeddedNulIsNoDigit) {
    GlobalKey gk;
    EXPECT_THROW(globalKeyFromIni(std::string("1106\0"
                                              "5",
                                              6),
                                  gk),
                 ConvertError);
}

struct LongKey {
    const char* text;
    std::uint16_t key;
};

class LongKeyPart : public ::testing::TestWithParam<LongKey> {};

// However long the number, its value modulo 65536 is the key code.
TEST_P(LongKeyPart, KeepsTheLow16Bits) {
    GlobalKey gk;
    globalKeyFromIni(GetParam().text, gk);
    EXPECT_EQ(gk.key, GetParam().key) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, LongKeyPart,
    ::testing::Values(LongKey{"00065535", 65535}, LongKey{"00065536", 0}, LongKey{"00065601", 65},
                      LongKey{"0004294967296", 0},            // 2^32
                      LongKey{"0004294967378", 82},           // 2^32 + 82
                      LongKey{"11099999999999", 59391},       // 99999999999 % 65536
                      LongKey{"00018446744073709551616", 0},  // 2^64
                      LongKey{"00018446744073709551698", 82}, // 2^64 + 82
                      LongKey{"000340282366920938463463374607431768211538", 82}, // 2^128 + 82
                      LongKey{"000000000000000000000000000000000000000082", 82}, // zeros
                      LongKey{"0001000000000000000082", 82})); // 10^18 + 82: 10^16 is 0 modulo 2^16

TEST(StoredHotkeys, WriteThenReadGivesTheSameRecord) {
    for (int flags = 0; flags < 8; ++flags) {
        for (int key : {0, 1, 8, 65, 82, 116, 255, 4096, 65535}) {
            const GlobalKey gk{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0,
                               static_cast<std::uint16_t>(key)};
            const std::string text = globalKey2Ini(gk);
            EXPECT_GE(text.size(), 4u);
            EXPECT_LE(text.size(), 8u);
            GlobalKey back{!gk.ctrl, !gk.alt, !gk.shift, 1234};
            globalKeyFromIni(text, back);
            EXPECT_EQ(back, gk) << text;
        }
    }
    EXPECT_EQ(globalKey2Ini({true, true, false, 0}), "1100");
    EXPECT_EQ(globalKey2Ini({false, false, true, 116}), "001116");
}

TEST(StoredHotkeys, SlotTable) {
    ASSERT_EQ(GlobalKeySlots.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(GlobalKeySlots[i].id, 100 + static_cast<int>(i));
    EXPECT_STREQ(GlobalKeySlots[0].valueName, "gk1");
    EXPECT_STREQ(GlobalKeySlots[2].defaultString, "11066");
}

// Capture and display of a hotkey.
struct Shown {
    GlobalKey key;
    const char* text;
};

class DisplayText : public ::testing::TestWithParam<Shown> {};

TEST_P(DisplayText, IsTheModifiersThenTheKeyName) {
    EXPECT_EQ(globalKey2String(GetParam().key), QString::fromUtf8(GetParam().text));
}

GlobalKey bare(std::uint16_t k) {
    return {false, false, false, k};
}

INSTANTIATE_TEST_SUITE_P(Examples, DisplayText,
                         ::testing::Values(Shown{{true, true, false, 82}, "Ctrl + Alt + R"},
                                           Shown{{false, false, true, 116}, "Shift + F5"},
                                           Shown{{true, true, false, 8}, "Ctrl + Alt + BackSpace"},
                                           Shown{{true, true, true, 65}, "Ctrl + Alt + Shift + A"},
                                           Shown{{true, false, true, 65}, "Ctrl + Shift + A"},
                                           Shown{{false, true, true, 65}, "Alt + Shift + A"},
                                           Shown{{false, false, false, 120}, "F9"}));

INSTANTIATE_TEST_SUITE_P(
    NameTable, DisplayText,
    ::testing::Values(Shown{bare(8), "BackSpace"}, Shown{bare(9), "Tab"}, Shown{bare(13), "Enter"},
                      Shown{bare(16), "Shift"}, Shown{bare(17), "Ctrl"}, Shown{bare(18), "Alt"},
                      Shown{bare(19), "Pause"}, Shown{bare(20), "CapsLock"}, Shown{bare(27), "Esc"},
                      Shown{bare(32), "Space"}, Shown{bare(33), "PgUp"}, Shown{bare(34), "PgDown"},
                      Shown{bare(35), "End"}, Shown{bare(36), "Home"}, Shown{bare(37), "Left"},
                      Shown{bare(38), "Up"}, Shown{bare(39), "Right"}, Shown{bare(40), "Down"},
                      Shown{bare(44), "PrintScreen"}, Shown{bare(45), "Insert"},
                      Shown{bare(46), "Del"}, Shown{bare(96), "Num 0"}, Shown{bare(100), "Num 4"},
                      Shown{bare(105), "Num 9"}, Shown{bare(106), "Num *"},
                      Shown{bare(107), "Num +"}, Shown{bare(109), "Num -"},
                      Shown{bare(110), "Num ."}, Shown{bare(111), "Num /"}, Shown{bare(112), "F1"},
                      Shown{bare(117), "F6"}, Shown{bare(123), "F12"}, Shown{bare(144), "NumLock"},
                      Shown{bare(145), "ScrollLock"}, Shown{bare(186), ";"}, Shown{bare(187), "="},
                      Shown{bare(188), "<"}, Shown{bare(189), "_"}, Shown{bare(190), ">"},
                      Shown{bare(191), "/"}, Shown{bare(192), "~"}, Shown{bare(219), "["},
                      Shown{bare(220), "\\"}, Shown{bare(221), "]"}, Shown{bare(222), "\""},
                      // Codes outside the table show as the character of that code.
                      Shown{bare(48), "0"}, Shown{bare(57), "9"}, Shown{bare(65), "A"},
                      Shown{bare(90), "Z"}, Shown{bare(91), "["}, Shown{bare(108), "l"},
                      Shown{bare(124), "|"}, Shown{bare(233), "\u00e9"}));

TEST(DisplayText, EveryCodeGivesOneNameWithoutCrashing) {
    for (int k = 1; k <= 0xFFFF; ++k) {
        const QString text = globalKey2String({true, true, true, static_cast<std::uint16_t>(k)});
        ASSERT_TRUE(text.startsWith(QStringLiteral("Ctrl + Alt + Shift + "))) << k;
        ASSERT_GT(text.size(), 21) << k;
    }
}

TEST(Capture, TakesCtrlAltShiftAndTheKeyUnchanged) {
    struct Case {
        Qt::KeyboardModifiers modifiers;
        GlobalKey expected;
    };
    const Case cases[] = {
        {Qt::NoModifier, {false, false, false, 120}},
        {Qt::ControlModifier | Qt::AltModifier, {true, true, false, 120}},
        {Qt::ShiftModifier, {false, false, true, 120}},
        // The Windows logo key, the keypad and mouse-like members have no flag.
        {Qt::MetaModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier,
         {false, false, false, 120}},
        {Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier,
         {true, true, true, 120}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(key2GlobalKey(c.modifiers, 120), c.expected);
    EXPECT_EQ(key2GlobalKey(Qt::ControlModifier, 0xFFFF).key, 0xFFFF);
}

TEST(Capture, ModifiersAloneAndTabAreNotCaptured) {
    for (std::uint16_t k : {9, 16, 17, 18})
        EXPECT_FALSE(isHotkeyCaptureKey(k)) << k;
    for (std::uint16_t k : {8, 13, 19, 20, 65, 91, 120, 0xFFFF})
        EXPECT_TRUE(isHotkeyCaptureKey(k)) << k;
}

// Which hotkeys may be taken from every program: those with Ctrl or Alt,
// and the keys no one types or moves with, on their own or with Shift.
struct SystemWideCase {
    GlobalKey key;
    bool systemWide;
};

class SystemWide : public ::testing::TestWithParam<SystemWideCase> {};

TEST_P(SystemWide, NeedsCtrlOrAltUnlessTheKeyTypesNothing) {
    EXPECT_EQ(isSystemWideHotkey(GetParam().key), GetParam().systemWide)
        << globalKey2String(GetParam().key).toStdString();
}

GlobalKey shifted(std::uint16_t k) {
    return {false, false, true, k};
}

INSTANTIATE_TEST_SUITE_P(Keys, SystemWide,
                         ::testing::Values(
                             // Typing and moving keys need Ctrl or Alt; Shift is not enough.
                             SystemWideCase{bare('C'), false}, SystemWideCase{shifted('C'), false},
                             SystemWideCase{bare('5'), false}, SystemWideCase{bare(32), false},
                             SystemWideCase{bare(13), false}, SystemWideCase{bare(27), false},
                             SystemWideCase{bare(37), false}, SystemWideCase{bare(46), false},
                             SystemWideCase{bare(101), false}, SystemWideCase{bare(186), false},
                             SystemWideCase{bare(145), false}, SystemWideCase{bare(111), false},
                             SystemWideCase{bare(165), false}, SystemWideCase{bare(184), false},
                             SystemWideCase{{true, false, false, 'C'}, true},
                             SystemWideCase{{false, true, false, 'C'}, true},
                             SystemWideCase{{true, true, true, 32}, true},
                             // Keys that type nothing, on their own or with Shift.
                             SystemWideCase{bare(112), true}, SystemWideCase{bare(123), true},
                             SystemWideCase{bare(135), true}, SystemWideCase{shifted(116), true},
                             SystemWideCase{bare(136), false}, SystemWideCase{bare(19), true},
                             SystemWideCase{bare(44), true}, SystemWideCase{bare(45), true},
                             SystemWideCase{bare(166), true}, SystemWideCase{bare(176), true},
                             SystemWideCase{bare(183), true}));
