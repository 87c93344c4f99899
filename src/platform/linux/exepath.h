// The running program's file as /proc/self/exe names it.
#pragma once

#include <string>

namespace platform {

/// The program file named by `target`, the link target of /proc/self/exe.
/// A program whose file was replaced while it runs (a package upgrade) is
/// named with " (deleted)" appended; when a file stands at the plain path
/// again, that file is the program to start next time.
std::string executableFromProcLink(const std::string& target);

} // namespace platform
