#include "app/commandline.h"

#include "platform/paths.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>

// Marks a text for the translation tools; the text is translated where it is
// printed. (This part of the program is built without the toolkit.)
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace {

constexpr std::array<std::pair<RemoteCommand, std::string_view>, 5> Commands{{
    {RemoteCommand::Next, "next"},
    {RemoteCommand::Previous, "prev"},
    {RemoteCommand::Random, "random"},
    {RemoteCommand::Show, "show"},
    {RemoteCommand::Add, "add"},
}};

// Options that QGuiApplication, QApplication and the xcb platform take,
// written with one dash or two; the first group takes the next argument.
constexpr std::string_view QtOptionsWithValue[] = {
    "platform",        "platformpluginpath",
    "platformtheme",   "plugin",
    "qwindowgeometry", "qwindowicon",
    "qwindowtitle",    "session",
    "display",         "geometry",
    "title",           "name",
    "visual",          "style",
    "stylesheet",      "qmljsdebugger",
};
constexpr std::string_view QtFlags[] = {
    "reverse", "testability", "widgetcount", "sync", "nograb", "dograb",
};

template <std::size_t N> bool contains(const std::string_view (&names)[N], std::string_view name) {
    for (std::string_view n : names)
        if (n == name)
            return true;
    return false;
}

CommandLineTranslation& translation() {
    static CommandLineTranslation t;
    return t;
}

// `text` (marked for translation in the context "CommandLine") in the
// language of the translation set, with each %1 replaced by `arg`.
std::string translated(const char* text, std::string_view arg = {}) {
    std::string result;
    if (translation())
        result = translation()(text);
    if (result.empty())
        result = text;
    constexpr std::string_view Marker = "%1";
    for (std::size_t at = result.find(Marker); at != std::string::npos;
         at = result.find(Marker, at + arg.size()))
        result.replace(at, Marker.size(), arg);
    return result;
}

CommandLine error(std::string text) {
    CommandLine result;
    result.action = CommandLine::Action::Error;
    result.error = std::move(text);
    return result;
}

} // namespace

std::vector<std::string> argumentsForQt(int argc, const char* const* argv) {
    std::vector<std::string> kept;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i > 0 && arg.size() > 1 && arg[0] == '-') {
            std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
            const auto equals = name.find('=');
            name = name.substr(0, equals);
            if (name == "qwindowgeometry" || name == "geometry") {
                if (equals == std::string_view::npos)
                    ++i; // its value
                continue;
            }
        }
        kept.emplace_back(arg);
    }
    return kept;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    bool help = false;
    bool version = false;
    std::optional<RemoteCommand> command;
    std::vector<std::string> paths;
    std::string problem;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--add") {
            if (command && problem.empty())
                problem =
                    translated(QT_TRANSLATE_NOOP("CommandLine", "only one command at a time"));
            command = RemoteCommand::Add;
            // Everything after it is a path; "--" ends the options first.
            bool optionsEnded = false;
            for (++i; i < args.size(); ++i) {
                if (optionsEnded)
                    paths.push_back(args[i]);
                else if (args[i] == "--")
                    optionsEnded = true;
                else if (args[i] == "--help" || args[i] == "-h")
                    help = true;
                else if (args[i] == "--version")
                    version = true;
                else
                    paths.push_back(args[i]);
            }
            if (paths.empty() && problem.empty())
                problem = translated(
                    QT_TRANSLATE_NOOP("CommandLine", "--add needs at least one file or folder"));
            break;
        }
        if (arg == "--help" || arg == "-h") {
            help = true;
            continue;
        }
        if (arg == "--version") {
            version = true;
            continue;
        }
        if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            if (const auto c = commandFromName(arg.substr(2))) {
                if (command && problem.empty())
                    problem =
                        translated(QT_TRANSLATE_NOOP("CommandLine", "only one command at a time"));
                command = c;
                continue;
            }
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
            const auto equals = name.find('=');
            const bool inlineValue = equals != std::string_view::npos;
            name = name.substr(0, equals);
            if (contains(QtOptionsWithValue, name)) {
                if (!inlineValue && name != "qmljsdebugger")
                    ++i; // its value
                continue;
            }
            if (!inlineValue && contains(QtFlags, name))
                continue;
        }
        if (problem.empty())
            problem = translated(QT_TRANSLATE_NOOP("CommandLine", "unknown argument '%1'"), arg);
    }
    CommandLine result;
    if (help) {
        result.action = CommandLine::Action::Help;
    } else if (version) {
        result.action = CommandLine::Action::Version;
    } else if (!problem.empty()) {
        return error(problem);
    } else if (command) {
        result.action = CommandLine::Action::Command;
        result.command = *command;
        result.paths = std::move(paths);
    }
    return result;
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc && argv; ++i)
        args.emplace_back(argv[i] ? argv[i] : "");
    return parseCommandLine(args);
}

std::vector<std::string> absolutePaths(const std::vector<std::string>& paths) {
    std::vector<std::string> result;
    result.reserve(paths.size());
    for (const std::string& p : paths) {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(platform::toFsPath(p), ec);
        result.push_back(ec ? p : platform::fromFsPath(absolute.lexically_normal()));
    }
    return result;
}

void setCommandLineTranslation(CommandLineTranslation t) {
    translation() = std::move(t);
}

std::string usageText() {
    return translated(QT_TRANSLATE_NOOP("CommandLine", "Usage: %1"),
                      "quorvane [--next | --prev | --random | --show | --add PATH... | --help | "
                      "--version]");
}

std::string helpText() {
    // Each option with what it does beside it; a longer option has it on the
    // lines below, and so do the lines a description runs on to.
    constexpr std::size_t Column = 14;
    const struct {
        const char* option;
        const char* text;
    } options[] = {
        {"--next", QT_TRANSLATE_NOOP("CommandLine", "show the next wallpaper")},
        {"--prev", QT_TRANSLATE_NOOP("CommandLine", "show the previous wallpaper")},
        {"--random", QT_TRANSLATE_NOOP("CommandLine", "show a random wallpaper")},
        {"--show", QT_TRANSLATE_NOOP("CommandLine", "show the main window")},
        //: Lines of at most 58 characters: each stands indented under the first.
        {"--add PATH...",
         QT_TRANSLATE_NOOP("CommandLine", "add pictures and folders (with their subfolders) to\n"
                                          "the collection")},
        {"--help", QT_TRANSLATE_NOOP("CommandLine", "print this help")},
        {"--version", QT_TRANSLATE_NOOP("CommandLine", "print the version")},
    };
    //: The first line of the help, under the usage.
    std::string text =
        usageText() + "\n" +
        translated(QT_TRANSLATE_NOOP("CommandLine",
                                     "A wallpaper changer that lives in the notification area.")) +
        "\n\n";
    for (const auto& o : options) {
        std::string line = "  " + std::string(o.option);
        const std::string description = translated(o.text);
        std::size_t start = 0;
        while (start <= description.size()) {
            const std::size_t end = std::min(description.find('\n', start), description.size());
            if (line.size() + 1 >= Column) {
                text += line + "\n";
                line.clear();
            }
            line.resize(Column, ' ');
            text += line + description.substr(start, end - start) + "\n";
            line.clear();
            start = end + 1;
        }
    }
    text +=
        "\n" +
        //: Lines of at most 72 characters.
        translated(QT_TRANSLATE_NOOP(
            "CommandLine", "A command goes to the program already running on this desktop; when\n"
                           "none is running, the program starts and then carries it out. Bind\n"
                           "these commands to keys where the desktop offers no global hotkeys.")) +
        "\n";
    return text;
}

std::string versionText() {
    return "Quorvane " QUORVANE_VERSION;
}

std::string_view commandName(RemoteCommand command) {
    for (const auto& [c, name] : Commands)
        if (c == command)
            return name;
    return {};
}

std::optional<RemoteCommand> commandFromName(std::string_view name) {
    for (const auto& [c, n] : Commands)
        if (n == name)
            return c;
    return std::nullopt;
}
