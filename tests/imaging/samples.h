// Picture files made on the spot for the imaging tests, the fuzz seed corpus and the
// benchmarks: JPEGs and PNGs written with the libraries themselves, BMPs assembled byte
// by byte, and the libraries' own decodes to compare against.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace samples {

using Bytes = std::vector<std::uint8_t>;

// Deterministic photograph-like content: smooth gradients, edges and fine texture.
// Channel c (0 red, 1 green, 2 blue, 3 alpha) of pixel (x, y).
std::uint8_t photoSample(int x, int y, int c, int width, int height);

struct JpegOptions {
    int width = 64;
    int height = 48;
    int components = 3; // 1 grey, 3 colour, 4 CMYK
    int quality = 90;
    bool subsample444 = false; // else the library's default 4:2:0
    bool progressive = false;
    int restartRows = 0; // restart marker every n MCU rows
    bool ycck = false;   // four components stored as YCCK
    bool adobe = true;   // four components: write the Adobe marker (inverted CMYK)
    // Channel c of pixel (x, y) instead of photoSample, when set.
    std::function<std::uint8_t(int x, int y, int c)> pixel = {};
    Bytes exif = {}; // TIFF-structured EXIF, written as an APP1 segment after "Exif\0\0"
    Bytes icc = {};  // an ICC profile, written as APP2 ICC_PROFILE segments
};
Bytes makeJpeg(const JpegOptions& o);

// libjpeg's own full decode with the library defaults. Colour: RGB triplets; grey: the grey
// levels; four components: the raw CMYK bytes.
struct Decoded {
    int width = 0;
    int height = 0;
    int components = 0;
    bool adobe = false;
    Bytes pixels;
};
Decoded referenceJpeg(const Bytes& jpeg);

struct PngOptions {
    int width = 13;
    int height = 9;
    int colorType = 2; // PNG colour type: 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    int bitDepth = 8;
    bool interlace = false;
    // Palette entries (RGB) and tRNS alpha values; grey/RGB tRNS gives trnsColor.
    std::vector<std::uint32_t> palette = {};
    std::vector<std::uint8_t> trns = {};
    bool trnsColor = false;
    // Channel c of pixel (x, y) (8-bit samples) instead of photoSample, when set.
    std::function<std::uint8_t(int x, int y, int c)> pixel = {};
    Bytes exif = {}; // an eXIf chunk's data
    Bytes icc = {};  // an ICC profile, written as an iCCP chunk
};
// Samples are made from photoSample (indexes cycle through the palette).
Bytes makePng(const PngOptions& o);

// libpng's own expansion to 8-bit RGBA (16-bit samples scaled, tRNS applied).
Decoded referencePng(const Bytes& png);
Decoded referencePngFile(const std::filesystem::path& file);

// What a PNG's chunks say about its layout (IHDR and tRNS), read without libpng.
struct PngHeader {
    bool valid = false;
    int colorType = 0;
    int bitDepth = 0;
    bool interlace = false;
    bool trns = false;
    bool partialAlpha = false; // a palette tRNS entry other than 0 and 255
};
PngHeader parsePngHeader(const Bytes& png);

// TIFF-structured EXIF holding one image directory with the orientation tag (and a few
// other tags around it), in either byte order.
Bytes exifWithOrientation(int orientation, bool bigEndian = false);

// A Display P3 ICC profile made with LittleCMS; empty when the samples are built without it.
Bytes displayP3Profile();

// BMP files assembled field by field.
struct BmpOptions {
    int headerSize = 40; // 12 (OS/2), 40, 52, 56, 108, 124
    int width = 5;
    int height = 3;
    bool topDown = false;
    int bpp = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette = {}; // 0x00RRGGBB
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0}; // for compression 3
    // Pixel rows as stored in the file (bottom row first unless topDown), already padded;
    // or the run-length stream.
    Bytes pixelData = {};
};
Bytes makeBmp(const BmpOptions& o);

// Row bytes of an uncompressed BMP row.
std::size_t bmpStride(int width, int bpp);

Bytes readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const Bytes& bytes);

// Writes a set of sample files of every kind into folder (the fuzz seed corpus).
void writeSeedCorpus(const std::filesystem::path& folder);

} // namespace samples
