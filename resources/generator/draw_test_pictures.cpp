// Draws the two small test pictures embedded in the program: test_rgb.png (16 x 8, RGB
// colour ramps) and test_rgba.png (12 x 10, RGB with alpha: an opaque disc fading out).
#include <cmath>
#include <cstdio>
#include <vector>

#include <png.h>

namespace {

bool WritePng(const char* name, int width, int height, bool alpha,
              const std::vector<unsigned char>& pixels) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int channels = alpha ? 4 : 3;
    for (int y = 0; y < height; ++y)
        png_write_row(png, pixels.data() + static_cast<size_t>(y) * width * channels);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

} // namespace

int main() {
    std::vector<unsigned char> rgb;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            rgb.push_back(static_cast<unsigned char>(x * 17));
            rgb.push_back(static_cast<unsigned char>(y * 36));
            rgb.push_back(static_cast<unsigned char>(255 - x * 17));
        }
    std::vector<unsigned char> rgba;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const double d = std::hypot(x - 5.5, y - 4.5);
            const int a = d < 3 ? 255 : d > 5 ? 0 : static_cast<int>((5 - d) / 2 * 255);
            rgba.insert(rgba.end(), {200, 40, static_cast<unsigned char>(20 * y),
                                     static_cast<unsigned char>(a)});
        }
    const bool ok = WritePng("test_rgb.png", 16, 8, false, rgb) &&
                    WritePng("test_rgba.png", 12, 10, true, rgba);
    if (!ok)
        std::fprintf(stderr, "cannot write the test pictures\n");
    return ok ? 0 : 1;
}
