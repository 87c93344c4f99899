// The program's one way to say something no window shows: a line on stderr.
#pragma once

#include <string>

namespace platform {

/// Writes "Quorvane: <text>" as one line to the standard error stream.
void warn(const std::string& text);

} // namespace platform
