#include "imaging/windowaverage.h"

#include "imaging/pixelmath.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imaging_detail {

namespace {

// Rows of bytes summed into 16-bit sums before these are added into the 32-bit ones.
constexpr int MaxWholeRows = 257;

// Windows of up to this many pixels have their means looked up in a table of every sum a
// window can have (at most 255 x 257 + 1 entries); larger ones are divided.
constexpr std::uint64_t MaxTabledCount = 257;

// The mean of `count` values summing to `sum`, rounded half up to a level, is
// (2 sum + count) / (2 count). Without a table it is taken as a multiplication by the
// reciprocal of 2 count with 48 fraction bits, which rounds every sum of levels exactly
// while 2 count is at most 2^20 (the error stays below one part in 2 count of a level);
// beyond that by a divider.
constexpr int MeanShift = 48;
constexpr std::uint64_t MaxMultipliedCount = std::uint64_t(1) << 19;

std::uint64_t meanReciprocal(std::uint64_t count) {
    const std::uint64_t d = 2 * count;
    return ((std::uint64_t(1) << MeanShift) + d - 1) / d;
}

// The means of one reduced row's windows, by the window's kind: 0 for the windows of the
// narrowest width, 1 for those of one column more.
struct TableMean {
    const std::uint8_t* tables[2];
    std::uint8_t operator()(std::uint32_t sum, int extra) const { return tables[extra][sum]; }
};

struct ReciprocalMean {
    std::uint64_t counts[2];
    std::uint64_t reciprocals[2];
    std::uint8_t operator()(std::uint64_t sum, int extra) const {
        return static_cast<std::uint8_t>(((2 * sum + counts[extra]) * reciprocals[extra]) >>
                                         MeanShift);
    }
};

struct DividerMean {
    std::uint64_t counts[2];
    Divider divides[2];
    std::uint8_t operator()(std::uint64_t sum, int extra) const {
        return static_cast<std::uint8_t>(divides[extra](2 * sum + counts[extra]));
    }
};

// The sum of one channel over a window, wide enough for the window's sums: 8 or 16-bit
// column sums stay within 32 bits over any row of pixels.
template <class Sum>
using WindowTotal = std::conditional_t<(sizeof(Sum) < 4), std::uint32_t, std::uint64_t>;

// One reduced pixel: the window of `columns` source pixels from p on, `step` values apart
// (Columns of them, when known at compile time: not 0), of kind `extra`.
template <int Channels, int Columns, class Sum, class Mean>
inline void windowPixel(const Sum* p, std::size_t step, int columns, int extra, const Mean& mean,
                        std::uint8_t* out) {
    if constexpr (Columns > 0)
        columns = Columns;
    // Each channel's sum in a variable of its own, so that they stay in registers.
    WindowTotal<Sum> s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (int i = 0; i < columns; ++i, p += step) {
        s0 += p[0];
        if constexpr (Channels > 1) {
            s1 += p[1];
            s2 += p[2];
        }
        if constexpr (Channels > 3)
            s3 += p[3];
    }
    out[0] = mean(s0, extra);
    if constexpr (Channels > 1) {
        out[1] = mean(s1, extra);
        out[2] = mean(s2, extra);
    }
    if constexpr (Channels > 3)
        out[3] = mean(s3, extra);
}

// Writes one reduced row: each window of columns summed over `sums` (the column sums of
// the window's rows, `step` values per source pixel) and turned into its mean. The windows
// are `shortest` columns wide (Shortest, when known at compile time: not 0), but for those
// listed in `wide`, one column wider: between two of these lies a run of narrow windows
// taken without looking at their widths.
template <int Channels, int Shortest, class Sum, class Mean>
void windowRow(const Sum* sums, std::size_t step, const std::vector<int>& wide, int width,
               int shortest, const Mean& mean, std::uint8_t* out) {
    static_assert(Channels == 1 || Channels == 3 || Channels == 4);
    if constexpr (Shortest > 0)
        shortest = Shortest;
    // A reduced row of one source row has its bytes for sums, each one a window of a single
    // column's mean: copied.
    constexpr bool Single = Shortest == 1 && std::is_same_v<Sum, std::uint8_t>;
    const bool packed = step == static_cast<std::size_t>(Channels);
    int x = 0;
    const auto run = [&](int end) {
        const auto n = static_cast<std::size_t>(end - x);
        if constexpr (Shortest == 1) {
            // Single columns: each channel's sum mapped straight to its mean.
            if (Single && packed) {
                std::memcpy(out, sums, n * Channels);
            } else if (packed) {
                for (std::size_t i = 0; i < n * Channels; ++i)
                    out[i] = mean(sums[i], 0);
            } else {
                for (std::size_t i = 0; i < n; ++i)
                    for (std::size_t c = 0; c < Channels; ++c)
                        out[i * Channels + c] = Single
                                                    ? static_cast<std::uint8_t>(sums[i * step + c])
                                                    : mean(sums[i * step + c], 0);
            }
            out += n * Channels;
            sums += n * step;
        } else {
            const std::size_t next = step * static_cast<std::size_t>(shortest);
            for (std::size_t i = 0; i < n; ++i, sums += next, out += Channels)
                windowPixel<Channels, Shortest>(sums, step, shortest, 0, mean, out);
        }
        x = end;
    };
    for (const int w : wide) {
        run(w);
        windowPixel<Channels, (Shortest > 0 ? Shortest + 1 : 0)>(sums, step, shortest + 1, 1, mean,
                                                                 out);
        sums += step * static_cast<std::size_t>(shortest + 1);
        out += Channels;
        ++x;
    }
    run(width);
}

// windowRow with the narrowest windows' width known at compile time for the common ones,
// those of a few columns whose means are looked up; windows of many columns, whose means
// are divided, are summed by a loop over their widths.
template <int Channels, class Sum, class Mean>
void reduceRow(const Sum* sums, std::size_t step, const std::vector<int>& wide, int width,
               int shortest, const Mean& mean, std::uint8_t* out) {
    if constexpr (std::is_same_v<Mean, TableMean>) {
        switch (shortest) {
        case 1:
            return windowRow<Channels, 1>(sums, step, wide, width, shortest, mean, out);
        case 2:
            return windowRow<Channels, 2>(sums, step, wide, width, shortest, mean, out);
        case 3:
            return windowRow<Channels, 3>(sums, step, wide, width, shortest, mean, out);
        case 4:
            return windowRow<Channels, 4>(sums, step, wide, width, shortest, mean, out);
        default:
            break;
        }
    }
    windowRow<Channels, 0>(sums, step, wide, width, shortest, mean, out);
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
    const std::vector<int> columns = windowStarts(sourceWidth, width);
    m_rows = windowStarts(sourceHeight, height);
    // Windows along a side are of two lengths at most, one apart.
    const auto shortest = [](const std::vector<int>& starts) {
        int length = starts.back();
        for (std::size_t k = 0; k + 1 < starts.size(); ++k)
            length = std::min(length, starts[k + 1] - starts[k]);
        return length;
    };
    m_shortest = shortest(columns);
    m_shortestRows = shortest(m_rows);
    for (int x = 0; x < width; ++x)
        if (columns[static_cast<std::size_t>(x) + 1] - columns[static_cast<std::size_t>(x)] >
            m_shortest)
            m_wide.push_back(x);
    // The table of the means of every sum, for each size of window small enough.
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) {
            const auto count = static_cast<std::uint32_t>((m_shortestRows + r) * (m_shortest + c));
            if (count > MaxTabledCount)
                continue;
            // (2 sum + count) / (2 count) is v or more from sum = count v - count / 2 on.
            std::vector<std::uint8_t>& table = m_means[r][c];
            table.resize(255 * count + 1);
            auto begin = table.begin();
            for (std::uint32_t v = 0; v < 255; ++v) {
                const auto end = table.begin() + (v + 1) * count - count / 2;
                std::fill(begin, end, static_cast<std::uint8_t>(v));
                begin = end;
            }
            std::fill(begin, table.end(), std::uint8_t(255));
        }
    const std::size_t n = static_cast<std::size_t>(sourceWidth) * static_cast<std::size_t>(step);
    m_bytes.resize(n);
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
        m_sums.resize(m_bytes.size());
    if (m_flushed) {
        for (std::size_t i = 0; i < m_bytes.size(); ++i)
            m_sums[i] += m_bytes[i];
    } else {
        std::copy(m_bytes.begin(), m_bytes.end(), m_sums.begin());
    }
    m_wholeRows = 0;
    m_flushed = true;
}

void WindowAverager::addRow(const std::uint8_t* row) {
    if (!m_ok || m_row >= m_height)
        return;
    const int first = m_rows[static_cast<std::size_t>(m_row)];
    const int end = m_rows[static_cast<std::size_t>(m_row) + 1];
    ++m_sourceRow;
    if (end - first == 1) {
        // A reduced row of one source row: its bytes are the column sums.
        writeRow(row, 1);
        ++m_row;
        return;
    }
    // The first row of the sums (again, after a flush) stores them, so that they never
    // need clearing.
    if (m_wholeRows == 0)
        widenBytesInto<false>(row, m_bytes.data(), m_bytes.size());
    else
        addBytes(row, m_bytes.data(), m_bytes.size());
    ++m_wholeRows;
    if (m_sourceRow == end)
        emitRow(end - first);
    else if (m_wholeRows == MaxWholeRows)
        flushWholeRows();
}

void WindowAverager::emitRow(int rows) {
    if (m_flushed) {
        flushWholeRows();
        writeRow(m_sums.data(), rows);
        m_flushed = false;
    } else {
        writeRow(m_bytes.data(), rows);
    }
    m_wholeRows = 0;
    ++m_row;
}

template <class Sum> void WindowAverager::writeRow(const Sum* sums, int rows) {
    std::uint8_t* out = m_out.scanLine(m_row);
    const auto write = [&](const auto& mean) {
        const auto step = static_cast<std::size_t>(m_step);
        switch (m_channels) {
        case 1:
            reduceRow<1>(sums, step, m_wide, m_width, m_shortest, mean, out);
            break;
        case 3:
            reduceRow<3>(sums, step, m_wide, m_width, m_shortest, mean, out);
            break;
        default:
            reduceRow<4>(sums, step, m_wide, m_width, m_shortest, mean, out);
        }
    };
    // The wider windows' table is there only if the narrower ones' is too.
    const int r = rows - m_shortestRows;
    if (r < 2 && !m_means[r][1].empty()) {
        write(TableMean{{m_means[r][0].data(), m_means[r][1].data()}});
        return;
    }
    const std::uint64_t counts[2] = {
        static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(m_shortest),
        static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(m_shortest + 1)};
    if (counts[1] <= MaxMultipliedCount)
        write(ReciprocalMean{{counts[0], counts[1]},
                             {meanReciprocal(counts[0]), meanReciprocal(counts[1])}});
    else
        write(
            DividerMean{{counts[0], counts[1]}, {Divider(2 * counts[0]), Divider(2 * counts[1])}});
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
