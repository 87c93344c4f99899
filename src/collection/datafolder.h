// The data folder: Quorvane in the user's documents folder, holding the list
// file, the wallpaper file and the thumbnail cache.
#pragma once

#include <filesystem>
#include <string>

struct ProgramState;

/// Sets dataFolder and wallpaperFile from the documents folder (the home
/// folder when the system cannot tell) and creates the data folder and its
/// thumbnail folder when they are missing. A folder that cannot be created
/// is not reported here: the failure shows when a file in it is written.
void setUpDataFolder(ProgramState& state);

/// Creates the data folder (one level) when it is missing.
void ensureDataFolder(const ProgramState& state);

/// Removes the temporary files that atomic writes of an earlier run left in
/// `folder` (with its subfolders when `recursive`) when it was killed during
/// the write: only names the program's writer makes, only regular files last
/// changed before `before`, and no link is followed. Returns how many went.
int removeStaleTemporaries(const std::string& folder, bool recursive,
                           std::filesystem::file_time_type before);
