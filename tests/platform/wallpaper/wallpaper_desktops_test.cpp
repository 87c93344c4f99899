// Each desktop backend against its desktop's real settings service, in the
// private session dconf_session.sh makes (D-Bus, dconf, HOME and XDG folders
// of its own, a private Xvfb, and for the sway run a headless sway):
// GSettings on dconf for GNOME, MATE and Cinnamon; a real xfconfd for XFCE;
// the real pcmanfm-qt and pcmanfm desktops for LXQt and LXDE; sway with its
// swaybg. The Plasma shell is too heavy to run here: a stand-in owning
// org.kde.PlasmaShell runs the scripts in a JavaScript engine instead.
//
// The program's calls (platform::setDesktopWallpaper, getWallpaperName) are
// driven with XDG_CURRENT_DESKTOP set per case; what the desktop keeps is read
// back through the desktop's own tools, not through the backend.
#include "platform/linux/wallpaper_backends.h"
#include "platform/wallpaper.h"

#include "imaging/bitmap.h"
#include "imaging/codecs.h"

// GIO before Qt: Qt's "signals" keyword would clash with GIO's headers.
#include <gio/gio.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;
namespace wp = platform::wallpaper;

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Only inside dconf_session.sh: never against the session the tests run in.
bool inPrivateSession() {
    return env("GSETTINGS_BACKEND") == "dconf" && !env("DBUS_SESSION_BUS_ADDRESS").empty() &&
           env("HOME").find("/quorvane-dconf.") != std::string::npos;
}

bool hasProgram(const char* name) {
    gchar* found = g_find_program_in_path(name);
    g_free(found);
    return found != nullptr;
}

bool schemaInstalled(const char* id) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr;
    if (schema)
        g_settings_schema_unref(schema);
    return schema != nullptr;
}

// Standard output of a program (argument vector, no shell), without the
// final newline; empty when it failed.
std::string output(const std::string& program, const std::vector<std::string>& args) {
    wp::ProgramRun run = wp::runProgram(program, args);
    while (!run.output.empty() && run.output.back() == '\n')
        run.output.pop_back();
    return run.status == wp::ProgramRun::Status::Done ? run.output : std::string();
}

bool waitFor(const std::function<bool()>& ready, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QThread::msleep(20);
    }
    return true;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string unquote(std::string v) {
    if (v.size() >= 2 && v.front() == '\'' && v.back() == '\'')
        v = v.substr(1, v.size() - 2);
    return v;
}

std::string dconfRead(const std::string& key) {
    return unquote(output("dconf", {"read", key}));
}

bool busNameOwned(const char* name) {
    return output("dbus-send", {"--session", "--print-reply=literal", "--dest=org.freedesktop.DBus",
                                "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                                std::string("string:") + name})
               .find("true") != std::string::npos;
}

// A helper program the tests start (a desktop, the stand-in shell), ended by
// its process id when the test suite is done with it.
class Helper {
public:
    Helper(const QString& program, const QStringList& args) {
        m_process.setProgram(program);
        m_process.setArguments(args);
        m_process.setStandardInputFile(QProcess::nullDevice());
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start();
        m_process.waitForStarted(5000);
    }
    ~Helper() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(2000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    bool running() const { return m_process.state() == QProcess::Running; }

private:
    QProcess m_process;
};

// --- What each desktop keeps, read with its own tools ---

std::string xfconfQuery(const std::string& property) {
    return output("xfconf-query", {"-c", "xfce4-desktop", "-p", property});
}

// The Xvfb's first output, as XFCE names its monitors.
std::string firstMonitor() {
    const std::optional<wp::X11Layout> layout = wp::x11Layout();
    return layout && !layout->outputs.empty() ? layout->outputs.front() : std::string();
}

std::string xfceImage(int workspace = 0) {
    return xfconfQuery("/backdrop/screen0/monitor" + firstMonitor() + "/workspace" +
                       std::to_string(workspace) + "/last-image");
}

fs::path kdeStateFile() {
    return fs::path(env("XDG_RUNTIME_DIR")) / "plasmashell-state.json";
}

QJsonObject kdeState() {
    QFile f(QString::fromStdString(kdeStateFile().string()));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

const char* const KdeImageKey = "Wallpaper/org.kde.image/General/Image";

std::string kdeImage(int desktop = 0) {
    const QJsonObject config =
        kdeState()["desktops"].toArray()[desktop].toObject()["config"].toObject();
    return wp::fileUri2Path(config[KdeImageKey].toString().toStdString());
}

std::string lxqtSetting(const char* key) {
    const QSettings s(QString::fromStdString(env("XDG_CONFIG_HOME")) +
                          "/pcmanfm-qt/lxqt/settings.conf",
                      QSettings::IniFormat);
    return QFile::encodeName(s.value(QString("Desktop/") + key).toString()).toStdString();
}

std::string lxdeSetting(const char* key) {
    GKeyFile* keys = g_key_file_new();
    std::string value;
    const std::string file = env("XDG_CONFIG_HOME") + "/pcmanfm/LXDE/desktop-items-0.conf";
    if (g_key_file_load_from_file(keys, file.c_str(), G_KEY_FILE_NONE, nullptr)) {
        gchar* v = g_key_file_get_string(keys, "*", key, nullptr);
        value = v ? v : "";
        g_free(v);
    }
    g_key_file_free(keys);
    return value;
}

// The arguments of every running swaybg.
std::vector<std::vector<std::string>> swaybgArguments() {
    std::vector<std::vector<std::string>> all;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string comm = readFile(it->path() / "comm");
        if (comm != "swaybg\n")
            continue;
        const std::string cmdline = readFile(it->path() / "cmdline");
        if (cmdline.empty()) // ended, not yet reaped
            continue;
        std::vector<std::string> args;
        std::stringstream in(cmdline);
        for (std::string a; std::getline(in, a, '\0');)
            args.push_back(a);
        all.push_back(args);
    }
    return all;
}

// The picture of the one swaybg running, with its mode; empty while sway
// is between two of them.
std::pair<std::string, std::string> swaybgPicture() {
    const auto all = swaybgArguments();
    if (all.size() != 1)
        return {};
    std::string picture, mode;
    for (size_t i = 0; i + 1 < all[0].size(); ++i) {
        if (all[0][i] == "-i")
            picture = all[0][i + 1];
        if (all[0][i] == "-m")
            mode = all[0][i + 1];
    }
    return {picture, mode};
}

// --- The desktops ---

struct Desktop {
    const char* currentDesktop; ///< XDG_CURRENT_DESKTOP
    const char* label;
    /// Makes the desktop ready; empty when it is, else why the case skips.
    std::function<std::string()> start;
    /// The picture the desktop keeps now, read with its own tools.
    std::function<std::string()> keptPicture;
    /// Checks that the desktop keeps it scaled to fill (for GNOME: that the
    /// user's own placement stays).
    std::function<void()> checkFill;
    /// It stores its setting a moment after taking the picture.
    bool storesLate = false;
};

std::unique_ptr<Helper>& helper(const std::string& name) {
    static std::map<std::string, std::unique_ptr<Helper>> helpers;
    return helpers[name];
}

std::string startLxqt() {
    if (!hasProgram("pcmanfm-qt"))
        return "pcmanfm-qt is not installed (Debian package pcmanfm-qt)";
    if (env("DISPLAY").empty())
        return "needs the private X server of dconf_session.sh --xvfb";
    auto& h = helper("lxqt");
    if (!h) {
        // A user who chose Zoom in the desktop's preferences: pcmanfm-qt
        // takes no zoom from its command line (it lists it, then ignores it).
        const fs::path settings =
            fs::path(env("XDG_CONFIG_HOME")) / "pcmanfm-qt/lxqt/settings.conf";
        if (!fs::exists(settings)) {
            fs::create_directories(settings.parent_path());
            std::ofstream(settings) << "[Desktop]\nWallpaperMode=zoom\n";
        }
        h = std::make_unique<Helper>("pcmanfm-qt", QStringList{"--desktop", "--profile=lxqt"});
    }
    if (!waitFor([] { return busNameOwned("org.pcmanfm.PCManFM"); }, 10000))
        return "the pcmanfm-qt desktop did not start on the private X server";
    return {};
}

std::string startLxde() {
    if (!hasProgram("pcmanfm"))
        return "pcmanfm is not installed (Debian package pcmanfm)";
    if (env("DISPLAY").empty())
        return "needs the private X server of dconf_session.sh --xvfb";
    auto& h = helper("lxde");
    if (!h)
        h = std::make_unique<Helper>("pcmanfm", QStringList{"--desktop", "--profile=LXDE"});
    const fs::path socket =
        fs::path(env("XDG_RUNTIME_DIR")) / ("pcmanfm-socket--" + env("DISPLAY").substr(1));
    if (!waitFor([&] { return fs::exists(socket); }, 10000))
        return "the pcmanfm desktop did not start on the private X server";
    // The socket comes before the desktop has read its settings.
    QThread::msleep(300);
    return {};
}

std::string startKde() {
    if (std::string(QUORVANE_FAKE_PLASMASHELL).empty())
        return "the Plasma shell stand-in needs Qt Qml (Debian package qt6-declarative-dev)";
    auto& h = helper("kde");
    if (!h)
        h = std::make_unique<Helper>(QUORVANE_FAKE_PLASMASHELL,
                                     QStringList{QString::fromStdString(kdeStateFile().string())});
    if (!waitFor([] { return busNameOwned("org.kde.PlasmaShell"); }))
        return "the Plasma shell stand-in did not start";
    return {};
}

std::string needSchema(const char* schema, const char* package) {
    if (!schemaInstalled(schema))
        return std::string(schema) + " is not installed (Debian package " + package + ")";
    return {};
}

const std::vector<Desktop>& desktops() {
    static const std::vector<Desktop> All = {
        {"GNOME", "Gnome",
         [] { return needSchema("org.gnome.desktop.background", "gsettings-desktop-schemas"); },
         [] { return wp::fileUri2Path(dconfRead("/org/gnome/desktop/background/picture-uri")); },
         [] {
             EXPECT_EQ(dconfRead("/org/gnome/desktop/background/picture-uri-dark"),
                       dconfRead("/org/gnome/desktop/background/picture-uri"));
         }},
        {"MATE", "Mate", [] { return needSchema("org.mate.background", "mate-desktop-common"); },
         [] { return dconfRead("/org/mate/desktop/background/picture-filename"); },
         [] { EXPECT_EQ(dconfRead("/org/mate/desktop/background/picture-options"), "zoom"); }},
        {"X-Cinnamon", "Cinnamon",
         [] { return needSchema("org.cinnamon.desktop.background", "cinnamon-desktop-data"); },
         [] { return wp::fileUri2Path(dconfRead("/org/cinnamon/desktop/background/picture-uri")); },
         [] { EXPECT_EQ(dconfRead("/org/cinnamon/desktop/background/picture-options"), "zoom"); }},
        {"XFCE", "Xfce",
         []() -> std::string {
             if (!hasProgram("xfconf-query"))
                 return "xfconf is not installed (Debian packages xfconf, libxfconf-0-3)";
             if (firstMonitor().empty())
                 return "needs the private X server of dconf_session.sh --xvfb";
             return {};
         },
         [] { return xfceImage(); },
         [] {
             EXPECT_EQ(xfconfQuery("/backdrop/screen0/monitor" + firstMonitor() +
                                   "/workspace0/image-style"),
                       "5");
         }},
        {"KDE", "Kde", startKde, [] { return kdeImage(); },
         [] {
             // Every desktop, of every screen and activity, shows it filled.
             const QJsonArray all = kdeState()["desktops"].toArray();
             ASSERT_EQ(all.size(), 3);
             for (const QJsonValue& d : all) {
                 const QJsonObject o = d.toObject();
                 const QJsonObject config = o["config"].toObject();
                 EXPECT_EQ(o["wallpaperPlugin"].toString(), "org.kde.image");
                 EXPECT_EQ(wp::fileUri2Path(config[KdeImageKey].toString().toStdString()),
                           kdeImage(0));
                 EXPECT_EQ(config["Wallpaper/org.kde.image/General/FillMode"].toInt(), 2);
             }
         }},
        {"LXQt", "Lxqt", startLxqt, [] { return lxqtSetting("Wallpaper"); },
         [] {
             // pcmanfm-qt shows the mode it was given but does not store it;
             // what it stores is checked here, the picture on screen below.
         }},
        {"LXDE", "Lxde", startLxde, [] { return lxdeSetting("wallpaper"); },
         [] { EXPECT_EQ(lxdeSetting("wallpaper_mode"), "crop"); }, true},
        {"sway", "Sway",
         []() -> std::string {
             if (!env("QUORVANE_TEST_NO_SWAY").empty())
                 return env("QUORVANE_TEST_NO_SWAY");
             if (env("SWAYSOCK").empty())
                 return "needs the headless sway of dconf_session.sh --sway";
             return {};
         },
         [] { return swaybgPicture().first; }, [] { EXPECT_EQ(swaybgPicture().second, "fill"); }},
    };
    return All;
}

// A folder like the program's data folder, with a space, a '#', a '$' and a
// non-ASCII letter in its path; reachable by other users (sway runs as
// nobody when the tests run as root).
class WallpaperFolder {
public:
    WallpaperFolder() {
        char tmpl[] = "/tmp/quorvane desk \xC3\xA4 #1 $HOME-XXXXXX";
        if (!mkdtemp(tmpl))
            return;
        m_root = tmpl;
        m_dir = m_root / "Documents" / "Quorvane";
        fs::create_directories(m_dir);
        for (const fs::path& p : {m_root, m_root / "Documents", m_dir})
            ::chmod(p.c_str(), 0755);
        m_wallpaper = m_dir / "Wallpaper.bmp";
    }
    ~WallpaperFolder() {
        if (!m_root.empty())
            fs::remove_all(m_root);
    }
    bool ok() const { return !m_root.empty(); }

    // A new picture under the wallpaper's name (or a monitor's file's), as
    // the program writes it.
    void write(uint32_t rgb, const char* name = "Wallpaper.bmp") const {
        Bitmap b;
        b.setPixelFormat(PixelFormat::Bits24);
        b.setBrushColor(rgb);
        b.setSize(40, 30);
        b.saveToFile(m_dir / name);
    }

    std::set<std::string> content() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.insert(e.path().filename().string());
        return names;
    }

    const fs::path& dir() const { return m_dir; }
    const fs::path& wallpaper() const { return m_wallpaper; }

private:
    fs::path m_root, m_dir, m_wallpaper;
};

class DesktopWallpaper : public testing::TestWithParam<Desktop> {
protected:
    void SetUp() override {
        if (!inPrivateSession())
            GTEST_SKIP() << "needs the private session of dconf_session.sh (ctest runs it so)";
        const std::string why = GetParam().start();
        if (!why.empty())
            GTEST_SKIP() << why;
        ASSERT_TRUE(m_folder.ok());
        ::setenv("XDG_CURRENT_DESKTOP", GetParam().currentDesktop, 1);
    }

    WallpaperFolder m_folder;
};

// The user story: every apply shows the new picture at once, under a name the
// desktop has not seen, and never more than two such names stay on disk.
TEST_P(DesktopWallpaper, EveryApplyShowsTheNewPictureUnderAFreshName) {
    const Desktop& d = GetParam();
    std::set<std::string> seen;
    fs::path shown;
    for (int i = 0; i < 20; ++i) {
        m_folder.write(0x102030u * uint32_t(i + 1));
        platform::setDesktopWallpaper(m_folder.wallpaper().string());

        // The newest fresh name beside the wallpaper file is the one handed over.
        fs::path newest;
        for (const std::string& name : m_folder.content())
            if (wp::isFreshName(name, m_folder.wallpaper().string()) &&
                (newest.empty() || name.size() > newest.string().size() ||
                 (name.size() == newest.string().size() && name > newest.string())))
                newest = name;
        ASSERT_FALSE(newest.empty()) << "apply " << i << " left no fresh name";
        const fs::path handed = m_folder.dir() / newest;
        EXPECT_TRUE(seen.insert(handed.string()).second) << "a name was used twice";
        EXPECT_EQ(readFile(handed), readFile(m_folder.wallpaper()));

        if (!d.storesLate || i == 19) {
            EXPECT_TRUE(waitFor([&] { return d.keptPicture() == handed.string(); }))
                << "apply " << i << ": the desktop keeps \"" << d.keptPicture()
                << "\", not the new \"" << handed.string() << "\"";
        }
        const std::set<std::string> names = m_folder.content();
        if (d.storesLate) {
            EXPECT_LE(names.size(), 3u) << "more than two fresh names after apply " << i;
            for (const std::string& name : names)
                EXPECT_TRUE(name == "Wallpaper.bmp" ||
                            wp::isFreshName(name, m_folder.wallpaper().string()))
                    << name;
        } else {
            // The previous name goes as soon as the desktop shows the new one.
            EXPECT_EQ(names, (std::set<std::string>{"Wallpaper.bmp", newest.string()}))
                << "after apply " << i;
        }
        shown = handed;
    }
    EXPECT_EQ(platform::getWallpaperName(), shown.string());
    if (!d.storesLate) {
        EXPECT_EQ(m_folder.content(),
                  (std::set<std::string>{"Wallpaper.bmp", shown.filename().string()}));
    }
    d.checkFill();

    // A file the desktop could not be given changes nothing.
    const std::set<std::string> before = m_folder.content();
    platform::setDesktopWallpaper((m_folder.dir() / "Missing.bmp").string());
    EXPECT_EQ(d.keptPicture(), shown.string());
    EXPECT_EQ(m_folder.content(), before);
}

std::string desktopName(const testing::TestParamInfo<Desktop>& info) {
    return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(Desktops, DesktopWallpaper, testing::ValuesIn(desktops()), desktopName);

// Each placement as the desktop stores it, read with its own tools: the
// words for Fill, Fit, Stretch, Center, Tile and Span (nullptr: Fill keeps
// what the setting held, GNOME leaving the user's own choice alone), and
// the background colour where one is kept.
struct PlacementSetting {
    std::function<std::string()> read;
    std::array<const char*, 6> words;
    std::function<std::string()> colour;
};

std::string gsettingsPlacement(const std::string& path) {
    return dconfRead(path + "/picture-options");
}

std::string swaybgColour() {
    const auto all = swaybgArguments();
    if (all.size() != 1)
        return {};
    for (size_t i = 0; i + 1 < all[0].size(); ++i)
        if (all[0][i] == "-c")
            return all[0][i + 1];
    return {};
}

std::optional<PlacementSetting> placementSetting(const std::string& label) {
    const std::array<const char*, 6> gsettingsWords{"zoom",     "scaled",    "stretched",
                                                    "centered", "wallpaper", "spanned"};
    if (label == "Gnome")
        return PlacementSetting{
            [] { return gsettingsPlacement("/org/gnome/desktop/background"); },
            {nullptr, "scaled", "stretched", "centered", "wallpaper", "spanned"},
            [] { return dconfRead("/org/gnome/desktop/background/primary-color"); }};
    if (label == "Mate")
        return PlacementSetting{
            [] { return gsettingsPlacement("/org/mate/desktop/background"); }, gsettingsWords,
            [] { return dconfRead("/org/mate/desktop/background/primary-color"); }};
    if (label == "Cinnamon")
        return PlacementSetting{
            [] { return gsettingsPlacement("/org/cinnamon/desktop/background"); }, gsettingsWords,
            [] { return dconfRead("/org/cinnamon/desktop/background/primary-color"); }};
    if (label == "Xfce")
        return PlacementSetting{[] {
                                    return xfconfQuery("/backdrop/screen0/monitor" +
                                                       firstMonitor() + "/workspace0/image-style");
                                },
                                {"5", "4", "3", "1", "2", "6"},
                                nullptr};
    if (label == "Kde")
        return PlacementSetting{[] {
                                    const QJsonArray all = kdeState()["desktops"].toArray();
                                    if (all.isEmpty())
                                        return std::string();
                                    return std::to_string(
                                        all[0]
                                            .toObject()["config"]
                                            .toObject()["Wallpaper/org.kde.image/General/FillMode"]
                                            .toInt());
                                },
                                {"2", "1", "0", "6", "3", "2"},
                                [] {
                                    const QJsonArray all = kdeState()["desktops"].toArray();
                                    if (all.isEmpty())
                                        return std::string();
                                    return all[0]
                                        .toObject()["config"]
                                        .toObject()["Wallpaper/org.kde.image/General/Color"]
                                        .toString()
                                        .toStdString();
                                }};
    if (label == "Lxde")
        return PlacementSetting{[] { return lxdeSetting("wallpaper_mode"); },
                                {"crop", "fit", "stretch", "center", "tile", "screen"},
                                nullptr};
    if (label == "Sway")
        return PlacementSetting{[] { return swaybgPicture().second; },
                                {"fill", "fit", "stretch", "center", "tile", "fill"},
                                swaybgColour};
    return std::nullopt;
}

TEST_P(DesktopWallpaper, EachPlacementReachesTheDesktopsOwnSetting) {
    const std::optional<PlacementSetting> setting = placementSetting(GetParam().label);
    if (!setting)
        GTEST_SKIP() << GetParam().label << " keeps no placement that can be read back";
    m_folder.write(0x405060);
    // Fill last: GNOME must keep what the one before left.
    const PlacementMode order[] = {PlacementMode::Fit,    PlacementMode::Stretch,
                                   PlacementMode::Center, PlacementMode::Tile,
                                   PlacementMode::Span,   PlacementMode::Fill};
    std::string previous;
    for (PlacementMode mode : order) {
        platform::setDesktopWallpaper(m_folder.wallpaper().string(), {mode, 0x12ab0f});
        const char* word = setting->words[size_t(mode)];
        const std::string expected = word ? word : previous;
        EXPECT_TRUE(waitFor([&] { return setting->read() == expected; }))
            << placementName(mode) << ": the desktop keeps \"" << setting->read() << "\", not \""
            << expected << "\"";
        if (setting->colour && (mode == PlacementMode::Fit || mode == PlacementMode::Center)) {
            const std::string colour = setting->colour();
            EXPECT_TRUE(colour == "#12ab0f" || colour == "#12AB0F")
                << placementName(mode) << ": colour " << colour;
        }
        previous = expected;
    }
}

// sway: a swaybg that fails to start shows nothing, and neither the file
// made for it nor the one it replaced stays; what an earlier run left goes
// at start-up, while the file swaybg shows and the user's own files stay.
TEST(SwayWallpaper, AFailedStartLeavesNoFileAndLeftoversGoAtStartUp) {
    if (!inPrivateSession())
        GTEST_SKIP() << "needs the private session of dconf_session.sh (ctest runs it so)";
    const std::string why = desktops()[7].start();
    if (!why.empty())
        GTEST_SKIP() << why;
    const std::string failing = env("QUORVANE_TEST_SWAYBG_FAILS");
    ASSERT_FALSE(failing.empty());
    WallpaperFolder folder;
    ASSERT_TRUE(folder.ok());
    ::setenv("XDG_CURRENT_DESKTOP", "sway", 1);
    const std::string wallpaper = folder.wallpaper().string();
    const auto content = [&](std::initializer_list<std::string> fresh) {
        std::set<std::string> names{"Wallpaper.bmp", "Wallpaper-7.bmp"};
        for (const std::string& f : fresh)
            names.insert(fs::path(f).filename().string());
        return names;
    };
    std::ofstream(folder.dir() / "Wallpaper-7.bmp") << "the user's";

    folder.write(0x112233);
    platform::setDesktopWallpaper(wallpaper);
    const std::string shown = swaybgPicture().first;
    ASSERT_TRUE(wp::isFreshName(shown, wallpaper)) << shown;

    // Start-up: an earlier run's names go, the shown one stays.
    for (const char* left : {"Wallpaper-1000000000001.bmp", "Wallpaper-1765270000123.bmp"})
        std::ofstream(folder.dir() / left) << "left by an earlier run";
    platform::removeLeftoverWallpaperNames(wallpaper);
    EXPECT_EQ(folder.content(), content({shown}));
    EXPECT_EQ(swaybgPicture().first, shown);

    std::ofstream(failing).close();
    folder.write(0x445566);
    platform::setDesktopWallpaper(wallpaper);
    fs::remove(failing);
    EXPECT_TRUE(swaybgArguments().empty()) << "a swaybg runs";
    EXPECT_EQ(platform::getWallpaperName(), "");
    EXPECT_EQ(folder.content(), content({}));

    // The next start works again.
    folder.write(0x778899);
    platform::setDesktopWallpaper(wallpaper);
    const std::string again = swaybgPicture().first;
    EXPECT_TRUE(wp::isFreshName(again, wallpaper)) << again;
    EXPECT_EQ(folder.content(), content({again}));
}

// XFCE keeps a picture per monitor and workspace: every one it knows, and
// every connected monitor on every workspace, gets the new picture zoomed.
TEST(XfceWallpaper, CoversEveryMonitorAndWorkspace) {
    if (!inPrivateSession())
        GTEST_SKIP() << "needs the private session of dconf_session.sh (ctest runs it so)";
    const Desktop& xfce = desktops()[3];
    const std::string why = xfce.start();
    if (!why.empty())
        GTEST_SKIP() << why;
    WallpaperFolder folder;
    ASSERT_TRUE(folder.ok());
    // A monitor no longer connected, known on workspaces 0 and 2.
    for (const char* p : {"/backdrop/screen0/monitorHDMI-9/workspace0/last-image",
                          "/backdrop/screen0/monitorHDMI-9/workspace2/last-image"})
        ASSERT_TRUE(wp::runProgram("xfconf-query", {"-c", "xfce4-desktop", "-p", p, "-n", "-t",
                                                    "string", "-s", "/old.png"})
                        .status == wp::ProgramRun::Status::Done);
    // Three workspaces, the second one showing.
    for (const auto& [atom, value] :
         {std::pair{"_NET_NUMBER_OF_DESKTOPS", "3"}, std::pair{"_NET_CURRENT_DESKTOP", "1"}})
        ASSERT_EQ(wp::runProgram("xprop", {"-root", "-f", atom, "32c", "-set", atom, value}).status,
                  wp::ProgramRun::Status::Done);
    ::setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
    folder.write(0x445566);
    platform::setDesktopWallpaper(folder.wallpaper().string());

    // The name read back is the current workspace's on the primary monitor.
    const std::string shown = platform::getWallpaperName();
    EXPECT_EQ(shown, xfceImage(1));
    EXPECT_TRUE(wp::isFreshName(shown, folder.wallpaper().string())) << shown;
    for (const std::string& monitor : {std::string("HDMI-9"), firstMonitor()})
        for (int w : {0, 1, 2}) {
            const std::string base =
                "/backdrop/screen0/monitor" + monitor + "/workspace" + std::to_string(w);
            EXPECT_EQ(xfconfQuery(base + "/last-image"), shown) << base;
            EXPECT_EQ(xfconfQuery(base + "/image-style"), "5") << base;
        }
    // Nothing but backdrops was written.
    const std::string listed = output("xfconf-query", {"-c", "xfce4-desktop", "-l"});
    std::istringstream lines(listed);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line.rfind("/backdrop/screen0/monitor", 0), 0u) << line;
}

// The desktop shows each new picture on the screen, though the wallpaper
// file keeps its name: pcmanfm-qt keeps the picture it has for a name it
// already shows. (Green and magenta read the same in any byte order.)
TEST(LxqtWallpaper, TheScreenShowsEachNewPicture) {
    if (!inPrivateSession())
        GTEST_SKIP() << "needs the private session of dconf_session.sh (ctest runs it so)";
    const std::string why = startLxqt();
    if (!why.empty())
        GTEST_SKIP() << why;
    if (!hasProgram("import"))
        GTEST_SKIP() << "ImageMagick's import is not installed (Debian package imagemagick)";
    WallpaperFolder folder;
    ASSERT_TRUE(folder.ok());
    ::setenv("XDG_CURRENT_DESKTOP", "LXQt", 1);
    const fs::path shot = folder.dir().parent_path() / "screen.png";
    const auto screenCentre = [&]() -> uint32_t {
        Bitmap screen;
        if (wp::runProgram("import", {"-window", "root", shot.string()}).status !=
                wp::ProgramRun::Status::Done ||
            !file2Bitmap(screen, shot.string()) || screen.width() < 2)
            return 0xFFFFFFFF;
        uint32_t px = 0;
        screen.readRow(screen.height() / 2, screen.width() / 2, 1, &px);
        return px & 0xFFFFFF;
    };
    for (const uint32_t colour : {0x00FF00u, 0xFF00FFu, 0x00FF00u}) {
        folder.write(colour);
        platform::setDesktopWallpaper(folder.wallpaper().string());
        // The desktop repaints a moment after it took the picture.
        EXPECT_TRUE(waitFor([&] { return screenCentre() == colour; }))
            << std::hex << "the screen shows " << screenCentre() << ", not " << colour;
    }
}

// --- Each monitor its own picture ---

// The newest fresh name of `file` in `folder`, empty for none.
fs::path newestFreshName(const WallpaperFolder& folder, const fs::path& file) {
    std::string newest;
    for (const std::string& name : folder.content())
        if (wp::isFreshName(name, file.string()) &&
            (newest.empty() || name.size() > newest.size() ||
             (name.size() == newest.size() && name > newest)))
            newest = name;
    return newest.empty() ? fs::path() : folder.dir() / newest;
}

// sway's one swaybg: each output's picture and mode.
std::map<std::string, std::pair<std::string, std::string>> swaybgOutputs() {
    const auto all = swaybgArguments();
    std::map<std::string, std::pair<std::string, std::string>> outputs;
    if (all.size() != 1)
        return outputs;
    std::string output;
    for (size_t i = 0; i + 1 < all[0].size(); ++i) {
        if (all[0][i] == "-o")
            output = all[0][i + 1];
        else if (all[0][i] == "-i")
            outputs[output].first = all[0][i + 1];
        else if (all[0][i] == "-m")
            outputs[output].second = all[0][i + 1];
    }
    return outputs;
}

// Every last-image XFCE keeps, by property.
std::map<std::string, std::string> xfceImages() {
    std::map<std::string, std::string> images;
    std::istringstream lines(output("xfconf-query", {"-c", "xfce4-desktop", "-l"}));
    for (std::string line; std::getline(lines, line);)
        if (line.size() > 11 && line.compare(line.size() - 11, 11, "/last-image") == 0)
            images[line] = xfconfQuery(line);
    return images;
}

std::vector<std::string> kdeImages() {
    std::vector<std::string> images;
    for (const QJsonValue& d : kdeState()["desktops"].toArray())
        images.push_back(wp::fileUri2Path(
            d.toObject()["config"].toObject()[KdeImageKey].toString().toStdString()));
    return images;
}

// Two monitors side by side, the second lower: picture A shows on the
// first, B on the second, placed to fit on a blue background (each monitor
// of the pictures' shape, so no border where they show). What a desktop
// keeps for them is read with its own tools; `a`, `b` and `composed` are
// the fresh names handed over.
struct MonitorFiles {
    fs::path a, b, composed;
    uint32_t colourA, colourB;
};

constexpr uint32_t MonitorBackground = 0x0000FF;

// A picture composed of both: A on the first monitor's area, B on the
// second's, the corners neither covers the background.
void checkComposed(const fs::path& kept, const MonitorFiles& f) {
    Bitmap shown;
    ASSERT_TRUE(file2Bitmap(shown, kept.string())) << kept;
    ASSERT_EQ(shown.width(), 1280);
    ASSERT_EQ(shown.height(), 580);
    const struct {
        int x, y;
        uint32_t rgb;
    } probes[] = {{320, 240, f.colourA},
                  {960, 340, f.colourB},
                  {960, 50, MonitorBackground},
                  {320, 530, MonitorBackground}};
    for (const auto& p : probes)
        EXPECT_EQ(shown.pixel(p.x, p.y) & 0xFFFFFF, p.rgb) << "(" << p.x << ", " << p.y << ")";
}

struct MonitorStory {
    /// Checks what the desktop keeps for the two monitors.
    std::function<void(const std::vector<platform::Monitor>&, const MonitorFiles&)> check;
    /// Every picture file the desktop keeps now.
    std::function<std::vector<std::string>()> kept;
};

MonitorStory spanningStory(std::function<std::string()> keptPicture,
                           std::function<std::string()> placement, const char* spanWord) {
    return {[=](const std::vector<platform::Monitor>&, const MonitorFiles& f) {
                EXPECT_TRUE(waitFor([&] { return keptPicture() == f.composed.string(); }))
                    << "the desktop keeps \"" << keptPicture() << "\", not \""
                    << f.composed.string() << "\"";
                EXPECT_EQ(placement(), spanWord);
                checkComposed(keptPicture(), f);
            },
            [=] { return std::vector<std::string>{keptPicture()}; }};
}

std::optional<MonitorStory> monitorStory(const std::string& label) {
    if (label == "Gnome")
        return spanningStory(
            [] { return wp::fileUri2Path(dconfRead("/org/gnome/desktop/background/picture-uri")); },
            [] { return gsettingsPlacement("/org/gnome/desktop/background"); }, "spanned");
    if (label == "Mate")
        return spanningStory(
            [] { return dconfRead("/org/mate/desktop/background/picture-filename"); },
            [] { return gsettingsPlacement("/org/mate/desktop/background"); }, "spanned");
    if (label == "Cinnamon")
        return spanningStory(
            [] {
                return wp::fileUri2Path(dconfRead("/org/cinnamon/desktop/background/picture-uri"));
            },
            [] { return gsettingsPlacement("/org/cinnamon/desktop/background"); }, "spanned");
    if (label == "Lxde")
        return spanningStory([] { return lxdeSetting("wallpaper"); },
                             [] { return lxdeSetting("wallpaper_mode"); }, "screen");
    if (label == "Xfce")
        return MonitorStory{
            [](const std::vector<platform::Monitor>& monitors, const MonitorFiles& f) {
                const std::map<std::string, std::string> images = xfceImages();
                for (const auto& [monitor, file] :
                     {std::pair{monitors[0].name, f.a}, std::pair{monitors[1].name, f.b}})
                    for (int w : {0, 1}) {
                        const std::string base = "/backdrop/screen0/monitor" + monitor +
                                                 "/workspace" + std::to_string(w);
                        EXPECT_EQ(xfconfQuery(base + "/last-image"), file.string()) << base;
                        EXPECT_EQ(xfconfQuery(base + "/image-style"), "4") << base;
                    }
            },
            [] {
                std::vector<std::string> kept;
                for (const auto& [property, image] : xfceImages())
                    kept.push_back(image);
                return kept;
            }};
    if (label == "Kde")
        return MonitorStory{
            [](const std::vector<platform::Monitor>&, const MonitorFiles& f) {
                // Screens 0 and 1, and a desktop on no screen (the first picture).
                EXPECT_EQ(kdeImages(),
                          (std::vector<std::string>{f.a.string(), f.b.string(), f.a.string()}));
                for (const QJsonValue& d : kdeState()["desktops"].toArray()) {
                    const QJsonObject config = d.toObject()["config"].toObject();
                    EXPECT_EQ(config["Wallpaper/org.kde.image/General/FillMode"].toInt(), 1);
                    EXPECT_EQ(config["Wallpaper/org.kde.image/General/Color"].toString(),
                              "#0000ff");
                }
                // One script named both pictures.
                const QJsonArray scripts = kdeState()["scripts"].toArray();
                bool both = false;
                for (const QJsonValue& script : scripts) {
                    const QString text = script.toString();
                    both = both ||
                           (text.contains(QString::fromStdString(wp::path2FileUri(f.a.string()))) &&
                            text.contains(QString::fromStdString(wp::path2FileUri(f.b.string()))));
                }
                EXPECT_TRUE(both);
            },
            kdeImages};
    if (label == "Lxqt")
        // pcmanfm-qt shows one picture on every monitor: the first's.
        return MonitorStory{[](const std::vector<platform::Monitor>&, const MonitorFiles& f) {
                                EXPECT_EQ(lxqtSetting("Wallpaper"), f.a.string());
                            },
                            [] { return std::vector<std::string>{lxqtSetting("Wallpaper")}; }};
    if (label == "Sway")
        return MonitorStory{
            [](const std::vector<platform::Monitor>& monitors, const MonitorFiles& f) {
                // The swaybg that sway replaced may linger a moment.
                EXPECT_TRUE(waitFor([] { return swaybgArguments().size() == 1; }));
                const auto outputs = swaybgOutputs();
                for (const auto& [monitor, file] :
                     {std::pair{monitors[0].name, f.a}, std::pair{monitors[1].name, f.b}}) {
                    const auto it = outputs.find(monitor);
                    ASSERT_NE(it, outputs.end()) << monitor << " has no background";
                    EXPECT_EQ(it->second.first, file.string()) << monitor;
                    EXPECT_EQ(it->second.second, "fit") << monitor;
                }
            },
            [] {
                std::vector<std::string> kept;
                for (const auto& [output, picture] : swaybgOutputs())
                    kept.push_back(picture.first);
                return kept;
            }};
    return std::nullopt;
}

// The monitors a test gives pictures to: sway's own outputs (a second one
// made when it runs one), else two of a layout where the first is the X
// server's output (XFCE names monitors so).
std::vector<platform::Monitor> twoMonitors(const std::string& label) {
    if (label != "Sway")
        return {{firstMonitor(), {0, 0, 640, 480}}, {"DP-7", {640, 100, 1280, 580}}};
    using Monitors = std::vector<platform::Monitor>;
    const auto count = [] { return platform::desktopMonitors().value_or(Monitors()).size(); };
    if (count() < 2)
        wp::runProgram("swaymsg", {"create_output"});
    waitFor([&] { return count() >= 2; });
    return platform::desktopMonitors().value_or(Monitors());
}

class MonitorWallpapers : public DesktopWallpaper {};

// The user story: each monitor shows its own picture, at every apply under
// fresh names, and no more names stay than the desktop shows.
TEST_P(MonitorWallpapers, EachMonitorShowsItsOwnPicture) {
    const Desktop& d = GetParam();
    const std::optional<MonitorStory> story = monitorStory(d.label);
    ASSERT_TRUE(story);
    const std::vector<platform::Monitor> monitors = twoMonitors(d.label);
    ASSERT_EQ(monitors.size(), 2u);
    if (std::string(d.label) == "Sway") {
        // sway's outputs as it lists them: the first one as configured.
        EXPECT_EQ(monitors[0], (platform::Monitor{"HEADLESS-1", {0, 0, 800, 600}}));
        EXPECT_EQ(monitors[1].name.rfind("HEADLESS-", 0), 0u) << monitors[1].name;
        EXPECT_GT(monitors[1].area.width(), 0);
    }
    const fs::path a = m_folder.dir() / "Wallpaper.bmp", b = m_folder.dir() / "Wallpaper-2.bmp",
                   composed = m_folder.dir() / "Spanned.bmp";
    std::set<std::string> handed;
    for (uint32_t round = 0; round < 3; ++round) {
        MonitorFiles f{{}, {}, {}, 0x00F000 + round, 0xF000F0 + round};
        m_folder.write(f.colourA, "Wallpaper.bmp");
        m_folder.write(f.colourB, "Wallpaper-2.bmp");
        platform::setMonitorWallpapers({{monitors[0], a.string()}, {monitors[1], b.string()}},
                                       composed.string(), {PlacementMode::Fit, MonitorBackground});
        f.a = newestFreshName(m_folder, a);
        f.b = newestFreshName(m_folder, b);
        f.composed = newestFreshName(m_folder, composed);
        for (const fs::path& p : {f.a, f.b, f.composed})
            if (!p.empty()) {
                EXPECT_TRUE(handed.insert(p.string()).second) << "a name was used twice: " << p;
            }
        story->check(monitors, f);

        // Fresh names: those the desktop keeps, and no other (a desktop that
        // stores late may keep the previous one besides).
        std::set<std::string> fresh, kept;
        for (const std::string& name : m_folder.content())
            if (wp::isFreshNameOfFamily(name, a.string()))
                fresh.insert(name);
        for (const std::string& k : story->kept())
            if (fs::path(k).parent_path() == m_folder.dir())
                kept.insert(fs::path(k).filename().string());
        if (d.storesLate)
            EXPECT_LE(fresh.size(), 2u) << "after apply " << round;
        else
            EXPECT_EQ(fresh, kept) << "after apply " << round;
    }

    // Both monitors showing one file (a second monitor that took the first
    // picture): no composed picture, the desktop's own option for Fit.
    const std::string label = d.label;
    if (label == "Gnome" || label == "Mate" || label == "Cinnamon") {
        fs::remove(b);
        fs::create_hard_link(a, b);
        platform::setMonitorWallpapers({{monitors[0], a.string()}, {monitors[1], b.string()}},
                                       composed.string(), {PlacementMode::Fit, MonitorBackground});
        EXPECT_EQ(placementSetting(label)->read(), "scaled");
    }

    // Start-up: what an earlier run left of each file goes, what the
    // desktop keeps stays (one that stores late has stored the newest by
    // now, and the one before may go).
    const std::set<std::string> before = m_folder.content();
    for (const char* left : {"Wallpaper-1000000000001.bmp", "Wallpaper-2-1000000000002.bmp",
                             "Wallpaper-3-1000000000003.bmp", "Spanned-1000000000004.bmp"})
        std::ofstream(m_folder.dir() / left) << "left by an earlier run";
    platform::removeLeftoverWallpaperNames(a.string());
    const std::set<std::string> after = m_folder.content();
    if (d.storesLate)
        EXPECT_TRUE(std::includes(before.begin(), before.end(), after.begin(), after.end()));
    else
        EXPECT_EQ(after, before);
    for (const std::string& k : story->kept())
        EXPECT_TRUE(fs::exists(k)) << k;
}

INSTANTIATE_TEST_SUITE_P(Desktops, MonitorWallpapers, testing::ValuesIn(desktops()), desktopName);

// A desktop whose settings service is missing leaves the picture to the root
// window of the X display, and without one changes nothing; no fresh name
// stays behind either way.
struct MissingCase {
    const char* currentDesktop;
    const char* label;
    /// Empty when the desktop's service is absent in this run, else why the
    /// case skips.
    std::function<std::string()> absent;
};

std::string absentWithoutSchemas(const char* schema) {
    return schemaInstalled(schema)
               ? "its schema is installed here; the --no-schemas run covers this"
               : std::string();
}

class MissingDesktop : public testing::TestWithParam<MissingCase> {
protected:
    void SetUp() override {
        if (!inPrivateSession())
            GTEST_SKIP() << "needs the private session of dconf_session.sh (ctest runs it so)";
        // The desktops the other tests started go first.
        for (const char* name : {"lxqt", "lxde", "kde"})
            helper(name).reset();
        const std::string why = GetParam().absent();
        if (!why.empty())
            GTEST_SKIP() << why;
        ASSERT_TRUE(m_folder.ok());
        ::setenv("XDG_CURRENT_DESKTOP", GetParam().currentDesktop, 1);
        m_display = env("DISPLAY");
    }
    void TearDown() override {
        if (!m_display.empty())
            ::setenv("DISPLAY", m_display.c_str(), 1);
    }

    WallpaperFolder m_folder;
    std::string m_display;
};

TEST_P(MissingDesktop, TheRootWindowTakesThePictureOrNothingChanges) {
    m_folder.write(0x778899);
    const std::string path = m_folder.wallpaper().string();
    if (!m_display.empty()) {
        platform::setDesktopWallpaper(path);
        EXPECT_EQ(wp::x11WallpaperName(), path);
        EXPECT_EQ(platform::getWallpaperName(), path);
        EXPECT_EQ(m_folder.content(), std::set<std::string>{"Wallpaper.bmp"});
    }
    ::unsetenv("DISPLAY");
    m_folder.write(0x998877);
    platform::setDesktopWallpaper(path);
    EXPECT_EQ(platform::getWallpaperName(), "");
    EXPECT_EQ(m_folder.content(), std::set<std::string>{"Wallpaper.bmp"});
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, MissingDesktop,
    testing::Values(
        MissingCase{"GNOME", "Gnome",
                    [] { return absentWithoutSchemas("org.gnome.desktop.background"); }},
        MissingCase{"MATE", "Mate", [] { return absentWithoutSchemas("org.mate.background"); }},
        MissingCase{"X-Cinnamon", "Cinnamon",
                    [] { return absentWithoutSchemas("org.cinnamon.desktop.background"); }},
        // The --no-schemas run hides the D-Bus services too: no xfconfd.
        MissingCase{"XFCE", "Xfce",
                    []() -> std::string {
                        return env("XDG_DATA_DIRS").find("/quorvane-dconf.") == std::string::npos
                                   ? "xfconfd can start here; the --no-schemas run covers this"
                                   : "";
                    }},
        MissingCase{"KDE", "Kde",
                    []() -> std::string {
                        return busNameOwned("org.kde.PlasmaShell") ? "a Plasma shell runs" : "";
                    }},
        MissingCase{"LXQt", "Lxqt",
                    []() -> std::string {
                        return busNameOwned("org.pcmanfm.PCManFM") ? "pcmanfm-qt runs" : "";
                    }},
        MissingCase{"LXDE", "Lxde",
                    []() -> std::string { return helper("lxde") ? "pcmanfm runs" : ""; }},
        MissingCase{"sway", "Sway",
                    []() -> std::string { return env("SWAYSOCK").empty() ? "" : "a sway runs"; }}),
    [](const testing::TestParamInfo<MissingCase>& info) { return std::string(info.param.label); });

// Ends the desktops the tests started.
class StopHelpers : public testing::Environment {
public:
    void TearDown() override {
        for (const char* name : {"lxqt", "lxde", "kde"})
            helper(name).reset();
    }
};

const auto* const StopHelpersAtExit = testing::AddGlobalTestEnvironment(new StopHelpers);

} // namespace
