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

/// What the list file holds.
struct WallList {
    /// The pictures of the collection, in order.
    std::vector<std::string> paths;
    /// Lines kept out of the collection because their folder is not there
    /// now (an unmounted drive, a network share that is away): they are
    /// written back with the list, after the collection, until the folder
    /// returns and a start loads them again.
    std::vector<std::string> unavailable;
};

/// Reads the list file, skipping empty lines and lines that name no existing
/// file. A line whose folder is not there at all goes to `unavailable`
/// instead of being lost. A relative line names a file in the list file's
/// own folder (and is kept as that full path); one that has a root yet no
/// full path (Windows: "C:x.jpg", "\x.jpg") is left out. No list file, or
/// one that cannot be read, gives an empty list.
WallList readWallList(const ProgramState& state);

/// True when the folder of `path` exists (or the path names no folder).
bool folderAvailable(const std::string& path);

/// True when `path` can be a line of the list file: not empty, and without a
/// line break (CR or LF) that would cut it in two.
bool isListablePath(std::string_view path);

/// Writes the paths, then the unavailable lines, as the list file, creating
/// the data folder when missing; a path that is not listable is left out. The
/// old file is replaced atomically; on failure it stays as it was and
/// ListFileError is thrown.
void writeWallList(const ProgramState& state, const std::vector<std::string>& paths,
                   const std::vector<std::string>& unavailable = {});

/// Removes the cached thumbnail file of the picture at `path`, if any.
void removeCachedThumbnail(const ProgramState& state, const std::string& path);
