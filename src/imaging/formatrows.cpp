#include "imaging/formatrows.h"

#include "imaging/fileio.h"
#include "imaging/pixelmath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

namespace imaging_detail {

std::vector<std::uint8_t> readPictureFile(const std::filesystem::path& fileName) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(fileName, ec);
    if (ec)
        throw ImageError("cannot read " + fileName.string());
    if (size > maxRasterBytes())
        throw ImageTooLarge("picture file too large");
    const FileHandle file = openForRead(fileName);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        throw ImageError("cannot read " + fileName.string());
    return bytes;
}

int decoderThreads() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

ScaledSize scaledSize(int width, int height, int bitsPerPixel, const ReducedDecode& request) {
    const int limitFactor = reductionFactor(std::uint64_t(width), std::uint64_t(height),
                                            bitsPerPixel, maxRasterBytes(), 0, 0, 0);
    if (limitFactor == 0)
        throw ImageTooLarge("picture too large to reduce");
    ScaledSize most{(width + limitFactor - 1) / limitFactor,
                    (height + limitFactor - 1) / limitFactor};
    if (request.coverWidth <= 0 || request.coverHeight <= 0)
        return most;
    // The smallest picture of the same proportions that still covers the requested size.
    const double scale =
        std::max(double(request.coverWidth) / width, double(request.coverHeight) / height);
    const ScaledSize cover{
        std::max(request.coverWidth, static_cast<int>(std::ceil(width * scale - 1e-9))),
        std::max(request.coverHeight, static_cast<int>(std::ceil(height * scale - 1e-9)))};
    if (cover.width >= most.width || cover.height >= most.height)
        return most;
    return cover;
}

int wholePictureFactor(int width, int height, int libraryBitsPerPixel, int bitsPerPixel,
                       const ReducedDecode& request) {
    checkRasterSize(std::uint64_t(width), std::uint64_t(height), libraryBitsPerPixel);
    const int factor =
        reductionFactor(std::uint64_t(width), std::uint64_t(height), bitsPerPixel, maxRasterBytes(),
                        0, request.coverWidth, request.coverHeight);
    if (factor == 0)
        throw ImageTooLarge("picture too large to reduce");
    return factor;
}

void rgbToBgr(const std::uint8_t* in, std::uint8_t* out, int count) {
    for (int i = 0; i < count; ++i, in += 3, out += 3) {
        const std::uint8_t r = in[0], g = in[1], b = in[2];
        out[0] = b;
        out[1] = g;
        out[2] = r;
    }
}

void rgbaToBgra(const std::uint8_t* in, std::uint8_t* out, int count, bool premultiplied) {
    for (int i = 0; i < count; ++i, in += 4, out += 4) {
        const std::uint32_t r = in[0], g = in[1], b = in[2], a = in[3];
        const bool scale = !premultiplied && a != 255;
        out[0] = static_cast<std::uint8_t>(scale ? mulDiv255(b, a) : b);
        out[1] = static_cast<std::uint8_t>(scale ? mulDiv255(g, a) : g);
        out[2] = static_cast<std::uint8_t>(scale ? mulDiv255(r, a) : r);
        out[3] = static_cast<std::uint8_t>(a);
    }
}

void premultiplyBgra(std::uint8_t* pixels, int count) {
    for (int i = 0; i < count; ++i, pixels += 4) {
        const std::uint32_t a = pixels[3];
        if (a == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            pixels[c] = static_cast<std::uint8_t>(mulDiv255(pixels[c], a));
    }
}

PictureRows::PictureRows(int width, int height, bool alpha, int factor, bool anyOrder, bool clear)
    : m_width(width), m_height(height), m_alpha(alpha) {
    if (factor <= 1) {
        m_full.createUninitialized(width, height,
                                   alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
        if (alpha)
            m_full.setAlphaMode(AlphaMode::Premultiplied);
        if (clear)
            for (int y = 0; y < height; ++y)
                std::memset(m_full.scanLine(y), 0, m_full.stride());
    } else {
        // Rows never handed over must still come out: the sums of the whole picture are kept.
        m_reducer.emplace(width, height, factor, alpha ? 4 : 3, anyOrder || clear);
        m_row.resize(static_cast<std::size_t>(width) * (alpha ? 4 : 3));
    }
}

std::uint8_t* PictureRows::row(int y) {
    return m_reducer ? m_row.data() : m_full.scanLine(y);
}

void PictureRows::done(int y) {
    if (m_reducer)
        m_reducer->add(y, 0, 1, m_row.data(), m_width);
}

void PictureRows::put(int y, int x0, const std::uint8_t* pixels, int count) {
    const int bytes = m_alpha ? 4 : 3;
    if (m_reducer)
        m_reducer->add(y, x0, 1, pixels, count);
    else
        std::memcpy(m_full.scanLine(y) + static_cast<std::size_t>(x0) * bytes, pixels,
                    static_cast<std::size_t>(count) * bytes);
}

void PictureRows::putRgb(int y, const std::uint8_t* rgb) {
    if (!m_reducer) {
        rgbToBgr(rgb, m_full.scanLine(y), m_width);
        return;
    }
    m_rgbOrder = true;
    m_reducer->add(y, 0, 1, rgb, m_width);
}

void PictureRows::putIndexed(int y, int x0, const std::uint8_t* indexes, int count,
                             const std::uint8_t* table) {
    if (m_reducer) {
        m_reducer->addIndexed(y, x0, indexes, count, table);
        return;
    }
    const std::size_t bytes = m_alpha ? 4 : 3;
    std::uint8_t* out = m_full.scanLine(y) + static_cast<std::size_t>(x0) * bytes;
    for (int x = 0; x < count; ++x, out += bytes)
        std::memcpy(out, table + bytes * indexes[x], bytes);
}

Bitmap PictureRows::finish(const Bitmap& previous) {
    Bitmap result = m_reducer ? m_reducer->finish() : std::move(m_full);
    if (m_rgbOrder)
        for (int y = 0; y < result.height(); ++y)
            rgbToBgr(result.scanLine(y), result.scanLine(y), result.width());
    result.setBrushColor(previous.brushColor());
    return result;
}

} // namespace imaging_detail
