// What the decoders of the formats in moreformats.h share: reading a picture file whole,
// the size checks made from a header before anything is allocated, the reduced size of a
// picture, and the rows a library hands out turned into bitmap rows, at full size or
// area-averaged down as they come.
#pragma once

#include "imaging/bitmap.h"
#include "imaging/boxreduce.h"
#include "imaging/codecs.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace imaging_detail {

// The bytes of a picture file. A file larger than the raster limit is refused as too large
// before it is read (a compressed picture is smaller than its raster); throws ImageError
// when it cannot be read.
std::vector<std::uint8_t> readPictureFile(const std::filesystem::path& fileName);

// Threads a library may use for one decode: the machine's cores, at most four.
int decoderThreads();

// Size of a reduced decode by a library that can scale while it decodes: no more than fits
// the raster limit (ImageTooLarge when not even a picture of a sixteenth of a pixel per
// source pixel does), and with a cover size no larger than needed to keep that size.
struct ScaledSize {
    int width;
    int height;
};
ScaledSize scaledSize(int width, int height, int bitsPerPixel, const ReducedDecode& request);

// The reduction factor of a picture that its library decodes whole (its own raster of
// libraryBitsPerPixel must fit the limit, ImageTooLarge otherwise) and that is then
// averaged down by the cover size: 1 without one.
int wholePictureFactor(int width, int height, int libraryBitsPerPixel, int bitsPerPixel,
                       const ReducedDecode& request);

// Red, green, blue bytes to the bitmap's blue, green, red (in place allowed).
void rgbToBgr(const std::uint8_t* in, std::uint8_t* out, int count);
// Red, green, blue, alpha bytes to blue, green, red, alpha, premultiplied unless they already
// are (in place allowed).
void rgbaToBgra(const std::uint8_t* in, std::uint8_t* out, int count, bool premultiplied);
// Premultiplies blue, green, red, alpha rows in place.
void premultiplyBgra(std::uint8_t* pixels, int count);

// The picture a decoder writes row by row: the bitmap itself when the factor is 1, else a
// box reducer that averages each row away as it is handed over. Rows are blue, green, red
// bytes, or blue, green, red, alpha (premultiplied) with alpha. In order unless anyOrder
// (see BoxReducer). With `clear`, pixels never written are transparent black (a picture
// with alpha whose rows are handed over in parts); a reduction then keeps sums for the whole
// picture as anyOrder does, which its factor must allow for.
class PictureRows {
public:
    PictureRows(int width, int height, bool alpha, int factor, bool anyOrder = false,
                bool clear = false);
    int width() const { return m_width; }
    int height() const { return m_height; }
    bool alpha() const { return m_alpha; }
    // True when the rows go straight into the bitmap: row(0) is then its first row, the
    // others following every stride() bytes.
    bool whole() const { return !m_reducer; }
    std::size_t stride() const { return m_full.stride(); }
    // Where source row y goes; hand it over with done(y) before asking for another.
    std::uint8_t* row(int y);
    void done(int y);
    // Source pixels x0 .. x0 + count - 1 of row y, all at once.
    void put(int y, int x0, const std::uint8_t* pixels, int count);
    // A whole row of an opaque picture given as red, green, blue bytes. A reduction averages
    // them as they are and puts the small result in order at the end; a picture's rows all
    // come this way or none.
    void putRgb(int y, const std::uint8_t* rgb);
    // The same given as indexes into a table of 256 pixels (3 or 4 bytes each, as the rows).
    void putIndexed(int y, int x0, const std::uint8_t* indexes, int count,
                    const std::uint8_t* table);
    // The picture, with the brush colour of `previous`; this object is spent.
    Bitmap finish(const Bitmap& previous);

private:
    int m_width, m_height;
    bool m_alpha;
    Bitmap m_full;
    std::optional<BoxReducer> m_reducer;
    std::vector<std::uint8_t> m_row;
    bool m_rgbOrder = false; // the reducer's sums are red, green, blue
};

} // namespace imaging_detail
