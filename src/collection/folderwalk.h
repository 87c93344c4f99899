// Walks over folder trees: gathering the pictures of a folder for the
// collection, and deleting a folder tree (the thumbnail cache).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

/// True when the name's extension (from its last dot), lowered in case, is
/// one of the picture extensions (pictureExtensions()): "PHOTO.JPG", "a.Png"
/// and "b.jpeg" are, "c.txt" is not.
bool hasPictureExt(std::string_view name);

/// Orders two file names as file managers list them: letters without regard
/// to case, runs of digits by their value ("img2" before "img10"), other
/// characters by their code point. Names that differ only in case or in
/// leading zeros come in a fixed order all the same (fewer zeros first, then
/// by their bytes), so the order never depends on the system or its language.
/// Negative, zero (the same bytes) or positive.
int compareNames(std::string_view a, std::string_view b);

/// Appends to `rows` the pictures of the folder `dir`, each as `dir`, a
/// separator and the file's name, every folder's entries taken in name order
/// (CompareNames). With `useSubFolders` the pictures of each subfolder follow
/// where the subfolder is met (depth first). Only regular files (and links to
/// them) count as pictures. Links to folders are followed, yet no folder is
/// entered twice in one scan, so a link back up the tree ends the walk there.
/// A folder that cannot be listed adds nothing; an empty `dir` adds nothing.
/// `afterFolder` runs whenever a folder's walk is done, with how far the walk
/// has come in percent (the share of `dir`'s own entries passed); when it
/// returns false the walk stops there, keeping what it found. It runs on the
/// scanning thread and must touch nothing but its own data. A picture whose
/// path cannot be a line of the list file (IsListablePath) is left out;
/// returns how many were.
std::size_t scanDir(const std::string& dir, bool useSubFolders, std::vector<std::string>& rows,
                    const std::function<bool(int percent)>& afterFolder = {});

/// The folder part of `path` (before its last separator), empty when it has none.
std::string_view folderOf(std::string_view path);

/// The names of the regular files (and links to them) in `folder`, read in one
/// listing; empty when it cannot be read. Where many files of one folder are
/// asked about, this stands in for a look-up of each; a name it lacks must
/// still be looked up on its own (the file system may match it otherwise).
std::unordered_set<std::string> regularFileNames(const std::string& folder);

/// Deletes the folder tree at `path`, the folder itself last. Links inside
/// it are removed as links and never followed, and when `path` itself is a
/// link only the link goes, so nothing outside the tree is touched. What
/// cannot be deleted stays; the rest goes all the same.
void removeAll(const std::string& path);
