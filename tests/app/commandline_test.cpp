// The command line: our options, Qt's options passed over, and the refusals.
#include "app/apptitle.h"
#include "app/commandline.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

using Action = CommandLine::Action;

struct Case {
    std::vector<std::string> args;
    Action action;
    RemoteCommand command = RemoteCommand::Show;
};

class CommandLineTable : public ::testing::TestWithParam<Case> {};

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const auto& a : args)
        text += "[" + a + "]";
    return text;
}

TEST_P(CommandLineTable, Parses) {
    const CommandLine parsed = parseCommandLine(GetParam().args);
    EXPECT_EQ(parsed.action, GetParam().action) << joined(GetParam().args) << " " << parsed.error;
    if (GetParam().action == Action::Command) {
        EXPECT_EQ(parsed.command, GetParam().command) << joined(GetParam().args);
    }
    EXPECT_EQ(parsed.error.empty(), GetParam().action != Action::Error);
}

INSTANTIATE_TEST_SUITE_P(
    Ours, CommandLineTable,
    ::testing::Values(
        Case{{}, Action::Start}, Case{{"--next"}, Action::Command, RemoteCommand::Next},
        Case{{"--prev"}, Action::Command, RemoteCommand::Previous},
        Case{{"--random"}, Action::Command, RemoteCommand::Random},
        Case{{"--show"}, Action::Command, RemoteCommand::Show}, Case{{"--help"}, Action::Help},
        Case{{"-h"}, Action::Help}, Case{{"--version"}, Action::Version},
        Case{{"--next", "--help"}, Action::Help}, Case{{"--bogus", "--help"}, Action::Help},
        Case{{"--version", "--prev"}, Action::Version}));

INSTANTIATE_TEST_SUITE_P(
    QtOptionsPassedOver, CommandLineTable,
    ::testing::Values(
        Case{{"-platform", "xcb"}, Action::Start},
        Case{{"--platform", "offscreen", "--next"}, Action::Command, RemoteCommand::Next},
        Case{{"-platform", "xcb:x=1", "--random"}, Action::Command, RemoteCommand::Random},
        // A value that looks like one of our options is still the Qt option's value.
        Case{{"-qwindowtitle", "--next"}, Action::Start},
        Case{{"-qwindowgeometry", "400x300+0+0", "--show"}, Action::Command, RemoteCommand::Show},
        Case{{"-style=Fusion", "-reverse", "--prev"}, Action::Command, RemoteCommand::Previous},
        Case{{"-style", "Fusion", "-stylesheet", "a.qss"}, Action::Start},
        Case{{"-display", ":1", "-geometry", "10x10", "-name", "q", "-title", "t"}, Action::Start},
        Case{{"-qmljsdebugger=port:1234", "-session", "abc", "-sync"}, Action::Start},
        Case{{"-platformpluginpath", "/p", "-platformtheme", "gtk3", "-plugin", "evdev"},
             Action::Start},
        Case{{"-platform"}, Action::Start})); // value missing: left to Qt

INSTANTIATE_TEST_SUITE_P(
    Refused, CommandLineTable,
    ::testing::Values(Case{{"next"}, Action::Error}, Case{{"-next"}, Action::Error},
                      Case{{"--Next"}, Action::Error}, Case{{"--next=1"}, Action::Error},
                      Case{{"--previous"}, Action::Error}, Case{{"--"}, Action::Error},
                      Case{{"-"}, Action::Error}, Case{{""}, Action::Error},
                      Case{{"--next", "--prev"}, Action::Error},
                      Case{{"--next", "--next"}, Action::Error},
                      Case{{"--next", "picture.jpg"}, Action::Error},
                      Case{{"-reverse=1"}, Action::Error}, Case{{"--versions"}, Action::Error},
                      Case{{std::string("--next\0x", 8)}, Action::Error},
                      Case{{"--add"}, Action::Error}, Case{{"--add", "--"}, Action::Error},
                      Case{{"--next", "--add", "a.jpg"}, Action::Error},
                      Case{{"--add", "a.jpg", "--next"}, Action::Command, RemoteCommand::Add}));

struct AddCase {
    std::vector<std::string> args;
    std::vector<std::string> paths;
};

class AddTable : public ::testing::TestWithParam<AddCase> {};

TEST_P(AddTable, TakesEveryArgumentAfterItAsAPath) {
    const CommandLine parsed = parseCommandLine(GetParam().args);
    ASSERT_EQ(parsed.action, Action::Command) << joined(GetParam().args) << " " << parsed.error;
    EXPECT_EQ(parsed.command, RemoteCommand::Add);
    EXPECT_EQ(parsed.paths, GetParam().paths) << joined(GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(Paths, AddTable,
                         ::testing::Values(AddCase{{"--add", "a.jpg"}, {"a.jpg"}},
                                           AddCase{{"--add", "/p/a b.jpg", "dir", "--next"},
                                                   {"/p/a b.jpg", "dir", "--next"}},
                                           AddCase{{"-platform", "xcb", "--add", "x"}, {"x"}},
                                           AddCase{{"--add", "--", "-h", "--", "--version"},
                                                   {"-h", "--", "--version"}}));

TEST(CommandLine, HelpWinsOverAdd) {
    EXPECT_EQ(parseCommandLine({"--add", "a.jpg", "--help"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"--add", "--version"}).action, Action::Version);
}

TEST(CommandLine, AddPathsBecomeAbsoluteAgainstTheCurrentFolder) {
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(absolutePaths({"a.jpg", "./sub/../b.png", "/abs/c.bmp"}),
              (std::vector<std::string>{here + "/a.jpg", here + "/b.png", "/abs/c.bmp"}));
}

TEST(CommandLine, ErrorNamesTheArgument) {
    const CommandLine parsed = parseCommandLine({"--next", "--frobnicate"});
    EXPECT_NE(parsed.error.find("--frobnicate"), std::string::npos) << parsed.error;
}

TEST(CommandLine, FromArgvSkipsTheProgramName) {
    const char* argv[] = {"quorvane", "-platform", "offscreen", "--prev", nullptr};
    const CommandLine parsed = parseCommandLine(4, argv);
    EXPECT_EQ(parsed.action, Action::Command);
    EXPECT_EQ(parsed.command, RemoteCommand::Previous);
    const char* only[] = {"--help"}; // argv[0] is never an option
    EXPECT_EQ(parseCommandLine(1, only).action, Action::Start);
    EXPECT_EQ(parseCommandLine(0, nullptr).action, Action::Start);
}

TEST(CommandLine, NamesOfTheCommandsRoundTrip) {
    for (RemoteCommand c : {RemoteCommand::Next, RemoteCommand::Previous, RemoteCommand::Random,
                            RemoteCommand::Show}) {
        const auto back = commandFromName(commandName(c));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, c);
        EXPECT_EQ(parseCommandLine({"--" + std::string(commandName(c))}).command, c);
    }
    EXPECT_FALSE(commandFromName("").has_value());
    EXPECT_FALSE(commandFromName("NEXT").has_value());
    EXPECT_FALSE(commandFromName("next\r").has_value());
}

TEST(CommandLine, TextsNameEveryOption) {
    for (const char* option :
         {"--next", "--prev", "--random", "--show", "--add", "--help", "--version"}) {
        EXPECT_NE(usageText().find(option), std::string::npos) << option;
        EXPECT_NE(helpText().find(option), std::string::npos) << option;
    }
    EXPECT_EQ(versionText(), "Quorvane 3.2");
}

} // namespace

// The texts printed before the application object exists, by the program
// itself, in the language the environment asks for.
struct Printed {
    const char* language; // LANGUAGE
    std::vector<const char*> args;
    int exitCode;
    bool onStandardError;
    std::vector<const char*> texts; // each in what it prints
};

void PrintTo(const Printed& c, std::ostream* os) {
    *os << c.language << " " << c.args.front();
}

class PrintedLanguage : public ::testing::TestWithParam<Printed> {};

TEST_P(PrintedLanguage, HelpAndErrorsSpeakIt) {
    const Printed& c = GetParam();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANGUAGE"), QString::fromLatin1(c.language));
    QProcess program;
    program.setProcessEnvironment(env);
    QStringList args;
    for (const char* a : c.args)
        args << QString::fromLatin1(a);
    program.start(QStringLiteral(QUORVANE_BINARY_DIR "/src/app/quorvane"), args);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), c.exitCode);
    const std::string out = program.readAllStandardOutput().toStdString();
    const std::string err = program.readAllStandardError().toStdString();
    const std::string& printed = c.onStandardError ? err : out;
    EXPECT_TRUE((c.onStandardError ? out : err).empty());
    for (const char* text : c.texts)
        EXPECT_NE(printed.find(text), std::string::npos) << text << " not in:\n" << printed;
}

INSTANTIATE_TEST_SUITE_P(
    Languages, PrintedLanguage,
    ::testing::Values(
        Printed{"de",
                {"--help"},
                0,
                false,
                {"Aufruf: quorvane [--next", "  --next      das nächste Hintergrundbild zeigen",
                 "  --add PATH...\n              Bilder und Ordner", "  --version   die Version"}},
        Printed{"de:en",
                {"--next", "--bogus"},
                2,
                true,
                {"quorvane: unbekanntes Argument „--bogus“\nAufruf:"}},
        Printed{"ru", {"--add"}, 2, true, {"--add требует хотя бы один файл или папку"}},
        // A language the program does not carry: English.
        Printed{"it", {"--help"}, 0, false, {"Usage: quorvane", "  --next      show the next"}}));

// The title names the instance, its lock and its windows; the launcher works it out
// without the toolkit, and it must be what the toolkit gave.
TEST(AppTitle, FromTheExecutablesName) {
    const struct {
        const char* path;
        const char* title;
        const char* runValue;
    } cases[] = {
        {"/usr/bin/quorvane", "quorvane", "quorvane"},
        {"C:/Tools/Quorvane.exe", "Quorvane", "Quorvane"},
        {"MY.TOOL.EXE", "My", "MY.TOOL"},
        {"/opt/x/QUORVANE", "Quorvane", "QUORVANE"},
        {"/opt/x/ÜBERBILD.bin", "Überbild", "ÜBERBILD"},
        {"/opt/x/ÉCRAN-ΣΟΦΙΑ", "Écran-σοφια", "ÉCRAN-ΣΟΦΙΑ"},
        {"/opt/x/A\xFF"
         "B",
         "A\xFF"
         "b",
         "A\xFF"
         "B"}, // bytes that are no UTF-8 stay
        {"/opt/x/.hidden", "", ""},
        {"/opt/x/", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(titleFromExecutable(c.path), c.title) << c.path;
        EXPECT_EQ(runValueNameFromExecutable(c.path), c.runValue) << c.path;
    }
}

TEST(CommandLine, QtGetsEveryArgumentButAWindowGeometry) {
    const char* argv[] = {"quorvane", "-qwindowgeometry",    "300x200",    "-platform", "xcb",
                          "--next",   "-geometry=10x10+1+1", "--geometry", "40x40",     "-style",
                          "Fusion"};
    EXPECT_EQ(argumentsForQt(11, argv), (std::vector<std::string>{"quorvane", "-platform", "xcb",
                                                                  "--next", "-style", "Fusion"}));
    // The program name itself is never taken for an option.
    const char* odd[] = {"-geometry"};
    EXPECT_EQ(argumentsForQt(1, odd), (std::vector<std::string>{"-geometry"}));
}
