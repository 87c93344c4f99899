// libFuzzer target: one of the decoders of moreformats.h on arbitrary bytes, built once per
// format with QUORVANE_FUZZ_FORMAT naming it (WebP, Avif, Heif, Jxl, Gif, Tiff). The full
// and the reduced decode, each picture turned by the orientation its file reports.
#include "exercise.h"

#include "imaging/moreformats.h"
#include "imaging/orient.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

const FormatDecoder* g_decoder = nullptr;

} // namespace

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    g_decoder = moreFormatDecoder(PictureFormat::QUORVANE_FUZZ_FORMAT);
    return 0;
}

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    exerciseReduced([&](Bitmap& r, const ReducedDecode& q) {
        PictureMeta meta;
        g_decoder->dataReduced(bytes, r, q, &meta);
        orientBitmap(r, meta.orientation);
    });
    Bitmap b;
    PictureMeta meta;
    try {
        g_decoder->data(bytes, b, &meta);
    } catch (const ImageError&) {
        return 0;
    }
    orientBitmap(b, meta.orientation);
    exercise(b);
    return 0;
}
