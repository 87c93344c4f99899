#include "ui/stripview.h"

#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "platform/paths.h"
#include "thumbs/strip.h"
#include "ui/bitmapimage.h"
#include "ui/skin.h"

#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

StripView::StripView(Strip& strip, QWidget* parent) : QWidget(parent), m_strip(strip) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(0, 119, StripWidth, StripHeight);
    m_pool.setMaxThreadCount(1);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &StripView::onMonitorPictureDone);
}

StripView::~StripView() {
    m_pool.waitForDone();
}

Bitmap StripView::loadMonitorPicture(const std::string& file, int width, int height) {
    const std::filesystem::path fn = platform::toFsPath(file);
    Bitmap picture;
    picture.setPixelFormat(PixelFormat::Bits24);
    picture.setSize(width, height);
    if (file2BitmapAveraged(picture, fn) == DecodeStatus::Ok)
        return picture;
    // Too large to decode whole: the largest reduction that still covers the
    // monitor, averaged down the rest of the way.
    Bitmap reduced;
    if (file2BitmapReduced(reduced, fn, width, height) != DecodeStatus::Ok || reduced.empty())
        return {};
    myResizeBitmap(reduced, picture);
    return picture;
}

void StripView::followScale() {
    const int scale = skinScaleFor(devicePixelRatioF());
    if (scale != m_strip.scale())
        m_strip.setScale(scale);
}

void StripView::requestMonitorPicture() {
    const std::string wanted = m_strip.monitorPictureWanted();
    // A decode that runs reports first; the newest wish is looked at then.
    if (wanted.empty() || !m_loading.empty())
        return;
    m_loading = wanted;
    const int width = MonitorRect.width() * m_strip.scale();
    const int height = MonitorRect.height() * m_strip.scale();
    m_watcher.setFuture(QtConcurrent::run(
        &m_pool, [wanted, width, height] { return loadMonitorPicture(wanted, width, height); }));
}

void StripView::onMonitorPictureDone() {
    const std::string file = std::exchange(m_loading, {});
    Bitmap picture = m_watcher.result();
    // The strip may have moved on (or changed its scale) while it was decoded.
    if (file == m_strip.monitorPictureWanted() &&
        m_strip.setMonitorPicture(file, std::move(picture)))
        update();
    requestMonitorPicture();
}

void StripView::paintEvent(QPaintEvent*) {
    // Painting follows the screen: a window moved to a screen of another
    // density is painted again there.
    followScale();
    requestMonitorPicture();
    const Bitmap* buffer = m_strip.buffer();
    if (!buffer)
        return;
    QImage image = bitmapToQImage(*buffer);
    image.setDevicePixelRatio(m_strip.scale());
    QPainter p(this);
    // Between the two scales (144 dpi is a ratio of 1.5) the 2x strip is
    // shrunk: averaged, not picked.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(0, 0, image);
}
