// Files, folders and path conventions of the running system.
//
// Paths travel through the program as std::string: UTF-8 on Windows, the
// file system's own bytes on Linux (kept exactly, whatever their encoding).
#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

/// The folder separator of this system: '\\' on Windows, '/' on Linux.
char pathSeparator();

/// The user's documents folder, created when missing, without a trailing
/// separator; empty when the system cannot tell.
std::string documentsFolder();

/// The user's home folder, without a trailing separator.
std::string homeFolder();

/// The std::filesystem form of a program path.
std::filesystem::path toFsPath(const std::string& path);

/// The program form of a std::filesystem path (inverse of toFsPath).
std::string fromFsPath(const std::filesystem::path& path);

/// Relative name of a picture's cached thumbnail below the thumbnail folder,
/// without the ".jpg" that the cache appends. Windows: the first colon
/// removed, a network path \\server\share\x.jpg mapped to UNC\server\share\x.jpg.
/// Linux: the absolute path without its leading "/".
std::string thumbnailRelativeName(const std::string& picturePath);

/// True when a regular file exists at `path` (a folder does not count; a
/// symbolic link counts when its target is a regular file).
bool isRegularFile(const std::string& path);

/// What tells a folder or file apart from every other one on the machine,
/// whatever path reaches it: device and inode number on Linux, volume serial
/// number and file index on Windows.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

/// The identity of what `path` names (a link followed to its target);
/// nothing when it cannot be read.
std::optional<FileIdentity> fileIdentity(const std::string& path);

/// One entry of a folder listing.
struct FolderEntry {
    std::string name;      ///< the entry's own name, without its folder
    bool isFolder = false; ///< a folder, or a link to one
    /// A regular file, or a link to one, as far as the listing alone tells
    /// (false also where it cannot tell).
    bool isRegular = false;
};

/// Appends the entries of the folder at `path` to `entries`, hidden ones
/// included and "." and ".." left out, in the order the file system lists
/// them. False when the folder cannot be listed.
bool listFolder(const std::string& path, std::vector<FolderEntry>& entries);

/// Full path of the running executable.
std::string executablePath();

} // namespace platform
