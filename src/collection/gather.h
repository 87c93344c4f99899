// Turns what the user hands over to be added (picture files and folders, by
// drag and drop, from the command line or from the picture manager's
// buttons) into the rows of the collection.
#pragma once

#include <functional>
#include <string>
#include <vector>

/// What a gathering found.
struct GatheredPictures {
    /// The pictures, in the order given, each folder's where it was given.
    std::vector<std::string> rows;
    /// Pictures left out because their paths cannot be a line of the list file.
    std::size_t unlistable = 0;
    /// What was given and is neither a picture file nor a folder (another
    /// kind of file, or nothing at all), in the order given.
    std::vector<std::string> skipped;
};

/// Gathers the pictures of `paths`: a folder adds its pictures (with
/// `useSubFolders` those of its subfolders too, as scanDir walks them), a
/// picture file (by its extension, hasPictureExt) adds itself. Anything else
/// is skipped. `progress` runs on the calling thread after each folder with
/// how far the whole gathering has come in percent; when it returns false
/// the gathering stops, keeping what it found.
GatheredPictures gatherPictures(const std::vector<std::string>& paths, bool useSubFolders,
                                const std::function<bool(int percent)>& progress = {});

/// The file name of `path` (after its last separator).
std::string fileNameOf(const std::string& path);
