// Conformance of the further formats' decoders (WebP, AVIF, HEIF, JPEG XL, GIF, TIFF), one
// table row per format, on pictures written with the formats' own encoders: pixels against
// the source within the codec's loss, alpha, first frames and pages, the reduced decode,
// damaged and cut-short files, and headers claiming pictures far beyond the raster limit.
// A format left out of the build skips.
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/icc.h"
#include "imaging/moreformats.h"
#include "imaging/orient.h"
#include "imaging/resize.h"

#include "heif_overlay_claim.h"
#include "moresamples.h"
#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef QUORVANE_UNDER_ASAN
// The HEVC encoder behind the HEIF samples keeps a few blocks to the end of the process.
// NOLINTNEXTLINE(readability-identifier-naming): the name LeakSanitizer calls
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libx265\n";
}
#endif

namespace fs = std::filesystem;
using samples::Bytes;
using samples::PictureRecipe;

namespace {

// What each format can carry, and how closely its decode follows the source.
struct FormatCase {
    PictureFormat format;
    const char* name;
    bool lossless;       // has a lossless mode that the samples use
    double lossyMean;    // mean channel difference allowed for the lossy samples
    bool frames;         // animations or pages
    bool reducesAnySize; // the reduced decode works beyond the raster limit
    // The orientation a decode reports for a file carrying orientation 6 (0: applied by the
    // library, so the picture comes out turned); -1 when the samples cannot carry one.
    int reportedOrientation;
    bool icc;    // an embedded colour profile is reported
    bool canvas; // a first frame may cover part of its canvas
    // How a full decode of the format's huge claim ends: 2 refused as too large, 1 as
    // damaged (the format's library holds it invalid).
    int hugeFull;
};

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.name;
}

const FormatCase Formats[] = {
    {PictureFormat::WebP, "WebP", true, 6.0, true, true, 6, true, true, 2},
    {PictureFormat::Avif, "AVIF", true, 6.0, true, false, 6, true, false, 2},
    {PictureFormat::Heif, "HEIF", false, 6.0, false, false, 0, true, false, 2},
    {PictureFormat::Jxl, "JPEGXL", true, 6.0, true, false, 0, true, false, 2},
    {PictureFormat::Gif, "GIF", true, 0.0, true, true, -1, false, true, 2},
    {PictureFormat::Tiff, "TIFF", true, 6.0, true, true, 6, true, false, 2},
};

// How far a decoded picture is from the recipe's frame: the mean and largest difference of
// the colour bytes as stored (premultiplied where the picture has alpha, so that the colour
// of a clear pixel does not count) and of alpha.
struct Difference {
    double colour = 0;
    double alpha = 0;
    int largest = 0;
};

Difference differenceFrom(const Bitmap& b, PictureFormat format, const PictureRecipe& recipe,
                          int frame) {
    Difference d;
    const int bytes = b.hasAlpha() ? 4 : 3;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const std::uint32_t want = samples::recipePixel(format, recipe, frame, x, y);
            const std::uint8_t* got = b.scanLine(y) + bytes * x;
            const std::uint32_t a = want >> 24;
            for (int k = 0; k < bytes; ++k) {
                std::uint32_t w = (want >> (8 * k)) & 0xFF;
                if (k < 3 && b.hasAlpha())
                    w = (w * a + 127) / 255;
                const int diff = std::abs(int(w) - int(got[k]));
                (k < 3 ? d.colour : d.alpha) += diff;
                d.largest = std::max(d.largest, diff);
            }
        }
    const double n = double(b.width()) * b.height();
    d.colour /= 3 * n;
    d.alpha /= n;
    return d;
}

// Lossless decodes may differ by one where premultiplying rounds.
void expectWithinLoss(const Difference& d, bool lossless, double lossyMean) {
    if (lossless) {
        EXPECT_LE(d.largest, 1);
    } else {
        EXPECT_LE(d.colour, lossyMean);
        EXPECT_LE(d.alpha, lossyMean);
    }
}

class LibraryFormats : public testing::TestWithParam<FormatCase> {
protected:
    void SetUp() override {
        m_decoder = moreFormatDecoder(GetParam().format);
        if (!m_decoder)
            GTEST_SKIP() << GetParam().name << " was left out of this build";
        if (!samples::canMake(GetParam().format))
            GTEST_SKIP() << "no " << GetParam().name << " encoder in this build";
    }
    void TearDown() override { setMaxRasterBytes(std::uint64_t(1) << 30); }

    Bytes make(const PictureRecipe& recipe) const {
        return samples::makePicture(GetParam().format, recipe);
    }
    Bitmap decode(const Bytes& bytes, PictureMeta* meta = nullptr) const {
        Bitmap b;
        m_decoder->data(bytes, b, meta);
        return b;
    }
    Bitmap decodeReduced(const Bytes& bytes, const ReducedDecode& request) const {
        Bitmap b;
        m_decoder->dataReduced(bytes, b, request, nullptr);
        return b;
    }
    // How a full decode of bytes ends.
    DecodeStatus statusOf(const Bytes& bytes) const {
        Bitmap b;
        try {
            m_decoder->data(bytes, b, nullptr);
            return DecodeStatus::Ok;
        } catch (const ImageTooLarge&) {
            return DecodeStatus::TooLarge;
        } catch (const ImageError&) {
            return DecodeStatus::Undecodable;
        }
    }

    const FormatDecoder* m_decoder = nullptr;
};

TEST_P(LibraryFormats, OpaquePicturesDecodeWithinTheCodecsLoss) {
    const FormatCase& c = GetParam();
    for (bool lossless : {false, true}) {
        if (lossless && !c.lossless)
            continue;
        SCOPED_TRACE(lossless ? "lossless" : "lossy");
        const PictureRecipe recipe{.width = 161, .height = 97, .lossless = lossless};
        const Bitmap b = decode(make(recipe));
        ASSERT_EQ(b.width(), recipe.width);
        ASSERT_EQ(b.height(), recipe.height);
        EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits24);
        expectWithinLoss(differenceFrom(b, c.format, recipe, 0), lossless, c.lossyMean);
    }
}

TEST_P(LibraryFormats, AlphaComesOutPremultiplied) {
    const FormatCase& c = GetParam();
    const PictureRecipe recipe{.width = 120, .height = 90, .alpha = true, .lossless = c.lossless};
    const Bitmap b = decode(make(recipe));
    ASSERT_EQ(b.width(), recipe.width);
    ASSERT_TRUE(b.hasAlpha());
    expectWithinLoss(differenceFrom(b, c.format, recipe, 0), c.lossless, c.lossyMean);
    // Premultiplied: no colour byte exceeds its alpha.
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const std::uint8_t* p = b.scanLine(y) + 4 * x;
            ASSERT_LE(std::max({p[0], p[1], p[2]}), p[3]) << x << "," << y;
        }
}

TEST_P(LibraryFormats, AnimationsAndPagesShowTheirFirstFrame) {
    const FormatCase& c = GetParam();
    if (!c.frames)
        GTEST_SKIP() << "single pictures only";
    const PictureRecipe recipe{.width = 32, .height = 24, .lossless = c.lossless, .frames = 3};
    const Bitmap b = decode(make(recipe));
    ASSERT_EQ(b.width(), recipe.width);
    expectWithinLoss(differenceFrom(b, c.format, recipe, 0), c.lossless, c.lossyMean);
    EXPECT_GT(differenceFrom(b, c.format, recipe, 1).colour, 30.0);
}

TEST_P(LibraryFormats, AFirstFrameCoversOnlyItsPartOfTheCanvas) {
    const FormatCase& c = GetParam();
    if (!c.canvas)
        GTEST_SKIP() << "frames fill their canvas";
    const PictureRecipe recipe{.width = 40,
                               .height = 30,
                               .lossless = true,
                               .frames = 2,
                               .frameLeft = 8,
                               .frameTop = 6,
                               .frameWidth = 20,
                               .frameHeight = 14,
                               .interlace = true};
    const Bitmap b = decode(make(recipe));
    ASSERT_EQ(b.width(), recipe.width);
    ASSERT_TRUE(b.hasAlpha());
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const bool inside = x >= 8 && x < 28 && y >= 6 && y < 20;
            const std::uint32_t want =
                inside ? samples::recipePixel(c.format, recipe, 0, x, y) | 0xFF000000u : 0u;
            ASSERT_EQ(b.pixel(x, y), want) << x << "," << y;
        }
    // Reduced alike: the frame's place shrinks with the canvas.
    const Bitmap reduced = decodeReduced(make(recipe), {10, 7});
    ASSERT_LT(reduced.width(), recipe.width);
    EXPECT_EQ(reduced.pixel(0, 0), 0u);
    EXPECT_EQ(reduced.pixel(reduced.width() / 2, reduced.height() / 2) >> 24, 0xFFu);
}

TEST_P(LibraryFormats, ReducedDecodeKeepsTheCoverSizeAndAverages) {
    const FormatCase& c = GetParam();
    const PictureRecipe recipe{.width = 240, .height = 160, .lossless = c.lossless};
    const Bytes bytes = make(recipe);
    const Bitmap full = decode(bytes);
    const Bitmap reduced = decodeReduced(bytes, {50, 30});
    EXPECT_GE(reduced.width(), 50);
    EXPECT_GE(reduced.height(), 30);
    EXPECT_LT(reduced.width(), recipe.width / 2);
    // Area-averaged like the full picture shrunk to the same size.
    Bitmap shrunk;
    shrunk.setPixelFormat(PixelFormat::Bits24);
    shrunk.setSize(reduced.width(), reduced.height());
    myResizeBitmap(full, shrunk);
    double sum = 0;
    for (int y = 0; y < reduced.height(); ++y)
        for (int x = 0; x < reduced.width(); ++x)
            for (int shift : {0, 8, 16})
                sum += std::abs(int((reduced.pixel(x, y) >> shift) & 0xFF) -
                                int((shrunk.pixel(x, y) >> shift) & 0xFF));
    EXPECT_LE(sum / (3.0 * reduced.width() * reduced.height()), 3.0);
    // Without a cover size a picture within the limit is not reduced.
    const Bitmap whole = decodeReduced(bytes, {});
    EXPECT_EQ(whole.width(), recipe.width);
}

TEST_P(LibraryFormats, ReducedDecodeBeyondTheRasterLimit) {
    const FormatCase& c = GetParam();
    const PictureRecipe recipe{.width = 200, .height = 100, .lossless = c.lossless};
    const Bytes bytes = make(recipe);
    setMaxRasterBytes(20000); // a quarter of the picture's 24-bit raster
    EXPECT_EQ(statusOf(bytes), DecodeStatus::TooLarge);
    Bitmap b;
    b.setBrushColor(0x123456);
    try {
        m_decoder->dataReduced(bytes, b, {}, nullptr);
        ASSERT_TRUE(c.reducesAnySize) << "reduced beyond the limit";
        EXPECT_LE(b.stride() * std::size_t(b.height()), 20000u);
        EXPECT_GE(b.width(), recipe.width / 3);
        EXPECT_EQ(b.brushColor(), 0x123456u);
    } catch (const ImageTooLarge&) {
        EXPECT_FALSE(c.reducesAnySize) << "refused instead of reduced";
        EXPECT_TRUE(b.empty()) << "changed although refused";
    }
}

TEST_P(LibraryFormats, FileEntryPointsMatchTheDataOnes) {
    const FormatCase& c = GetParam();
    const PictureRecipe recipe{.width = 30, .height = 20, .alpha = true};
    const Bytes bytes = make(recipe);
    TempDir dir;
    const fs::path file = dir.path() / ("picture" + samples::extensionOf(c.format));
    samples::writeFile(file, bytes);
    Bitmap fromFile, reducedFromFile;
    m_decoder->file(file, fromFile, nullptr);
    m_decoder->fileReduced(file, reducedFromFile, {10, 5}, nullptr);
    const Bitmap fromData = decode(bytes);
    const Bitmap reducedFromData = decodeReduced(bytes, {10, 5});
    ASSERT_EQ(fromFile.width(), fromData.width());
    EXPECT_EQ(fromFile.saveToData(), fromData.saveToData());
    EXPECT_EQ(reducedFromFile.saveToData(), reducedFromData.saveToData());
    Bitmap untouched;
    EXPECT_THROW(m_decoder->file(dir.path() / "missing.bin", untouched, nullptr), ImageError);
}

TEST_P(LibraryFormats, DamagedAndCutShortFilesAreRefused) {
    const FormatCase& c = GetParam();
    const PictureRecipe recipe{.width = 64, .height = 48, .alpha = true, .lossless = c.lossless};
    const Bytes bytes = make(recipe);
    for (double part : {0.0, 0.1, 0.5, 0.8}) {
        SCOPED_TRACE("cut at " + std::to_string(part));
        const Bytes cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(bytes.size() * part));
        EXPECT_EQ(statusOf(cut), DecodeStatus::Undecodable);
        Bitmap b;
        b.setSize(3, 2);
        EXPECT_THROW(m_decoder->dataReduced(cut, b, {8, 8}, nullptr), ImageError);
        EXPECT_EQ(b.width(), 3) << "changed although refused";
    }
    // A damaged signature is no picture of the format.
    Bytes damaged = bytes;
    for (int i = 0; i < 4; ++i)
        damaged[i] ^= 0x5A;
    EXPECT_EQ(statusOf(damaged), DecodeStatus::Undecodable);
    // Bytes overwritten anywhere end in a picture or a refusal, never in a crash.
    for (std::size_t step = 7; step < 40; step += 8) {
        Bytes scrambled = bytes;
        for (std::size_t i = scrambled.size() / 3; i < scrambled.size(); i += step)
            scrambled[i] = static_cast<std::uint8_t>(scrambled[i] * 31 + 7);
        const DecodeStatus s = statusOf(scrambled);
        EXPECT_NE(s, DecodeStatus::TooLarge);
    }
}

// A header claiming a huge picture (100000 x 100000 where the format can say so, its
// largest otherwise), with next to no data behind it.
Bytes hugeClaim(PictureFormat format);

// How a body run in a child process ended: 0 when it returned, 1 for ImageError, 2 for
// ImageTooLarge, 3 for an allocation failure, 4 for anything else, 100 + the signal that
// ended it; and how far the child's peak resident memory grew meanwhile, in KiB.
struct ChildRun {
    int code = -1;
    long growthKb = -1;
};

// Runs body in a child process whose address space may grow by no more than room bytes
// (not under AddressSanitizer, which reserves its shadow memory up front), so that a decoder
// reaching for a claimed raster fails there instead of taking the machine's memory.
ChildRun inChild(std::uint64_t room, const std::function<void()>& body) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
#if !defined(__SANITIZE_ADDRESS__) && !defined(QUORVANE_UNDER_ASAN)
        rlimit limit{};
        long pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(statm);
        }
        limit.rlim_cur = limit.rlim_max =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + room;
        setrlimit(RLIMIT_AS, &limit);
#else
        (void)room;
#endif
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        int code = 0;
        try {
            body();
        } catch (const ImageTooLarge&) {
            code = 2;
        } catch (const ImageError&) {
            code = 1;
        } catch (const std::bad_alloc&) {
            code = 3;
        } catch (...) {
            code = 4;
        }
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        const long growth = after.ru_maxrss - before.ru_maxrss;
        (void)!write(fds[1], &growth, sizeof growth);
        _exit(code);
    }
    close(fds[1]);
    ChildRun run;
    if (read(fds[0], &run.growthKb, sizeof run.growthKb) != sizeof run.growthKb)
        run.growthKb = -1;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
    return run;
}

// Memory a refused claim may take, in KiB: the library's parsing, never the claimed raster.
constexpr long ClaimAllowanceKb = 64 * 1024;

TEST_P(LibraryFormats, HugeClaimsAreRefusedWithoutTheirRaster) {
    const FormatCase& c = GetParam();
    const Bytes claim = hugeClaim(c.format);
    setMaxRasterBytes(std::uint64_t(64) << 20);
    // The full decode is refused from the header, as too large or as damaged, and the
    // reduced one for a cover size either refuses it too or makes a small picture.
    const ChildRun full = inChild(std::uint64_t(256) << 20, [&] {
        Bitmap b;
        m_decoder->data(claim, b, nullptr);
    });
    EXPECT_EQ(full.code, c.hugeFull);
    EXPECT_GE(full.growthKb, 0);
    EXPECT_LT(full.growthKb, ClaimAllowanceKb);
    const ChildRun reduced = inChild(std::uint64_t(256) << 20, [&] {
        Bitmap b;
        m_decoder->dataReduced(claim, b, {197, 123}, nullptr);
        if (b.width() > 2000)
            throw std::runtime_error("far beyond the cover size");
    });
    EXPECT_TRUE(reduced.code == 0 || reduced.code == 1 || reduced.code == 2)
        << "ended with " << reduced.code;
    EXPECT_LT(reduced.growthKb, ClaimAllowanceKb);
}

TEST_P(LibraryFormats, OrientationIsAppliedOrReported) {
    const FormatCase& c = GetParam();
    if (c.reportedOrientation < 0)
        GTEST_SKIP() << "the samples cannot carry an orientation";
    const PictureRecipe recipe{.width = 40, .height = 20, .lossless = c.lossless, .orientation = 6};
    PictureMeta meta;
    const Bitmap b = decode(make(recipe), &meta);
    if (c.reportedOrientation == 0) {
        // Turned a quarter clockwise by the library: the stored left column is now the top row.
        EXPECT_EQ(meta.orientation, 1);
        ASSERT_EQ(b.width(), recipe.height);
        ASSERT_EQ(b.height(), recipe.width);
        double sum = 0;
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x)
                sum += std::abs(
                    int(b.pixel(x, y) >> 8 & 0xFF) -
                    int(samples::recipePixel(c.format, recipe, 0, y, recipe.height - 1 - x) >> 8 &
                        0xFF));
        EXPECT_LE(sum / (b.width() * b.height()), c.lossless ? 0.0 : c.lossyMean);
    } else {
        ASSERT_EQ(b.width(), recipe.width);
        EXPECT_EQ(meta.orientation, c.reportedOrientation);
    }
}

TEST_P(LibraryFormats, EmbeddedColourProfileIsReported) {
    const FormatCase& c = GetParam();
    if (!c.icc)
        GTEST_SKIP() << "no colour profile from this format";
    PictureRecipe recipe{.width = 16, .height = 8, .lossless = c.lossless};
    recipe.icc = samples::wideGamutProfile();
    if (recipe.icc.empty())
        GTEST_SKIP() << "no colour profile to embed in this build";
    PictureMeta meta;
    decode(make(recipe), &meta);
    EXPECT_EQ(meta.iccProfile, recipe.icc);
    PictureMeta none;
    decode(make(PictureRecipe{.width = 16, .height = 8}), &none);
    EXPECT_TRUE(none.iccProfile.empty());
}

// Through the format table a picture with a wide-gamut profile comes out converted to sRGB;
// one without comes out as decoded.
TEST_P(LibraryFormats, TheFormatTableHonoursTheColourProfile) {
    const FormatCase& c = GetParam();
    if (!c.icc)
        GTEST_SKIP() << "no colour profile from this format";
    if (!convertsColourProfiles())
        GTEST_SKIP() << "this build does not convert colour profiles";
    PictureRecipe recipe{.width = 40, .height = 30, .lossless = c.lossless};
    recipe.icc = samples::wideGamutProfile();
    if (recipe.icc.empty())
        GTEST_SKIP() << "no colour profile to embed in this build";
    TempDir dir;
    auto meanDifference = [&](const PictureRecipe& s) {
        const Bytes bytes = make(s);
        const fs::path file = dir.path() / ("p" + samples::extensionOf(c.format));
        samples::writeFile(file, bytes);
        Bitmap shown;
        EXPECT_EQ(file2BitmapStatus(shown, file), DecodeStatus::Ok);
        const Bitmap decoded = decode(bytes);
        double sum = 0;
        for (int y = 0; y < decoded.height(); ++y)
            for (int x = 0; x < decoded.width(); ++x)
                for (int shift : {0, 8, 16})
                    sum += std::abs(int(shown.pixel(x, y) >> shift & 0xFF) -
                                    int(decoded.pixel(x, y) >> shift & 0xFF));
        return sum / (3.0 * decoded.width() * decoded.height());
    };
    EXPECT_GT(meanDifference(recipe), 3.0) << "converted from the wide gamut";
    recipe.icc.clear();
    EXPECT_EQ(meanDifference(recipe), 0.0) << "no profile, no conversion";
}

// Through the format table: the bytes choose the decoder whatever the name's picture
// extension, every decode path works, and the picture comes out upright.
TEST_P(LibraryFormats, TheFormatTableDecodesItByItsBytes) {
    const FormatCase& c = GetParam();
    const PictureRecipe recipe{.width = 60, .height = 40, .lossless = c.lossless};
    const Bytes bytes = make(recipe);
    EXPECT_EQ(sniffPictureFormat(bytes), c.format);
    TempDir dir;
    for (const std::string& name : {"right" + samples::extensionOf(c.format),
                                    std::string("wrong.png"), std::string("WRONG.JPG")}) {
        SCOPED_TRACE(name);
        const fs::path file = dir.path() / name;
        samples::writeFile(file, bytes);
        Bitmap b;
        ASSERT_EQ(file2BitmapStatus(b, file), DecodeStatus::Ok);
        EXPECT_EQ(b.width(), recipe.width);
        Bitmap reduced;
        ASSERT_EQ(file2BitmapReduced(reduced, file, 20, 10), DecodeStatus::Ok);
        EXPECT_GE(reduced.width(), 20);
        EXPECT_LT(reduced.width(), recipe.width);
        Bitmap thumb;
        thumb.setPixelFormat(PixelFormat::Bits24);
        thumb.setSize(197, 123);
        ASSERT_EQ(file2BitmapAveraged(thumb, file), DecodeStatus::Ok);
        EXPECT_EQ(thumb.width(), 197);
        EXPECT_EQ(thumb.pixelFormat(), PixelFormat::Bits24);
    }
    // Not a picture name: refused whatever the bytes.
    samples::writeFile(dir.path() / "picture.txt", bytes);
    Bitmap b;
    EXPECT_EQ(file2BitmapStatus(b, dir.path() / "picture.txt"), DecodeStatus::Undecodable);
    // A picture of another format under this format's extension decodes by its bytes.
    const fs::path jpeg = dir.path() / ("photo" + samples::extensionOf(c.format));
    samples::writeFile(jpeg, samples::makeJpeg({.width = 33, .height = 21}));
    ASSERT_EQ(file2BitmapStatus(b, jpeg), DecodeStatus::Ok);
    EXPECT_EQ(b.width(), 33);
    // Damaged under its own name: undecodable, not too large.
    const fs::path cut = dir.path() / ("cut" + samples::extensionOf(c.format));
    samples::writeFile(cut, Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(bytes.size() / 2)));
    EXPECT_EQ(file2BitmapStatus(b, cut), DecodeStatus::Undecodable);
    EXPECT_EQ(file2BitmapReduced(b, cut, 20, 10), DecodeStatus::Undecodable);
}

TEST_P(LibraryFormats, TheFormatTableShowsItUpright) {
    const FormatCase& c = GetParam();
    if (c.reportedOrientation < 0)
        GTEST_SKIP() << "the samples cannot carry an orientation";
    const PictureRecipe recipe{.width = 60, .height = 30, .lossless = c.lossless, .orientation = 6};
    TempDir dir;
    const fs::path file = dir.path() / ("turned" + samples::extensionOf(c.format));
    samples::writeFile(file, make(recipe));
    Bitmap b;
    ASSERT_EQ(file2BitmapStatus(b, file), DecodeStatus::Ok);
    EXPECT_EQ(b.width(), recipe.height);
    EXPECT_EQ(b.height(), recipe.width);
    // The cover size is the upright picture's.
    Bitmap reduced;
    ASSERT_EQ(file2BitmapReduced(reduced, file, 10, 20), DecodeStatus::Ok);
    EXPECT_GE(reduced.width(), 10);
    EXPECT_GE(reduced.height(), 20);
    EXPECT_LT(reduced.height(), recipe.width);
    EXPECT_LT(reduced.width() * 2, reduced.height() + 2) << "upright";
}

INSTANTIATE_TEST_SUITE_P(Formats, LibraryFormats, testing::ValuesIn(Formats),
                         [](const testing::TestParamInfo<FormatCase>& info) {
                             std::string name = info.param.name;
                             name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
                             return name;
                         });

// A HEIF file's own thumbnail stands in for the picture when it covers the request.
TEST(HeifThumbnail, StandsInWhenItCoversTheRequest) {
    const FormatDecoder* decoder = moreFormatDecoder(PictureFormat::Heif);
    if (!decoder || !samples::canMake(PictureFormat::Heif))
        GTEST_SKIP() << "HEIF was left out of this build";
    const PictureRecipe plain{.width = 960, .height = 640};
    PictureRecipe withThumbnail = plain;
    withThumbnail.thumbnail = 240; // 240 x 160
    const Bytes bytes = samples::makePicture(PictureFormat::Heif, withThumbnail);
    Bitmap b;
    // The reduction steps of the thumbnail (halved: 120 x 80) and of the picture (a ninth:
    // 107 x 72) tell which was decoded.
    decoder->dataReduced(bytes, b, {100, 60}, nullptr);
    EXPECT_EQ(b.width(), 120);
    EXPECT_EQ(b.height(), 80);
    decoder->dataReduced(samples::makePicture(PictureFormat::Heif, plain), b, {100, 60}, nullptr);
    EXPECT_EQ(b.width(), 107);
    // Too small for the request, or no cover size at all: the picture itself.
    decoder->dataReduced(bytes, b, {300, 200}, nullptr);
    EXPECT_EQ(b.width(), 320);
    decoder->dataReduced(bytes, b, {}, nullptr);
    EXPECT_EQ(b.width(), 960);
    // The thumbnail shows the picture: it matches the picture shrunk alike.
    Bitmap full, shrunk, fromThumbnail;
    decoder->data(bytes, full, nullptr);
    decoder->dataReduced(bytes, fromThumbnail, {100, 60}, nullptr);
    shrunk.setPixelFormat(PixelFormat::Bits24);
    shrunk.setSize(fromThumbnail.width(), fromThumbnail.height());
    myResizeBitmap(full, shrunk);
    double sum = 0;
    for (int y = 0; y < shrunk.height(); ++y)
        for (int x = 0; x < shrunk.width(); ++x)
            sum += std::abs(int(shrunk.pixel(x, y) >> 8 & 0xFF) -
                            int(fromThumbnail.pixel(x, y) >> 8 & 0xFF));
    EXPECT_LE(sum / (shrunk.width() * shrunk.height()), 6.0);
}

// libavif leaves an AVIF file's rotation and mirroring to its caller, which turns the
// picture by the Exif orientation reported; libheif applies them itself. Both must show
// the same picture for every orientation.
TEST(AvifOrientation, ShowsWhatLibheifShows) {
    const FormatDecoder* avif = moreFormatDecoder(PictureFormat::Avif);
    const FormatDecoder* heif = moreFormatDecoder(PictureFormat::Heif);
    if (!avif || !heif || !samples::canMake(PictureFormat::Avif))
        GTEST_SKIP() << "needs both libavif and libheif";
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const Bytes bytes = samples::makePicture(
            PictureFormat::Avif,
            PictureRecipe{.width = 24, .height = 16, .lossless = true, .orientation = orientation});
        Bitmap byLibheif, byLibavif;
        try {
            heif->data(bytes, byLibheif, nullptr);
        } catch (const ImageError& e) {
            GTEST_SKIP() << "libheif cannot decode AV1 here: " << e.what();
        }
        PictureMeta meta;
        avif->data(bytes, byLibavif, &meta);
        orientBitmap(byLibavif, meta.orientation);
        ASSERT_EQ(byLibavif.width(), byLibheif.width());
        ASSERT_EQ(byLibavif.height(), byLibheif.height());
        for (int y = 0; y < byLibheif.height(); ++y)
            for (int x = 0; x < byLibheif.width(); ++x)
                ASSERT_EQ(byLibavif.pixel(x, y), byLibheif.pixel(x, y)) << x << "," << y;
    }
}

// The alpha plane of this file is an overlay claiming a huge canvas: libheif's own size
// limit, set from the raster limit, refuses it before allocating it.
TEST(HeifOverlay, ClaimingAHugeCanvasIsRefusedBeforeItIsAllocated) {
    const FormatDecoder* decoder = moreFormatDecoder(PictureFormat::Heif);
    if (!decoder)
        GTEST_SKIP() << "HEIF was left out of this build";
    const std::span<const std::uint8_t> bytes(HeifOverlayClaim);
    // Room enough for the canvas, so that reaching for it would show in the peak memory.
    for (const std::uint64_t limit : {std::uint64_t(1) << 30, std::uint64_t(16) << 20}) {
        SCOPED_TRACE(limit);
        setMaxRasterBytes(limit);
        for (const bool reduced : {false, true}) {
            const ChildRun run = inChild(std::uint64_t(1) << 30, [&] {
                Bitmap b;
                if (reduced)
                    decoder->dataReduced(bytes, b, {197, 123}, nullptr);
                else
                    decoder->data(bytes, b, nullptr);
            });
            EXPECT_TRUE(run.code == 0 || run.code == 1 || run.code == 2)
                << "ended with " << run.code;
            EXPECT_GE(run.growthKb, 0);
            EXPECT_LT(run.growthKb, ClaimAllowanceKb);
        }
    }
    setMaxRasterBytes(std::uint64_t(1) << 30);
}

// --- headers claiming huge pictures ------------------------------------------------------

void putLe(Bytes& b, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Bytes riffChunk(const char* fourcc, const Bytes& payload) {
    Bytes b(fourcc, fourcc + 4);
    putLe(b, payload.size(), 4);
    b.insert(b.end(), payload.begin(), payload.end());
    if (payload.size() % 2)
        b.push_back(0);
    return b;
}

Bytes hugeClaim(PictureFormat format) {
    switch (format) {
    case PictureFormat::WebP: {
        // An animation canvas of 60000 x 60000 (the area libwebp allows) holding a 2 x 2
        // frame.
        const Bytes frame = samples::makePicture(
            PictureFormat::WebP, PictureRecipe{.width = 2, .height = 2, .lossless = true});
        Bytes vp8x{0x02, 0, 0, 0};
        putLe(vp8x, 60000 - 1, 3);
        putLe(vp8x, 60000 - 1, 3);
        Bytes anim;
        putLe(anim, 0, 4);
        putLe(anim, 0, 2);
        Bytes anmf;
        putLe(anmf, 0, 3);
        putLe(anmf, 0, 3);
        putLe(anmf, 1, 3);
        putLe(anmf, 1, 3);
        putLe(anmf, 100, 3);
        anmf.push_back(0);
        anmf.insert(anmf.end(), frame.begin() + 12, frame.end()); // its VP8L chunk
        Bytes body{'W', 'E', 'B', 'P'};
        for (const Bytes& chunk :
             {riffChunk("VP8X", vp8x), riffChunk("ANIM", anim), riffChunk("ANMF", anmf)})
            body.insert(body.end(), chunk.begin(), chunk.end());
        return riffChunk("RIFF", body);
    }
    case PictureFormat::Jxl: {
        // A bare codestream whose size header says 100000 x 100000, with the default
        // metadata, and nothing after it.
        Bytes b{0xFF, 0x0A};
        std::uint64_t bits = 0;
        int count = 0;
        auto put = [&](std::uint64_t value, int n) {
            bits |= value << count;
            count += n;
        };
        put(0, 1); // not a multiple of 8 given in 5 bits
        put(2, 2); // height: 1 + 18 bits
        put(99999, 18);
        put(0, 3); // no fixed ratio: the width follows
        put(2, 2);
        put(99999, 18);
        put(1, 1); // all metadata at its defaults
        for (int i = 0; i < (count + 7) / 8; ++i)
            b.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
        b.resize(64, 0);
        return b;
    }
    case PictureFormat::Gif:
        // A 65535 x 65535 screen (the most GIF can say) holding one pixel.
        return {'G', 'I', 'F', '8', '9',  'a',  0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0,
                0,   0,   0,   0,   0xFF, 0xFF, 0xFF, ',',  0,    0,    0,    0,
                1,   0,   1,   0,   0,    2,    2,    0x44, 0x01, 0,    ';'};
    case PictureFormat::Tiff: {
        // 100000 x 100000 grey pixels in one strip of ten bytes.
        Bytes b{'I', 'I', 42, 0};
        putLe(b, 8, 4);
        const std::uint32_t entries[][3] = {{256, 4, 100000}, {257, 4, 100000}, {258, 3, 8},
                                            {259, 3, 1},      {262, 3, 1},      {273, 4, 200},
                                            {277, 3, 1},      {278, 4, 100000}, {279, 4, 10}};
        putLe(b, std::size(entries), 2);
        for (const auto& e : entries) {
            putLe(b, e[0], 2);
            putLe(b, e[1], 2);
            putLe(b, 1, 4);
            putLe(b, e[2], 4);
        }
        putLe(b, 0, 4);
        b.resize(210, 0x80);
        return b;
    }
    case PictureFormat::Avif:
    case PictureFormat::Heif: {
        // A small picture whose size box says 100000 x 100000.
        Bytes b = samples::makePicture(format, PictureRecipe{.width = 16, .height = 16});
        const std::string box = "ispe";
        auto at = std::search(b.begin(), b.end(), box.begin(), box.end());
        if (at == b.end())
            return {};
        at += 8;
        for (int side = 0; side < 2; ++side)
            for (int shift = 24; shift >= 0; shift -= 8)
                *at++ = static_cast<std::uint8_t>(100000u >> shift);
        return b;
    }
    default:
        return {};
    }
}

} // namespace
