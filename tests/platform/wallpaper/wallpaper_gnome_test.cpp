// The GNOME wallpaper backend against a real dconf: run by dconf_session.sh
// (a private D-Bus session with GSettings on dconf, XDG_CURRENT_DESKTOP=GNOME),
// it applies through the platform call and reads the keys back both through
// GSettings and through the dconf command-line tool.
#include "platform/linux/wallpaper_backends.h"
#include "platform/wallpaper.h"

#include "imaging/bitmap.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace fs = std::filesystem;
using platform::wallpaper::fileUri2Path;

namespace {

constexpr const char* Schema = "org.gnome.desktop.background";

bool inDconfSession() {
    const char* backend = std::getenv("GSETTINGS_BACKEND");
    return backend && std::strcmp(backend, "dconf") == 0 && std::getenv("DBUS_SESSION_BUS_ADDRESS");
}

bool schemaInstalled() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, Schema, TRUE) : nullptr;
    if (schema)
        g_settings_schema_unref(schema);
    return schema != nullptr;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Standard output of a shell command, without the final newline.
std::string run(const std::string& command) {
    std::string out;
    FILE* f = popen(command.c_str(), "r");
    if (!f)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    pclose(f);
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// A key as the dconf database holds it (GVariant text: a string is quoted).
std::string dconfRead(const std::string& key) {
    std::string v = run("dconf read /org/gnome/desktop/background/" + key);
    if (v.size() >= 2 && v.front() == '\'' && v.back() == '\'')
        v = v.substr(1, v.size() - 2);
    return v;
}

std::string gsettingsGet(const char* key) {
    GSettings* s = g_settings_new(Schema);
    gchar* v = g_settings_get_string(s, key);
    std::string out = v;
    g_free(v);
    g_object_unref(s);
    return out;
}

void gsettingsSet(const std::string& key, const std::string& value) {
    const std::string cmd =
        "gsettings set " + std::string(Schema) + " " + key + " \"'" + value + "'\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

void writeBmp(const fs::path& path, uint32_t rgb) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setBrushColor(rgb);
    b.setSize(24, 15);
    b.saveToFile(path);
}

std::set<std::string> folderContent(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

class GnomeWallpaper : public testing::Test {
protected:
    void SetUp() override {
        if (!inDconfSession())
            GTEST_SKIP() << "needs the session dconf_session.sh makes (ctest runs it so)";
        if (!schemaInstalled())
            GTEST_SKIP() << "the GNOME background schema is not installed "
                            "(Debian package gsettings-desktop-schemas)";
        ASSERT_EQ(std::string(std::getenv("XDG_CURRENT_DESKTOP")), "GNOME");
        char tmpl[] = "/tmp/quorvane gnome \xC3\xA4 #1-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        m_dir = m_root / "Documents" / "Quorvane";
        fs::create_directories(m_dir);
        m_wallpaper = m_dir / "Wallpaper.bmp";
    }
    void TearDown() override {
        if (!m_root.empty())
            fs::remove_all(m_root);
    }

    fs::path m_root, m_dir, m_wallpaper;
};

TEST_F(GnomeWallpaper, EveryApplyHandsGnomeAFreshNameForTheWallpaperFile) {
    gsettingsSet("picture-options", "centered");

    writeBmp(m_wallpaper, 0x203040);
    platform::setDesktopWallpaper(m_wallpaper.string());
    const std::string uri1 = gsettingsGet("picture-uri");
    EXPECT_EQ(dconfRead("picture-uri"), uri1) << "the key did not reach the dconf database";
    EXPECT_EQ(gsettingsGet("picture-uri-dark"), uri1);
    EXPECT_EQ(dconfRead("picture-uri-dark"), uri1);
    const fs::path first = fileUri2Path(uri1);
    ASSERT_FALSE(first.empty()) << uri1;
    EXPECT_EQ(first.parent_path(), m_dir);
    EXPECT_NE(first, m_wallpaper);
    EXPECT_EQ(first.extension(), ".bmp");
    EXPECT_EQ(readFile(first), readFile(m_wallpaper));
    EXPECT_EQ(platform::getWallpaperName(), first.string());
    // The URI is percent-encoded: the folder's space, '#' and 'ä' do not appear raw.
    EXPECT_EQ(uri1.find(' '), std::string::npos);
    EXPECT_EQ(uri1.find('#'), std::string::npos);
    EXPECT_NE(uri1.find("%C3%A4"), std::string::npos);

    // The next apply writes new content under the same file name.
    const std::string firstContent = readFile(m_wallpaper);
    writeBmp(m_wallpaper, 0xA0B0C0);
    platform::setDesktopWallpaper(m_wallpaper.string());
    const std::string uri2 = gsettingsGet("picture-uri");
    EXPECT_EQ(dconfRead("picture-uri"), uri2);
    EXPECT_EQ(dconfRead("picture-uri-dark"), uri2);
    EXPECT_NE(uri2, uri1);
    const fs::path second = fileUri2Path(uri2);
    ASSERT_FALSE(second.empty()) << uri2;
    EXPECT_EQ(readFile(second), readFile(m_wallpaper));
    EXPECT_NE(readFile(second), firstContent);
    EXPECT_FALSE(fs::exists(first)) << "the previous name was not removed";
    EXPECT_TRUE(fs::exists(m_wallpaper));
    EXPECT_EQ(folderContent(m_dir),
              (std::set<std::string>{"Wallpaper.bmp", second.filename().string()}));
    EXPECT_EQ(platform::getWallpaperName(), second.string());

    // The user's placement is theirs.
    EXPECT_EQ(dconfRead("picture-options"), "centered");
}

TEST_F(GnomeWallpaper, OnlyLeftoverFreshNamesAreCleanedUp) {
    writeBmp(m_wallpaper, 0x111111);
    for (const char* name :
         {"Wallpaper-1765270000123.bmp", "Wallpaper-123.bmp", "Wallpaper-.bmp", "Wallpaper-12a.bmp",
          "Wallpaper-12.png", "MyWallpaper-5.bmp", "list.txt"})
        std::ofstream(m_dir / name) << "x";
    platform::setDesktopWallpaper(m_wallpaper.string());

    const fs::path shown = fileUri2Path(dconfRead("picture-uri"));
    EXPECT_EQ(readFile(shown), readFile(m_wallpaper));
    EXPECT_EQ(folderContent(m_dir),
              (std::set<std::string>{"Wallpaper.bmp", shown.filename().string(),
                                     "Wallpaper-123.bmp", "Wallpaper-.bmp", "Wallpaper-12a.bmp",
                                     "Wallpaper-12.png", "MyWallpaper-5.bmp", "list.txt"}));
}

TEST_F(GnomeWallpaper, MissingFileChangesNothing) {
    writeBmp(m_wallpaper, 0x222222);
    platform::setDesktopWallpaper(m_wallpaper.string());
    const std::string before = dconfRead("picture-uri");
    ASSERT_FALSE(before.empty());

    platform::setDesktopWallpaper((m_dir / "Missing.bmp").string());
    platform::setDesktopWallpaper(m_dir.string());
    platform::setDesktopWallpaper("");
    EXPECT_EQ(dconfRead("picture-uri"), before);
    EXPECT_EQ(dconfRead("picture-uri-dark"), before);
    EXPECT_EQ(folderContent(m_dir).size(), 2u);
}

TEST_F(GnomeWallpaper, NameIsEmptyForAnUriThatIsNoLocalFile) {
    gsettingsSet("picture-uri", "https://example.com/wall.jpg");
    EXPECT_EQ(platform::getWallpaperName(), "");
    gsettingsSet("picture-uri", "");
    EXPECT_EQ(platform::getWallpaperName(), "");
    gsettingsSet("picture-uri", "file:///usr/share/backgrounds/a%20b.jpg");
    EXPECT_EQ(platform::getWallpaperName(), "/usr/share/backgrounds/a b.jpg");
}

// In the dark style GNOME shows picture-uri-dark; the name read back is the
// picture the desktop shows.
TEST_F(GnomeWallpaper, NameFollowsTheStyleTheDesktopShows) {
    constexpr const char* Interface = "org.gnome.desktop.interface";
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* ui = g_settings_schema_source_lookup(source, Interface, TRUE);
    const bool hasColorScheme = ui && g_settings_schema_has_key(ui, "color-scheme");
    if (ui)
        g_settings_schema_unref(ui);
    if (!hasColorScheme)
        GTEST_SKIP() << "this GNOME has no color-scheme setting";
    const auto setScheme = [&](const char* scheme) {
        const std::string cmd =
            std::string("gsettings set ") + Interface + " color-scheme " + scheme;
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    };
    gsettingsSet("picture-uri", "file:///usr/share/backgrounds/light.jpg");
    gsettingsSet("picture-uri-dark", "file:///usr/share/backgrounds/dark%20one.jpg");

    setScheme("prefer-dark");
    EXPECT_EQ(platform::getWallpaperName(), "/usr/share/backgrounds/dark one.jpg");
    setScheme("prefer-light");
    EXPECT_EQ(platform::getWallpaperName(), "/usr/share/backgrounds/light.jpg");
    setScheme("default");
    EXPECT_EQ(platform::getWallpaperName(), "/usr/share/backgrounds/light.jpg");
    // A dark style without a dark picture shows the light one.
    setScheme("prefer-dark");
    gsettingsSet("picture-uri-dark", "");
    EXPECT_EQ(platform::getWallpaperName(), "/usr/share/backgrounds/light.jpg");

    // An apply sets both, so either style shows it and names it.
    writeBmp(m_wallpaper, 0x445566);
    platform::setDesktopWallpaper(m_wallpaper.string());
    const std::string shown = platform::getWallpaperName();
    EXPECT_EQ(fileUri2Path(dconfRead("picture-uri-dark")), shown);
    EXPECT_EQ(fileUri2Path(dconfRead("picture-uri")), shown);
    setScheme("default");
    EXPECT_EQ(platform::getWallpaperName(), shown);
}

// Run by the ctest entry that hides the installed schemas.
TEST(GnomeWithoutSchema, ApplyIsSilentAndNameEmpty) {
    if (!inDconfSession())
        GTEST_SKIP() << "needs the session dconf_session.sh makes (ctest runs it so)";
    if (schemaInstalled())
        GTEST_SKIP() << "the schema is installed here; the run with --no-schemas covers this";
    char tmpl[] = "/tmp/quorvane-noschema-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path dir = tmpl;
    writeBmp(dir / "Wallpaper.bmp", 0x333333);

    platform::setDesktopWallpaper((dir / "Wallpaper.bmp").string());
    EXPECT_EQ(platform::getWallpaperName(), "");
    EXPECT_EQ(folderContent(dir), std::set<std::string>{"Wallpaper.bmp"});
    fs::remove_all(dir);
}

} // namespace
