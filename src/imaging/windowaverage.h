// Box reduction to any smaller size, for pictures shown on the screen: each reduced pixel is
// the mean of the source pixels whose centres lie in its area, so that every source pixel
// counts once, wholly, in one reduced pixel.
#pragma once

#include "imaging/bitmap.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace imaging_detail {

/// Where each window begins along a side of `sourceLength` pixels reduced to `length`
/// (1 <= length <= sourceLength): length + 1 entries, the first 0 and the last
/// sourceLength. Source pixel i falls in window k when starts[k] <= i < starts[k + 1], that
/// is when its centre lies in the reduced pixel's span (a centre on the boundary of two
/// spans goes to the first).
std::vector<int> windowStarts(int sourceLength, int length);

/// Reduces a picture handed over row by row, top row first, to width x height (neither
/// larger than the source's side). Source pixels are `step` bytes of which the first
/// `channels` are averaged: 1 (a grey level), 3 (blue, green, red) or 4 (blue, green, red,
/// alpha, premultiplied or not: the four are averaged alike). The result is 8 bits with the
/// grey table, 24 bits or 32 bits (its alpha mode left to the caller).
class WindowAverager {
public:
    WindowAverager(int sourceWidth, int sourceHeight, int width, int height, int channels,
                   int step);

    /// False for sizes it does not reduce (a side that would grow, an empty side, a channel
    /// count it does not know); addRow then does nothing.
    bool ok() const { return m_ok; }
    void addRow(const std::uint8_t* row);
    /// The reduced picture, once every row has come; the averager is spent.
    Bitmap finish();

private:
    void flushWholeRows();
    void emitRow(int rows);
    // Writes the reduced row of `rows` source rows from the column sums of those rows.
    template <class Sum> void writeRow(const Sum* sums, int rows);

    int m_width, m_height, m_channels, m_step;
    bool m_ok = false;
    std::vector<int> m_rows; // where each window of rows begins, then the height
    int m_shortest = 1;      // columns of the narrowest window; the others have one more
    int m_shortestRows = 1;  // rows of the shallowest window; the others have one more
    std::vector<int> m_wide; // the windows of m_shortest + 1 columns
    // The means of every sum of a window, by its rows and columns beyond the shortest;
    // empty for windows too large.
    std::vector<std::uint8_t> m_means[2][2];
    // Column sums of the reduced row being built from two source rows or more: up to 257
    // rows as 16-bit sums, added into the 32-bit ones when more rows make one reduced row.
    std::vector<std::uint16_t> m_bytes;
    std::vector<std::uint32_t> m_sums;
    int m_wholeRows = 0;
    bool m_flushed = false;
    int m_sourceRow = 0;
    int m_row = 0; // reduced row being built
    Bitmap m_out;
};

/// The whole of src (8 bits with a grey table, 24 or 32 bits) reduced with WindowAverager
/// to width x height; nullopt for other formats and sizes it does not reduce. A 32-bit
/// result keeps src's alpha mode.
std::optional<Bitmap> windowAverage(const Bitmap& src, int width, int height);

} // namespace imaging_detail
