// Picture files to bitmaps and back: the decoder choice, JPEG and PNG.
#pragma once

#include "imaging/bitmap.h"
#include "imaging/picturemeta.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

/// The picture formats this build can decode. A new format adds its enumerator here and
/// its row to the format table in codecs.cpp.
enum class PictureFormat { Jpeg, Png, Bmp, WebP, Avif, Heif, Jxl, Gif, Tiff };

/// One row of the format table as its users see it.
struct PictureFormatInfo {
    PictureFormat format;
    /// The format's usual name ("JPEG"), as the README's list of formats names it.
    std::string_view name;
    /// Its file-name extensions: lower case, dot included, the usual one first.
    std::span<const std::string_view> extensions;
};

/// Every format this build decodes, in table order.
std::span<const PictureFormatInfo> pictureFormats() noexcept;

/// The extensions of every format, in table order: what the folder scan, the manager's
/// file dialog and the tools accept as picture names.
std::span<const std::string_view> pictureExtensions() noexcept;

/// True when the file name's extension (from its last dot, dot included, ASCII case
/// ignored) is one of pictureExtensions(): "PHOTO.JPG", "a.Jpeg" and ".png" are.
bool isPictureName(std::string_view fileName) noexcept;

/// How many of a file's first bytes sniffPictureFormat looks at, at most.
inline constexpr std::size_t SniffBytes = 256;

/// The format whose signature the first bytes of a file (up to SniffBytes of them) carry;
/// none when they carry no signature of a format this build decodes.
std::optional<PictureFormat> sniffPictureFormat(std::span<const std::uint8_t> head) noexcept;

/// Decodes the picture at fn into b, upright and in sRGB. The name must carry a picture
/// extension (isPictureName); the decoder is then chosen by the file's first bytes, so that
/// a PNG named .jpg decodes as PNG, and a file whose bytes are no known picture fails.
/// False for a missing file, a folder, any other name and every decoding error; b is left
/// as it was then. Never throws.
bool file2Bitmap(Bitmap& b, const std::filesystem::path& fn) noexcept;

// How a decode ended. TooLarge: the picture was refused for a resource limit (the raster
// limit below, the scans of a progressive JPEG or the blocks of an arithmetic-coded one
// beyond what the file's length warrants, memory); it may be valid, and file2BitmapReduced
// may still show it. Undecodable: missing, not a picture of a known kind, damaged or cut
// short, including a file declaring far more picture than its bytes can hold (a Huffman-
// coded JPEG, a run-length BMP that paints almost none of a large raster).
enum class DecodeStatus { Ok, Undecodable, TooLarge };

// file2Bitmap telling a picture refused for a limit apart from one that cannot be decoded.
DecodeStatus file2BitmapStatus(Bitmap& b, const std::filesystem::path& fn) noexcept;

// Decodes the picture at fn reduced so that it fits the raster limit, holding no more than
// the reduced picture and a few rows at any time: JPEG with the library's DCT scaling (a
// progressive file over its scan limit shown as its first scans leave it), PNG and BMP rows
// area-averaged by an integer factor as they are read (24 bits, or 32 bits premultiplied
// for a picture with alpha). With a cover size the picture is reduced as far as the
// reduction steps allow while keeping at least coverWidth x coverHeight pixels, for a
// picture that is then averaged down further; otherwise it is the largest reduction step
// that fits the limit. TooLarge when even the strongest reduction does not fit (or for a
// run-length BMP, which is not reduced). The result is upright and the cover size is that
// of the upright picture. b is left as it was unless the result is Ok.
DecodeStatus file2BitmapReduced(Bitmap& b, const std::filesystem::path& fn, int coverWidth = 0,
                                int coverHeight = 0) noexcept;

// Decodes the picture at fn at full size and area-averages it onto the whole of dest, which
// keeps its size and format: the result of file2BitmapStatus followed by myResizeBitmap.
// JPEG pictures and PNG pictures of 24 or 32 bits are averaged row by row as they are
// decoded, so that the full picture never exists in memory; a JPEG at least four times
// dest's size on both sides is first scaled down in the library's IDCT to no less than
// twice dest's size (nearly the same result, far less work). A picture stored turned is
// averaged onto dest's frame turned alike and then turned upright with it. dest changes
// only on Ok.
DecodeStatus file2BitmapAveraged(Bitmap& dest, const std::filesystem::path& fn) noexcept;

/// What a decode for the screen is told of the screen: the areas the picture is placed on
/// (each monitor, or all monitors together for one picture spread over them), and whether
/// the JPEG library may scale the picture down in its IDCT.
struct ScreenFit {
    std::vector<Rect> areas;
    bool idctScaling = false;
};

/// The size a pictureWidth x pictureHeight picture is reduced to for the screen: with its
/// proportions kept, the smallest that still covers each of `areas` (both of its sides at
/// least the area's), whichever placement scales it onto them later. Nullopt when the picture
/// is no larger than that on either side, or there is no area: it is shown as it is.
std::optional<std::pair<int, int>> screenCoverSize(int pictureWidth, int pictureHeight,
                                                   const std::vector<Rect>& areas);

/// Decodes the picture at fn for showing on the screen: upright and in sRGB like
/// file2BitmapStatus, and where it is larger than screenCoverSize says, reduced to that size
/// by box averaging (each reduced pixel the mean of the source pixels whose centres it
/// holds). JPEG and PNG pictures are reduced as their rows are decoded, so that the full
/// picture never exists in memory; with fit.idctScaling a JPEG at least twice that size is
/// first scaled by 1/2, 1/4 or 1/8 in the library's IDCT, keeping at least that size (faster,
/// but the IDCT's scaling renders grain and fine detail a little differently from a box).
/// Pictures of the other formats are decoded whole, then reduced; those with a colour table
/// that is not grey are left at their size. A grey JPEG stays 8 bits with the grey table. b
/// changes only on Ok.
DecodeStatus file2BitmapForScreen(Bitmap& b, const std::filesystem::path& fn,
                                  const ScreenFit& fit) noexcept;

/// The EXIF orientation (1..8) of the picture at fn, read from its header alone (JPEG and
/// PNG; 1 for the other formats, a file that is no picture and every failure). Never throws.
int pictureOrientation(const std::filesystem::path& fn) noexcept;

// Number of decodes file2Bitmap has attempted since the program started.
long file2BitmapCount() noexcept;

// Full-size JPEG decode: 24 bits for colour, 8 bits with a grey table for grey, 32 bits
// (alpha ignored) for CMYK and YCCK, converted to RGB. Does nothing when no file exists
// at the path; throws ImageError for a damaged or unsupported file.
// With meta, what the file carries besides its pixels is reported there (the picture itself
// is decoded as stored either way).
void jpeg2Bitmap(const std::filesystem::path& jpegFileName, Bitmap& b, PictureMeta* meta = nullptr);
void jpegData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta = nullptr);

// PNG decode of every colour type, bit depth and interlacing; pictures with alpha become
// 32 bits premultiplied. Does nothing when no file exists; throws ImageError otherwise.
void pnG2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta = nullptr);
void pngData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta = nullptr);

// The row-by-row decoders behind file2BitmapAveraged: false, with dest unchanged, for a
// picture they do not average row by row; they throw like jpeg2Bitmap and pNG2Bitmap.
// With meta, they average onto dest's size with its sides swapped when the picture turns a
// quarter (see AveragedDecoder).
bool jpeg2BitmapAveraged(const std::filesystem::path& jpegFileName, Bitmap& dest,
                         PictureMeta* meta = nullptr);
bool pnG2BitmapAveraged(const std::filesystem::path& fileName, Bitmap& dest,
                        PictureMeta* meta = nullptr);

// What the reduced decoders are asked for (see file2BitmapReduced).
struct ReducedDecode {
    int coverWidth = 0;
    int coverHeight = 0;
};

/// The cover size of a reduced decode for the picture as stored: the request is made for
/// the upright picture, whose sides a quarter turn swaps.
constexpr ReducedDecode storedRequest(const ReducedDecode& upright, int orientation) {
    return swapsAxes(orientation) ? ReducedDecode{upright.coverHeight, upright.coverWidth}
                                  : upright;
}

// The entry points of one format's decoder, as a row of the format table in codecs.cpp
// lists them. Each is handed a regular file whose first bytes carry the format's
// signature, decodes the picture as it is stored (not turned, colours untouched), fills
// meta from what the file carries, and throws ImageError for a damaged or unsupported
// file and ImageTooLarge for one refused for a resource limit (checkRasterSize).
// - Full: the whole picture at full size into b.
// - Reduced: as file2BitmapReduced describes; the cover size asked for is that of the
//   upright picture, so the decoder reduces for storedRequest(request, meta.orientation).
// - Averaged (may be absent): false, leaving dest alone, for a picture it does not average
//   row by row (the whole picture is then decoded and averaged); otherwise dest, which on
//   entry gives the size and format wanted, becomes the stored picture area-averaged onto
//   that size, its sides swapped when swapsAxes(meta.orientation).
using FullDecoder = void (*)(const std::filesystem::path& fileName, Bitmap& b, PictureMeta& meta);
using ReducedDecoder = void (*)(const std::filesystem::path& fileName, Bitmap& b,
                                const ReducedDecode& request, PictureMeta& meta);
using AveragedDecoder = bool (*)(const std::filesystem::path& fileName, Bitmap& dest,
                                 PictureMeta& meta);
// The reduced decoders behind file2BitmapReduced; they throw ImageTooLarge when no
// reduction fits and ImageError for a damaged file.
// With meta, the request is for the upright picture (see ReducedDecoder).
void jpeg2BitmapReduced(const std::filesystem::path& jpegFileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta = nullptr);
void jpegData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta = nullptr);
void pnG2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request, PictureMeta* meta = nullptr);
void pngData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request, PictureMeta* meta = nullptr);
void bmp2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request);
void bmpData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request);

// The screen decoders behind file2BitmapForScreen (a ScreenDecoder of the format table):
// the picture as stored, reduced as it is decoded to screenCoverSize of the upright picture
// (true), or decoded whole when it is no larger or not reduced this way (false). They throw
// like jpeg2Bitmap and pNG2Bitmap.
bool jpeg2BitmapForScreen(const std::filesystem::path& jpegFileName, Bitmap& b,
                          const ScreenFit& fit, PictureMeta* meta = nullptr);
bool pnG2BitmapForScreen(const std::filesystem::path& fileName, Bitmap& b, const ScreenFit& fit,
                         PictureMeta* meta = nullptr);
bool jpegData2BitmapForScreen(std::span<const std::uint8_t> data, Bitmap& b, const ScreenFit& fit,
                              PictureMeta* meta = nullptr);
bool pngData2BitmapForScreen(std::span<const std::uint8_t> data, Bitmap& b, const ScreenFit& fit,
                             PictureMeta* meta = nullptr);

// What the headers of a JPEG or PNG file carry besides its pixels, without decoding them.
void jpegFileMeta(const std::filesystem::path& jpegFileName, PictureMeta& meta);
void pngFileMeta(const std::filesystem::path& fileName, PictureMeta& meta);

// Encodes a 24-bit copy of B as a baseline JFIF JPEG of quality 90 and replaces fname
// with it atomically; an empty B gives an empty file. Throws ImageError on failure.
void bitmap2Jpeg(const Bitmap& b, const std::filesystem::path& fname);

// Largest decoded raster the decoders accept, in bytes (1 GiB unless changed; tests and
// fuzzing lower it): a guard against files that declare huge pictures. The full decoders
// refuse a picture beyond it (ImageTooLarge, DecodeStatus::TooLarge); the reduced ones
// shrink it to fit.
std::uint64_t maxRasterBytes() noexcept;
void setMaxRasterBytes(std::uint64_t bytes) noexcept;

// Throws ImageTooLarge unless a width x height raster of bitsPerPixel fits the limit.
void checkRasterSize(std::uint64_t width, std::uint64_t height, int bitsPerPixel);
