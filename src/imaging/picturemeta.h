// What a decoder learns about a picture besides its pixels.
#pragma once

#include <cstdint>
#include <vector>

/// Filled by a format's decoder while it reads the file; the decoder choice in codecs.cpp
/// then turns the decoded bitmap upright and into sRGB from it. A decoder only reports what
/// the file says and never applies either itself.
struct PictureMeta {
    /// EXIF orientation 1..8 (1: stored upright; see exifOrientation in imaging/exif.h).
    int orientation = 1;
    /// The embedded ICC profile as stored (JPEG APP2 chunks joined, PNG iCCP inflated);
    /// empty when there is none.
    std::vector<std::uint8_t> iccProfile;
};

/// True for the orientations that turn the picture a quarter turn (5..8): the upright
/// picture is as wide as the stored one is high.
constexpr bool swapsAxes(int orientation) {
    return orientation >= 5 && orientation <= 8;
}
