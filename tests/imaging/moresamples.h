// Pictures of the further formats (WebP, AVIF, HEIF, JPEG XL, GIF, TIFF) written on the
// spot with the formats' own encoders, for the conformance tests, the fuzz seed corpus and
// the benchmarks. A format whose library was left out of the build cannot be made.
#pragma once

#include "imaging/moreformats.h"

#include "samples.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace samples {

struct PictureRecipe {
    int width = 48;
    int height = 32;
    bool alpha = false;
    bool lossless = false;
    int quality = 90;
    // Animation frames (WebP, AVIF, JPEG XL, GIF) or pages (TIFF); each frame after the
    // first is a different picture.
    int frames = 1;
    // The first frame's rectangle on its canvas (WebP and GIF); a width of 0 fills it.
    int frameLeft = 0;
    int frameTop = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    bool interlace = false; // GIF
    // Exif orientation the file carries: a WebP Exif chunk, AVIF and HEIF rotation and
    // mirroring boxes, the TIFF tag.
    int orientation = 1;
    Bytes icc = {}; // an embedded colour profile
    // HEIF: a thumbnail whose longer side is this many pixels (0: none).
    int thumbnail = 0;
};

// The picture a recipe encodes, as straight 0xAARRGGBB (alpha 0xFF without alpha): photoSample
// for the first frame, its negative for the others. GIF's colours are those of its palette
// (a 6 x 6 x 6 cube) and its alpha is all or nothing.
std::uint32_t recipePixel(PictureFormat format, const PictureRecipe& recipe, int frame, int x,
                          int y);

// A valid ICC profile of a wide-gamut RGB space (Adobe RGB primaries, gamma 2.2), made with
// lcms2; empty when the tests were built without it.
Bytes wideGamutProfile();

// True when this build can write the format (its library and an encoder for it).
bool canMake(PictureFormat format);
// The file; throws std::runtime_error when the format cannot be made.
Bytes makePicture(PictureFormat format, const PictureRecipe& recipe);

// The extension the program gives files of the format (".webp", ".avif", ...).
std::string extensionOf(PictureFormat format);

// Writes a few pictures of every format this build can make into folder/<format>/.
void writeMoreSeedCorpus(const std::filesystem::path& folder);

} // namespace samples
