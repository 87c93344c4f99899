// The stored text form of the hotkeys.
#include "system/globalkey.h"

#include <gtest/gtest.h>

struct StoredForm {
    const char* text;
    TGlobalKey key;
};

class StoredHotkeys : public ::testing::TestWithParam<StoredForm> {};

TEST_P(StoredHotkeys, ReadsAsTheRecord) {
    TGlobalKey gk{false, false, false, 999};
    GlobalKeyFromIni(GetParam().text, gk);
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
    TGlobalKey gk{false, false, true, 77};
    try {
        GlobalKeyFromIni("11", gk);
        FAIL() << "no error for a missing key code";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'''' is not a valid integer value");
    }
    EXPECT_EQ(gk, (TGlobalKey{true, true, false, 77}));

    gk = {true, true, true, 5};
    try {
        GlobalKeyFromIni("abcd", gk);
        FAIL() << "no error for letters";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "''d'' is not a valid integer value");
    }
    EXPECT_EQ(gk, (TGlobalKey{false, false, false, 5}));

    for (const char* bad : {"", "110", "110 82", "11082 ", "1101x", "110+", "11099999999999"}) {
        TGlobalKey k;
        EXPECT_THROW(GlobalKeyFromIni(bad, k), EConvertError) << bad;
    }
}

TEST(StoredHotkeys, WriteThenReadGivesTheSameRecord) {
    for (int flags = 0; flags < 8; ++flags) {
        for (int key : {0, 1, 8, 65, 82, 116, 255, 4096, 65535}) {
            const TGlobalKey gk{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0,
                                static_cast<std::uint16_t>(key)};
            const std::string text = GlobalKey2Ini(gk);
            EXPECT_GE(text.size(), 4u);
            EXPECT_LE(text.size(), 8u);
            TGlobalKey back{!gk.aCtrl, !gk.aAlt, !gk.aShift, 1234};
            GlobalKeyFromIni(text, back);
            EXPECT_EQ(back, gk) << text;
        }
    }
    EXPECT_EQ(GlobalKey2Ini({true, true, false, 0}), "1100");
    EXPECT_EQ(GlobalKey2Ini({false, false, true, 116}), "001116");
}

TEST(StoredHotkeys, SlotTable) {
    ASSERT_EQ(GlobalKeySlots.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(GlobalKeySlots[i].id, 100 + static_cast<int>(i));
    EXPECT_STREQ(GlobalKeySlots[0].valueName, "gk1");
    EXPECT_STREQ(GlobalKeySlots[2].defaultString, "11066");
}
