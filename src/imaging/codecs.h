// Picture files to bitmaps and back: the decoder choice, JPEG and PNG.
#pragma once

#include "imaging/bitmap.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

// The picture extensions, compared after lower-casing.
inline constexpr std::array<std::string_view, 3> PictureExts{".jpg", ".bmp", ".png"};

// Decodes the picture at fn into b, choosing the decoder by the lower-cased extension.
// False for a missing file, a folder, any other extension and every decoding error; b is
// left as it was then. Never throws.
bool File2Bitmap(Bitmap& b, const std::filesystem::path& fn) noexcept;

// Number of decodes File2Bitmap has attempted since the program started.
long File2BitmapCount() noexcept;

// Full-size JPEG decode: 24 bits for colour, 8 bits with a grey table for grey, 32 bits
// (alpha ignored) for CMYK and YCCK, converted to RGB. Does nothing when no file exists
// at the path; throws ImageError for a damaged or unsupported file.
void Jpeg2Bitmap(const std::filesystem::path& jpegFileName, Bitmap& B);
void JpegData2Bitmap(std::span<const std::uint8_t> data, Bitmap& B);

// PNG decode of every colour type, bit depth and interlacing; pictures with alpha become
// 32 bits premultiplied. Does nothing when no file exists; throws ImageError otherwise.
void PNG2Bitmap(const std::filesystem::path& FileName, Bitmap& B);
void PNGData2Bitmap(std::span<const std::uint8_t> data, Bitmap& B);

// Encodes a 24-bit copy of B as a baseline JFIF JPEG of quality 90 and replaces fname
// with it atomically; an empty B gives an empty file. Throws ImageError on failure.
void Bitmap2Jpeg(const Bitmap& B, const std::filesystem::path& fname);

// Largest decoded raster the decoders accept, in bytes (1 GiB unless changed; tests and
// fuzzing lower it). A picture beyond it is a decoding failure.
std::uint64_t MaxRasterBytes() noexcept;
void SetMaxRasterBytes(std::uint64_t bytes) noexcept;

// Throws ImageError unless a width x height raster of bitsPerPixel fits the limit.
void CheckRasterSize(std::uint64_t width, std::uint64_t height, int bitsPerPixel);
