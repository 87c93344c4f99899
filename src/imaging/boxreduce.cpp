#include "imaging/boxreduce.h"

#include <algorithm>
#include <cstring>

namespace imaging_detail {

namespace {

// A block sum of 255 * k * k must fit 32 bits.
constexpr int MaxFactor = 4096;

std::uint64_t reduced(std::uint64_t side, std::uint64_t k) {
    return (side + k - 1) / k;
}

bool fits(std::uint64_t width, std::uint64_t height, int bitsPerPixel, std::uint64_t maxBytes,
          std::uint64_t sumBytes, std::uint64_t k) {
    const std::uint64_t w = reduced(width, k), h = reduced(height, k);
    const std::uint64_t rowBytes = (w * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
    return rowBytes * h + w * h * sumBytes <= maxBytes;
}

// Sums a whole row of `count` pixels into the sums of its `blocks` blocks of k columns.
template <int Channels>
void sumRow(std::uint32_t* sums, int k, int blocks, int count, const std::uint8_t* pixels) {
    for (int bx = 0, x = 0; bx < blocks; ++bx) {
        std::uint32_t* s = sums + static_cast<std::size_t>(bx) * Channels;
        const int end = std::min(x + k, count);
        std::uint32_t t[Channels] = {};
        for (; x < end; ++x, pixels += Channels)
            for (int i = 0; i < Channels; ++i)
                t[i] += pixels[i];
        for (int i = 0; i < Channels; ++i)
            s[i] += t[i];
    }
}

} // namespace

int reductionFactor(std::uint64_t width, std::uint64_t height, int bitsPerPixel,
                    std::uint64_t maxBytes, std::uint64_t bytesPerPixelOfSums, int coverWidth,
                    int coverHeight) {
    if (width == 0 || height == 0)
        return 0;
    int k = 1;
    while (k <= MaxFactor &&
           !fits(width, height, bitsPerPixel, maxBytes, bytesPerPixelOfSums, std::uint64_t(k)))
        k = k < 8 ? k + 1 : k + k / 8;
    if (k > MaxFactor)
        return 0;
    if (coverWidth > 0 && coverHeight > 0)
        while (k < MaxFactor && reduced(width, std::uint64_t(k) + 1) >= std::uint64_t(coverWidth) &&
               reduced(height, std::uint64_t(k) + 1) >= std::uint64_t(coverHeight))
            ++k;
    return k;
}

BoxReducer::BoxReducer(int sourceWidth, int sourceHeight, int factor, int channels, bool anyOrder)
    : m_sourceWidth(sourceWidth), m_sourceHeight(sourceHeight),
      m_factor(std::clamp(factor, 1, MaxFactor)), m_channels(channels == 4 ? 4 : 3),
      m_anyOrder(anyOrder), m_width((sourceWidth + m_factor - 1) / m_factor),
      m_height((sourceHeight + m_factor - 1) / m_factor) {
    m_out.createUninitialized(m_width, m_height,
                              m_channels == 4 ? PixelFormat::Bits32 : PixelFormat::Bits24);
    if (m_channels == 4)
        m_out.setAlphaMode(AlphaMode::Premultiplied);
    const std::size_t rows = m_anyOrder ? static_cast<std::size_t>(m_height) : 1;
    m_sums.assign(static_cast<std::size_t>(m_width) * m_channels * rows, 0);
}

void BoxReducer::add(int y, int x0, int step, const std::uint8_t* pixels, int count) {
    if (y < 0 || y >= m_sourceHeight)
        return;
    const int by = y / m_factor;
    std::uint32_t* sums = m_sums.data();
    if (m_anyOrder) {
        sums += static_cast<std::size_t>(by) * m_width * m_channels;
    } else if (by != m_block) {
        if (m_block >= 0)
            emitRow(m_block);
        m_block = by;
    }
    const int c = m_channels;
    if (step == 1 && x0 == 0 && count == m_sourceWidth) {
        // The common case: whole rows, each block of k columns summed in one go.
        if (c == 4)
            sumRow<4>(sums, m_factor, m_width, count, pixels);
        else
            sumRow<3>(sums, m_factor, m_width, count, pixels);
        return;
    }
    for (int i = 0, x = x0; i < count && x < m_sourceWidth; ++i, x += step, pixels += c) {
        std::uint32_t* s = sums + static_cast<std::size_t>(x / m_factor) * c;
        for (int k = 0; k < c; ++k)
            s[k] += pixels[k];
    }
}

namespace {

// Sums columns x .. end - 1 of a row given as table indexes into the block sums.
template <int Channels>
void sumIndexed(std::uint32_t* sums, int factor, int x, int end, const std::uint8_t* indexes,
                const std::uint8_t* table) {
    while (x < end) {
        // The columns of one block summed in one go.
        const int blockEnd = std::min(end, (x / factor + 1) * factor);
        std::uint32_t t[Channels] = {};
        for (; x < blockEnd; ++x, ++indexes) {
            const std::uint8_t* p = table + static_cast<std::size_t>(*indexes) * Channels;
            for (int k = 0; k < Channels; ++k)
                t[k] += p[k];
        }
        std::uint32_t* s = sums + static_cast<std::size_t>((blockEnd - 1) / factor) * Channels;
        for (int k = 0; k < Channels; ++k)
            s[k] += t[k];
    }
}

} // namespace

void BoxReducer::addIndexed(int y, int x0, const std::uint8_t* indexes, int count,
                            const std::uint8_t* table) {
    if (y < 0 || y >= m_sourceHeight || x0 < 0)
        return;
    const int by = y / m_factor;
    std::uint32_t* sums = m_sums.data();
    if (m_anyOrder) {
        sums += static_cast<std::size_t>(by) * m_width * m_channels;
    } else if (by != m_block) {
        if (m_block >= 0)
            emitRow(m_block);
        m_block = by;
    }
    const int end = std::min(x0 + count, m_sourceWidth);
    if (m_channels == 4)
        sumIndexed<4>(sums, m_factor, x0, end, indexes, table);
    else
        sumIndexed<3>(sums, m_factor, x0, end, indexes, table);
}

void BoxReducer::emitRow(int by) {
    const std::uint32_t rows =
        static_cast<std::uint32_t>(std::min(m_factor, m_sourceHeight - by * m_factor));
    const std::uint32_t* sums =
        m_sums.data() + (m_anyOrder ? static_cast<std::size_t>(by) * m_width * m_channels : 0);
    std::uint8_t* out = m_out.scanLine(by);
    for (int bx = 0; bx < m_width; ++bx) {
        const std::uint32_t columns =
            static_cast<std::uint32_t>(std::min(m_factor, m_sourceWidth - bx * m_factor));
        const std::uint32_t n = rows * columns;
        for (int k = 0; k < m_channels; ++k, ++sums, ++out)
            *out = static_cast<std::uint8_t>((*sums + n / 2) / n);
    }
    if (!m_anyOrder)
        std::fill(m_sums.begin(), m_sums.end(), 0);
}

Bitmap BoxReducer::finish() {
    if (m_anyOrder) {
        for (int by = 0; by < m_height; ++by)
            emitRow(by);
    } else if (m_block >= 0) {
        emitRow(m_block);
        m_block = -1;
    }
    return std::move(m_out);
}

} // namespace imaging_detail
