// The desktop wallpaper set through the system and read back as the
// preview strip does.
#include "platform/wallpaper.h"
#include "platform/windows/shellstandin.h"
#include "platform/windows/wintest.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <tuple>

#include <objbase.h>
#include <shobjidl.h>

using namespace wintest;

namespace {

const std::wstring Desktop = L"Control Panel\\Desktop";
const std::wstring Colors = L"Control Panel\\Colors";

// A 2 x 2, 24-bit bottom-up BMP; each row is padded to 8 bytes.
void writeBmp(const std::filesystem::path& path) {
    const unsigned char bmp[] = {
        'B', 'M', 70,  0,    0,    0,   0, 0,    0,    0, 54, 0, 0, 0, // file header
        40,  0,   0,   0,    2,    0,   0, 0,    2,    0, 0,  0, 1, 0, 24, 0, 0, 0, 0,
        0,   16, // info header
        0,   0,   0,   0x13, 0x0B, 0,   0, 0x13, 0x0B, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, //
        0,   0,   255, 0,    255,  0,   0, 0,                                          // red, green
        255, 0,   0,   255,  255,  255, 0, 0}; // blue, white
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bmp), sizeof(bmp));
}

std::wstring readString(const std::wstring& key, const std::wstring& name) {
    const RawValue raw = readRaw(HKEY_CURRENT_USER, key, name);
    if (!raw.found || raw.type != REG_SZ)
        return L"(missing)";
    return std::wstring(reinterpret_cast<const wchar_t*>(raw.data.data())).c_str();
}

class WallpaperTest : public SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        if (IsSkipped())
            return;
        for (const auto& [key, name] : Kept)
            m_saved.push_back(readRaw(HKEY_CURRENT_USER, key, name));
        m_desktopColour = GetSysColor(COLOR_DESKTOP);
    }
    void TearDown() override {
        if (IsSkipped())
            return;
        for (std::size_t i = 0; i < m_saved.size(); ++i) {
            const auto& [key, name] = Kept[i];
            if (m_saved[i].found)
                writeRaw(HKEY_CURRENT_USER, key, name, m_saved[i].type, m_saved[i].data.data(),
                         static_cast<DWORD>(m_saved[i].data.size()));
            else
                deleteRaw(HKEY_CURRENT_USER, key, name);
        }
        const INT element = COLOR_DESKTOP;
        SetSysColors(1, &element, &m_desktopColour);
    }

private:
    // What the wallpaper calls may change in the user's settings.
    inline static const std::pair<std::wstring, std::wstring> Kept[] = {
        {Desktop, L"Wallpaper"},
        {Desktop, L"WallpaperStyle"},
        {Desktop, L"TileWallpaper"},
        {Colors, L"Background"}};
    std::vector<RawValue> m_saved;
    COLORREF m_desktopColour = 0;
};

TEST_F(WallpaperTest, SetWallpaperIsReadBack) {
    TempDir temp;
    const auto first = temp.path() / L"Wallpaper.bmp";
    const auto second = temp.path() / L"Fond d'\u00e9cran.bmp";
    writeBmp(first);
    writeBmp(second);

    platform::setDesktopWallpaper(utf8(first.wstring()));
    EXPECT_EQ(platform::getWallpaperName(), utf8(first.wstring()));
    const RawValue raw = readRaw(HKEY_CURRENT_USER, Desktop, L"Wallpaper");
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));

    platform::setDesktopWallpaper(utf8(second.wstring()));
    EXPECT_EQ(platform::getWallpaperName(), utf8(second.wstring()));
}

TEST_F(WallpaperTest, NameIsEmptyWhenTheDesktopKeepsNone) {
    deleteRaw(HKEY_CURRENT_USER, Desktop, L"Wallpaper");
    EXPECT_EQ(platform::getWallpaperName(), "");
    const DWORD number = 1;
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, Desktop, L"Wallpaper", REG_DWORD, &number, 4),
              ERROR_SUCCESS);
    EXPECT_EQ(platform::getWallpaperName(), "");
}

// The shell's per-monitor wallpaper object, released with COM when it goes;
// null where the system has none.
class ShellObject {
public:
    ShellObject() {
        m_initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        void* object = nullptr;
        m_created = CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL,
                                     IID_IDesktopWallpaper, &object);
        if (SUCCEEDED(m_created))
            m_wallpaper = static_cast<IDesktopWallpaper*>(object);
    }
    ~ShellObject() {
        if (m_wallpaper)
            m_wallpaper->Release();
        if (m_initialized)
            CoUninitialize();
    }
    ShellObject(const ShellObject&) = delete;
    ShellObject& operator=(const ShellObject&) = delete;
    IDesktopWallpaper* get() const { return m_wallpaper; }
    HRESULT created() const { return m_created; }

    std::wstring wallpaperOf(const std::string& monitor) const {
        LPWSTR path = nullptr;
        if (FAILED(m_wallpaper->GetWallpaper(wide(monitor).c_str(), &path)) || !path)
            return L"(none)";
        std::wstring result = path;
        CoTaskMemFree(path);
        return result;
    }

private:
    bool m_initialized = false;
    HRESULT m_created = E_FAIL;
    IDesktopWallpaper* m_wallpaper = nullptr;
};

BOOL CALLBACK collectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<RECT>*>(list)->push_back(*rect);
    return TRUE;
}

// The stand-in's monitors: two side by side, not level, and one the shell
// remembers but that is no longer attached.
const std::vector<StandInMonitor> StandInMonitors = {
    {L"\\\\?\\DISPLAY#QRV0001#1&left", {0, 0, 1280, 1024}, true},
    {L"\\\\?\\DISPLAY#QRV0002#2&gone", {0, 0, 0, 0}, false},
    {L"\\\\?\\DISPLAY#QRV0003#3&right", {1280, -200, 3200, 880}, true}};

const char* shellName(bool standIn) {
    return standIn ? "StandIn" : "System";
}

class MonitorListTest : public WallpaperTest, public ::testing::WithParamInterface<bool> {};

// The monitors come from the shell where it has its wallpaper object, the
// detached ones left out, and are unknown where it has none.
TEST_P(MonitorListTest, MonitorsComeFromTheShellWhereItListsThem) {
    // The shell's own object where the system has one (not Wine), or the
    // stand-in.
    std::optional<ShellStandIn> standIn;
    if (GetParam())
        standIn.emplace(StandInMonitors);
    ASSERT_TRUE(!standIn || standIn->registered());
    const std::optional<std::vector<platform::Monitor>> monitors = platform::desktopMonitors();
    const ShellObject shell;
    ASSERT_TRUE(!standIn || shell.get()) << "the stand-in was not reached";
    if (!shell.get()) {
        // Wine, Windows 7: the caller falls back to its toolkit's screens.
        std::printf("note: the shell has no per-monitor wallpaper object here (0x%08lx)\n",
                    static_cast<unsigned long>(shell.created()));
        EXPECT_FALSE(monitors.has_value()) << "listed without the shell's wallpaper object";
        return;
    }
    ASSERT_TRUE(monitors.has_value());
    std::vector<Rect> areas;
    for (const platform::Monitor& monitor : *monitors) {
        EXPECT_FALSE(monitor.name.empty());
        areas.push_back(monitor.area);
    }
    if (standIn) {
        ASSERT_EQ(monitors->size(), 2u);
        EXPECT_EQ((*monitors)[0].name, "\\\\?\\DISPLAY#QRV0001#1&left");
        EXPECT_EQ((*monitors)[1].name, "\\\\?\\DISPLAY#QRV0003#3&right");
        EXPECT_EQ(areas, (std::vector<Rect>{{0, 0, 1280, 1024}, {1280, -200, 3200, 880}}));
        return;
    }
    std::vector<RECT> displays;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&displays));
    std::vector<Rect> displayAreas;
    for (const RECT& r : displays)
        displayAreas.push_back({r.left, r.top, r.right, r.bottom});
    std::sort(areas.begin(), areas.end(), [](const Rect& a, const Rect& b) {
        return std::tie(a.left, a.top) < std::tie(b.left, b.top);
    });
    std::sort(displayAreas.begin(), displayAreas.end(), [](const Rect& a, const Rect& b) {
        return std::tie(a.left, a.top) < std::tie(b.left, b.top);
    });
    EXPECT_EQ(areas, displayAreas);
}

INSTANTIATE_TEST_SUITE_P(Shells, MonitorListTest, ::testing::Bool(),
                         [](const auto& info) { return std::string(shellName(info.param)); });

struct MonitorPlacementCase {
    const char* name;
    PlacementMode mode;
    DESKTOP_WALLPAPER_POSITION position;
    const wchar_t* style;
    const wchar_t* tile;
};

void PrintTo(const MonitorPlacementCase& c, std::ostream* out) {
    *out << c.name;
}

class MonitorWallpaperTest
    : public WallpaperTest,
      public ::testing::WithParamInterface<std::tuple<MonitorPlacementCase, bool>> {};

// Two monitors, each with its own picture: the shell shows each on its
// monitor (the first on all for Span); without the shell's object, the
// desktop shows the first picture. Either way placed as asked, with the
// colour around the picture set for Fit and Center.
TEST_P(MonitorWallpaperTest, EachMonitorShowsItsPictureOrAllShowTheFirst) {
    const auto& [c, useStandIn] = GetParam();
    std::optional<ShellStandIn> standIn;
    if (useStandIn)
        standIn.emplace(StandInMonitors);
    ASSERT_TRUE(!standIn || standIn->registered());
    TempDir temp;
    const auto first = temp.path() / L"Moniteur 1 \u00e9.bmp";
    const auto second = temp.path() / L"Monitor 2.bmp";
    writeBmp(first);
    writeBmp(second);
    // A second desktop colour, so that a stale one cannot pass.
    const std::uint32_t background = c.mode == PlacementMode::Fit ? 0x336699 : 0xC08040;
    const COLORREF expectedColour =
        RGB(background >> 16, background >> 8 & 0xFF, background & 0xFF);

    std::vector<platform::Monitor> monitors;
    if (auto listed = platform::desktopMonitors())
        monitors = *listed;
    const std::size_t listedCount = monitors.size();
    // Made-up monitors make up the two: the shell refuses them, and the
    // fallback shows the first picture whatever the names.
    while (monitors.size() < 2)
        monitors.push_back({"\\\\?\\DISPLAY#Made#Up" + std::to_string(monitors.size()),
                            {int(monitors.size()) * 800, 0, int(monitors.size() + 1) * 800, 600}});
    const std::vector<platform::MonitorPicture> pictures = {
        {monitors[0], utf8(first.wstring()), nullptr},
        {monitors[1], utf8(second.wstring()), nullptr}};
    platform::setMonitorWallpapers(pictures, utf8((temp.path() / L"composed.bmp").wstring()),
                                   {c.mode, background});

    const bool leavesRoom = c.mode == PlacementMode::Fit || c.mode == PlacementMode::Center;
    const ShellObject shell;
    ASSERT_TRUE(!standIn || shell.get()) << "the stand-in was not reached";
    if (shell.get()) {
        DESKTOP_WALLPAPER_POSITION position{};
        ASSERT_TRUE(SUCCEEDED(shell.get()->GetPosition(&position)));
        EXPECT_EQ(position, c.position);
        for (std::size_t i = 0; i < std::min<std::size_t>(listedCount, 2); ++i) {
            const auto& expected = i == 0 || c.mode == PlacementMode::Span ? first : second;
            EXPECT_EQ(utf8(shell.wallpaperOf(monitors[i].name)), utf8(expected.wstring())) << i;
        }
        COLORREF colour = 0;
        ASSERT_TRUE(SUCCEEDED(shell.get()->GetBackgroundColor(&colour)));
        if (leavesRoom) {
            EXPECT_EQ(colour, expectedColour);
        } else if (standIn) {
            // The user's colour stays where the picture covers the monitor.
            EXPECT_EQ(colour, CLR_INVALID);
        }
        // The shell was not passed over for the single picture.
        if (standIn) {
            EXPECT_NE(platform::getWallpaperName(), utf8(first.wstring()));
        }
        return;
    }
    EXPECT_EQ(platform::getWallpaperName(), utf8(first.wstring()));
    EXPECT_EQ(utf8(readString(Desktop, L"WallpaperStyle")), utf8(c.style));
    EXPECT_EQ(utf8(readString(Desktop, L"TileWallpaper")), utf8(c.tile));
    if (leavesRoom) {
        const std::wstring rgb = std::to_wstring(background >> 16) + L" " +
                                 std::to_wstring(background >> 8 & 0xFF) + L" " +
                                 std::to_wstring(background & 0xFF);
        EXPECT_EQ(utf8(readString(Colors, L"Background")), utf8(rgb));
        EXPECT_EQ(GetSysColor(COLOR_DESKTOP), expectedColour);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Placements, MonitorWallpaperTest,
    ::testing::Combine(
        ::testing::Values(
            MonitorPlacementCase{"Fill", PlacementMode::Fill, DWPOS_FILL, L"10", L"0"},
            MonitorPlacementCase{"Fit", PlacementMode::Fit, DWPOS_FIT, L"6", L"0"},
            MonitorPlacementCase{"Stretch", PlacementMode::Stretch, DWPOS_STRETCH, L"2", L"0"},
            MonitorPlacementCase{"Center", PlacementMode::Center, DWPOS_CENTER, L"0", L"0"},
            MonitorPlacementCase{"Tile", PlacementMode::Tile, DWPOS_TILE, L"0", L"1"},
            MonitorPlacementCase{"Span", PlacementMode::Span, DWPOS_SPAN, L"22", L"0"}),
        ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + shellName(std::get<1>(info.param));
    });

// Monitors the shell does not know (named by another source, or gone since)
// still get a picture: the first, through the system.
TEST_F(WallpaperTest, PicturesTheShellRefusesShowTheFirstEverywhere) {
    ShellStandIn standIn(StandInMonitors);
    ASSERT_TRUE(standIn.registered());
    TempDir temp;
    const auto first = temp.path() / L"first.bmp";
    const auto second = temp.path() / L"second.bmp";
    writeBmp(first);
    writeBmp(second);
    const std::vector<platform::MonitorPicture> pictures = {
        {{"\\\\.\\DISPLAY1", {0, 0, 1280, 1024}}, utf8(first.wstring()), nullptr},
        {{"", {1280, 0, 2560, 1024}}, utf8(second.wstring()), nullptr}};
    platform::setMonitorWallpapers(pictures, utf8((temp.path() / L"composed.bmp").wstring()),
                                   {PlacementMode::Stretch, 0});
    EXPECT_TRUE(standIn.state().wallpapers.empty());
    EXPECT_EQ(platform::getWallpaperName(), utf8(first.wstring()));
    EXPECT_EQ(utf8(readString(Desktop, L"WallpaperStyle")), "2");
}

} // namespace
