// Where a picture's cached thumbnail lives. One rule for the worker that
// writes thumbnails and for every place that deletes them.
#pragma once

#include <string>

/// The picture's relative name below the thumbnail folder (without ".jpg").
/// Relative and dotted paths are resolved first, so no name leaves the folder.
std::string thumbnailRelativePath(const std::string& fname);

/// The thumbnail folder of a data folder (with its trailing separator).
std::string thumbnailFolder(const std::string& dataFolder);

/// thumbnailFolder(dataFolder) + thumbnailRelativePath(fname) + ".jpg".
std::string thumbnailFileName(const std::string& dataFolder, const std::string& fname);

/// thumbnailFileName when that file exists, else the empty string.
std::string findThumbnailOnDisk(const std::string& dataFolder, const std::string& fname);
