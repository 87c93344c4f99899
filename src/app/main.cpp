// Quorvane: a wallpaper changer that lives in the notification area.
//
// The executable is a launcher. A command for the instance already running
// (--next, --show, --add ... from a key the desktop binds or a file manager)
// is handed over from here with nothing loaded but the C++ library, so that
// it reaches the instance within a few milliseconds. Everything else (the
// program itself, its help and its errors in the user's language) is in the
// program library beside it or in the library folder, loaded when needed.
#include "app/commandclient.h"
#include "app/commandline.h"
#include "app/program.h"
#include "platform/paths.h"

#include <cstdio>
#include <string>
#include <vector>

#include <dlfcn.h>

namespace {

// Where the program library is looked for, beside the launcher (a build
// folder) and in the library folder of an installation.
std::vector<std::string> programLibraryCandidates(const std::string& executable) {
    const std::size_t slash = executable.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : executable.substr(0, slash);
    return {folder + "/" QUORVANE_PROGRAM_LIBRARY,
            folder + "/" QUORVANE_PROGRAM_LIBRARY_FROM_LAUNCHER "/" QUORVANE_PROGRAM_LIBRARY};
}

int runProgramLibrary(const std::string& executable, int argc, char* argv[], bool commandTried) {
    std::string problem = "the program's own path is unknown";
    if (!executable.empty()) {
        for (const std::string& candidate : programLibraryCandidates(executable)) {
            void* library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!library) {
                const char* error = dlerror();
                problem = error ? error : candidate;
                continue;
            }
            using Entry = decltype(&quorvaneProgramMain);
            if (auto entry = reinterpret_cast<Entry>(dlsym(library, "quorvaneProgramMain")))
                return entry(argc, argv, commandTried);
            problem = candidate + " holds no program";
        }
    }
    // No translation without the program library: this one is in English.
    std::fprintf(stderr, "quorvane: the program cannot be loaded: %s\n", problem.c_str());
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string executable = platform::executablePath();
    const CommandLine command = parseCommandLine(argc, argv);
    if (command.action != CommandLine::Action::Command)
        return runProgramLibrary(executable, argc, argv, false);
    const std::string channel = commandChannelOf(executable);
    // The running instance has a folder of its own: relative paths are made whole here.
    if (handOverCommand(channel, command, absolutePaths(command.paths), HandOverTimeoutMs))
        return 0;
    return runProgramLibrary(executable, argc, argv, !channel.empty());
}
