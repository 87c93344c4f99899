// Photograph-like test pictures for the benchmarks, generated on first use.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

// Photograph-like rows: smooth light and colour fields, edges, and sensor grain.
class PhotoRows {
public:
    PhotoRows(int width, int height) : m_width(width), m_height(height), m_sx(width), m_cx(width) {
        for (int x = 0; x < width; ++x) {
            m_sx[x] = std::sin(x * 6.0 / width);
            m_cx[x] = std::cos(x * 17.0 / width);
        }
    }
    void row(int y, std::uint8_t* rgba, int channels) {
        const double sy = std::sin(y * 5.0 / m_height), cy = std::cos(y * 11.0 / m_height);
        const double v = double(y) / m_height;
        for (int x = 0; x < m_width; ++x) {
            m_seed ^= m_seed << 13;
            m_seed ^= m_seed >> 17;
            m_seed ^= m_seed << 5;
            const int grain = static_cast<int>(m_seed % 29) - 14;
            const double u = double(x) / m_width;
            double r = 110 + 80 * m_sx[x] * sy + 40 * u;
            double g = 120 + 70 * m_cx[x] * cy - 30 * v;
            double b = 150 + 60 * m_sx[x] * cy + 50 * v;
            if ((u - 0.6) * (u - 0.6) + (v - 0.4) * (v - 0.4) < 0.04) // a bright disc
                r += 60, g += 50, b -= 40;
            if (u + v < 0.5) // a dark foreground edge
                r *= 0.4, g *= 0.5, b *= 0.45;
            const double c[4] = {r + grain, g + grain, b + grain, 255 * (0.5 + 0.5 * m_sx[x] * sy)};
            for (int k = 0; k < channels; ++k)
                rgba[x * channels + k] =
                    static_cast<std::uint8_t>(std::clamp(c[channels == 1 ? 1 : k], 0.0, 255.0));
        }
    }

private:
    int m_width, m_height;
    std::vector<double> m_sx, m_cx;
    std::uint32_t m_seed = 2463534242u;
};

// A JPEG of quality 90 (the library's default 4:2:0), grey or colour, baseline or progressive.
inline void writePhotoJpeg(const std::filesystem::path& file, int width, int height,
                           bool grey = false, bool progressive = false) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + file.string());
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    PhotoRows rows(width, height);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    while (c.next_scanline < c.image_height) {
        rows.row(static_cast<int>(c.next_scanline), row.data(), c.input_components);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}
