// The parts of the Linux wallpaper layer that need no desktop: which backend
// a session gets, file URIs, the fresh-name rotation (against an in-memory
// desktop), and how external programs are run.
#include "platform/linux/wallpaper_backends.h"

#include "imaging/bitmap.h"
#include "imaging/codecs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/stat.h>

using platform::MonitorPicture;
using platform::wallpaper::applyMonitorWallpapers;
using platform::wallpaper::applyUnderFreshName;
using platform::wallpaper::chooseBackend;
using platform::wallpaper::DesktopBackend;
using platform::wallpaper::fileUri2Path;
using platform::wallpaper::isFreshName;
using platform::wallpaper::isFreshNameOfFamily;
using platform::wallpaper::path2FileUri;
using platform::wallpaper::ProgramRun;
using platform::wallpaper::removeLeftoverNames;
using platform::wallpaper::runProgram;

namespace fs = std::filesystem;

namespace {

struct BackendCase {
    const char* desktop;
    bool x11;
    bool swaySock;
    const char* expected; ///< backend id, "" for none
};

class BackendChoice : public testing::TestWithParam<BackendCase> {};

TEST_P(BackendChoice, FromCurrentDesktopAndSession) {
    const BackendCase& c = GetParam();
    const DesktopBackend* b = chooseBackend(
        c.desktop, c.x11, [&](std::string_view name) { return c.swaySock && name == "SWAYSOCK"; });
    EXPECT_EQ(b ? b->id : std::string_view(), std::string_view(c.expected))
        << "XDG_CURRENT_DESKTOP=\"" << c.desktop << "\" DISPLAY=" << c.x11
        << " SWAYSOCK=" << c.swaySock;
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, BackendChoice,
    testing::Values(
        // A desktop of its own wins whatever the display (GNOME on Wayland
        // has no DISPLAY, XWayland gives KDE one).
        BackendCase{"GNOME", true, false, "gnome"}, BackendCase{"GNOME", false, false, "gnome"},
        BackendCase{"gnome", true, true, "gnome"},
        BackendCase{"ubuntu:GNOME", true, false, "gnome"},
        BackendCase{"Budgie:GNOME", false, false, "gnome"},
        BackendCase{"Unity", true, false, "gnome"},
        BackendCase{"GNOME-Flashback:GNOME", true, false, "gnome"},
        BackendCase{"KDE", true, false, "kde"}, BackendCase{"KDE", false, false, "kde"},
        BackendCase{"XFCE", true, false, "xfce"}, BackendCase{"xfce", false, false, "xfce"},
        BackendCase{"X-Cinnamon", true, false, "cinnamon"},
        BackendCase{"Cinnamon", false, false, "cinnamon"}, BackendCase{"MATE", true, false, "mate"},
        BackendCase{"LXQt", true, false, "lxqt"}, BackendCase{"LXDE", true, false, "lxde"},
        BackendCase{"sway", false, true, "sway"}, BackendCase{"sway", false, false, "sway"},
        // The first name a backend knows wins.
        BackendCase{"Unknown:KDE:GNOME", true, false, "kde"},
        BackendCase{"::XFCE:", true, false, "xfce"},
        // Names are matched whole, not as parts of other names.
        BackendCase{"X-GNOME-Like", true, false, "x11"}, BackendCase{"GNOMEish", false, false, ""},
        // Without a known name: a compositor's own socket, then the root
        // window of an X display, else nothing.
        BackendCase{"", false, true, "sway"}, BackendCase{"", true, true, "sway"},
        BackendCase{"Hyprland", false, true, "sway"}, BackendCase{"", true, false, "x11"},
        BackendCase{"", false, false, ""}, BackendCase{"i3", true, false, "x11"},
        BackendCase{"Openbox", false, false, ""}, BackendCase{":::", true, false, "x11"}));

} // namespace

TEST(FileUri, EncodesWhatAUriCannotCarry) {
    EXPECT_EQ(path2FileUri("/home/ann/Documents/Quorvane/Wallpaper-17.bmp"),
              "file:///home/ann/Documents/Quorvane/Wallpaper-17.bmp");
    EXPECT_EQ(path2FileUri("/home/ann/My Pictures/100% #1?.bmp"),
              "file:///home/ann/My%20Pictures/100%25%20%231%3F.bmp");
    // UTF-8 bytes and bytes that are no UTF-8 at all are both percent-encoded.
    EXPECT_EQ(path2FileUri("/tmp/Bilder \xC3\xA4/x.bmp"), "file:///tmp/Bilder%20%C3%A4/x.bmp");
    EXPECT_EQ(path2FileUri("/tmp/\xE4.bmp"), "file:///tmp/%E4.bmp");
}

TEST(FileUri, RelativeOrEmptyPathGivesNoUri) {
    EXPECT_EQ(path2FileUri(""), "");
    EXPECT_EQ(path2FileUri("Wallpaper.bmp"), "");
    EXPECT_EQ(path2FileUri("./Documents/Wallpaper.bmp"), "");
}

TEST(FileUri, DecodesLocalFileUris) {
    EXPECT_EQ(fileUri2Path("file:///home/ann/My%20Pictures/100%25%20%231%3F.bmp"),
              "/home/ann/My Pictures/100% #1?.bmp");
    EXPECT_EQ(fileUri2Path("file://localhost/tmp/a%C3%A4.bmp"), "/tmp/a\xC3\xA4.bmp");
    EXPECT_EQ(fileUri2Path("file:///tmp/%E4.bmp"), "/tmp/\xE4.bmp");
}

TEST(FileUri, OtherUrisGiveNoPath) {
    EXPECT_EQ(fileUri2Path(""), "");
    EXPECT_EQ(fileUri2Path("https://example.com/wall.jpg"), "");
    EXPECT_EQ(fileUri2Path("file://fileserver/share/wall.jpg"), "");
    EXPECT_EQ(fileUri2Path("/usr/share/backgrounds/plain-path.jpg"), "");
    EXPECT_EQ(fileUri2Path("file:relative.jpg"), "");
    EXPECT_EQ(fileUri2Path("file:///tmp/bad%zzescape.jpg"), "");
    // A path cannot hold a NUL byte.
    EXPECT_EQ(fileUri2Path("file:///tmp/a%00b.jpg"), "");
}

TEST(FileUri, RoundTripKeepsEveryByte) {
    std::string path = "/tmp/";
    for (int c = 1; c < 256; ++c)
        if (c != '/')
            path += char(c);
    const std::string uri = path2FileUri(path);
    ASSERT_FALSE(uri.empty());
    EXPECT_EQ(uri.find(' '), std::string::npos);
    EXPECT_EQ(fileUri2Path(uri), path);
}

namespace {

// A desktop kept in memory, to watch the fresh-name rotation alone.
struct MemoryDesktop {
    enum class Mode {
        Takes,      ///< shows and stores every picture at once
        StoresLate, ///< its stored setting names the picture before the last
        Refuses,    ///< answers that it did not take the picture
        Untold,     ///< takes the picture but cannot tell it back
        Absent,     ///< its settings service is missing
    };
    Mode mode = Mode::Takes;
    std::string stored, pending;
    std::vector<std::string> given;
    /// Each monitor's picture, when it was given one per monitor.
    std::vector<std::string> monitors;
};

MemoryDesktop& memory() {
    static MemoryDesktop d;
    return d;
}

std::optional<bool> memorySet(const std::string& path, const platform::Placement&) {
    MemoryDesktop& d = memory();
    d.given.push_back(path);
    d.monitors.clear();
    switch (d.mode) {
    case MemoryDesktop::Mode::Takes:
        d.stored = path;
        return true;
    case MemoryDesktop::Mode::StoresLate:
        d.stored = d.pending;
        d.pending = path;
        return true;
    case MemoryDesktop::Mode::Refuses:
        return false;
    case MemoryDesktop::Mode::Untold:
        d.stored.clear();
        return true;
    case MemoryDesktop::Mode::Absent:
        break;
    }
    return std::nullopt;
}

std::optional<std::string> memoryName() {
    if (memory().mode == MemoryDesktop::Mode::Absent)
        return std::nullopt;
    return memory().stored;
}

// Per monitor: the first monitor's picture counts as the one stored.
std::optional<bool> memorySetMonitors(const std::vector<MonitorPicture>& pictures,
                                      const platform::Placement& placement) {
    const std::optional<bool> taken = memorySet(pictures.front().file, placement);
    for (size_t i = 1; i < pictures.size(); ++i)
        memory().given.push_back(pictures[i].file);
    if (taken == true && memory().mode == MemoryDesktop::Mode::Takes)
        for (const MonitorPicture& p : pictures)
            memory().monitors.push_back(p.file);
    return taken;
}

std::optional<std::vector<std::string>> memoryShown() {
    const std::optional<std::string> stored = memoryName();
    if (!stored)
        return std::nullopt;
    std::vector<std::string> shown = memory().monitors;
    shown.push_back(*stored);
    return shown;
}

const DesktopBackend MemoryBackend{"memory",          {},    {},      memorySet,  memoryName, true,
                                   memorySetMonitors, false, nullptr, memoryShown};
// A desktop that stretches one picture over all monitors.
const DesktopBackend SpanningBackend{"spanning", {},   {},      memorySet,
                                     memoryName, true, nullptr, true};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FreshNames : public testing::Test {
protected:
    void SetUp() override {
        memory() = MemoryDesktop{};
        char tmpl[] = "/tmp/quorvane fresh #1-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_wallpaper = m_dir / "Wallpaper.bmp";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Writes new content under the wallpaper file's name, as the program
    // does before every apply (a new file renamed over the old one).
    void writeWallpaper(int n) {
        const fs::path tmp = m_dir / "Wallpaper.bmp.tmp";
        std::ofstream(tmp, std::ios::binary) << "BM picture " << n;
        fs::rename(tmp, m_wallpaper);
    }

    std::set<std::string> folder() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.insert(e.path().filename().string());
        return names;
    }

    fs::path m_dir, m_wallpaper;
};

TEST_F(FreshNames, NamesAreTheWallpaperNameWithANumberOfThirteenDigitsOrMore) {
    const std::string w = "/d/Wallpaper.bmp";
    EXPECT_TRUE(isFreshName("/d/Wallpaper-1765270000123.bmp", w));
    EXPECT_TRUE(isFreshName("Wallpaper-10000000000000.bmp", w));
    for (const char* other :
         {"/d/Wallpaper.bmp", "/d/Wallpaper-.bmp", "/d/Wallpaper-1.bmp", "/d/Wallpaper-2024.bmp",
          "/d/Wallpaper-176527000012.bmp", "/d/Wallpaper-0765270000123.bmp",
          "/d/Wallpaper-176527000012a.bmp", "/d/Wallpaper-1765270000123.png",
          "/d/MyWallpaper-1765270000123.bmp", "/d/wallpaper-1765270000123.bmp",
          "/d/Wallpaper-1765270000123.bmp.tmp", "/d/list.txt", "/d/Wallpaper-2-1765270000123.bmp"})
        EXPECT_FALSE(isFreshName(other, w)) << other;
    EXPECT_TRUE(isFreshName("/d/Wallpaper-2-1765270000123.bmp", "/d/Wallpaper-2.bmp"));
    EXPECT_FALSE(isFreshName("/d/Wallpaper-21765270000123.bmp", "/d/Wallpaper-2.bmp"));
}

// The family of Wallpaper.bmp: its monitors' files and the composed picture.
TEST_F(FreshNames, TheFamilyIsTheWallpaperItsMonitorFilesAndTheComposedPicture) {
    const struct {
        const char* name;
        bool inFamily;
    } cases[] = {
        {"Wallpaper-1765270000123.bmp", true},
        {"Wallpaper-2-1765270000123.bmp", true},
        {"Wallpaper-999-1765270000123.bmp", true},
        {"Spanned-1765270000123.bmp", true},
        {"Wallpaper-1-1765270000123.bmp", false},
        {"Wallpaper-02-1765270000123.bmp", false},
        {"Wallpaper-1000-1765270000123.bmp", false},
        {"Wallpaper-x-1765270000123.bmp", false},
        {"Wallpaper-2-176527000012.bmp", false},
        {"Wallpaper-2-1765270000123.png", false},
        {"Wallpaper-2.bmp", false},
        {"Spanned.bmp", false},
        {"Spanned-2-1765270000123.bmp", false},
        {"Other-1765270000123.bmp", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isFreshNameOfFamily("/d/" + std::string(c.name), "/d/Wallpaper.bmp"), c.inFamily)
            << c.name;
}

TEST_F(FreshNames, TwentyAppliesLeaveTheWallpaperAndTheNameShown) {
    std::ofstream(m_dir / "list.txt") << "kept";
    std::ofstream(m_dir / "Wallpaper-12.png") << "kept";
    std::ofstream(m_dir / "Wallpaper-99.bmp") << "the user's";
    std::ofstream(m_dir / "Wallpaper-1765270000123.bmp") << "left behind by an earlier run";
    for (int i = 0; i < 20; ++i) {
        writeWallpaper(i);
        ASSERT_EQ(applyUnderFreshName(MemoryBackend, m_wallpaper.string()), true);
        const fs::path shown = memory().stored;
        EXPECT_EQ(shown.parent_path(), m_dir);
        EXPECT_TRUE(isFreshName(shown.string(), m_wallpaper.string())) << shown;
        EXPECT_EQ(readFile(shown), readFile(m_wallpaper));
        EXPECT_EQ(folder(),
                  (std::set<std::string>{"Wallpaper.bmp", shown.filename().string(), "list.txt",
                                         "Wallpaper-12.png", "Wallpaper-99.bmp"}));
    }
    // Every apply had a name of its own.
    EXPECT_EQ(std::set<std::string>(memory().given.begin(), memory().given.end()).size(), 20u);
}

TEST_F(FreshNames, ADesktopThatStoresLateKeepsItsPreviousPictureUntilTheNext) {
    memory().mode = MemoryDesktop::Mode::StoresLate;
    for (int i = 0; i < 20; ++i) {
        writeWallpaper(i);
        ASSERT_EQ(applyUnderFreshName(MemoryBackend, m_wallpaper.string()), true);
        const std::set<std::string> names = folder();
        EXPECT_LE(names.size(), 3u) << "more than two fresh names after apply " << i;
        EXPECT_TRUE(names.count(fs::path(memory().given.back()).filename().string()));
        if (i > 0) { // the one the desktop still names stays
            EXPECT_TRUE(names.count(fs::path(memory().stored).filename().string()));
        }
    }
}

TEST_F(FreshNames, ADesktopThatCannotTellKeepsOnlyTheNewest) {
    memory().mode = MemoryDesktop::Mode::Untold;
    for (int i = 0; i < 3; ++i) {
        writeWallpaper(i);
        ASSERT_EQ(applyUnderFreshName(MemoryBackend, m_wallpaper.string()), true);
        EXPECT_EQ(folder(),
                  (std::set<std::string>{"Wallpaper.bmp",
                                         fs::path(memory().given.back()).filename().string()}));
    }
}

TEST_F(FreshNames, APictureNotTakenLeavesTheShownOneAlone) {
    writeWallpaper(1);
    ASSERT_EQ(applyUnderFreshName(MemoryBackend, m_wallpaper.string()), true);
    const std::string shown = memory().stored;

    writeWallpaper(2);
    memory().mode = MemoryDesktop::Mode::Refuses;
    EXPECT_EQ(applyUnderFreshName(MemoryBackend, m_wallpaper.string()), false);
    EXPECT_EQ(folder(),
              (std::set<std::string>{"Wallpaper.bmp", fs::path(shown).filename().string()}));

    memory().mode = MemoryDesktop::Mode::Absent;
    EXPECT_EQ(applyUnderFreshName(MemoryBackend, m_wallpaper.string()), std::nullopt);
    EXPECT_EQ(folder(),
              (std::set<std::string>{"Wallpaper.bmp", fs::path(shown).filename().string()}));
    EXPECT_EQ(readFile(shown), "BM picture 1");
}

TEST_F(FreshNames, NoFileNoApply) {
    for (const std::string& p : {(m_dir / "Missing.bmp").string(), m_dir.string(), std::string()})
        EXPECT_EQ(applyUnderFreshName(MemoryBackend, p), false) << p;
    EXPECT_TRUE(memory().given.empty());
    EXPECT_TRUE(folder().empty());
}

TEST_F(FreshNames, TheFreshNameIsALinkNotACopy) {
    writeWallpaper(7);
    ASSERT_EQ(applyUnderFreshName(MemoryBackend, m_wallpaper.string()), true);
    struct stat a {
    }, b{};
    ASSERT_EQ(::stat(m_wallpaper.c_str(), &a), 0);
    ASSERT_EQ(::stat(memory().stored.c_str(), &b), 0);
    EXPECT_EQ(a.st_ino, b.st_ino) << "no hard link where the file system has them";
}

// What an earlier run may have left beside the wallpaper file, and what else
// may be there: at start-up only the program's own fresh names that the
// desktop does not show go; links and folders of such names are not its own.
TEST_F(FreshNames, StartUpRemovesOnlyTheLeftoversTheDesktopDoesNotShow) {
    enum class Kind { File, Link, Folder };
    struct Entry {
        const char* name;
        Kind kind;
        bool goes;
    };
    const Entry entries[] = {
        {"Wallpaper.bmp", Kind::File, false},
        {"Wallpaper-1765270000123.bmp", Kind::File, true},
        {"Wallpaper-17652700001234.bmp", Kind::File, true},
        {"Wallpaper-1765270000500.bmp", Kind::File, false}, // the one shown
        {"Wallpaper-2.bmp", Kind::File, false},
        {"Wallpaper-1765270000124.bmp", Kind::Link, false},
        {"Wallpaper-1765270000125.bmp", Kind::Folder, false},
        {"Wallpaper-1765270000126.png", Kind::File, false},
        {"Other-1765270000127.bmp", Kind::File, false},
        // The monitors' files and the composed picture.
        {"Wallpaper-2-1765270000131.bmp", Kind::File, true},
        {"Wallpaper-2-1765270000600.bmp", Kind::File, false}, // shown on the second monitor
        {"Wallpaper-14-1765270000132.bmp", Kind::File, true},
        {"Spanned-1765270000133.bmp", Kind::File, true},
        {"Spanned.bmp", Kind::File, false},
        {"Wallpaper-1-1765270000134.bmp", Kind::File, false},
    };
    const fs::path outside = m_dir / "outside";
    fs::create_directory(outside);
    std::ofstream(outside / "target.bmp") << "not the program's";
    for (const Entry& e : entries) {
        const fs::path p = m_dir / e.name;
        if (e.kind == Kind::File)
            std::ofstream(p) << e.name;
        else if (e.kind == Kind::Link)
            fs::create_symlink(outside / "target.bmp", p);
        else
            fs::create_directory(p);
    }
    std::ofstream(m_dir / "Wallpaper-1765270000125.bmp" / "inside") << "kept";
    memory().stored = (m_dir / "Wallpaper-1765270000500.bmp").string();
    memory().monitors = {memory().stored, (m_dir / "Wallpaper-2-1765270000600.bmp").string()};

    // A desktop that cannot tell what it shows may show any of them.
    memory().mode = MemoryDesktop::Mode::Absent;
    removeLeftoverNames(MemoryBackend, m_wallpaper.string());
    for (const Entry& e : entries)
        EXPECT_TRUE(fs::exists(fs::symlink_status(m_dir / e.name))) << e.name;

    memory().mode = MemoryDesktop::Mode::Takes;
    removeLeftoverNames(MemoryBackend, m_wallpaper.string());
    for (const Entry& e : entries)
        EXPECT_EQ(fs::exists(fs::symlink_status(m_dir / e.name)), !e.goes) << e.name;
    EXPECT_EQ(readFile(outside / "target.bmp"), "not the program's");
    EXPECT_TRUE(fs::exists(m_dir / "Wallpaper-1765270000125.bmp" / "inside"));
    EXPECT_TRUE(memory().given.empty()) << "the desktop was given a picture";

    // A backend that hands over the file under its own name leaves none.
    const DesktopBackend plain{"plain", {}, {}, memorySet, memoryName, false};
    memory().stored.clear();
    removeLeftoverNames(plain, m_wallpaper.string());
    EXPECT_TRUE(fs::exists(m_dir / "Wallpaper-1765270000500.bmp"));
}

// Each monitor's file under a fresh name at every apply, never a pile:
// the names shown and nothing else stay, also when a monitor goes, and
// when a desktop that spans one composed picture takes over.
TEST_F(FreshNames, MonitorFilesDoNotPileUp) {
    const std::vector<fs::path> files{m_wallpaper, m_dir / "Wallpaper-2.bmp",
                                      m_dir / "Wallpaper-3.bmp"};
    const auto pictures = [&](size_t count) {
        std::vector<MonitorPicture> p;
        for (size_t i = 0; i < count; ++i)
            p.push_back({{"M" + std::to_string(i), {int(i) * 10, 0, int(i) * 10 + 10, 10}},
                         files[i].string()});
        return p;
    };
    const auto expected = [&](const std::vector<std::string>& shown) {
        std::set<std::string> names;
        for (const fs::path& f : files)
            names.insert(f.filename().string());
        for (const std::string& f : shown)
            names.insert(fs::path(f).filename().string());
        return names;
    };
    std::set<std::string> given;
    for (int round = 0; round < 8; ++round) {
        const size_t count = round < 5 ? 3 : 2; // the third monitor goes
        for (size_t i = 0; i < files.size(); ++i)
            std::ofstream(files[i], std::ios::binary) << "BM " << round << " monitor " << i;
        ASSERT_EQ(applyMonitorWallpapers(MemoryBackend, pictures(count),
                                         (m_dir / "Spanned.bmp").string(), {}),
                  true);
        const std::vector<std::string> shown = memory().monitors;
        ASSERT_EQ(shown.size(), count);
        for (size_t i = 0; i < count; ++i) {
            EXPECT_TRUE(isFreshName(shown[i], files[i].string())) << shown[i];
            EXPECT_EQ(readFile(shown[i]), readFile(files[i]));
            EXPECT_TRUE(given.insert(shown[i]).second) << "a name was used twice";
        }
        EXPECT_EQ(folder(), expected(shown)) << "after apply " << round;
    }

    // A desktop spanning one picture: the monitors' names go once it shows
    // the composed one.
    const Bitmap left = [] {
        Bitmap b;
        b.setPixelFormat(PixelFormat::Bits24);
        b.setBrushColor(0x00FF00);
        b.setSize(4, 4);
        return b;
    }();
    std::vector<MonitorPicture> decoded = pictures(2);
    decoded[0].picture = &left;
    decoded[1].picture = &left;
    const fs::path composed = m_dir / "Spanned.bmp";
    ASSERT_EQ(applyMonitorWallpapers(SpanningBackend, decoded, composed.string(), {}), true);
    EXPECT_TRUE(isFreshName(memory().stored, composed.string())) << memory().stored;
    std::set<std::string> names = expected({memory().stored});
    names.insert("Spanned.bmp");
    EXPECT_EQ(folder(), names);
    Bitmap shown;
    ASSERT_TRUE(file2Bitmap(shown, memory().stored));
    EXPECT_EQ(shown.width(), 20);
    EXPECT_EQ(shown.pixel(15, 5) & 0xFFFFFF, 0x00FF00u);
}

// --- External programs ---

TEST(RunProgram, ArgumentsReachTheProgramVerbatim) {
    const ProgramRun run =
        runProgram("printf", {"%s|", "a b", "$HOME", "'q' \"d\"", "; rm -rf x", "\xC3\xA4"});
    EXPECT_EQ(run.status, ProgramRun::Status::Done);
    EXPECT_EQ(run.output, "a b|$HOME|'q' \"d\"|; rm -rf x|\xC3\xA4|");
}

struct FailureCase {
    const char* program;
    std::vector<std::string> args;
    ProgramRun::Status status;
    const char* said; ///< part of the one line on stderr
};

class RunProgramFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(RunProgramFailure, IsReportedInOneLine) {
    const FailureCase& c = GetParam();
    testing::internal::CaptureStderr();
    const ProgramRun run = runProgram(c.program, c.args, std::chrono::milliseconds(300));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(err.find(c.said), std::string::npos) << err;
    EXPECT_EQ(err.find("quorvane: "), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Programs, RunProgramFailure,
    testing::Values(
        FailureCase{
            "quorvane-no-such-program", {}, ProgramRun::Status::Missing, "could not be started"},
        FailureCase{"sh",
                    {"-c", "echo first >&2; echo second >&2; exit 3"},
                    ProgramRun::Status::Failed,
                    "exit code 3: first"},
        FailureCase{"sleep", {"30"}, ProgramRun::Status::Failed, "was stopped"},
        FailureCase{"sh", {"-c", "kill -SEGV $$"}, ProgramRun::Status::Failed, "crashed"}));

} // namespace
