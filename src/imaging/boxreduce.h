// Reduced decoding of pictures too large to hold whole: the rows are area-averaged by an
// integer factor as the decoder hands them out, so that the full raster never exists.
#pragma once

#include "imaging/bitmap.h"

#include <cstdint>
#include <vector>

namespace imaging_detail {

// Smallest factor k >= 1 for which a width x height picture reduced to ceil(width / k) x
// ceil(height / k) pixels of bitsPerPixel fits maxBytes, with bytesPerPixelOfSums more per
// reduced pixel for the caller's sums (0 when they are one row only); when coverWidth and
// coverHeight are given, the largest factor still keeping at least that size instead, if it
// is larger. 0 when no factor fits.
int reductionFactor(std::uint64_t width, std::uint64_t height, int bitsPerPixel,
                    std::uint64_t maxBytes, std::uint64_t bytesPerPixelOfSums, int coverWidth,
                    int coverHeight);

// Averages each k x k block of source pixels (fewer at the right and bottom edges) into one
// pixel. Source pixels are blue, green, red bytes, or blue, green, red, alpha bytes
// (premultiplied) with four channels; the result is 24 bits, or 32 bits premultiplied.
// Rows come in order, top-down or bottom-up (one reduced row of sums is kept), unless
// anyOrder is set (then sums for the whole reduced picture are kept, for interlaced files).
class BoxReducer {
public:
    BoxReducer(int sourceWidth, int sourceHeight, int factor, int channels, bool anyOrder);

    int width() const { return m_width; }
    int height() const { return m_height; }

    // Adds `count` pixels of source row y at columns x0, x0 + step, x0 + 2 * step, ...
    void add(int y, int x0, int step, const std::uint8_t* pixels, int count);
    // Adds `count` pixels of source row y from column x0 on, given as indexes into a table
    // of 256 pixels (each of the reducer's channels), so that no row of colours is made.
    void addIndexed(int y, int x0, const std::uint8_t* indexes, int count,
                    const std::uint8_t* table);
    // The reduced picture; the reducer is spent.
    Bitmap finish();

private:
    void emitRow(int by);

    int m_sourceWidth, m_sourceHeight, m_factor, m_channels;
    bool m_anyOrder;
    int m_width, m_height;
    int m_block = -1; // reduced row whose sums are being gathered (in order)
    std::vector<std::uint32_t> m_sums;
    Bitmap m_out;
};

} // namespace imaging_detail
