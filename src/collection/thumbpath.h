// Where a picture's cached thumbnail lives. One rule for the worker that
// writes thumbnails and for every place that deletes them.
#pragma once

#include <string>

/// The picture's relative name below the thumbnail folder (without ".jpg").
/// Relative and dotted paths are resolved first, so no name leaves the folder.
std::string DelDoublePoint(const std::string& fname);

/// DataFolder + "Thumbnail" + separator + DelDoublePoint(fname) + ".jpg".
std::string ThumbnailFileName(const std::string& fname);

/// ThumbnailFileName(fname) when that file exists, else the empty string.
std::string FindThumbnailHDD(const std::string& fname);
