#include "imaging/resize.h"

#include "imaging/pixelmath.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

// Area averaging, in integer units in which a destination pixel is srcW source-widths wide and
// a source pixel w destination-widths wide (srcW, w: source and destination widths; the same
// with srcH, h for rows). Overlaps are then exact integers and the weights of one destination
// pixel add up to srcW * srcH.
//
// The source is read once, row by row. Each row is added, whole, into a full-width row of
// sums for the destination row it falls in (rows lying wholly inside one destination row
// as plain byte sums, the two boundary rows with their weights); when a destination row is
// complete, its columns are summed over their spans. The row additions are contiguous
// loops that the SIMD path below handles 16 bytes at a time.

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The source columns under one destination column: the first with weight firstWeight, then
// `count` whole ones of weight w, then one with weight lastWeight. count < 0 means the
// destination column lies inside a single source column.
struct ColumnSpan {
    std::uint32_t first;
    std::int32_t count;
    std::uint32_t firstWeight;
    std::uint32_t lastWeight;
};

std::vector<ColumnSpan> columnSpans(std::uint64_t srcW, std::uint64_t w) {
    std::vector<ColumnSpan> spans(w);
    for (std::uint64_t dx = 0; dx < w; ++dx) {
        const std::uint64_t lo = dx * srcW, hi = lo + srcW;
        const std::uint64_t first = lo / w, last = (hi - 1) / w;
        ColumnSpan& s = spans[dx];
        s.first = static_cast<std::uint32_t>(first);
        if (first == last) {
            s.count = -1;
            s.firstWeight = static_cast<std::uint32_t>(srcW);
            s.lastWeight = 0;
        } else {
            s.count = static_cast<std::int32_t>(last - first - 1);
            s.firstWeight = static_cast<std::uint32_t>((first + 1) * w - lo);
            s.lastWeight = static_cast<std::uint32_t>(hi - last * w);
        }
    }
    return spans;
}

// sums[i] += bytes[i] * weight.
void addWeighted(const std::uint8_t* bytes, std::uint32_t* sums, std::size_t n,
                 std::uint32_t weight) {
    std::size_t i = 0;
#if defined(__SSE2__)
    if (weight <= 0xFFFF) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i w16 = _mm_set1_epi16(static_cast<short>(static_cast<std::uint16_t>(weight)));
        for (; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            auto* s = reinterpret_cast<__m128i*>(sums + i);
            for (int half = 0; half < 2; ++half) {
                const __m128i x = half ? _mm_unpackhi_epi8(v, zero) : _mm_unpacklo_epi8(v, zero);
                const __m128i lo = _mm_mullo_epi16(x, w16), hi = _mm_mulhi_epu16(x, w16);
                __m128i* t = s + 2 * half;
                _mm_storeu_si128(t, _mm_add_epi32(_mm_loadu_si128(t), _mm_unpacklo_epi16(lo, hi)));
                _mm_storeu_si128(t + 1,
                                 _mm_add_epi32(_mm_loadu_si128(t + 1), _mm_unpackhi_epi16(lo, hi)));
            }
        }
    }
#endif
    for (; i < n; ++i)
        sums[i] += bytes[i] * weight;
}

constexpr int MaxAveragedSide = 1 << 24;
// Source columns of one strip: a source of RowsInOrderWidth columns is one strip.
constexpr std::uint32_t StripColumns = std::uint32_t(RowsInOrderWidth) + 2;

// Where the averaged rows go. Coordinates are relative to the w x h destination picture.
struct RowTarget {
    // The bytes of row y from column x on: pixelBytes 3 gives blue, green, red; 4 adds an
    // alpha byte of 0xFF. Null: the row goes through bitmap->writeRow at (left, top).
    std::function<std::uint8_t*(int y, int x)> rowAt;
    int pixelBytes = 3;
    Bitmap* bitmap = nullptr;
    int left = 0;
    int top = 0;
};

// Averages a srcW x srcH picture, handed over row by row from the top, onto the columns x0 .. x1 -
// 1 and rows y0 .. y1 - 1 of a w x h picture. Each source row holds the source columns
// firstColumn() .. firstColumn() + columns() - 1 as blue, green, red bytes every `step`
// bytes (a fourth byte rides along unused).
class StripAverager {
public:
    StripAverager(int srcW, int srcH, int w, int h, const RowTarget& target,
                  const std::vector<ColumnSpan>& spans, int x0, int x1, int y0, int y1,
                  std::size_t step)
        : m_srcW(srcW), m_srcH(srcH), m_w(w), m_h(h), m_target(target), m_spans(spans), m_x0(x0),
          m_x1(x1), m_y0(y0), m_y1(y1), m_step(step) {
        // Source columns sx0 .. sx1 - 1 feed destination columns x0 .. x1 - 1.
        const ColumnSpan& lastSpan = spans[static_cast<std::size_t>(x1 - 1)];
        m_sx0 = spans[static_cast<std::size_t>(x0)].first;
        const std::uint32_t sx1 = std::min<std::uint32_t>(
            static_cast<std::uint32_t>(srcW),
            lastSpan.first + static_cast<std::uint32_t>(std::max(lastSpan.count, 0)) + 2);
        m_columns = static_cast<int>(sx1 - m_sx0);
        m_n = static_cast<std::size_t>(m_columns) * step;
        m_sums.assign(m_n, 0);
        m_bytes.assign(m_n, 0);
        m_outWords.assign(static_cast<std::size_t>(x1 - x0), 0);
    }

    std::uint32_t firstColumn() const { return m_sx0; }
    int columns() const { return m_columns; }

    // Source row sy (rows come in order from 0); rowOf() gives its bytes, asked only when
    // the row contributes to the rows being made.
    template <class RowOf> void feed(int sy, RowOf&& rowOf) {
        const std::uint64_t uH = static_cast<std::uint64_t>(m_srcH),
                            uh = static_cast<std::uint64_t>(m_h);
        std::uint64_t pos = static_cast<std::uint64_t>(sy) * uh;
        const std::uint64_t end = pos + uh;
        const std::uint8_t* row = nullptr;
        while (pos < end && m_dy < m_h) {
            const std::uint64_t rowEnd = static_cast<std::uint64_t>(m_dy + 1) * uH;
            const std::uint64_t seg = std::min(end, rowEnd) - pos;
            const int y = static_cast<int>(m_dy);
            // Rows feeding only destination rows outside the target are not read.
            if (y >= m_y0 && y < m_y1) {
                if (!row)
                    row = rowOf();
                if (seg == uh) {
                    imaging_detail::addBytes(row, m_bytes.data(), m_n);
                    if (++m_wholeRows == 257)
                        flushWholeRows();
                } else {
                    addWeighted(row, m_sums.data(), m_n, static_cast<std::uint32_t>(seg));
                }
            }
            pos += seg;
            if (pos == rowEnd) {
                if (y >= m_y0 && y < m_y1)
                    emitRow(y);
                ++m_dy;
            }
        }
    }

    bool done() const { return m_dy >= m_h; }

private:
    // Column sums of the destination row being built: whole rows in m_bytes (flushed into
    // m_sums with their weight h), boundary rows straight into m_sums. A sum is at most
    // 255 * srcH, which fits 32 bits for the sides allowed here.
    void flushWholeRows() {
        if (m_wholeRows == 0)
            return;
        const auto weight = static_cast<std::uint32_t>(m_h);
        for (std::size_t i = 0; i < m_n; ++i)
            m_sums[i] += m_bytes[i] * weight;
        std::fill(m_bytes.begin(), m_bytes.end(), 0);
        m_wholeRows = 0;
    }

    // Finishes destination row y: the columns x0 .. x1 - 1, each averaged over its span.
    void emitRow(int y) {
        flushWholeRows();
        const std::uint64_t total = m_total;
        const bool withAlpha = m_target.pixelBytes == 4;
        const std::size_t step = m_step;
        std::uint8_t* out = m_target.rowAt ? m_target.rowAt(y, m_x0) : nullptr;
        for (int x = m_x0; x < m_x1; ++x) {
            const ColumnSpan& s = m_spans[static_cast<std::size_t>(x)];
            std::uint32_t c[3];
            for (std::size_t k = 0; k < 3; ++k) {
                const std::uint32_t* p = m_sums.data() + (s.first - m_sx0) * step + k;
                std::uint64_t sum;
                if (s.count < 0) {
                    sum = std::uint64_t(*p) * s.firstWeight;
                } else {
                    std::uint64_t whole = 0;
                    const std::uint32_t* q = p + step;
                    for (std::int32_t i = 0; i < s.count; ++i, q += step)
                        whole += *q;
                    sum = std::uint64_t(*p) * s.firstWeight +
                          whole * static_cast<std::uint64_t>(m_w) +
                          std::uint64_t(*q) * s.lastWeight;
                }
                c[k] = m_divide(sum + total / 2);
            }
            if (out) {
                *out++ = static_cast<std::uint8_t>(c[0]);
                *out++ = static_cast<std::uint8_t>(c[1]);
                *out++ = static_cast<std::uint8_t>(c[2]);
                if (withAlpha)
                    *out++ = 0xFF;
            } else {
                m_outWords[static_cast<std::size_t>(x - m_x0)] =
                    0xFF000000 | c[2] << 16 | c[1] << 8 | c[0];
            }
        }
        if (!out)
            m_target.bitmap->writeRow(m_target.top + y, m_target.left + m_x0, m_x1 - m_x0,
                                      m_outWords.data());
        std::fill(m_sums.begin(), m_sums.end(), 0);
    }

    int m_srcW, m_srcH, m_w, m_h;
    std::uint64_t m_total = static_cast<std::uint64_t>(m_srcW) * static_cast<std::uint64_t>(m_srcH);
    imaging_detail::Divider m_divide{m_total};
    const RowTarget& m_target;
    const std::vector<ColumnSpan>& m_spans;
    int m_x0, m_x1, m_y0, m_y1;
    std::size_t m_step;
    std::uint32_t m_sx0 = 0;
    int m_columns = 0;
    std::size_t m_n = 0;
    std::vector<std::uint32_t> m_sums;
    std::vector<std::uint16_t> m_bytes;
    std::vector<std::uint32_t> m_outWords;
    int m_wholeRows = 0;
    std::int64_t m_dy = 0;
};

// Averages the rectangle `source` of src onto a w x h picture: its columns x0 .. x1 - 1 and
// rows y0 .. y1 - 1.
void averageStrip(const Bitmap& src, const Rect& source, int w, int h, const RowTarget& target,
                  const std::vector<ColumnSpan>& spans, int x0, int x1, int y0, int y1) {
    // Source rows as blue, green, red bytes every `step` bytes: 24 and 32-bit rows as they
    // are (the alpha byte rides along unused), other formats converted first.
    const PixelFormat sf = src.pixelFormat();
    const bool direct =
        sf == PixelFormat::Bits24 || sf == PixelFormat::Bits32 || sf == PixelFormat::Device;
    const std::size_t step = sf == PixelFormat::Bits24 || !direct ? 3 : 4;
    StripAverager averager(source.width(), source.height(), w, h, target, spans, x0, x1, y0, y1,
                           step);
    const std::uint32_t sx0 = averager.firstColumn();
    const int columns = averager.columns();
    std::vector<std::uint8_t> converted(direct ? 0 : static_cast<std::size_t>(columns) * 3);
    std::vector<std::uint32_t> words(direct ? 0 : static_cast<std::size_t>(columns));
    for (int sy = 0; sy < source.height() && !averager.done(); ++sy)
        averager.feed(sy, [&]() -> const std::uint8_t* {
            if (direct)
                return src.scanLine(source.top + sy) + (source.left + sx0) * step;
            src.readRow(source.top + sy, source.left + static_cast<int>(sx0), columns,
                        words.data());
            for (int x = 0; x < columns; ++x) {
                converted[3 * x] = static_cast<std::uint8_t>(words[x]);
                converted[3 * x + 1] = static_cast<std::uint8_t>(words[x] >> 8);
                converted[3 * x + 2] = static_cast<std::uint8_t>(words[x] >> 16);
            }
            return converted.data();
        });
}

// One destination column or row of an enlargement: it lies across source pixel `index`
// with weight `first` and the next one with weight `second`, in units in which a source
// pixel is as long as the destination side (so that the weights add up to the source side).
struct Tap {
    int index;
    std::uint32_t first;
    std::uint32_t second;
};

Tap tapAt(std::uint64_t d, std::uint64_t srcLen, std::uint64_t len) {
    const std::uint64_t lo = d * srcLen, hi = lo + srcLen;
    const std::uint64_t index = lo / len, last = (hi - 1) / len;
    if (index == last)
        return {static_cast<int>(index), static_cast<std::uint32_t>(srcLen), 0};
    return {static_cast<int>(index), static_cast<std::uint32_t>((index + 1) * len - lo),
            static_cast<std::uint32_t>(hi - last * len)};
}

// The same area average as averageStrip for a destination no smaller than the source on
// either side: each destination pixel is the weighted sum of at most two by two source
// pixels, and a picture enlarged by whole factors repeats its pixels.
void enlarge(const Bitmap& src, const Rect& source, int w, int h, const RowTarget& target, int x0,
             int x1, int y0, int y1) {
    const auto sw = static_cast<std::uint64_t>(source.width()),
               sh = static_cast<std::uint64_t>(source.height());
    const std::size_t columns = static_cast<std::size_t>(x1 - x0);
    std::vector<Tap> taps(columns);
    bool wholeColumns = true;
    for (std::size_t i = 0; i < columns; ++i) {
        taps[i] = tapAt(static_cast<std::uint64_t>(x0) + i, sw, static_cast<std::uint64_t>(w));
        wholeColumns = wholeColumns && taps[i].second == 0;
    }
    // Source rows as blue, green, red bytes every `step` bytes.
    const PixelFormat sf = src.pixelFormat();
    const bool direct =
        sf == PixelFormat::Bits24 || sf == PixelFormat::Bits32 || sf == PixelFormat::Device;
    const std::size_t step = sf == PixelFormat::Bits24 || !direct ? 3 : 4;
    std::vector<std::uint8_t> converted(direct ? 0 : static_cast<std::size_t>(sw) * 3);
    std::vector<std::uint32_t> words(direct ? 0 : static_cast<std::size_t>(sw));
    const auto sourceRow = [&](int sy) -> const std::uint8_t* {
        if (direct)
            return src.scanLine(source.top + sy) + static_cast<std::size_t>(source.left) * step;
        src.readRow(source.top + sy, source.left, static_cast<int>(sw), words.data());
        for (std::size_t x = 0; x < sw; ++x) {
            converted[3 * x] = static_cast<std::uint8_t>(words[x]);
            converted[3 * x + 1] = static_cast<std::uint8_t>(words[x] >> 8);
            converted[3 * x + 2] = static_cast<std::uint8_t>(words[x] >> 16);
        }
        return converted.data();
    };
    // A source row spread over the destination columns, each as the sum of its (at most two)
    // source pixels times their weights; two of them are kept, for the rows a destination
    // row lies across.
    std::vector<std::uint32_t> spread[2] = {std::vector<std::uint32_t>(columns * 3),
                                            std::vector<std::uint32_t>(columns * 3)};
    int spreadRow[2] = {-1, -1};
    const auto spreadOf = [&](int sy) -> const std::uint32_t* {
        for (int k = 0; k < 2; ++k)
            if (spreadRow[k] == sy)
                return spread[k].data();
        const int k = spreadRow[0] == sy - 1 ? 1 : 0;
        const std::uint8_t* row = sourceRow(sy);
        std::uint32_t* out = spread[k].data();
        for (std::size_t i = 0; i < columns; ++i, out += 3) {
            const Tap& t = taps[i];
            const std::uint8_t* p = row + static_cast<std::size_t>(t.index) * step;
            for (int c = 0; c < 3; ++c)
                out[c] = p[c] * t.first + (t.second ? p[step + c] * t.second : 0);
        }
        spreadRow[k] = sy;
        return spread[k].data();
    };
    const imaging_detail::Divider divide(sw * sh);
    const std::uint64_t half = sw * sh / 2;
    const bool withAlpha = target.pixelBytes == 4;
    const std::size_t outBytes = static_cast<std::size_t>(target.pixelBytes);
    std::vector<std::uint8_t> line(columns * outBytes);
    std::vector<std::uint32_t> outWords(target.rowAt ? 0 : columns);
    int lineRow = -1; // the source row `line` repeats, when it repeats one whole
    for (int y = y0; y < y1; ++y) {
        const Tap ty = tapAt(static_cast<std::uint64_t>(y), sh, static_cast<std::uint64_t>(h));
        if (ty.second != 0 || ty.index != lineRow) {
            std::uint8_t* out = line.data();
            if (ty.second == 0 && wholeColumns) {
                // Whole factors: the source pixels as they are.
                const std::uint8_t* row = sourceRow(ty.index);
                for (std::size_t i = 0; i < columns; ++i, out += outBytes) {
                    std::memcpy(out, row + static_cast<std::size_t>(taps[i].index) * step, 3);
                    if (withAlpha)
                        out[3] = 0xFF;
                }
            } else {
                const std::uint32_t* a = spreadOf(ty.index);
                const std::uint32_t* b = ty.second ? spreadOf(ty.index + 1) : nullptr;
                for (std::size_t i = 0; i < columns * 3; i += 3, out += outBytes) {
                    for (int c = 0; c < 3; ++c) {
                        std::uint64_t sum = std::uint64_t(a[i + c]) * ty.first;
                        if (b)
                            sum += std::uint64_t(b[i + c]) * ty.second;
                        out[c] = static_cast<std::uint8_t>(divide(sum + half));
                    }
                    if (withAlpha)
                        out[3] = 0xFF;
                }
            }
            lineRow = ty.second == 0 ? ty.index : -1;
        }
        if (target.rowAt) {
            std::memcpy(target.rowAt(y, x0), line.data(), line.size());
            continue;
        }
        for (std::size_t i = 0; i < columns; ++i) {
            const std::uint8_t* p = line.data() + i * outBytes;
            outWords[i] = 0xFF000000 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
        }
        target.bitmap->writeRow(target.top + y, target.left + x0, x1 - x0, outWords.data());
    }
}

// Averages the rectangle `source` of src onto the destination columns x0 .. x1 - 1 and rows
// y0 .. y1 - 1 of a w x h picture (already clipped), in strips for a very wide source.
void average(const Bitmap& src, const Rect& source, int w, int h, const RowTarget& target, int x0,
             int x1, int y0, int y1) {
    if (w >= source.width() && h >= source.height()) {
        enlarge(src, source, w, h, target, x0, x1, y0, y1);
        return;
    }
    const auto spans =
        columnSpans(static_cast<std::uint64_t>(source.width()), static_cast<std::uint64_t>(w));
    // The row sums take 6 bytes per source sample; a very wide source is averaged in
    // strips of about StripColumns source columns so that they stay small.
    int cx0 = x0;
    while (cx0 < x1) {
        const std::uint32_t first = spans[static_cast<std::size_t>(cx0)].first;
        int cx1 = cx0 + 1;
        while (cx1 < x1) {
            const ColumnSpan& s = spans[static_cast<std::size_t>(cx1)];
            if (s.first + static_cast<std::uint32_t>(std::max(s.count, 0)) + 2 - first >
                StripColumns)
                break;
            ++cx1;
        }
        averageStrip(src, source, w, h, target, spans, cx0, cx1, y0, y1);
        cx0 = cx1;
    }
}

// The rectangle `source` of src as it is, each row to rowAt(y) as blue, green, red bytes
// (pixelBytes 3) or blue, green, red, 0xFF (4): what averaging onto the same size gives.
void copyInto(const Bitmap& src, const Rect& source, int pixelBytes,
              const std::function<std::uint8_t*(int)>& rowAt) {
    const int width = source.width();
    const PixelFormat f = src.pixelFormat();
    const bool grey = f == PixelFormat::Bits8 && isGreyTable(src.colorTable());
    std::uint8_t levels[256] = {};
    if (grey)
        for (std::size_t i = 0; i < src.colorTable().size() && i < 256; ++i)
            levels[i] = static_cast<std::uint8_t>(src.colorTable()[i]);
    std::vector<std::uint32_t> words(static_cast<std::size_t>(width));
    for (int y = 0; y < source.height(); ++y) {
        std::uint8_t* to = rowAt(y);
        const std::uint8_t* from = src.scanLine(source.top + y);
        if (f == PixelFormat::Bits24 && pixelBytes == 3) {
            std::memcpy(to, from + static_cast<std::size_t>(source.left) * 3,
                        static_cast<std::size_t>(width) * 3);
        } else if (f == PixelFormat::Bits24) {
            from += static_cast<std::size_t>(source.left) * 3;
            // Four bytes at a time, the fourth (the next pixel's blue) replaced by 0xFF; the
            // last pixel on its own, so that nothing past the row is read.
            int x = 0;
            for (; std::endian::native == std::endian::little && x + 1 < width;
                 ++x, from += 3, to += 4) {
                std::uint32_t v;
                std::memcpy(&v, from, 4);
                v = (v & 0x00FFFFFFu) | 0xFF000000u;
                std::memcpy(to, &v, 4);
            }
            for (; x < width; ++x, from += 3, to += 4) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
                to[3] = 0xFF;
            }
        } else if (f == PixelFormat::Bits32 || f == PixelFormat::Device) {
            from += static_cast<std::size_t>(source.left) * 4;
            for (int x = 0; x < width; ++x, from += 4, to += pixelBytes) {
                std::memcpy(to, from, 3);
                if (pixelBytes == 4)
                    to[3] = 0xFF;
            }
        } else if (grey) {
            from += source.left;
            for (int x = 0; x < width; ++x, to += pixelBytes) {
                to[0] = to[1] = to[2] = levels[from[x]];
                if (pixelBytes == 4)
                    to[3] = 0xFF;
            }
        } else {
            src.readRow(source.top + y, source.left, width, words.data());
            for (int x = 0; x < width; ++x, to += pixelBytes) {
                const std::uint32_t c = words[static_cast<std::size_t>(x)];
                to[0] = static_cast<std::uint8_t>(c);
                to[1] = static_cast<std::uint8_t>(c >> 8);
                to[2] = static_cast<std::uint8_t>(c >> 16);
                if (pixelBytes == 4)
                    to[3] = 0xFF;
            }
        }
    }
}

bool tooLargeToAverage(int srcW, int srcH, int w, int h) {
    return srcW > MaxAveragedSide || srcH > MaxAveragedSide || w > MaxAveragedSide ||
           h > MaxAveragedSide || srcW / w >= static_cast<int>(StripColumns);
}

} // namespace

void stretchHalftone(const Bitmap& src, Bitmap& dst, const Rect& dest) {
    if (&src == &dst) {
        const Bitmap copy(src);
        stretchHalftone(copy, dst, dest);
        return;
    }
    const int srcW = src.width(), srcH = src.height(), w = dest.width(), h = dest.height();
    if (srcW <= 0 || srcH <= 0 || w <= 0 || h <= 0)
        return;
    // Beyond these sizes (only reached by absurd proportions) pixels are picked instead.
    if (tooLargeToAverage(srcW, srcH, w, h)) {
        stretchPick(src, Rect{0, 0, srcW, srcH}, dst, dest);
        return;
    }
    const int x0 = std::max(dest.left, 0), x1 = std::min(dest.right, dst.width());
    const int y0 = std::max(dest.top, 0), y1 = std::min(dest.bottom, dst.height());
    if (x0 >= x1 || y0 >= y1)
        return;
    RowTarget target;
    target.bitmap = &dst;
    target.left = dest.left;
    target.top = dest.top;
    const PixelFormat f = dst.pixelFormat();
    if (f == PixelFormat::Bits24 || f == PixelFormat::Bits32 || f == PixelFormat::Device) {
        target.pixelBytes = f == PixelFormat::Bits24 ? 3 : 4;
        target.rowAt = [&dst, &dest, &target](int y, int x) {
            return dst.scanLine(dest.top + y) +
                   static_cast<std::size_t>(dest.left + x) * target.pixelBytes;
        };
    }
    average(src, Rect{0, 0, srcW, srcH}, w, h, target, x0 - dest.left, x1 - dest.left,
            y0 - dest.top, y1 - dest.top);
}

void stretchHalftoneInto(const Bitmap& src, const Rect& source, int width, int height,
                         int pixelBytes, const std::function<std::uint8_t*(int)>& rowAt) {
    const Rect area{0, 0, src.width(), src.height()};
    if (source.width() <= 0 || source.height() <= 0 || width <= 0 || height <= 0 ||
        source.left < area.left || source.top < area.top || source.right > area.right ||
        source.bottom > area.bottom)
        return;
    RowTarget target;
    target.pixelBytes = pixelBytes == 4 ? 4 : 3;
    if (source.width() == width && source.height() == height) {
        copyInto(src, source, target.pixelBytes, rowAt);
        return;
    }
    if (tooLargeToAverage(source.width(), source.height(), width, height)) {
        // Absurd proportions: picked, through a bitmap of the result.
        Bitmap picked;
        picked.createUninitialized(width, height, PixelFormat::Bits24);
        stretchPick(src, source, picked, Rect{0, 0, width, height});
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* from = picked.scanLine(y);
            std::uint8_t* to = rowAt(y);
            for (int x = 0; x < width; ++x, from += 3, to += target.pixelBytes) {
                std::memcpy(to, from, 3);
                if (target.pixelBytes == 4)
                    to[3] = 0xFF;
            }
        }
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(target.pixelBytes);
    target.rowAt = [&rowAt, bytes](int y, int x) {
        return rowAt(y) + static_cast<std::size_t>(x) * bytes;
    };
    average(src, source, width, height, target, 0, width, 0, height);
}

void stretchPick(const Bitmap& src, const Rect& source, Bitmap& dst, const Rect& dest) {
    const int sw = source.width(), sh = source.height(), w = dest.width(), h = dest.height();
    if (src.empty() || sw <= 0 || sh <= 0 || w <= 0 || h <= 0)
        return;
    const int x0 = std::max(dest.left, 0), x1 = std::min(dest.right, dst.width());
    const int y0 = std::max(dest.top, 0), y1 = std::min(dest.bottom, dst.height());
    if (x0 >= x1 || y0 >= y1)
        return;
    // The source pixel under the centre of each destination pixel, kept inside src.
    auto pick = [](int d, int srcStart, int srcLen, int dstLen, int limit) {
        const std::int64_t s =
            srcStart + (static_cast<std::int64_t>(2 * static_cast<std::int64_t>(d) + 1) * srcLen) /
                           (2 * static_cast<std::int64_t>(dstLen));
        return static_cast<int>(std::clamp<std::int64_t>(s, 0, limit - 1));
    };
    std::vector<int> columns(static_cast<std::size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x)
        columns[static_cast<std::size_t>(x - x0)] =
            pick(x - dest.left, source.left, sw, w, src.width());
    const auto [minColumn, maxColumn] = std::minmax_element(columns.begin(), columns.end());
    const int first = *minColumn, count = *maxColumn - first + 1;
    // A narrow target of a very wide source reads only the pixels it picks.
    const bool sparse = count > 4 * static_cast<int>(columns.size());
    std::vector<std::uint32_t> row(sparse ? columns.size() : static_cast<std::size_t>(count));
    std::vector<std::uint32_t> out(columns.size());
    const bool opaque = dst.bitsPerPixel() == 32 && src.bitsPerPixel() != 32;
    // Picking within one bitmap reads from a copy so that no pixel is read after it changed.
    Bitmap snapshot;
    const Bitmap* from = &src;
    if (&src == &dst) {
        snapshot = src;
        from = &snapshot;
    }
    int lastRow = -1;
    for (int y = y0; y < y1; ++y) {
        const int sy = pick(y - dest.top, source.top, sh, h, src.height());
        if (sy != lastRow) {
            if (sparse)
                for (std::size_t i = 0; i < columns.size(); ++i)
                    from->readRow(sy, columns[i], 1, &row[i]);
            else
                from->readRow(sy, first, count, row.data());
            lastRow = sy;
        }
        for (std::size_t i = 0; i < columns.size(); ++i)
            out[i] = row[sparse ? i : static_cast<std::size_t>(columns[i] - first)] |
                     (opaque ? 0xFF000000 : 0);
        dst.writeRow(y, x0, x1 - x0, out.data());
    }
}

void myResizeBitmap(const Bitmap& sourceBitmap, Bitmap& destBitmap) {
    stretchHalftone(sourceBitmap, destBitmap, Rect{0, 0, destBitmap.width(), destBitmap.height()});
}

void pickResizeBitmap(const Bitmap& sourceBitmap, Bitmap& destBitmap) {
    stretchPick(sourceBitmap, Rect{0, 0, sourceBitmap.width(), sourceBitmap.height()}, destBitmap,
                Rect{0, 0, destBitmap.width(), destBitmap.height()});
}

Rect coverCrop(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    int x = 0, y = 0, w = pictureWidth, h = pictureHeight;
    if (pictureWidth > 0 && pictureHeight > 0 && areaWidth > 0 && areaHeight > 0) {
        const std::int64_t pw = pictureWidth, ph = pictureHeight, aw = areaWidth, ah = areaHeight;
        if (pw * ah > ph * aw) {
            // Wider than the area: every row, the middle columns.
            w = int(std::clamp<std::int64_t>((2 * ph * aw + ah) / (2 * ah), 1, pw));
            x = (pictureWidth - w) / 2;
        } else if (pw * ah < ph * aw) {
            h = int(std::clamp<std::int64_t>((2 * pw * ah + aw) / (2 * aw), 1, ph));
            y = (pictureHeight - h) / 2;
        }
    }
    return {x, y, x + w, y + h};
}

struct RowAverager::Impl {
    RowTarget target;
    std::vector<ColumnSpan> spans;
    std::optional<StripAverager> strip;
    std::size_t step = 3;
    int row = 0;
};

RowAverager::RowAverager(int sourceWidth, int sourceHeight, int pixelBytes, Bitmap& dest)
    : m_impl(std::make_unique<Impl>()) {
    const int srcW = sourceWidth, srcH = sourceHeight, w = dest.width(), h = dest.height();
    if (srcW <= 0 || srcH <= 0 || w <= 0 || h <= 0 || tooLargeToAverage(srcW, srcH, w, h))
        return;
    Impl& d = *m_impl;
    d.spans = columnSpans(static_cast<std::uint64_t>(srcW), static_cast<std::uint64_t>(w));
    const ColumnSpan& last = d.spans.back();
    if (last.first + static_cast<std::uint32_t>(std::max(last.count, 0)) + 2 > StripColumns)
        return; // would need several strips over the whole picture
    d.step = pixelBytes == 4 ? 4 : 3;
    d.target.bitmap = &dest;
    const PixelFormat f = dest.pixelFormat();
    if (f == PixelFormat::Bits24 || f == PixelFormat::Bits32 || f == PixelFormat::Device) {
        d.target.pixelBytes = f == PixelFormat::Bits24 ? 3 : 4;
        const std::size_t bytes = static_cast<std::size_t>(d.target.pixelBytes);
        d.target.rowAt = [&dest, bytes](int y, int x) {
            return dest.scanLine(y) + static_cast<std::size_t>(x) * bytes;
        };
    }
    d.strip.emplace(srcW, srcH, w, h, d.target, d.spans, 0, w, 0, h, d.step);
}

RowAverager::~RowAverager() = default;

bool RowAverager::ok() const {
    return m_impl->strip.has_value();
}

void RowAverager::addRow(const std::uint8_t* row) {
    Impl& d = *m_impl;
    if (!d.strip)
        return;
    const std::size_t offset = static_cast<std::size_t>(d.strip->firstColumn()) * d.step;
    d.strip->feed(d.row++, [row, offset] { return row + offset; });
}
