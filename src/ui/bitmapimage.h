// The picture toolkit's bitmaps as Qt images, for drawing them in widgets.
#pragma once

#include <QImage>

class Bitmap;

/// A QImage showing b: shares b's pixels for a 32-bit bitmap (b must then
/// outlive the image and stay unchanged while it is drawn), a converted copy
/// for the other formats. A null image for an empty bitmap.
QImage bitmapToQImage(const Bitmap& b);
