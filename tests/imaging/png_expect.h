// The check shared by the PNG tests and the PngSuite conformance test: a decoded PNG has
// the format its kind calls for and the pixels of libpng's own expansion to RGBA
// (premultiplied where the bitmap carries alpha; tRNS ignored where no alpha is made).
#pragma once

#include "imaging/bitmap.h"
#include "samples.h"

#include <gtest/gtest.h>

inline PixelFormat expectedPngFormat(const samples::PngHeader& h) {
    if (h.colorType == 4 || h.colorType == 6 || (h.colorType == 3 && h.partialAlpha))
        return PixelFormat::Bits32;
    if ((h.colorType == 0 || h.colorType == 3) && h.bitDepth == 1)
        return PixelFormat::Bits1;
    if ((h.colorType == 0 || h.colorType == 3) && h.bitDepth <= 4)
        return PixelFormat::Bits4;
    if (h.colorType == 3)
        return PixelFormat::Bits8;
    return PixelFormat::Bits24;
}

inline void expectPngDecode(const Bitmap& b, const samples::Bytes& png) {
    const samples::PngHeader h = samples::parsePngHeader(png);
    const samples::Decoded ref = samples::referencePng(png);
    ASSERT_EQ(b.pixelFormat(), expectedPngFormat(h));
    ASSERT_EQ(b.width(), ref.width);
    ASSERT_EQ(b.height(), ref.height);
    const bool alpha = b.pixelFormat() == PixelFormat::Bits32;
    EXPECT_EQ(b.hasAlpha(), alpha);
    int mismatches = 0;
    std::vector<std::uint32_t> row(static_cast<std::size_t>(ref.width));
    for (int y = 0; y < ref.height; ++y) {
        b.readRow(y, 0, ref.width, row.data());
        for (int x = 0; x < ref.width; ++x) {
            const std::uint8_t* p = &ref.pixels[(static_cast<std::size_t>(y) * ref.width + x) * 4];
            std::uint32_t expected;
            if (alpha) {
                auto mul = [a = p[3]](unsigned c) { return (c * a + 127) / 255; };
                expected = std::uint32_t(p[3]) << 24 | mul(p[0]) << 16 | mul(p[1]) << 8 | mul(p[2]);
            } else {
                expected = 0xFF000000 | std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
            }
            const std::uint32_t actual = alpha ? row[static_cast<std::size_t>(x)] : b.pixel(x, y);
            if (actual != expected && ++mismatches <= 3)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << actual
                              << " != " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
}
