#pragma once

#include <string>

/// The application title from the executable's file name: no folder,
/// nothing from the first "." on, every character after the first in lower
/// case (Quorvane.exe gives Quorvane, MY.TOOL.EXE gives My).
std::string titleFromExecutable(const std::string& path);

/// The executable's file name without its extension (MY.TOOL.EXE gives MY.TOOL).
std::string runValueNameFromExecutable(const std::string& path);
