// The version marker and the stored settings, on the real settings file.
#include "collection/collection.h"
#include "collection/scheduler.h"
#include "collection/settings.h"
#include "platform/store.h"
#include "support/temphome.h"
#include "system/globalkey.h"

#include <QSettings>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

QString storePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quorvane/Quorvane.conf");
}

void storeRaw(const QString& key, const QVariant& value) {
    QSettings s(storePath(), QSettings::IniFormat);
    s.setValue(key, value);
}

QVariant readRaw(const QString& key) {
    QSettings s(storePath(), QSettings::IniFormat);
    return s.value(key);
}

} // namespace

class Settings : public TempHome {
protected:
    WindowPosition LoadSetting(int screenWidth, int screenHeight) {
        return ::LoadSetting(state, timers, ScreenArea{0, 0, screenWidth, screenHeight});
    }
    void SaveSetting(const WindowPosition& pos) { ::SaveSetting(state, timers, pos); }

    Collection collection{state};
    ChangeScheduler timers{state, collection};
};

TEST_F(Settings, FirstStartWritesTheVersion) {
    CurrentVersion("quorvane");
    EXPECT_EQ(readRaw("version").toString(), "3.2");
}

TEST_F(Settings, AnotherVersionWipesEverySetting) {
    for (const QVariant& old :
         {QVariant("3.1"), QVariant("3.20"), QVariant("3.2 "), QVariant(QStringList{"3.2", "x"})}) {
        storeRaw("version", old);
        storeRaw("param/interval", "60000");
        storeRaw("other/x", "1");
        CurrentVersion("quorvane");
        EXPECT_EQ(readRaw("version").toString(), "3.2") << old.toString().toStdString();
        EXPECT_FALSE(readRaw("param/interval").isValid()) << old.toString().toStdString();
        EXPECT_FALSE(readRaw("other/x").isValid());
    }
}

TEST_F(Settings, TheSameVersionKeepsTheSettings) {
    storeRaw("version", "3.2");
    storeRaw("param/interval", "60000");
    CurrentVersion("quorvane");
    EXPECT_EQ(readRaw("param/interval").toString(), "60000");
}

TEST_F(Settings, FirstStartDefaults) {
    const WindowPosition pos = LoadSetting(1920, 1080);
    EXPECT_EQ(pos.left, 560);
    EXPECT_EQ(pos.top, 323);
    EXPECT_FALSE(AutomaticallyChange);
    EXPECT_FALSE(state.ChangeWithStart);
    EXPECT_FALSE(RandomSelect);
    EXPECT_TRUE(state.UseGlobalKey);
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(timers.ChangeInterval(), 300000);
    EXPECT_EQ(timers.HourCounter(), 0);
    EXPECT_EQ(timers.MinuteCounter(), 5);
    EXPECT_FALSE(timers.QuorvaneTimer.enabled());
    EXPECT_EQ(state.GlobalKeys[0], (TGlobalKey{true, true, false, 82}));
    EXPECT_EQ(state.GlobalKeys[1], (TGlobalKey{true, true, false, 78}));
    EXPECT_EQ(state.GlobalKeys[2], (TGlobalKey{true, true, false, 66}));
}

TEST_F(Settings, EveryValueRoundTrips) {
    LoadSetting(1920, 1080);
    AutomaticallyChange = false;
    timers.SetAutomaticallyChange(true);
    state.ChangeWithStart = true;
    RandomSelect = true;
    timers.SetChangeInterval(2 * 3600000 + 7 * 60000 + 1234);
    CurrentWall = 17;
    state.UseGlobalKey = false;
    state.GlobalKeys[0] = {false, false, true, 116};
    state.GlobalKeys[1] = {true, false, false, 0};
    state.GlobalKeys[2] = {false, true, true, 65535};
    SaveSetting({-2000, -1500});

    const auto keys = state.GlobalKeys;
    state = ProgramState{};
    timers.QuorvaneTimer.setEnabled(false);
    const WindowPosition pos = LoadSetting(1920, 1080);
    EXPECT_EQ(pos.left, -2000);
    EXPECT_EQ(pos.top, -1500);
    EXPECT_TRUE(AutomaticallyChange);
    EXPECT_TRUE(timers.QuorvaneTimer.enabled());
    EXPECT_TRUE(state.ChangeWithStart);
    EXPECT_TRUE(RandomSelect);
    EXPECT_EQ(timers.ChangeInterval(), 2 * 3600000 + 7 * 60000 + 1234);
    EXPECT_EQ(timers.HourCounter(), 2);
    EXPECT_EQ(timers.MinuteCounter(), 7);
    EXPECT_EQ(CurrentWall, 17);
    EXPECT_FALSE(state.UseGlobalKey);
    EXPECT_EQ(state.GlobalKeys, keys);
    EXPECT_EQ(readRaw("param/gk1").toString(), "001116");
    EXPECT_EQ(readRaw("param/gk2").toString(), "1000");
}

TEST_F(Settings, IntervalsAreShownInWholeHoursAndMinutes) {
    storeRaw("param/interval", "5400000"); // 90 minutes
    LoadSetting(1920, 1080);
    EXPECT_EQ(timers.HourCounter(), 1);
    EXPECT_EQ(timers.MinuteCounter(), 30);
    storeRaw("param/interval", "90000"); // 90 seconds
    LoadSetting(1920, 1080);
    EXPECT_EQ(timers.HourCounter(), 0);
    EXPECT_EQ(timers.MinuteCounter(), 1);
    EXPECT_EQ(timers.ChangeInterval(), 90000);
}

TEST_F(Settings, ZeroIntervalWithAutomaticChangeIsOnButNeverCounts) {
    storeRaw("param/interval", "0");
    storeRaw("param/AutomaticallyChange", "1");
    LoadSetting(1920, 1080);
    EXPECT_TRUE(AutomaticallyChange);
    EXPECT_TRUE(timers.QuorvaneTimer.enabled());
    EXPECT_FALSE(timers.QuorvaneTimer.isCounting());
    EXPECT_EQ(timers.HourCounter(), 0);
    EXPECT_EQ(timers.MinuteCounter(), 0);
}

TEST_F(Settings, AnyNonZeroBooleanIsOnAndIsWrittenBackAsOne) {
    storeRaw("param/RandomSelect", "7");
    storeRaw("param/UseGlobalKey", "0");
    LoadSetting(1920, 1080);
    EXPECT_TRUE(RandomSelect);
    EXPECT_FALSE(state.UseGlobalKey);
    SaveSetting({0, 0});
    EXPECT_EQ(readRaw("param/RandomSelect").toString(), "1");
}

TEST_F(Settings, NegativeAndUnsignedDwordFormsReadAsSigned) {
    storeRaw("param/left", "-5");
    storeRaw("param/top", "4294967295"); // the same 32 bits as -1
    const WindowPosition pos = LoadSetting(1920, 1080);
    EXPECT_EQ(pos.left, -5);
    EXPECT_EQ(pos.top, -1);
}

TEST_F(Settings, MalformedValuesKeepTheirDefaults) {
    storeRaw("param/interval", "soon");
    storeRaw("param/left", "99999999999");
    storeRaw("param/PosView", "");
    storeRaw("param/gk1", "abcd");
    storeRaw("param/gk2", "11");
    storeRaw("param/gk3", "0010065");
    const WindowPosition pos = LoadSetting(1024, 768);
    EXPECT_EQ(timers.ChangeInterval(), 300000);
    EXPECT_EQ(pos.left, 1024 / 2 - 400);
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(state.GlobalKeys[0], (TGlobalKey{true, true, false, 82}));
    EXPECT_EQ(state.GlobalKeys[1], (TGlobalKey{true, true, false, 78}));
    EXPECT_EQ(state.GlobalKeys[2], (TGlobalKey{false, false, true, 65}));
}

TEST_F(Settings, ADamagedStoreIsKeptAsideAndTheDefaultsAreUsed) {
    const std::string damaged("\0\xff[param\ninterval=\x01\n", 20);
    writeFile(".config/Quorvane/Quorvane.conf", damaged);
    writeFile(".config/Quorvane/Quorvane.conf.damaged", "an earlier one");
    EXPECT_NO_THROW(LoadSetting(1920, 1080));
    EXPECT_EQ(timers.ChangeInterval(), 300000);
    EXPECT_EQ(readFile(home + "/.config/Quorvane/Quorvane.conf.damaged"), "an earlier one");
    EXPECT_EQ(readFile(home + "/.config/Quorvane/Quorvane.conf.damaged-2"), damaged);
    // The next save writes a sound file in its place.
    timers.SetChangeInterval(120000);
    SaveSetting({10, 20});
    EXPECT_EQ(readRaw("param/interval").toString(), "120000");
}

TEST_F(Settings, OnlyARegularFileIsRead) {
    // A FIFO would block the start for ever, a device feed it endlessly.
    std::filesystem::create_directories(home + "/.config/Quorvane");
    ASSERT_EQ(::mkfifo(storePath().toLocal8Bit().constData(), 0600), 0);
    EXPECT_NO_THROW(LoadSetting(1920, 1080));
    EXPECT_EQ(timers.ChangeInterval(), 300000);
    std::filesystem::remove(storePath().toStdString());
    std::filesystem::create_directory_symlink("/dev", home + "/.config/Quorvane/Quorvane.conf");
    EXPECT_NO_THROW(LoadSetting(1920, 1080));
    EXPECT_EQ(timers.ChangeInterval(), 300000);
}

TEST_F(Settings, AStoreThatCannotBeWrittenThrows) {
    // A plain file where the settings folder should be.
    writeFile(".config/Quorvane", "not a folder");
    EXPECT_THROW(SaveSetting({0, 0}), platform::StoreError);
}

TEST_F(Settings, FirstStartCentresOnThePrimaryScreenWhereverItIs) {
    // The primary monitor right of another one, and one above-left of the origin.
    WindowPosition pos = ::LoadSetting(state, timers, ScreenArea{1280, 0, 1920, 1080});
    EXPECT_EQ(pos.left, 1280 + 560);
    EXPECT_EQ(pos.top, 323);
    pos = ::LoadSetting(state, timers, ScreenArea{-1024, -768, 1024, 768});
    EXPECT_EQ(pos.left, -1024 + 112);
    EXPECT_EQ(pos.top, -768 + 167);
}

struct VisibilityCase {
    int left, top;
    bool shows;
};

class WindowOnScreen : public ::testing::TestWithParam<VisibilityCase> {};

TEST_P(WindowOnScreen, EnoughOfTheWindowMustShow) {
    // Two screens side by side, the right one lower.
    const std::vector<ScreenArea> screens{{0, 0, 1280, 1024}, {1280, 200, 1920, 1080}};
    const VisibilityCase& c = GetParam();
    EXPECT_EQ(ShowsOnAScreen({c.left, c.top}, screens), c.shows) << c.left << ", " << c.top;
}

INSTANTIATE_TEST_SUITE_P(
    Positions, WindowOnScreen,
    ::testing::Values(VisibilityCase{100, 100, true}, VisibilityCase{-5000, -5000, false},
                      VisibilityCase{-700, 0, true},  // 100 px of it on the left screen
                      VisibilityCase{-701, 0, false}, // 99 px
                      VisibilityCase{0, 995, true},   // 29 px at the bottom
                      VisibilityCase{0, 996, false},
                      VisibilityCase{1500, 100, true},   // over the gap above the right screen
                      VisibilityCase{2000, -300, false}, // above the right screen only
                      VisibilityCase{3100, 1000, true}, VisibilityCase{3101, 1000, false},
                      VisibilityCase{2147483000, 2147483000, false}));
