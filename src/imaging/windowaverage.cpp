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

// sums[i] += bytes[i].
void addBytes(const std::uint8_t* bytes, std::uint16_t* sums, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        auto* s = reinterpret_cast<__m128i*>(sums + i);
        _mm_storeu_si128(s, _mm_add_epi16(_mm_loadu_si128(s), _mm_unpacklo_epi8(v, zero)));
        _mm_storeu_si128(s + 1, _mm_add_epi16(_mm_loadu_si128(s + 1), _mm_unpackhi_epi8(v, zero)));
    }
#endif
    for (; i < n; ++i)
        sums[i] = static_cast<std::uint16_t>(sums[i] + bytes[i]);
}

// The mean of `count` values summing to `sum`, rounded half up to a level.
class Mean {
public:
    void setCount(std::uint64_t n) {
        if (n != m_count) {
            m_count = n;
            m_divide = Divider(2 * n);
        }
    }
    std::uint8_t operator()(std::uint64_t sum) const {
        return static_cast<std::uint8_t>(m_divide(2 * sum + m_count));
    }

private:
    std::uint64_t m_count = 0;
    Divider m_divide{1};
};

// Writes one reduced row: each window of columns summed over `sums` (the column sums of
// the window's rows, `step` values per source pixel) and divided by its pixel count.
template <int Channels, class Sum>
void windowRow(const Sum* sums, int step, const std::vector<int>& columns, int width,
               std::uint64_t rows, std::uint8_t* out) {
    Mean mean;
    for (int x = 0; x < width; ++x) {
        const int first = columns[static_cast<std::size_t>(x)];
        const int end = columns[static_cast<std::size_t>(x) + 1];
        std::uint64_t s[Channels] = {};
        const Sum* p = sums + static_cast<std::size_t>(first) * static_cast<std::size_t>(step);
        for (int sx = first; sx < end; ++sx, p += step)
            for (int k = 0; k < Channels; ++k)
                s[k] += p[k];
        mean.setCount(rows * static_cast<std::uint64_t>(end - first));
        for (int k = 0; k < Channels; ++k)
            *out++ = mean(s[k]);
    }
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
    : m_sourceWidth(sourceWidth), m_sourceHeight(sourceHeight), m_width(width), m_height(height),
      m_channels(channels), m_step(step) {
    m_ok = width > 0 && height > 0 && width <= sourceWidth && height <= sourceHeight &&
           (channels == 1 || channels == 3 || channels == 4) && step >= channels && step <= 4;
    if (!m_ok)
        return;
    m_columns = windowStarts(sourceWidth, width);
    m_rows = windowStarts(sourceHeight, height);
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
    addBytes(row, m_bytes.data(), m_bytes.size());
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
            windowRow<1>(sums, m_step, m_columns, m_width, rows, out);
            break;
        case 3:
            windowRow<3>(sums, m_step, m_columns, m_width, rows, out);
            break;
        default:
            windowRow<4>(sums, m_step, m_columns, m_width, rows, out);
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
