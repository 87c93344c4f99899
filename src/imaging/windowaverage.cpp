#include "imaging/windowaverage.h"

#include "imaging/pixelmath.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imaging_detail {

namespace {

// Rows of bytes summed into 16-bit sums before these are added into the 32-bit ones.
constexpr int MaxWholeRows = 257;

// The mean of `count` values summing to `sum`, rounded half up to a level, is
// (2 sum + count) / (2 count). It is taken as a multiplication by the reciprocal of 2 count
// with 48 fraction bits, which rounds every sum of levels exactly while 2 count is at most
// 2^20 (the error stays below one part in 2 count of a level); beyond that by a divider.
constexpr int MeanShift = 48;
constexpr std::uint64_t MaxMultipliedCount = std::uint64_t(1) << 19;

std::uint64_t meanReciprocal(std::uint64_t count) {
    const std::uint64_t d = 2 * count;
    return ((std::uint64_t(1) << MeanShift) + d - 1) / d;
}

// Writes one reduced row: each window of columns summed over `sums` (the column sums of
// the window's rows, `step` values per source pixel) and divided by its pixel count,
// counts[0] for the windows of `shortest` columns, counts[1] for those of one more.
// `divide` turns (2 sum + count) and the window's kind (0 or 1) into the mean.
template <int Channels, class Sum, class Divide>
void windowRow(const Sum* sums, std::size_t step, const int* starts, int width, int shortest,
               const std::uint64_t counts[2], const Divide& divide, std::uint8_t* out) {
    static_assert(Channels == 1 || Channels == 3 || Channels == 4);
    const Sum* p = sums;
    for (int x = 0; x < width; ++x, out += Channels) {
        const int extra = starts[x + 1] - starts[x] - shortest;
        // Each channel's sum in a variable of its own, so that they stay in registers: the
        // narrowest windows' columns, then the one more of a wider window.
        std::uint64_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        const auto add = [&] {
            s0 += p[0];
            if constexpr (Channels > 1) {
                s1 += p[1];
                s2 += p[2];
            }
            if constexpr (Channels > 3)
                s3 += p[3];
            p += step;
        };
        for (int i = 0; i < shortest; ++i)
            add();
        if (extra)
            add();
        const std::uint64_t count = counts[extra];
        out[0] = static_cast<std::uint8_t>(divide(2 * s0 + count, extra));
        if constexpr (Channels > 1) {
            out[1] = static_cast<std::uint8_t>(divide(2 * s1 + count, extra));
            out[2] = static_cast<std::uint8_t>(divide(2 * s2 + count, extra));
        }
        if constexpr (Channels > 3)
            out[3] = static_cast<std::uint8_t>(divide(2 * s3 + count, extra));
    }
}

template <int Channels, class Sum>
void windowRow(const Sum* sums, int step, const std::vector<int>& columns, int width,
               std::uint64_t rows, int shortest, std::uint8_t* out) {
    const std::uint64_t counts[2] = {rows * static_cast<std::uint64_t>(shortest),
                                     rows * static_cast<std::uint64_t>(shortest + 1)};
    const std::size_t stride = static_cast<std::size_t>(step);
    if (counts[1] <= MaxMultipliedCount) {
        const std::uint64_t reciprocals[2] = {meanReciprocal(counts[0]), meanReciprocal(counts[1])};
        windowRow<Channels>(
            sums, stride, columns.data(), width, shortest, counts,
            [&](std::uint64_t n, int extra) { return (n * reciprocals[extra]) >> MeanShift; }, out);
        return;
    }
    const Divider divides[2] = {Divider(2 * counts[0]), Divider(2 * counts[1])};
    windowRow<Channels>(
        sums, stride, columns.data(), width, shortest, counts,
        [&](std::uint64_t n, int extra) { return std::uint64_t(divides[extra](n)); }, out);
}

} // namespace

std::vector<int> windowStarts(int sourceLength, int length) {
    std::vector<int> starts(static_cast<std::size_t>(std::max(length, 0)) + 1, 0);
    if (length <= 0)
        return starts;
    // floor(k * sourceLength / length + 1/2): the first source pixel whose centre lies
    // after the start of reduced pixel k.
    const std::uint64_t n = static_cast<std::uint64_t>(sourceLength),
                        d = static_cast<std::uint64_t>(length);
    for (std::uint64_t k = 0; k <= d; ++k)
        starts[k] = static_cast<int>((2 * k * n + d) / (2 * d));
    starts.back() = sourceLength;
    return starts;
}

WindowAverager::WindowAverager(int sourceWidth, int sourceHeight, int width, int height,
                               int channels, int step)
    : m_width(width), m_height(height), m_channels(channels), m_step(step) {
    m_ok = width > 0 && height > 0 && width <= sourceWidth && height <= sourceHeight &&
           (channels == 1 || channels == 3 || channels == 4) && step >= channels && step <= 4;
    if (!m_ok)
        return;
    m_columns = windowStarts(sourceWidth, width);
    m_rows = windowStarts(sourceHeight, height);
    m_shortest = sourceWidth;
    for (std::size_t x = 0; x + 1 < m_columns.size(); ++x)
        m_shortest = std::min(m_shortest, m_columns[x + 1] - m_columns[x]);
    const std::size_t n = static_cast<std::size_t>(sourceWidth) * static_cast<std::size_t>(step);
    m_bytes.assign(n, 0);
    m_out.createUninitialized(width, height,
                              channels == 1   ? PixelFormat::Bits8
                              : channels == 3 ? PixelFormat::Bits24
                                              : PixelFormat::Bits32);
    if (channels == 1)
        m_out.setColorTable(greyColorTable());
}

void WindowAverager::flushWholeRows() {
    if (m_wholeRows == 0)
        return;
    if (m_sums.empty())
        m_sums.assign(m_bytes.size(), 0);
    for (std::size_t i = 0; i < m_bytes.size(); ++i)
        m_sums[i] += m_bytes[i];
    std::fill(m_bytes.begin(), m_bytes.end(), 0);
    m_wholeRows = 0;
    m_flushed = true;
}

void WindowAverager::addRow(const std::uint8_t* row) {
    if (!m_ok || m_row >= m_height)
        return;
    imaging_detail::addBytes(row, m_bytes.data(), m_bytes.size());
    ++m_wholeRows;
    ++m_sourceRow;
    if (m_sourceRow == m_rows[static_cast<std::size_t>(m_row) + 1])
        emitRow();
    else if (m_wholeRows == MaxWholeRows)
        flushWholeRows();
}

void WindowAverager::emitRow() {
    const auto rows = static_cast<std::uint64_t>(m_rows[static_cast<std::size_t>(m_row) + 1] -
                                                 m_rows[static_cast<std::size_t>(m_row)]);
    std::uint8_t* out = m_out.scanLine(m_row);
    const auto write = [&](const auto* sums) {
        switch (m_channels) {
        case 1:
            windowRow<1>(sums, m_step, m_columns, m_width, rows, m_shortest, out);
            break;
        case 3:
            windowRow<3>(sums, m_step, m_columns, m_width, rows, m_shortest, out);
            break;
        default:
            windowRow<4>(sums, m_step, m_columns, m_width, rows, m_shortest, out);
        }
    };
    if (m_flushed) {
        flushWholeRows();
        write(m_sums.data());
        std::fill(m_sums.begin(), m_sums.end(), 0);
        m_flushed = false;
    } else {
        write(m_bytes.data());
    }
    std::fill(m_bytes.begin(), m_bytes.end(), 0);
    m_wholeRows = 0;
    ++m_row;
}

Bitmap WindowAverager::finish() {
    // Rows that never came leave their reduced rows as they were allocated: a decoder
    // hands over every row or fails.
    return std::move(m_out);
}

std::optional<Bitmap> windowAverage(const Bitmap& src, int width, int height) {
    const PixelFormat f = src.pixelFormat();
    int channels = 0, step = 0;
    if (f == PixelFormat::Bits24) {
        channels = step = 3;
    } else if (f == PixelFormat::Bits32 || f == PixelFormat::Device) {
        channels = step = 4;
    } else if (f == PixelFormat::Bits8 && isGreyTable(src.colorTable())) {
        channels = step = 1;
    } else {
        return std::nullopt;
    }
    WindowAverager averager(src.width(), src.height(), width, height, channels, step);
    if (!averager.ok())
        return std::nullopt;
    // Grey pictures are averaged by level: indexes are mapped through the table first,
    // unless it is the table of every level.
    const std::vector<std::uint32_t>& table = src.colorTable();
    const bool levels = channels == 1 && table != greyColorTable();
    std::vector<std::uint8_t> grey(levels ? static_cast<std::size_t>(src.width()) : 0);
    for (int y = 0; y < src.height(); ++y) {
        const std::uint8_t* row = src.scanLine(y);
        if (levels) {
            for (int x = 0; x < src.width(); ++x)
                grey[static_cast<std::size_t>(x)] =
                    row[x] < table.size() ? static_cast<std::uint8_t>(table[row[x]]) : 0;
            row = grey.data();
        }
        averager.addRow(row);
    }
    Bitmap out = averager.finish();
    if (channels == 4)
        out.setAlphaMode(src.alphaMode());
    out.setBrushColor(src.brushColor());
    return out;
}

} // namespace imaging_detail
