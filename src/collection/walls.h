// The collection's list file (list.txt in the data folder) and the changes
// of the collection that rewrite it.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct ProgramState;

/// Writing the list file failed; what() is the system's error text.
struct ListFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// Full path of the list file.
std::string listFileName(const ProgramState& state);

/// Cuts the list file's bytes into paths: a byte-order mark (UTF-8, UTF-16
/// LE or BE) decides the encoding, otherwise the system's list encoding; lines
/// end at CR LF, CR or LF; nothing is trimmed; empty lines are kept here.
std::vector<std::string> parseListText(std::string bytes);

/// Fills walls from the list file, skipping empty lines and lines that name
/// no existing file. A line whose folder is not there at all goes to
/// unavailableWalls instead of being lost. A relative line names a file in
/// the list file's own folder (and is kept as that full path); one that has
/// a root yet no full path (Windows: "C:x.jpg", "\x.jpg") is left out.
void loadWall(ProgramState& state);

/// True when the folder of `path` exists (or the path names no folder).
bool folderAvailable(const std::string& path);

/// True when `path` can be a line of the list file: not empty, and without a
/// line break (CR or LF) that would cut it in two.
bool isListablePath(std::string_view path);

/// Writes the paths, then unavailableWalls, as the list file, creating the
/// data folder when missing; a path that is not listable is left out. The old file is replaced
/// atomically; on failure it stays as it was and ListFileError is thrown.
void writeWallList(const ProgramState& state, const std::vector<std::string>& paths);

/// Removes entry numWall (0 <= numWall < count): its cached thumbnail file,
/// its preview, the entry; then rewrites the list file (may throw ListFileError).
void deleteWall(ProgramState& state, int numWall);

/// Removes entry numWall as deleteWall does, but leaves the list file alone:
/// the caller writes it (for many removals in a row, once).
void removeWallEntry(ProgramState& state, int numWall);

/// Replaces the whole collection by these paths (no previews, wasLoad false)
/// and writes the list file (may throw ListFileError after the replacement).
void replaceWalls(ProgramState& state, const std::vector<std::string>& paths);

/// The paths of walls in order.
std::vector<std::string> wallPaths(const ProgramState& state);
