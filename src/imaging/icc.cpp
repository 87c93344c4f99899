#include "imaging/icc.h"

#include "imaging/pixelmath.h"

#ifdef QUORVANE_HAVE_LCMS2
#include "imaging/libraries.h"

#include <lcms2.h>
#endif

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#ifdef QUORVANE_HAVE_LCMS2

namespace {

// The functions of LittleCMS that the conversion calls, found when a picture first brings a
// profile; without the library profiles are ignored.
struct LcmsLibrary {
    decltype(&::cmsCloseProfile) closeProfile = nullptr;
    decltype(&::cmsCreateContext) createContext = nullptr;
    decltype(&::cmsCreateTransformTHR) createTransformTHR = nullptr;
    decltype(&::cmsCreate_sRGBProfileTHR) createSRGBProfileTHR = nullptr;
    decltype(&::cmsDeleteContext) deleteContext = nullptr;
    decltype(&::cmsDeleteTransform) deleteTransform = nullptr;
    decltype(&::cmsDoTransform) doTransform = nullptr;
    decltype(&::cmsEvalToneCurveFloat) evalToneCurveFloat = nullptr;
    decltype(&::cmsIsMatrixShaper) isMatrixShaper = nullptr;
    decltype(&::cmsOpenProfileFromMemTHR) openProfileFromMemTHR = nullptr;
    decltype(&::cmsReadTag) readTag = nullptr;
    decltype(&::cmsSetLogErrorHandlerTHR) setLogErrorHandlerTHR = nullptr;
};

const LcmsLibrary* lcms() {
    static const std::optional<LcmsLibrary> Library = []() -> std::optional<LcmsLibrary> {
        SharedLibrary shared(QUORVANE_SONAME_LCMS2);
        LcmsLibrary l;
        shared.find("cmsCloseProfile", l.closeProfile);
        shared.find("cmsCreateContext", l.createContext);
        shared.find("cmsCreateTransformTHR", l.createTransformTHR);
        shared.find("cmsCreate_sRGBProfileTHR", l.createSRGBProfileTHR);
        shared.find("cmsDeleteContext", l.deleteContext);
        shared.find("cmsDeleteTransform", l.deleteTransform);
        shared.find("cmsDoTransform", l.doTransform);
        shared.find("cmsEvalToneCurveFloat", l.evalToneCurveFloat);
        shared.find("cmsIsMatrixShaper", l.isMatrixShaper);
        shared.find("cmsOpenProfileFromMemTHR", l.openProfileFromMemTHR);
        shared.find("cmsReadTag", l.readTag);
        shared.find("cmsSetLogErrorHandlerTHR", l.setLogErrorHandlerTHR);
        if (!shared.complete())
            return std::nullopt;
        return l;
    }();
    return Library ? &*Library : nullptr;
}

// Profiles larger than this are not believed: real ones are a few kilobytes, at most a few
// hundred for large lookup tables.
constexpr std::size_t MaxProfileBytes = 4u << 20;

// How far a profile's colorants (in XYZ) and tone curves may differ from sRGB's and still
// be sRGB: the rounding of the 16.16 numbers profiles store, and of curve tables.
constexpr double ColorantTolerance = 0.002;
constexpr double CurveTolerance = 0.004;

// The library state of one conversion: its own context, so that nothing is shared between
// threads, and errors that are only reported, never printed.
void ignoreError(cmsContext, cmsUInt32Number, const char*) {}

struct ContextDeleter {
    void operator()(cmsContext c) const { lcms()->deleteContext(c); }
};
struct ProfileDeleter {
    void operator()(void* p) const { lcms()->closeProfile(p); }
};
struct TransformDeleter {
    void operator()(void* t) const { lcms()->deleteTransform(t); }
};
using Context = std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDeleter>;
using Profile = std::unique_ptr<void, ProfileDeleter>;
using Transform = std::unique_ptr<void, TransformDeleter>;

Context newContext() {
    if (!lcms())
        return nullptr;
    Context c(lcms()->createContext(nullptr, nullptr));
    if (c)
        lcms()->setLogErrorHandlerTHR(c.get(), ignoreError);
    return c;
}

Profile openProfile(cmsContext c, std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > MaxProfileBytes)
        return nullptr;
    return Profile(
        lcms()->openProfileFromMemTHR(c, bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

// The colour space a profile's header names (bytes 16 to 19). Read from the bytes: in a
// damaged profile it is any number, which LittleCMS's enumeration cannot hold.
enum class Space { Rgb, Grey, Other };

Space spaceOf(std::span<const std::uint8_t> profile) {
    if (profile.size() < 20)
        return Space::Other;
    const std::uint32_t signature = std::uint32_t(profile[16]) << 24 |
                                    std::uint32_t(profile[17]) << 16 |
                                    std::uint32_t(profile[18]) << 8 | profile[19];
    return signature == 0x52474220u   ? Space::Rgb  // "RGB "
           : signature == 0x47524159u ? Space::Grey // "GRAY"
                                      : Space::Other;
}

bool sameCurve(const cmsToneCurve* a, const cmsToneCurve* b) {
    if (!a || !b)
        return false;
    for (int i = 0; i <= 32; ++i) {
        const float v = static_cast<float>(i) / 32;
        if (std::fabs(lcms()->evalToneCurveFloat(a, v) - lcms()->evalToneCurveFloat(b, v)) >
            CurveTolerance)
            return false;
    }
    return true;
}

bool sameColorant(const cmsCIEXYZ* a, const cmsCIEXYZ* b) {
    return a && b && std::fabs(a->X - b->X) <= ColorantTolerance &&
           std::fabs(a->Y - b->Y) <= ColorantTolerance &&
           std::fabs(a->Z - b->Z) <= ColorantTolerance;
}

// sRGB by its colorants and curves: what a matrix-shaper profile converts by.
bool describesSrgb(cmsHPROFILE profile, Space space, cmsHPROFILE srgb) {
    const auto curve = [](cmsHPROFILE p, cmsTagSignature s) {
        return static_cast<const cmsToneCurve*>(lcms()->readTag(p, s));
    };
    if (space == Space::Grey)
        return sameCurve(curve(profile, cmsSigGrayTRCTag), curve(srgb, cmsSigRedTRCTag));
    if (space != Space::Rgb || !lcms()->isMatrixShaper(profile))
        return false;
    static constexpr cmsTagSignature Colorants[] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                                    cmsSigBlueColorantTag};
    static constexpr cmsTagSignature Curves[] = {cmsSigRedTRCTag, cmsSigGreenTRCTag,
                                                 cmsSigBlueTRCTag};
    for (int i = 0; i < 3; ++i) {
        if (!sameColorant(static_cast<const cmsCIEXYZ*>(lcms()->readTag(profile, Colorants[i])),
                          static_cast<const cmsCIEXYZ*>(lcms()->readTag(srgb, Colorants[i]))) ||
            !sameCurve(curve(profile, Curves[i]), curve(srgb, Curves[i])))
            return false;
    }
    return true;
}

Transform makeTransform(cmsContext c, cmsHPROFILE from, cmsUInt32Number inFormat, cmsHPROFILE to,
                        cmsUInt32Number outFormat, cmsUInt32Number flags = 0) {
    return Transform(
        lcms()->createTransformTHR(c, from, inFormat, to, outFormat, INTENT_PERCEPTUAL, flags));
}

// A colour table through the profile: RGB entries, or grey levels (their red byte).
void convertTable(Bitmap& b, cmsContext c, cmsHPROFILE from, Space space, cmsHPROFILE srgb) {
    const bool grey = space == Space::Grey;
    const Transform t = makeTransform(c, from, grey ? TYPE_GRAY_8 : TYPE_RGB_8, srgb, TYPE_RGB_8);
    if (!t)
        return;
    std::vector<std::uint32_t> table = b.colorTable();
    for (std::uint32_t& entry : table) {
        const std::uint8_t in[3] = {static_cast<std::uint8_t>(entry >> 16),
                                    static_cast<std::uint8_t>(entry >> 8),
                                    static_cast<std::uint8_t>(entry)};
        std::uint8_t out[3] = {};
        lcms()->doTransform(t.get(), in, out, 1);
        entry = std::uint32_t(out[0]) << 16 | std::uint32_t(out[1]) << 8 | out[2];
    }
    b.setColorTable(std::move(table));
}

// A pixel of blue, green, red, alpha bytes as 0xAARRGGBB, and back.
std::uint32_t loadPixel(const std::uint8_t* p) {
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}
void storePixel(std::uint8_t* p, std::uint32_t argb) {
    p[0] = static_cast<std::uint8_t>(argb);
    p[1] = static_cast<std::uint8_t>(argb >> 8);
    p[2] = static_cast<std::uint8_t>(argb >> 16);
    p[3] = static_cast<std::uint8_t>(argb >> 24);
}

// The pixels of a 24- or 32-bit bitmap decoded from a grey picture (its three colour bytes
// alike) through a grey profile: each grey level looked up in the converted levels.
void convertGreyPixels(Bitmap& b, cmsContext c, cmsHPROFILE from, cmsHPROFILE srgb) {
    const Transform t = makeTransform(c, from, TYPE_GRAY_8, srgb, TYPE_BGR_8);
    if (!t)
        return;
    std::uint8_t levels[256];
    std::uint8_t colours[256 * 3];
    for (int i = 0; i < 256; ++i)
        levels[i] = static_cast<std::uint8_t>(i);
    lcms()->doTransform(t.get(), levels, colours, 256);
    const int bytes = b.pixelFormat() == PixelFormat::Bits32 ? 4 : 3;
    const bool premultiplied = b.hasAlpha();
    for (int y = 0; y < b.height(); ++y) {
        std::uint8_t* p = b.scanLine(y);
        for (int x = 0; x < b.width(); ++x, p += bytes) {
            if (!premultiplied || p[3] == 255) {
                std::memcpy(p, colours + 3 * p[1], 3);
                continue;
            }
            std::uint32_t argb = std::uint32_t(p[3]) << 24 | std::uint32_t(p[1]) * 0x010101u;
            const std::uint32_t grey = imaging_detail::unpremultiply(argb) & 0xFF;
            const std::uint8_t* out = colours + 3 * grey;
            argb = std::uint32_t(p[3]) << 24 | std::uint32_t(out[2]) << 16 |
                   std::uint32_t(out[1]) << 8 | out[0];
            storePixel(p, imaging_detail::premultiply(argb));
        }
    }
}

// Rows of a 32-bit bitmap with premultiplied alpha: rows of opaque pixels are converted
// where they are, others as straight colours.
void convertPremultiplied(Bitmap& b, cmsHTRANSFORM t) {
    std::vector<std::uint8_t> straight(static_cast<std::size_t>(b.width()) * 4);
    for (int y = 0; y < b.height(); ++y) {
        std::uint8_t* row = b.scanLine(y);
        bool opaque = true;
        for (int x = 0; x < b.width() && opaque; ++x)
            opaque = row[4 * x + 3] == 255;
        if (opaque) {
            lcms()->doTransform(t, row, row, static_cast<cmsUInt32Number>(b.width()));
            continue;
        }
        for (int x = 0; x < b.width(); ++x)
            storePixel(straight.data() + 4 * x,
                       imaging_detail::unpremultiply(loadPixel(row + 4 * x)));
        lcms()->doTransform(t, straight.data(), straight.data(),
                            static_cast<cmsUInt32Number>(b.width()));
        for (int x = 0; x < b.width(); ++x)
            storePixel(row + 4 * x,
                       imaging_detail::premultiply(loadPixel(straight.data() + 4 * x)));
    }
}

} // namespace

bool convertsColourProfiles() noexcept {
    return lcms() != nullptr;
}

bool isSrgbProfile(std::span<const std::uint8_t> profile) noexcept {
    const Context c = newContext();
    if (!c)
        return false;
    const Profile p = openProfile(c.get(), profile);
    const Profile srgb(lcms()->createSRGBProfileTHR(c.get()));
    return p && srgb && describesSrgb(p.get(), spaceOf(profile), srgb.get());
}

void convertToSrgb(Bitmap& b, std::span<const std::uint8_t> profile) {
    if (profile.empty() || b.empty())
        return;
    const bool table = b.bitsPerPixel() <= 8;
    const bool rgb =
        b.pixelFormat() == PixelFormat::Bits24 || b.pixelFormat() == PixelFormat::Bits32;
    if (!table && !rgb)
        return;
    const Context c = newContext();
    if (!c)
        return;
    const Profile from = openProfile(c.get(), profile);
    const Profile srgb(lcms()->createSRGBProfileTHR(c.get()));
    const Space space = spaceOf(profile);
    if (!from || !srgb || describesSrgb(from.get(), space, srgb.get()))
        return;
    if (table) {
        if (space != Space::Other)
            convertTable(b, c.get(), from.get(), space, srgb.get());
        return;
    }
    if (space == Space::Grey) {
        convertGreyPixels(b, c.get(), from.get(), srgb.get());
        return;
    }
    if (space != Space::Rgb)
        return;
    if (b.pixelFormat() == PixelFormat::Bits24) {
        const Transform t = makeTransform(c.get(), from.get(), TYPE_BGR_8, srgb.get(), TYPE_BGR_8);
        if (t)
            for (int y = 0; y < b.height(); ++y)
                lcms()->doTransform(t.get(), b.scanLine(y), b.scanLine(y),
                                    static_cast<cmsUInt32Number>(b.width()));
        return;
    }
    const Transform t = makeTransform(c.get(), from.get(), TYPE_BGRA_8, srgb.get(), TYPE_BGRA_8,
                                      cmsFLAGS_COPY_ALPHA);
    if (!t)
        return;
    if (b.alphaMode() == AlphaMode::Premultiplied) {
        convertPremultiplied(b, t.get());
        return;
    }
    for (int y = 0; y < b.height(); ++y)
        lcms()->doTransform(t.get(), b.scanLine(y), b.scanLine(y),
                            static_cast<cmsUInt32Number>(b.width()));
}

#else

bool convertsColourProfiles() noexcept {
    return false;
}

bool isSrgbProfile(std::span<const std::uint8_t>) noexcept {
    return false;
}

void convertToSrgb(Bitmap&, std::span<const std::uint8_t>) {}

#endif
