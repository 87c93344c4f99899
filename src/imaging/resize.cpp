#include "imaging/resize.h"

#include <algorithm>
#include <cstring>
#include <vector>

// Area averaging, in integer units in which a destination pixel is W source-widths wide and
// a source pixel w destination-widths wide (W, w: source and destination widths; the same
// with H, h for rows). Overlaps are then exact integers and the weights of one destination
// pixel add up to W * H. The source is read once, row by row, left to right.

namespace {

// The source pixels under one destination column: the first one with weight firstWeight,
// then `count` whole pixels of weight w, then one with weight lastWeight. count < 0 means
// the destination column lies inside a single source pixel.
struct ColumnSpan {
    std::uint32_t first;
    std::int32_t count;
    std::uint32_t firstWeight;
    std::uint32_t lastWeight;
};

std::vector<ColumnSpan> Spans(std::uint64_t W, std::uint64_t w) {
    std::vector<ColumnSpan> spans(w);
    for (std::uint64_t dx = 0; dx < w; ++dx) {
        const std::uint64_t lo = dx * W, hi = lo + W;
        const std::uint64_t first = lo / w, last = (hi - 1) / w;
        ColumnSpan& s = spans[dx];
        s.first = static_cast<std::uint32_t>(first);
        if (first == last) {
            s.count = -1;
            s.firstWeight = static_cast<std::uint32_t>(W);
            s.lastWeight = 0;
        } else {
            s.count = static_cast<std::int32_t>(last - first - 1);
            s.firstWeight = static_cast<std::uint32_t>((first + 1) * w - lo);
            s.lastWeight = static_cast<std::uint32_t>(hi - last * w);
        }
    }
    return spans;
}

// Weighted sums of one source row (blue, green, red bytes every Step bytes) per destination
// column. Each sum is at most 255 * W, which fits 32 bits for the widths allowed here.
template <int Step>
void SumRow(const std::uint8_t* row, const std::vector<ColumnSpan>& spans, std::uint32_t w,
            std::uint32_t* out) {
    for (const ColumnSpan& s : spans) {
        const std::uint8_t* p = row + static_cast<std::size_t>(s.first) * Step;
        if (s.count < 0) {
            out[0] = p[0] * s.firstWeight;
            out[1] = p[1] * s.firstWeight;
            out[2] = p[2] * s.firstWeight;
        } else {
            std::uint32_t b = 0, g = 0, r = 0;
            const std::uint8_t* q = p + Step;
            for (std::int32_t i = 0; i < s.count; ++i, q += Step) {
                b += q[0];
                g += q[1];
                r += q[2];
            }
            out[0] = p[0] * s.firstWeight + b * w + q[0] * s.lastWeight;
            out[1] = p[1] * s.firstWeight + g * w + q[1] * s.lastWeight;
            out[2] = p[2] * s.firstWeight + r * w + q[2] * s.lastWeight;
        }
        out += 3;
    }
}

constexpr int kMaxAveragedWidth = 1 << 24;

} // namespace

void StretchHalftone(const Bitmap& src, Bitmap& dst, const Rect& dest) {
    if (&src == &dst) {
        const Bitmap copy(src);
        StretchHalftone(copy, dst, dest);
        return;
    }
    const int W = src.width(), H = src.height(), w = dest.width(), h = dest.height();
    if (W <= 0 || H <= 0 || w <= 0 || h <= 0)
        return;
    if (W > kMaxAveragedWidth || w > kMaxAveragedWidth) {
        StretchPick(src, Rect{0, 0, W, H}, dst, dest);
        return;
    }
    const int x0 = std::max(dest.left, 0), x1 = std::min(dest.right, dst.width());
    const int y0 = std::max(dest.top, 0), y1 = std::min(dest.bottom, dst.height());
    if (x0 >= x1 || y0 >= y1)
        return;

    const auto spans = Spans(static_cast<std::uint64_t>(W), static_cast<std::uint64_t>(w));
    const std::size_t n = static_cast<std::size_t>(w) * 3;
    std::vector<std::uint32_t> sums(n);
    std::vector<std::uint64_t> acc(n, 0);
    std::vector<std::uint8_t> bgr; // source rows of formats other than 24 and 32 bits
    std::vector<std::uint32_t> words;
    const PixelFormat sf = src.pixelFormat();
    const bool direct =
        sf == PixelFormat::Bits24 || sf == PixelFormat::Bits32 || sf == PixelFormat::Device;
    if (!direct) {
        bgr.resize(static_cast<std::size_t>(W) * 3);
        words.resize(static_cast<std::size_t>(W));
    }
    const bool dst24 = dst.pixelFormat() == PixelFormat::Bits24;
    std::vector<std::uint32_t> outWords(dst24 ? 0 : static_cast<std::size_t>(x1 - x0));

    const std::uint64_t total = static_cast<std::uint64_t>(W) * static_cast<std::uint64_t>(H);
    const std::uint64_t uH = static_cast<std::uint64_t>(H), uh = static_cast<std::uint64_t>(h);
    std::int64_t dy = 0;
    for (int sy = 0; sy < H && dy < h; ++sy) {
        std::uint64_t pos = static_cast<std::uint64_t>(sy) * uh;
        const std::uint64_t end = pos + uh;
        // Source rows feeding only destination rows outside the target are skipped.
        const std::int64_t lastDy = static_cast<std::int64_t>((end - 1) / uH);
        const bool needed = dest.top + lastDy >= y0 && dest.top + dy < y1;
        if (needed) {
            if (sf == PixelFormat::Bits24) {
                SumRow<3>(src.scanLine(sy), spans, static_cast<std::uint32_t>(w), sums.data());
            } else if (direct) {
                SumRow<4>(src.scanLine(sy), spans, static_cast<std::uint32_t>(w), sums.data());
            } else {
                src.readRow(sy, 0, W, words.data());
                for (int x = 0; x < W; ++x) {
                    bgr[3 * x] = static_cast<std::uint8_t>(words[x]);
                    bgr[3 * x + 1] = static_cast<std::uint8_t>(words[x] >> 8);
                    bgr[3 * x + 2] = static_cast<std::uint8_t>(words[x] >> 16);
                }
                SumRow<3>(bgr.data(), spans, static_cast<std::uint32_t>(w), sums.data());
            }
        }
        while (pos < end) {
            const std::uint64_t rowEnd = static_cast<std::uint64_t>(dy + 1) * uH;
            const std::uint64_t seg = std::min(end, rowEnd) - pos;
            if (needed)
                for (std::size_t i = 0; i < n; ++i)
                    acc[i] += static_cast<std::uint64_t>(sums[i]) * seg;
            pos += seg;
            if (pos != rowEnd)
                continue;
            const int y = dest.top + static_cast<int>(dy);
            if (y >= y0 && y < y1) {
                if (dst24) {
                    std::uint8_t* out = dst.scanLine(y) + static_cast<std::size_t>(x0) * 3;
                    for (std::size_t i = static_cast<std::size_t>(x0 - dest.left) * 3,
                                     e = static_cast<std::size_t>(x1 - dest.left) * 3;
                         i < e; ++i)
                        *out++ = static_cast<std::uint8_t>((acc[i] + total / 2) / total);
                } else {
                    for (int x = x0; x < x1; ++x) {
                        const std::uint64_t* a = &acc[static_cast<std::size_t>(x - dest.left) * 3];
                        const auto b = static_cast<std::uint32_t>((a[0] + total / 2) / total);
                        const auto g = static_cast<std::uint32_t>((a[1] + total / 2) / total);
                        const auto r = static_cast<std::uint32_t>((a[2] + total / 2) / total);
                        outWords[static_cast<std::size_t>(x - x0)] =
                            0xFF000000 | r << 16 | g << 8 | b;
                    }
                    dst.writeRow(y, x0, x1 - x0, outWords.data());
                }
            }
            std::fill(acc.begin(), acc.end(), 0);
            ++dy;
            if (dy >= h)
                break;
        }
    }
}

void StretchPick(const Bitmap& src, const Rect& source, Bitmap& dst, const Rect& dest) {
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

void MyResizeBitmap(const Bitmap& SourceBitmap, Bitmap& DestBitmap) {
    StretchHalftone(SourceBitmap, DestBitmap, Rect{0, 0, DestBitmap.width(), DestBitmap.height()});
}

void PickResizeBitmap(const Bitmap& SourceBitmap, Bitmap& DestBitmap) {
    StretchPick(SourceBitmap, Rect{0, 0, SourceBitmap.width(), SourceBitmap.height()}, DestBitmap,
                Rect{0, 0, DestBitmap.width(), DestBitmap.height()});
}
