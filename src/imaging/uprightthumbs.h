// Thumbnails cached before pictures were shown upright: the ones of turned pictures are
// made again, once, and no other picture is opened twice for it.
#pragma once

#include <filesystem>
#include <string_view>

/// The marker in the thumbnail folder whose modification time tells from when the
/// thumbnails there are made upright.
inline constexpr std::string_view UprightMarkerName = ".upright";

/// True when the cached thumbnail of picture must be made again: it predates the marker in
/// thumbnailFolder (made when missing, so a cache from before starts now) and the picture's
/// EXIF orientation is not 1. A predating thumbnail found right (orientation 1, or the
/// picture unreadable or gone) gets the present time as its modification time, so that its
/// picture is looked at only once. Reads the picture's header only; for the thumbnail
/// worker's thread. Never throws; false when the thumbnail cannot be looked at.
bool thumbnailPredatesOrientation(const std::filesystem::path& thumbnailFolder,
                                  const std::filesystem::path& thumbnail,
                                  const std::filesystem::path& picture) noexcept;

/// The same question for a reader that must write nothing in the thumbnail folder (a
/// preview shown while the user may be emptying the cache): without the marker no
/// thumbnail counts as predating (the thumbnail worker writes the marker on its first job),
/// and no time is changed.
bool thumbnailPredatesOrientationReadOnly(const std::filesystem::path& thumbnailFolder,
                                          const std::filesystem::path& thumbnail,
                                          const std::filesystem::path& picture) noexcept;
