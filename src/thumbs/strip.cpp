#include "thumbs/strip.h"

#include "collection/collection.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "imaging/resources.h"
#include "platform/paths.h"
#include "platform/wallpaper.h"
#include "thumbs/thumbcache.h"

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

void Strip::createBufBitmap() {
    auto buf = std::make_unique<Bitmap>();
    buf->setSize(StripWidth, StripHeight);
    auto background = std::make_unique<Bitmap>();
    loadFromRes("background", *background);
    buf->draw(0, 0, *background);
    m_bufBitmap = std::move(buf);
    m_backgroundBitmap = std::move(background);
}

void Strip::createLoadPhoto() {
    auto placeholder = std::make_unique<Bitmap>();
    loadFromRes("loadphoto", *placeholder);
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

void Strip::freeStripBitmaps() {
    m_bufBitmap.reset();
    m_backgroundBitmap.reset();
    m_loadPhotoBitmap.reset();
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
    const Rect& r = slotRect(numPreview);
    m_bufBitmap->copyRect(r, *m_backgroundBitmap, r);
}

void Strip::drawOnMonitor(const Bitmap& b) {
    if (m_bufBitmap)
        m_bufBitmap->draw(MonitorRect.left, MonitorRect.top, b);
}

void Strip::drawOnPreview(int numPreview, const Bitmap& b) {
    if (!m_bufBitmap || !validSlot(numPreview))
        return;
    m_bufBitmap->setBrushColor(0xFFFFFF);
    m_bufBitmap->fillRect(slotRect(numPreview));
    m_bufBitmap->stretchDraw(thumbRect(numPreview), b, StretchMode::ColorOnColor);
}

void Strip::drawWallSlots() {
    if (m_collection.empty() || !m_bufBitmap || !m_loadPhotoBitmap)
        return;
    for (int k = -2; k <= 2; ++k) {
        const std::int64_t i = std::int64_t(m_collection.current()) + k;
        if (!m_collection.isIndex(i)) {
            drawBackground(k);
            continue;
        }
        const WallEntry& wall = m_collection.entries()[i];
        const Bitmap& picture = wall.preview ? *wall.preview : *m_loadPhotoBitmap;
        if (k == 0)
            drawOnMonitor(picture);
        else
            drawOnPreview(k, picture);
    }
}

StripLabels Strip::clearInfo() {
    for (int k = -2; k <= 2; ++k)
        drawBackground(k);
    loadDesktopWallpaper();
    return {{}, {}, "Please, add wallpapers in the manager >>>"};
}

void Strip::loadDesktopWallpaper() {
    if (!m_bufBitmap)
        return;
    Bitmap picture;
    if (!file2Bitmap(picture, platform::toFsPath(platform::getWallpaperName())))
        return;
    Bitmap small;
    small.setSize(ThumbWidth, ThumbHeight);
    small.setPixelFormat(PixelFormat::Bits24);
    myResizeBitmap(picture, small);
    m_bufBitmap->stretchDraw(MonitorRect, small, StretchMode::ColorOnColor);
}
