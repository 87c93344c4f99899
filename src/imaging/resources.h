// Pictures carried inside the program, found by name without regard to case.
#pragma once

#include "imaging/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// One embedded file; names are stored in capitals.
struct EmbeddedResource {
    const char* name;
    const std::uint8_t* data;
    std::size_t size;
};

// Every embedded file; defined by the code generated from resources/.
std::span<const EmbeddedResource> EmbeddedResources();

// The bytes stored under aName (compared without regard to case); empty when there is none.
std::span<const std::uint8_t> FindResource(std::string_view aName);

// Decodes the PNG stored under aName into img. Throws ImageError when there is no such
// picture or it is no valid PNG.
void LoadFromRes(std::string_view aName, Bitmap& img);
