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
std::span<const EmbeddedResource> embeddedResources();

// The bytes stored under name (compared without regard to case); empty when there is none.
std::span<const std::uint8_t> findResource(std::string_view name);

// Decodes the PNG stored under name into img. Throws ImageError when there is no such
// picture or it is no valid PNG.
void loadFromRes(std::string_view name, Bitmap& img);
