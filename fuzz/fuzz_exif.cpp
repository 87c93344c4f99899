// libFuzzer target: the EXIF orientation reader on arbitrary bytes, and the turn it asks
// for on a small bitmap.
#include "imaging/bitmap.h"
#include "imaging/exif.h"
#include "imaging/orient.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int orientation = exifOrientation(std::span(data, size));
    if (orientation < 1 || orientation > 8)
        std::abort();
    Bitmap b;
    b.setPixelFormat(size % 2 ? PixelFormat::Bits4 : PixelFormat::Bits24);
    b.setSize(3, 2);
    orientBitmap(b, orientation);
    const bool quarter = orientation >= 5;
    if (b.width() != (quarter ? 2 : 3) || b.height() != (quarter ? 3 : 2))
        std::abort();
    return 0;
}
