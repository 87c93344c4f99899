#include "thumbs/strip.h"

#include "collection/collection.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "imaging/resources.h"
#include "platform/paths.h"
#include "platform/wallpaper.h"
#include "thumbs/thumbcache.h"

#include <QtGlobal>

#include <string_view>

namespace {

bool validSlot(int numPreview) {
    return numPreview >= -2 && numPreview <= 2;
}

} // namespace

StripLabels splitWallPath(const std::string& path) {
    // Windows paths may end their drive part with a colon ("C:wave.jpg").
    const std::string_view separators = platform::pathSeparator() == '\\' ? "\\:" : "/";
    const std::size_t cut = path.find_last_of(separators);
    if (cut == std::string::npos)
        return {{}, path, {}};
    return {{}, path.substr(cut + 1), path.substr(0, cut + 1)};
}

Strip::Strip(const Collection& collection) : m_collection(collection) {}

void Strip::loadScaled(const char* name, Bitmap& img) const {
    if (m_scale == 1) {
        loadFromRes(name, img);
        return;
    }
    const std::string doubled = std::string(name) + "@2x";
    if (!findResource(doubled).empty()) {
        loadFromRes(doubled, img);
        return;
    }
    // No picture of that scale: the plain one with its pixels repeated.
    Bitmap plain;
    loadFromRes(name, plain);
    img.setPixelFormat(plain.pixelFormat());
    img.setSize(plain.width() * m_scale, plain.height() * m_scale);
    img.stretchDraw(Rect{0, 0, img.width(), img.height()}, plain, StretchMode::ColorOnColor);
}

void Strip::createBufBitmap() {
    auto buf = std::make_unique<Bitmap>();
    buf->setSize(StripWidth * m_scale, StripHeight * m_scale);
    auto background = std::make_unique<Bitmap>();
    loadScaled("background", *background);
    buf->draw(0, 0, *background);
    m_bufBitmap = std::move(buf);
    m_backgroundBitmap = std::move(background);
}

void Strip::createLoadPhoto() {
    auto placeholder = std::make_unique<Bitmap>();
    loadScaled("loadphoto", *placeholder);
    m_loadPhotoBitmap = std::move(placeholder);
}

void Strip::computePreviewRect() {
    const Rect& m = MonitorRect;
    const int q = m.left / 4;
    const int h = q / 2;
    const int top = m.top + 24;
    const int lefts[5] = {q - 57, m.left - 115 - h, m.left, m.right + h, StripWidth - q - 57};
    for (std::size_t k = 0; k < 5; ++k) {
        m_aRectPreview[k] = Rect{lefts[k], top, lefts[k] + 115, top + 75};
        m_aRectThumb[k] = Rect{lefts[k] + 5, top + 5, lefts[k] + 5 + 104, top + 5 + 64};
    }
    m_aRectPreview[2] = m;
    m_aRectThumb[2] = Rect{m.left + 5, m.top + 5, m.left + 5 + 104, m.top + 5 + 64};
}

void Strip::setScale(int scale) {
    scale = scale > 1 ? 2 : 1;
    if (scale == m_scale)
        return;
    // A picture missing at that scale is made from the plain one, so only a
    // program without its pictures can fail here.
    m_scale = scale;
    if (m_bufBitmap)
        createBufBitmap();
    if (m_loadPhotoBitmap)
        createLoadPhoto();
    m_monitorPath.clear();
    m_monitorPicture = Bitmap();
    drawView();
}

void Strip::drawView() {
    if (m_view == View::Slots)
        drawWallSlots();
    else if (m_view == View::Empty)
        clearInfo();
}

void Strip::makeBitmaps() const {
    if (m_bufBitmap && m_backgroundBitmap && m_loadPhotoBitmap)
        return;
    // The bitmaps only cache the view, which is all the strip's state: the
    // object itself is not const.
    auto* self = const_cast<Strip*>(this);
    if (!m_loadPhotoBitmap)
        self->createLoadPhoto();
    if (!m_bufBitmap || !m_backgroundBitmap) {
        self->createBufBitmap();
        self->drawView();
    }
}

const Bitmap* Strip::buffer() const {
    makeBitmaps();
    return m_bufBitmap.get();
}

const Bitmap* Strip::background() const {
    makeBitmaps();
    return m_backgroundBitmap.get();
}

const Bitmap* Strip::placeholder() const {
    makeBitmaps();
    return m_loadPhotoBitmap.get();
}

std::string Strip::monitorPictureWanted() const {
    const std::int32_t current = m_collection.current();
    if (m_scale == 1 || m_view != View::Slots || !m_collection.isIndex(current))
        return {};
    const std::string& path = m_collection.entries()[current].path;
    return path == m_monitorPath ? std::string() : path;
}

bool Strip::setMonitorPicture(const std::string& path, Bitmap picture) {
    m_monitorPath = path;
    // Only a picture that fills the monitor pixel for pixel is sharper than
    // the thumbnail.
    const bool fits = m_scale > 1 && picture.width() == MonitorRect.width() * m_scale &&
                      picture.height() == MonitorRect.height() * m_scale;
    m_monitorPicture = fits ? std::move(picture) : Bitmap();
    const std::int32_t current = m_collection.current();
    if (!fits || m_view != View::Slots || !m_collection.isIndex(current) ||
        m_collection.entries()[current].path != path)
        return false;
    drawOnMonitor(m_monitorPicture);
    return true;
}

void Strip::freeStripBitmaps() {
    m_bufBitmap.reset();
    m_backgroundBitmap.reset();
    m_loadPhotoBitmap.reset();
    m_monitorPath.clear();
    m_monitorPicture = Bitmap();
}

StripLabels Strip::infoWall() const {
    const std::int32_t current = m_collection.current();
    if (!m_collection.isIndex(current))
        return {};
    StripLabels l = splitWallPath(m_collection.entries()[current].path);
    l.num = std::to_string(current + 1) + "/" + std::to_string(m_collection.count());
    return l;
}

void Strip::drawBackground(int numPreview) {
    if (!m_bufBitmap || !m_backgroundBitmap || !validSlot(numPreview))
        return;
    const Rect r = scaled(slotRect(numPreview));
    m_bufBitmap->copyRect(r, *m_backgroundBitmap, r);
}

void Strip::drawOnMonitor(const Bitmap& b) {
    if (!m_bufBitmap)
        return;
    const int left = MonitorRect.left * m_scale;
    const int top = MonitorRect.top * m_scale;
    const bool ownPixels =
        b.width() == MonitorRect.width() * m_scale && b.height() == MonitorRect.height() * m_scale;
    if (m_scale == 1 || ownPixels)
        m_bufBitmap->draw(left, top, b);
    else
        m_bufBitmap->stretchDraw(
            Rect{left, top, left + b.width() * m_scale, top + b.height() * m_scale}, b,
            StretchMode::ColorOnColor);
}

void Strip::drawOnPreview(int numPreview, const Bitmap& b) {
    if (!m_bufBitmap || !validSlot(numPreview))
        return;
    m_bufBitmap->setBrushColor(0xFFFFFF);
    // The fill leaves the rectangle's last column and row, one strip unit.
    Rect frame = scaled(slotRect(numPreview));
    frame.right -= m_scale - 1;
    frame.bottom -= m_scale - 1;
    m_bufBitmap->fillRect(frame);
    m_bufBitmap->stretchDraw(scaled(thumbRect(numPreview)), b, StretchMode::ColorOnColor);
}

void Strip::drawWallSlots() {
    if (m_collection.empty())
        return;
    m_view = View::Slots;
    if (!m_bufBitmap || !m_loadPhotoBitmap)
        return; // drawn when the buffer is made
    for (int k = -2; k <= 2; ++k) {
        const std::int64_t i = std::int64_t(m_collection.current()) + k;
        if (!m_collection.isIndex(i)) {
            drawBackground(k);
            continue;
        }
        const WallEntry& wall = m_collection.entries()[i];
        const Bitmap& picture = wall.preview ? *wall.preview : *m_loadPhotoBitmap;
        if (k == 0 && m_scale > 1 && !m_monitorPicture.empty() && wall.path == m_monitorPath)
            drawOnMonitor(m_monitorPicture);
        else if (k == 0)
            drawOnMonitor(picture);
        else
            drawOnPreview(k, picture);
    }
}

StripLabels Strip::clearInfo() {
    m_view = View::Empty;
    for (int k = -2; k <= 2; ++k)
        drawBackground(k);
    loadDesktopWallpaper();
    // In English here; the main window shows it in the user's language.
    return {{}, {}, QT_TRANSLATE_NOOP("MainWindow", "Please, add wallpapers in the manager >>>")};
}

void Strip::loadDesktopWallpaper() {
    if (!m_bufBitmap)
        return;
    Bitmap picture;
    if (!file2Bitmap(picture, platform::toFsPath(platform::getWallpaperName())))
        return;
    Bitmap small;
    small.setSize(ThumbWidth * m_scale, ThumbHeight * m_scale);
    small.setPixelFormat(PixelFormat::Bits24);
    myResizeBitmap(picture, small);
    m_bufBitmap->stretchDraw(scaled(MonitorRect), small, StretchMode::ColorOnColor);
}
