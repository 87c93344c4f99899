// Embedded colour profiles: pictures are shown in sRGB.
#pragma once

#include "imaging/bitmap.h"

#include <cstdint>
#include <span>

/// Converts b, decoded from a picture whose embedded ICC profile is `profile`, from that
/// profile to sRGB (perceptual intent), so that a Display P3 photograph does not look
/// washed out. Handles 24-bit bitmaps, 32-bit ones (straight colours converted for
/// premultiplied alpha, the alpha byte kept) with an RGB profile, and bitmaps with a colour
/// table (1, 4, 8 bits: the table is converted) with an RGB or a grey profile.
///
/// Nothing happens, at next to no cost, for an empty profile, an sRGB one (isSrgbProfile),
/// one that cannot be read or does not describe the bitmap's colours (CMYK, Lab), other
/// pixel formats, and without LittleCMS. Decoders do not call it themselves:
/// they hand the profile over in PictureMeta::iccProfile and the decode operations of
/// codecs.h apply it to the picture they return. Throws std::bad_alloc only.
void convertToSrgb(Bitmap& b, std::span<const std::uint8_t> profile);

/// True when `profile` describes sRGB: an RGB profile whose colorants and tone curves are
/// those of sRGB, or a grey profile with sRGB's tone curve. Such pictures need no
/// conversion. False as well for a profile that cannot be read.
bool isSrgbProfile(std::span<const std::uint8_t> profile) noexcept;

/// True when embedded profiles are converted: this build was made with LittleCMS and the
/// library is installed.
bool convertsColourProfiles() noexcept;
