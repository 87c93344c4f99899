// The program's command line: a command for the running instance, --help,
// --version, or nothing (start as usual).
//
// It is read from the untouched argv, before the application object exists,
// so that printing help or handing a command over needs no display; Qt's
// own options (-platform xcb, --qwindowgeometry 400x300, -style=Fusion, ...)
// are passed over with their values and left for QApplication to take.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// The commands a later start hands to the running instance.
enum class RemoteCommand { Next, Previous, Random, Show, Add };

struct CommandLine {
    enum class Action {
        Start,   ///< no argument of ours: start (or "already running")
        Command, ///< hand `command` over, or start and run it
        Help,    ///< print helpText() and exit 0
        Version, ///< print versionText() and exit 0
        Error,   ///< print `error` and usageText() on stderr, exit 2
    };
    Action action = Action::Start;
    RemoteCommand command = RemoteCommand::Show;
    /// The files and folders of --add, as given.
    std::vector<std::string> paths;
    std::string error;
};

/// Parses the arguments after the program name. --help (or -h) and
/// --version win over everything else; at most one command; any other
/// argument of ours, or a positional one, is an error. --add takes every
/// argument after it as a file or folder ("--" among them only ends the
/// options: what follows is a path even when it starts with a dash); it
/// needs at least one.
CommandLine parseCommandLine(const std::vector<std::string>& args);
CommandLine parseCommandLine(int argc, const char* const* argv);

/// The arguments for QApplication: argv without the options that would give
/// the program's fixed-size windows another size (-qwindowgeometry,
/// -geometry, with their values); every other argument is kept in order.
std::vector<std::string> argumentsForQt(int argc, const char* const* argv);

/// `paths` made absolute against the current folder (links are not
/// resolved), so that the running instance, which has a folder of its own,
/// finds them.
std::vector<std::string> absolutePaths(const std::vector<std::string>& paths);

/// Gives a text of the command line (usage, help, errors; marked for
/// translation in the context "CommandLine") in the user's language, or an
/// empty string where it has no translation.
using CommandLineTranslation = std::function<std::string(const char* text)>;

/// The translation the texts of the command line are given in from now on;
/// none (an empty function): English. They are printed before the
/// application object exists, so they cannot use the application's
/// translators.
void setCommandLineTranslation(CommandLineTranslation translation);

/// "Usage: quorvane [--next | --prev | --random | --show | --add PATH... | --help | --version]"
std::string usageText();
std::string helpText();
/// "Quorvane 3.2"
std::string versionText();

/// The option of a command without its dashes, which is also its message on
/// the command channel: "next", "prev", "random", "show", "add".
std::string_view commandName(RemoteCommand command);
std::optional<RemoteCommand> commandFromName(std::string_view name);
