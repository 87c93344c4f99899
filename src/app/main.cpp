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

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <dlfcn.h>

namespace {

// Where the program library is looked for: beside the launcher (a build
// folder), in the library folder of the installation it belongs to, then (for
// a copy of the launcher under another name) where the installation, the
// package or the build put it.
std::vector<std::string> programLibraryCandidates(const std::string& executable) {
    const std::size_t slash = executable.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : executable.substr(0, slash);
    std::vector<std::string> folders = {folder,
                                        folder + "/" QUORVANE_PROGRAM_LIBRARY_FROM_LAUNCHER};
    const std::string_view more = QUORVANE_PROGRAM_LIBRARY_FOLDERS;
    for (std::size_t start = 0; start <= more.size();) {
        const std::size_t end = std::min(more.find(':', start), more.size());
        folders.emplace_back(more.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::string> candidates;
    for (const std::string& f : folders) {
        std::string candidate = f + "/" QUORVANE_PROGRAM_LIBRARY;
        if (!f.empty() &&
            std::find(candidates.begin(), candidates.end(), candidate) == candidates.end())
            candidates.push_back(std::move(candidate));
    }
    return candidates;
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
