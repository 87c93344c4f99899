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
    WindowPosition loadSetting(int screenWidth, int screenHeight) {
        return ::loadSetting(m_state, m_collection, m_timers,
                             ScreenArea{0, 0, screenWidth, screenHeight});
    }
    void saveSetting(const WindowPosition& pos) {
        ::saveSetting(m_state, m_collection, m_timers, pos);
    }

    ChangeScheduler m_timers{m_state, m_collection};
};

TEST_F(Settings, FirstStartWritesTheVersion) {
    currentVersion("quorvane");
    EXPECT_EQ(readRaw("version").toString(), "3.2");
}

TEST_F(Settings, AnotherVersionWipesEverySetting) {
    for (const QVariant& old :
         {QVariant("3.1"), QVariant("3.20"), QVariant("3.2 "), QVariant(QStringList{"3.2", "x"})}) {
        storeRaw("version", old);
        storeRaw("param/interval", "60000");
        storeRaw("other/x", "1");
        currentVersion("quorvane");
        EXPECT_EQ(readRaw("version").toString(), "3.2") << old.toString().toStdString();
        EXPECT_FALSE(readRaw("param/interval").isValid()) << old.toString().toStdString();
        EXPECT_FALSE(readRaw("other/x").isValid());
    }
}

TEST_F(Settings, TheSameVersionKeepsTheSettings) {
    storeRaw("version", "3.2");
    storeRaw("param/interval", "60000");
    currentVersion("quorvane");
    EXPECT_EQ(readRaw("param/interval").toString(), "60000");
}

TEST_F(Settings, FirstStartDefaults) {
    const WindowPosition pos = loadSetting(1920, 1080);
    EXPECT_EQ(pos.left, 560);
    EXPECT_EQ(pos.top, 323);
    EXPECT_FALSE(m_automaticallyChange);
    EXPECT_FALSE(m_state.changeWithStart);
    EXPECT_FALSE(m_randomSelect);
    EXPECT_TRUE(m_state.useGlobalKey);
    EXPECT_EQ(currentWall(), 0);
    EXPECT_EQ(m_timers.changeInterval(), 300000);
    EXPECT_EQ(m_timers.hourCounter(), 0);
    EXPECT_EQ(m_timers.minuteCounter(), 5);
    EXPECT_FALSE(m_timers.quorvaneTimer.enabled());
    EXPECT_EQ(m_state.globalKeys[0], (GlobalKey{true, true, false, 82}));
    EXPECT_EQ(m_state.globalKeys[1], (GlobalKey{true, true, false, 78}));
    EXPECT_EQ(m_state.globalKeys[2], (GlobalKey{true, true, false, 66}));
    EXPECT_EQ(m_state.placement, PlacementMode::Fill);
    EXPECT_EQ(m_state.backgroundColor, 0u);
    EXPECT_FALSE(m_state.perMonitor);
}

TEST_F(Settings, EveryValueRoundTrips) {
    loadSetting(1920, 1080);
    m_automaticallyChange = false;
    m_timers.setAutomaticallyChange(true);
    m_state.changeWithStart = true;
    m_randomSelect = true;
    m_timers.setChangeInterval(2 * 3600000 + 7 * 60000 + 1234);
    m_collection.restoreCurrent(17);
    m_state.useGlobalKey = false;
    m_state.globalKeys[0] = {false, false, true, 116};
    m_state.globalKeys[1] = {true, false, false, 0};
    m_state.globalKeys[2] = {false, true, true, 65535};
    m_state.placement = PlacementMode::Center;
    m_state.backgroundColor = 0x12AB0F;
    m_state.perMonitor = true;
    saveSetting({-2000, -1500});

    const auto keys = m_state.globalKeys;
    m_state = ProgramState{};
    m_timers.quorvaneTimer.setEnabled(false);
    const WindowPosition pos = loadSetting(1920, 1080);
    EXPECT_EQ(pos.left, -2000);
    EXPECT_EQ(pos.top, -1500);
    EXPECT_TRUE(m_automaticallyChange);
    EXPECT_TRUE(m_timers.quorvaneTimer.enabled());
    EXPECT_TRUE(m_state.changeWithStart);
    EXPECT_TRUE(m_randomSelect);
    EXPECT_EQ(m_timers.changeInterval(), 2 * 3600000 + 7 * 60000 + 1234);
    EXPECT_EQ(m_timers.hourCounter(), 2);
    EXPECT_EQ(m_timers.minuteCounter(), 7);
    EXPECT_EQ(currentWall(), 17);
    EXPECT_FALSE(m_state.useGlobalKey);
    EXPECT_EQ(m_state.globalKeys, keys);
    EXPECT_EQ(readRaw("param/gk1").toString(), "001116");
    EXPECT_EQ(readRaw("param/gk2").toString(), "1000");
    EXPECT_EQ(m_state.placement, PlacementMode::Center);
    EXPECT_EQ(m_state.backgroundColor, 0x12AB0Fu);
    EXPECT_EQ(readRaw("param/Placement").toString(), "center");
    EXPECT_EQ(readRaw("param/BackgroundColor").toString(), "#12ab0f");
    EXPECT_TRUE(m_state.perMonitor);
    EXPECT_EQ(readRaw("param/PerMonitor").toString(), "1");
}

// The stored placement and colour as text, and what they read as; anything
// malformed keeps the default (fill, black).
struct StoredPlacement {
    const char* placement;
    const char* colour;
    PlacementMode mode;
    std::uint32_t rgb;
};

class StoredPlacementReads : public Settings,
                             public testing::WithParamInterface<StoredPlacement> {};

TEST_P(StoredPlacementReads, AsStoredOrDefault) {
    const StoredPlacement& c = GetParam();
    storeRaw("param/Placement", c.placement);
    storeRaw("param/BackgroundColor", c.colour);
    m_state.placement = PlacementMode::Tile;
    m_state.backgroundColor = 0xFFFFFF;
    loadSetting(1920, 1080);
    EXPECT_EQ(m_state.placement, c.mode) << c.placement;
    EXPECT_EQ(m_state.backgroundColor, c.rgb) << c.colour;
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredPlacementReads,
    testing::Values(StoredPlacement{"fit", "#FFfF00", PlacementMode::Fit, 0xFFFF00},
                    StoredPlacement{"Span", "#000001", PlacementMode::Span, 0x000001},
                    StoredPlacement{"stretch", "#abcdef", PlacementMode::Stretch, 0xABCDEF},
                    StoredPlacement{"centre", "abcdef", PlacementMode::Fill, 0},
                    StoredPlacement{"", "#abcdeg", PlacementMode::Fill, 0},
                    StoredPlacement{"tile ", "#abcdef0", PlacementMode::Fill, 0},
                    StoredPlacement{"tile", "#fff", PlacementMode::Tile, 0}));

TEST_F(Settings, WithoutPlacementKeysTheOtherSettingsStillRead) {
    storeRaw("param/ChangeWithStart", "1");
    loadSetting(1920, 1080);
    EXPECT_TRUE(m_state.changeWithStart);
    EXPECT_EQ(m_state.placement, PlacementMode::Fill);
    EXPECT_EQ(m_state.backgroundColor, 0u);
}

TEST_F(Settings, IntervalsAreShownInWholeHoursAndMinutes) {
    storeRaw("param/interval", "5400000"); // 90 minutes
    loadSetting(1920, 1080);
    EXPECT_EQ(m_timers.hourCounter(), 1);
    EXPECT_EQ(m_timers.minuteCounter(), 30);
    storeRaw("param/interval", "90000"); // 90 seconds
    loadSetting(1920, 1080);
    EXPECT_EQ(m_timers.hourCounter(), 0);
    EXPECT_EQ(m_timers.minuteCounter(), 1);
    EXPECT_EQ(m_timers.changeInterval(), 90000);
}

TEST_F(Settings, ZeroIntervalWithAutomaticChangeIsOnButNeverCounts) {
    storeRaw("param/interval", "0");
    storeRaw("param/AutomaticallyChange", "1");
    loadSetting(1920, 1080);
    EXPECT_TRUE(m_automaticallyChange);
    EXPECT_TRUE(m_timers.quorvaneTimer.enabled());
    EXPECT_FALSE(m_timers.quorvaneTimer.isCounting());
    EXPECT_EQ(m_timers.hourCounter(), 0);
    EXPECT_EQ(m_timers.minuteCounter(), 0);
}

TEST_F(Settings, AnyNonZeroBooleanIsOnAndIsWrittenBackAsOne) {
    storeRaw("param/RandomSelect", "7");
    storeRaw("param/UseGlobalKey", "0");
    loadSetting(1920, 1080);
    EXPECT_TRUE(m_randomSelect);
    EXPECT_FALSE(m_state.useGlobalKey);
    saveSetting({0, 0});
    EXPECT_EQ(readRaw("param/RandomSelect").toString(), "1");
}

TEST_F(Settings, NegativeAndUnsignedDwordFormsReadAsSigned) {
    storeRaw("param/left", "-5");
    storeRaw("param/top", "4294967295"); // the same 32 bits as -1
    const WindowPosition pos = loadSetting(1920, 1080);
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
    const WindowPosition pos = loadSetting(1024, 768);
    EXPECT_EQ(m_timers.changeInterval(), 300000);
    EXPECT_EQ(pos.left, 1024 / 2 - 400);
    EXPECT_EQ(currentWall(), 0);
    EXPECT_EQ(m_state.globalKeys[0], (GlobalKey{true, true, false, 82}));
    EXPECT_EQ(m_state.globalKeys[1], (GlobalKey{true, true, false, 78}));
    EXPECT_EQ(m_state.globalKeys[2], (GlobalKey{false, false, true, 65}));
}

TEST_F(Settings, ADamagedStoreIsKeptAsideAndTheDefaultsAreUsed) {
    const std::string damaged("\0\xff[param\ninterval=\x01\n", 20);
    writeFile(".config/Quorvane/Quorvane.conf", damaged);
    writeFile(".config/Quorvane/Quorvane.conf.damaged", "an earlier one");
    EXPECT_NO_THROW(loadSetting(1920, 1080));
    EXPECT_EQ(m_timers.changeInterval(), 300000);
    EXPECT_EQ(readFile(m_home + "/.config/Quorvane/Quorvane.conf.damaged"), "an earlier one");
    EXPECT_EQ(readFile(m_home + "/.config/Quorvane/Quorvane.conf.damaged-2"), damaged);
    // The next save writes a sound file in its place.
    m_timers.setChangeInterval(120000);
    saveSetting({10, 20});
    EXPECT_EQ(readRaw("param/interval").toString(), "120000");
}

TEST_F(Settings, OnlyARegularFileIsRead) {
    // A FIFO would block the start for ever, a device feed it endlessly.
    std::filesystem::create_directories(m_home + "/.config/Quorvane");
    ASSERT_EQ(::mkfifo(storePath().toLocal8Bit().constData(), 0600), 0);
    EXPECT_NO_THROW(loadSetting(1920, 1080));
    EXPECT_EQ(m_timers.changeInterval(), 300000);
    std::filesystem::remove(storePath().toStdString());
    std::filesystem::create_directory_symlink("/dev", m_home + "/.config/Quorvane/Quorvane.conf");
    EXPECT_NO_THROW(loadSetting(1920, 1080));
    EXPECT_EQ(m_timers.changeInterval(), 300000);
}

TEST_F(Settings, AStoreThatCannotBeWrittenThrows) {
    // A plain file where the settings folder should be.
    writeFile(".config/Quorvane", "not a folder");
    EXPECT_THROW(saveSetting({0, 0}), platform::StoreError);
}

TEST_F(Settings, FirstStartCentresOnThePrimaryScreenWhereverItIs) {
    // The primary monitor right of another one, and one above-left of the origin.
    WindowPosition pos =
        ::loadSetting(m_state, m_collection, m_timers, ScreenArea{1280, 0, 1920, 1080});
    EXPECT_EQ(pos.left, 1280 + 560);
    EXPECT_EQ(pos.top, 323);
    pos = ::loadSetting(m_state, m_collection, m_timers, ScreenArea{-1024, -768, 1024, 768});
    EXPECT_EQ(pos.left, -1024 + 112);
    EXPECT_EQ(pos.top, -768 + 167);
}

struct FitCase {
    int left, top;
    bool fits;
};

class WindowOnScreen : public ::testing::TestWithParam<FitCase> {};

TEST_P(WindowOnScreen, TheWholeWindowMustLieOnOneScreen) {
    // Two screens side by side, the right one lower; the window is 800 x 435.
    const std::vector<ScreenArea> screens{{0, 0, 1280, 1024}, {1280, 200, 1920, 1080}};
    const FitCase& c = GetParam();
    EXPECT_EQ(fitsOnAScreen({c.left, c.top}, screens), c.fits) << c.left << ", " << c.top;
}

INSTANTIATE_TEST_SUITE_P(
    Positions, WindowOnScreen,
    ::testing::Values(FitCase{100, 100, true}, FitCase{0, 0, true}, FitCase{-1, 0, false},
                      FitCase{480, 589, true},  // the left screen's bottom-right corner
                      FitCase{481, 589, false}, // the close button's column off the screen
                      FitCase{480, 590, false}, FitCase{1000, 300, false}, // across both screens
                      FitCase{1280, 200, true}, FitCase{2400, 845, true}, FitCase{2401, 845, false},
                      FitCase{1500, 100, false}, // above the right one
                      FitCase{-5000, -5000, false}, FitCase{2147483000, 2147483000, false}));
