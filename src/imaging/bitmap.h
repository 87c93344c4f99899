// The in-memory raster that all picture code passes around.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

// Every reading, decoding or writing failure of the picture toolkit.
class ImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A picture refused for a resource limit (its raster size, its number of scans): it may be
// valid, and a reduced decode may still show it.
class ImageTooLarge : public ImageError {
public:
    using ImageError::ImageError;
};

// Device is the format of a bitmap whose format was never chosen; it is kept as
// 32-bit blue, green, red, unused bytes, the format of today's screens.
enum class PixelFormat { Device, Bits1, Bits4, Bits8, Bits16, Bits24, Bits32 };

// Meaning of the fourth byte of a 32-bit pixel.
enum class AlphaMode { Ignored, Premultiplied };

// Halftone averages every source pixel with its exact share of area;
// ColorOnColor picks one source pixel per destination pixel.
enum class StretchMode { Halftone, ColorOnColor };

// (left, top)-(right, bottom) covers columns left .. right - 1 and rows top .. bottom - 1.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// Channel masks of a 16- or 32-bit picture, as a bit-field BMP gives them.
struct BitFields {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
    bool operator==(const BitFields&) const = default;
};

/// The colour table of an 8-bit grey picture: 256 entries, entry i the grey of level i.
std::vector<std::uint32_t> greyColorTable();

/// True when every entry of the table is a grey (red, green and blue alike).
bool isGreyTable(const std::vector<std::uint32_t>& table);

/// While on, the rasters of large bitmaps (megabytes: a picture of the screen's size) are
/// kept when their bitmap goes, a few of them, and given to the next bitmap of about their
/// size: a fresh raster has each of its pages cleared by the kernel at its first use, which
/// on some machines costs as much as decoding into it. Off at first; turning it off gives
/// the kept rasters back, as releaseKeptRasters does. Safe from any thread.
void keepFreedRasters(bool keep);
void releaseKeptRasters();
/// Bytes of the rasters kept now.
std::size_t keptRasterBytes();

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    ~Bitmap() = default;

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_width == 0 || m_height == 0; }

    PixelFormat pixelFormat() const { return m_format; }
    int bitsPerPixel() const { return bitsPerPixel(m_format); }
    static int bitsPerPixel(PixelFormat f);
    // Converts the pixels to the new format. A palette format gets a standard colour
    // table unless the present table fits it.
    void setPixelFormat(PixelFormat f);

    // Only meaningful for 32 bits; changes the tag, not the pixel bytes.
    AlphaMode alphaMode() const { return m_alphaMode; }
    void setAlphaMode(AlphaMode m) { m_alphaMode = m; }
    // True for a 32-bit bitmap with premultiplied alpha.
    bool hasAlpha() const {
        return m_format == PixelFormat::Bits32 && m_alphaMode == AlphaMode::Premultiplied;
    }

    // Keeps the pixels that stay inside; new pixels get the brush colour.
    void setSize(int width, int height);
    void setWidth(int width) { setSize(width, m_height); }
    void setHeight(int height) { setSize(m_width, height); }
    // A size change for a caller that overwrites every pixel at once: nothing is kept and
    // nothing is filled (the brush is not used). Format, colour table and alpha mode stay.
    void setSizeForOverwrite(int width, int height);

    // Colour table of the 1, 4 and 8-bit formats, entries 0x00RRGGBB.
    const std::vector<std::uint32_t>& colorTable() const { return m_colorTable; }
    void setColorTable(std::vector<std::uint32_t> table);

    // Solid brush used by fillRect and for the new pixels of setSize; 0x00RRGGBB.
    std::uint32_t brushColor() const { return m_brush; }
    void setBrushColor(std::uint32_t rgb) { m_brush = rgb & 0xFFFFFF; }

    // Rows are stored top row first, each padded to a multiple of 4 bytes, in the
    // layout of a BMP row (24 bits: blue, green, red; 32 bits: blue, green, red, alpha;
    // 1 and 4 bits: leftmost pixel in the high bits).
    std::size_t stride() const { return m_stride; }
    std::uint8_t* scanLine(int y);
    const std::uint8_t* scanLine(int y) const;

    // Straight colour of a pixel as 0xAARRGGBB (alpha 0xFF unless premultiplied alpha).
    std::uint32_t pixel(int x, int y) const;
    // Stores a straight 0xAARRGGBB colour (premultiplied when the bitmap carries alpha).
    void setPixel(int x, int y, std::uint32_t argb);
    // Writes the picture as 32-bit rows of blue, green, red, alpha bytes: premultiplied
    // when hasAlpha(), otherwise with alpha 0xFF. dest holds height() rows of destStride.
    void toBgra32(std::uint8_t* dest, std::ptrdiff_t destStride) const;

    // Drawing. Every operation clips to this bitmap.
    // Source 1:1 with its top-left corner at (x, y); a premultiplied source is blended.
    void draw(int x, int y, const Bitmap& src);
    // The whole source into dest.
    void stretchDraw(const Rect& dest, const Bitmap& src, StretchMode mode);
    // Fills with the brush and no outline: the last column and row of r stay untouched.
    void fillRect(const Rect& r);
    // A rectangle of src into dest, 1:1 when the sizes match, else picking pixels.
    void copyRect(const Rect& dest, const Bitmap& src, const Rect& source);

    // BMP file. Both throw ImageError on failure; loadFromFile leaves the bitmap as it
    // was when it fails. saveToFile replaces the file atomically.
    void loadFromFile(const std::filesystem::path& fileName);
    void loadFromData(std::span<const std::uint8_t> data);
    void saveToFile(const std::filesystem::path& fileName) const;
    // The bytes saveToFile writes.
    std::vector<std::uint8_t> saveToData() const;

    // Channel masks of a 16-bit bitmap (5-5-5 unless read from a bit-field BMP), and of a
    // 32-bit one read from a bit-field BMP; hasBitFields() tells the latter.
    const BitFields& bitFields() const { return m_bitFields; }
    bool hasBitFields() const { return m_fromBitFields; }

    // Replaces size and format with a fresh raster whose pixel bytes are left for the
    // caller to write (the padding at the end of each row is zero). For decoders.
    void createUninitialized(int width, int height, PixelFormat f);
    // For the BMP reader: what the file looked like, so that it can be written back alike.
    void setBitFields(const BitFields& masks, bool fromFile);
    void setOs2Origin(bool os2) { m_os2 = os2; }
    void setRleOrigin(std::vector<std::uint8_t> fileBytes) { m_rleFile = std::move(fileBytes); }
    bool isOs2Origin() const { return m_os2; }
    bool isUnchangedRle() const { return !m_rleFile.empty(); }
    const std::vector<std::uint8_t>& rleOrigin() const { return m_rleFile; }

    // Raw colour rows: 0xAARRGGBB words as stored (premultiplied stays premultiplied,
    // alpha 0xFF for formats without alpha); palette indexes outside the table are black.
    void readRow(int y, int x0, int count, std::uint32_t* out) const;
    void writeRow(int y, int x0, int count, const std::uint32_t* in);
    // Index of the table entry nearest to rgb.
    int nearestIndex(std::uint32_t rgb) const;

private:
    struct FreeDeleter {
        // Bytes of a large raster that may be kept for another bitmap (see
        // keepFreedRasters); 0 for the others (a deleter made by value initialisation).
        std::size_t capacity;
        void operator()(std::uint8_t* p) const;
    };
    using Buffer = std::unique_ptr<std::uint8_t, FreeDeleter>;
    static Buffer allocate(std::size_t bytes);
    static std::size_t rowBytes(int width, PixelFormat f);
    void changed() {
        if (!m_rleFile.empty())
            std::vector<std::uint8_t>().swap(m_rleFile);
    }
    void fillArea(int x0, int y0, int x1, int y1, std::uint32_t rgb);

    int m_width = 0;
    int m_height = 0;
    PixelFormat m_format = PixelFormat::Device;
    AlphaMode m_alphaMode = AlphaMode::Ignored;
    std::size_t m_stride = 0;
    Buffer m_pixels;
    std::vector<std::uint32_t> m_colorTable;
    std::uint32_t m_brush = 0xFFFFFF;
    BitFields m_bitFields{0x7C00, 0x03E0, 0x001F};
    bool m_fromBitFields = false;
    bool m_os2 = false;
    std::vector<std::uint8_t> m_rleFile;
};
