#include "ui/bitmapimage.h"

#include "imaging/bitmap.h"

QImage bitmapToQImage(const Bitmap& b) {
    if (b.empty())
        return {};
    // 32-bit rows are blue, green, red, alpha bytes: Qt's ARGB32 formats on
    // little-endian machines.
    const QImage::Format format =
        b.hasAlpha() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (b.bitsPerPixel() == 32)
        return QImage(b.scanLine(0), b.width(), b.height(), static_cast<qsizetype>(b.stride()),
                      format);
    QImage image(b.width(), b.height(), format);
    b.toBgra32(image.bits(), image.bytesPerLine());
    return image;
}
