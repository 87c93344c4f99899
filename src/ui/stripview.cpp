#include "ui/stripview.h"

#include "thumbs/strip.h"
#include "ui/bitmapimage.h"

#include <QPainter>

StripView::StripView(const Strip& strip, QWidget* parent) : QWidget(parent), m_strip(strip) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(0, 119, StripWidth, StripHeight);
}

void StripView::paintEvent(QPaintEvent*) {
    if (const Bitmap* buffer = m_strip.buffer())
        QPainter(this).drawImage(0, 0, bitmapToQImage(*buffer));
}
