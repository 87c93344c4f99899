// The EXIF metadata of pictures, as far as showing them needs it.
#pragma once

#include <cstdint>
#include <span>

/// The orientation of a TIFF-structured EXIF payload: the bytes after "Exif\0\0" of a JPEG
/// APP1 segment, a PNG eXIf chunk's data, or a WebP EXIF chunk with or without that prefix
/// (both are accepted). Reads tag 0x0112 of the first image directory. 1..8 as stored; 1
/// for a payload without it, a damaged or cut-short payload and any value outside 1..8.
/// Safe on any bytes.
int exifOrientation(std::span<const std::uint8_t> tiff) noexcept;
