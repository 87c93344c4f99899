// The start-at-logon entry on Linux, read back as the desktops read it:
// GLib's key-file parser and shell-word splitter, desktop-file-validate, and
// `gio launch` running the program the entry names.
#include "platform/autostart.h"

#include "platform/linux/exepath.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <glib.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The program an entry starts, as a desktop's launcher finds it: the Exec
// string value (with no field code: the entry takes no arguments), split into
// words by the shell rules.
std::vector<std::string> launchedArgv(const std::string& entry) {
    GKeyFile* file = g_key_file_new();
    std::vector<std::string> argv;
    GError* error = nullptr;
    if (!g_key_file_load_from_file(file, entry.c_str(), G_KEY_FILE_NONE, &error)) {
        ADD_FAILURE() << "not a key file: " << error->message;
        g_error_free(error);
        g_key_file_free(file);
        return argv;
    }
    gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
    g_key_file_free(file);
    if (!exec) {
        ADD_FAILURE() << "no Exec key";
        return argv;
    }
    EXPECT_EQ(std::strchr(exec, '%'), nullptr) << "field code in " << exec;
    const std::string command = exec;
    g_free(exec);
    gchar** words = nullptr;
    if (!g_shell_parse_argv(command.c_str(), nullptr, &words, &error)) {
        ADD_FAILURE() << "Exec does not split: " << error->message;
        g_error_free(error);
        return argv;
    }
    for (gchar** w = words; *w; ++w)
        argv.emplace_back(*w);
    g_strfreev(words);
    return argv;
}

int runTool(const QString& program, const QStringList& args, QString* output = nullptr,
            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
            const QString& workingFolder = {}) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workingFolder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(20000))
        return -1;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

class Autostart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path().toStdString();
        setenv("HOME", m_root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
    }
    std::string entry(const std::string& name = "Quorvane") const {
        return m_root + "/config/autostart/" + name + ".desktop";
    }
    /// The files of the autostart folder, to see that no temporary is left.
    std::vector<std::string> folderFiles() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(m_root + "/config/autostart", ec))
            names.push_back(e.path().filename().string());
        return names;
    }

    QTemporaryDir m_dir;
    std::string m_root;
};

// ---------------------------------------------------------------- round trips

struct PathCase {
    const char* label;
    const char* folder; // below the temporary folder
};
void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.label;
}

class AutostartPaths : public Autostart, public ::testing::WithParamInterface<PathCase> {};

TEST_P(AutostartPaths, TheDesktopStartsTheProgramByItsFullPath) {
    const std::string folder = m_root + "/" + GetParam().folder;
    const std::string program = folder + "/quorvane";
    const std::string record = m_root + "/launched";
    // The program records the path it was started by.
    writeFile(program, "#!/bin/sh\nprintf '%s' \"$0\" > \"$QUORVANE_RECORD\"\n");
    fs::permissions(program, fs::perms::owner_all);

    platform::setAutostart("Quorvane", program, true);
    EXPECT_TRUE(platform::autostartEnabled("Quorvane"));
    EXPECT_EQ(folderFiles(), std::vector<std::string>{"Quorvane.desktop"});
    EXPECT_EQ(launchedArgv(entry()), std::vector<std::string>{program});

    QString out;
    EXPECT_EQ(runTool("desktop-file-validate", {QString::fromStdString(entry())}, &out), 0)
        << out.toStdString() << readFile(entry());

    // A launcher of the desktops runs it.
    QProcessEnvironment env;
    env.insert("PATH", "/usr/bin:/bin");
    env.insert("HOME", QString::fromStdString(m_root));
    env.insert("QUORVANE_RECORD", QString::fromStdString(record));
    // Run in the temporary folder: a command smuggled through the path would
    // leave its file there.
    EXPECT_EQ(runTool("gio", {"launch", QString::fromStdString(entry())}, &out, env,
                      QString::fromStdString(m_root)),
              0)
        << out.toStdString();
    for (int i = 0; i < 100 && readFile(record).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(readFile(record), program) << readFile(entry());
    EXPECT_FALSE(fs::exists(m_root + "/pwned"));
}

INSTANTIATE_TEST_SUITE_P(, AutostartPaths,
                         ::testing::Values(PathCase{"Plain", "bin"},
                                           PathCase{"Spaces", "my programs/new  folder"},
                                           PathCase{"DoubleQuote", "say \"hi\""},
                                           PathCase{"SingleQuote", "it's"},
                                           PathCase{"Dollar", "$HOME/$(touch pwned)"},
                                           PathCase{"Backtick", "`touch pwned`"},
                                           PathCase{"Backslash", "back\\slash\\\\two\\"},
                                           PathCase{"NonAscii", "Обои/壁紙 ünï"},
                                           PathCase{"KeyFileSyntax", "a;b#c=d [x]"},
                                           PathCase{"Everything", " lead \"$`\\' end "}),
                         [](const auto& info) { return std::string(info.param.label); });

// ------------------------------------------------------------------- refusals

struct RefusedCase {
    const char* label;
    std::string path;
};
void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.label;
}

class AutostartRefused : public Autostart, public ::testing::WithParamInterface<RefusedCase> {};

// A path that the entry cannot carry, or that the desktops' launchers could
// not start from it: GLib's loader (GNOME's session manager) looks for the
// program before it turns "%%" back into "%", so no entry can name a path
// with a percent sign for it.
TEST_P(AutostartRefused, APathTheEntryCannotHoldIsRefusedAndTheOldEntryStays) {
    platform::setAutostart("Quorvane", "/usr/bin/quorvane", true);
    const std::string before = readFile(entry());
    try {
        platform::setAutostart("Quorvane", GetParam().path, true);
        FAIL() << "written";
    } catch (const platform::StoreError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Quorvane'");
    }
    EXPECT_EQ(readFile(entry()), before);
    EXPECT_EQ(folderFiles(), std::vector<std::string>{"Quorvane.desktop"});
}

INSTANTIATE_TEST_SUITE_P(, AutostartRefused,
                         ::testing::Values(RefusedCase{"LineFeed", "/tmp/a\nExec=/bin/evil"},
                                           RefusedCase{"CarriageReturn", "/tmp/a\rb"},
                                           RefusedCase{"Nul", std::string("/tmp/a\0b", 8)},
                                           RefusedCase{"NotUtf8", "/tmp/caf\xe9"},
                                           RefusedCase{"Empty", ""},
                                           RefusedCase{"Percent", "/opt/100% sure/quorvane"},
                                           RefusedCase{"FieldCode", "/opt/%f/quorvane"},
                                           RefusedCase{"DoubledPercent", "/opt/a%%b/quorvane"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(Autostart, AFailedRenameRemovesTheTemporary) {
    // A folder in the entry's place: the rename over it fails.
    fs::create_directories(entry() + "/inside");
    try {
        platform::setAutostart("Quorvane", "/usr/bin/quorvane", true);
        FAIL() << "written";
    } catch (const platform::StoreError& e) {
        EXPECT_NE(std::string(e.what()).find("Quorvane.desktop"), std::string::npos) << e.what();
    }
    EXPECT_EQ(folderFiles(), std::vector<std::string>{"Quorvane.desktop"});
    EXPECT_TRUE(fs::is_directory(entry() + "/inside"));
    EXPECT_FALSE(platform::autostartEnabled("Quorvane"));
}

// ----------------------------------------------------------------- the state

struct StateCase {
    const char* label;
    std::string content;
    bool on;
};
void PrintTo(const StateCase& c, std::ostream* os) {
    *os << c.label;
}

class AutostartState : public Autostart, public ::testing::WithParamInterface<StateCase> {};

TEST_P(AutostartState, OnWhenTheEntryHasContentAndTheDesktopHasNotDisabledIt) {
    writeFile(entry(), GetParam().content);
    EXPECT_EQ(platform::autostartEnabled("Quorvane"), GetParam().on);
}

const std::string Entry = "[Desktop Entry]\nType=Application\nName=Q\nExec=\"/usr/bin/q\"\n";

INSTANTIATE_TEST_SUITE_P(
    , AutostartState,
    ::testing::Values(
        StateCase{"Empty", "", false}, StateCase{"Ours", Entry, true},
        StateCase{"SomeoneElses", "[Desktop Entry]\nExec=/opt/other\n", true},
        StateCase{"Hidden", Entry + "Hidden=true\n", false},
        StateCase{"HiddenSpaced", Entry + "Hidden = true\n", false},
        StateCase{"NotHidden", Entry + "Hidden=false\n", true},
        StateCase{"GnomeDisabled", Entry + "X-GNOME-Autostart-enabled=false\n", false},
        StateCase{"GnomeEnabled", Entry + "X-GNOME-Autostart-enabled=true\n", true},
        StateCase{"HiddenInAnotherGroup", Entry + "[Desktop Action x]\nHidden=true\n", true},
        StateCase{"HiddenCommentedOut", Entry + "# Hidden=true\n", true},
        StateCase{"HiddenNotABoolean", Entry + "Hidden=maybe\n", true},
        StateCase{"NotAKeyFile", std::string("\x01\x02 binary\0junk", 15), true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Autostart, AFolderInTheEntrysPlaceIsOff) {
    fs::create_directories(entry());
    EXPECT_FALSE(platform::autostartEnabled("Quorvane"));
}

TEST_F(Autostart, OffRemovesTheEntryAndAMissingOneIsNoError) {
    platform::setAutostart("Quorvane", "/usr/bin/quorvane", true);
    platform::setAutostart("Quorvane", "/usr/bin/quorvane", false);
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_FALSE(platform::autostartEnabled("Quorvane"));
    EXPECT_NO_THROW(platform::setAutostart("Quorvane", "/usr/bin/quorvane", false));
    // A removal that fails is not reported.
    fs::create_directories(entry() + "/inside");
    EXPECT_NO_THROW(platform::setAutostart("Quorvane", "/usr/bin/quorvane", false));
}

TEST_F(Autostart, ARenamedExecutableReadsOffAndLeavesTheOldEntry) {
    platform::setAutostart("Quorvane", "/opt/q/Quorvane", true);
    const std::string old = readFile(entry());
    EXPECT_FALSE(platform::autostartEnabled("Wallpapers"));
    platform::setAutostart("Wallpapers", "/opt/q/Wallpapers", false);
    EXPECT_EQ(readFile(entry()), old);
    platform::setAutostart("Wallpapers", "/opt/q/Wallpapers", true);
    EXPECT_TRUE(platform::autostartEnabled("Wallpapers"));
    EXPECT_EQ(readFile(entry()), old);
}

// ------------------------------------------------ the program the entry names

struct ExeCase {
    const char* label;
    const char* link; ///< the target of /proc/self/exe, below the test folder
    std::vector<const char*> files;
    std::vector<const char*> folders;
    const char* expected;
};

class ExecutableFromProcLink : public Autostart, public ::testing::WithParamInterface<ExeCase> {};

TEST_P(ExecutableFromProcLink, AProgramReplacedWhileRunningNamesItsSuccessor) {
    const ExeCase& c = GetParam();
    for (const char* f : c.files)
        writeFile(m_root + "/" + f, "#!/bin/sh\n");
    for (const char* f : c.folders)
        fs::create_directories(m_root + "/" + f);
    const std::string named = platform::executableFromProcLink(m_root + "/" + c.link);
    EXPECT_EQ(named, m_root + "/" + c.expected);
    // The entry written for it starts that file.
    platform::setAutostart("Quorvane", named, true);
    EXPECT_EQ(launchedArgv(entry()), std::vector<std::string>{named});
}

INSTANTIATE_TEST_SUITE_P(
    , ExecutableFromProcLink,
    ::testing::Values(
        ExeCase{"Running", "usr/bin/quorvane", {"usr/bin/quorvane"}, {}, "usr/bin/quorvane"},
        ExeCase{"ReplacedByAnUpgrade",
                "usr/bin/quorvane (deleted)",
                {"usr/bin/quorvane"},
                {},
                "usr/bin/quorvane"},
        ExeCase{"RemovedAndNotReplaced",
                "usr/bin/quorvane (deleted)",
                {},
                {},
                "usr/bin/quorvane (deleted)"},
        ExeCase{"AFolderInItsPlace",
                "usr/bin/quorvane (deleted)",
                {},
                {"usr/bin/quorvane"},
                "usr/bin/quorvane (deleted)"},
        ExeCase{"AFileReallyNamedSo",
                "opt/q (deleted)",
                {"opt/q (deleted)", "opt/q"},
                {},
                "opt/q (deleted)"}),
    [](const ::testing::TestParamInfo<ExeCase>& info) { return std::string(info.param.label); });
