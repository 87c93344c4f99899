// Fonts and drawing helpers shared by every picture.
#include "skin.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>
#include <cmath>

namespace skin {

bool LoadFonts() {
    // The files themselves, so that no other font stands in for them.
    const char* folders[] = {"/usr/share/fonts/truetype/dejavu/", "/usr/share/fonts/TTF/",
                             "/usr/share/fonts/dejavu/"};
    for (const char* folder : folders) {
        for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"}) {
            const QString path = QString::fromLatin1(folder) + QString::fromLatin1(file);
            if (QFile::exists(path))
                QFontDatabase::addApplicationFont(path);
        }
    }
    return QFontInfo(Font(12)).family() == QStringLiteral("DejaVu Sans") &&
           QFontInfo(Font(12, true)).bold();
}

QFont Font(int pixels, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferVerticalHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias |
                                            QFont::NoFontMerging));
    return f;
}

void AddGrain(QImage& img, int amplitude, std::uint32_t seed) {
    Lcg rng{seed};
    auto clamp = [](int v, int top) { return v < 0 ? 0 : (v > top ? top : v); };
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int d = rng.next(2 * amplitude + 1) - amplitude;
            const int a = qAlpha(row[x]);
            if (a != 255)
                continue; // edges and transparent corners keep their colour
            row[x] = qRgba(clamp(qRed(row[x]) + d, a), clamp(qGreen(row[x]) + d, a),
                           clamp(qBlue(row[x]) + d, a), a);
        }
    }
}

void SoftShadow(QPainter& p, const QRectF& r, qreal radius, int spread, int alpha) {
    p.setPen(Qt::NoPen);
    for (int i = spread; i >= 1; --i) {
        const int a = alpha * (spread - i + 1) / (spread * spread / 2 + 1);
        p.setBrush(QColor(0, 0, 0, a));
        p.drawRoundedRect(r.adjusted(-i, -i, i, i), radius + i, radius + i);
    }
}

QImage Halo(const QImage& shape, int radius, const QColor& colour, qreal strength) {
    // The radius is in the picture's own coordinates; the blur works on its pixels.
    radius = static_cast<int>(std::lround(radius * shape.devicePixelRatio()));
    const int w = shape.width();
    const int h = shape.height();
    std::vector<float> a(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(shape.constScanLine(y));
        for (int x = 0; x < w; ++x)
            a[static_cast<size_t>(y) * w + x] = qAlpha(row[x]) / 255.0f;
    }
    // A Gaussian of sigma radius / 2, cut at the radius, applied along rows then columns.
    std::vector<float> kernel(static_cast<size_t>(2 * radius + 1));
    const float sigma = std::max(0.5f, radius / 2.0f);
    float sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += kernel[static_cast<size_t>(i + radius)] = std::exp(-(i * i) / (2 * sigma * sigma));
    for (float& k : kernel)
        k /= sum;
    std::vector<float> t(a.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int i = -radius; i <= radius; ++i) {
                const int xx = x + i;
                if (xx >= 0 && xx < w)
                    s += kernel[static_cast<size_t>(i + radius)] *
                         a[static_cast<size_t>(y) * w + xx];
            }
            t[static_cast<size_t>(y) * w + x] = s;
        }
    QImage out = CanvasLike(shape);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int i = -radius; i <= radius; ++i) {
                const int yy = y + i;
                if (yy >= 0 && yy < h)
                    s += kernel[static_cast<size_t>(i + radius)] *
                         t[static_cast<size_t>(yy) * w + x];
            }
            const float v = std::min(1.0f, s * static_cast<float>(strength)) * colour.alphaF();
            const int alpha = static_cast<int>(std::lround(v * 255));
            row[x] = qPremultiply(qRgba(colour.red(), colour.green(), colour.blue(), alpha));
        }
    }
    return out;
}

void Caption(QPainter& p, const QRectF& r, int flags, const QString& text, const QFont& font,
             const QColor& colour) {
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 190));
    p.drawText(r.translated(0, 1), flags, text);
    p.setPen(colour);
    p.drawText(r, flags, text);
}

namespace {
int g_scale = 1;
} // namespace

int Scale() {
    return g_scale;
}

void SetScale(int scale) {
    g_scale = scale;
}

QImage Canvas(int width, int height) {
    QImage img(width * g_scale, height * g_scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(g_scale);
    img.fill(Qt::transparent);
    return img;
}

QImage CanvasLike(const QImage& like) {
    QImage img(like.size(), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(like.devicePixelRatio());
    img.fill(Qt::transparent);
    return img;
}

} // namespace skin
