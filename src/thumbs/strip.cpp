#include "thumbs/strip.h"

#include "collection/state.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "imaging/resources.h"
#include "platform/paths.h"
#include "platform/wallpaper.h"
#include "thumbs/thumbcache.h"

#include <string_view>

namespace {

bool ValidSlot(int numPreview) {
    return numPreview >= -2 && numPreview <= 2;
}

} // namespace

StripLabels SplitWallPath(const std::string& path) {
    // Windows paths may end their drive part with a colon ("C:wave.jpg").
    const std::string_view separators = platform::pathSeparator() == '\\' ? "\\:" : "/";
    const std::size_t cut = path.find_last_of(separators);
    if (cut == std::string::npos)
        return {{}, path, {}};
    return {{}, path.substr(cut + 1), path.substr(0, cut + 1)};
}

void ClearPreview(ProgramState& state) {
    for (TWall& w : state.Walls)
        w.Preview.reset();
}

Strip::Strip(ProgramState& state, ThumbnailCache& cache) : m_state(state), m_cache(cache) {}

void Strip::CreateBufBitmap() {
    auto buf = std::make_unique<Bitmap>();
    buf->setSize(StripWidth, StripHeight);
    auto background = std::make_unique<Bitmap>();
    LoadFromRes("background", *background);
    buf->draw(0, 0, *background);
    m_bufBitmap = std::move(buf);
    m_backgroundBitmap = std::move(background);
}

void Strip::CreateLoadPhoto() {
    auto placeholder = std::make_unique<Bitmap>();
    LoadFromRes("loadphoto", *placeholder);
    m_loadPhotoBitmap = std::move(placeholder);
}

void Strip::Get_aRectPreview() {
    const Rect& M = MonitorRect;
    const int q = M.left / 4;
    const int h = q / 2;
    const int top = M.top + 24;
    const int lefts[5] = {q - 57, M.left - 115 - h, M.left, M.right + h, StripWidth - q - 57};
    for (std::size_t k = 0; k < 5; ++k) {
        m_aRectPreview[k] = Rect{lefts[k], top, lefts[k] + 115, top + 75};
        m_aRectThumb[k] = Rect{lefts[k] + 5, top + 5, lefts[k] + 5 + 104, top + 5 + 64};
    }
    m_aRectPreview[2] = M;
    m_aRectThumb[2] = Rect{M.left + 5, M.top + 5, M.left + 5 + 104, M.top + 5 + 64};
}

void Strip::FreeStripBitmaps() {
    m_bufBitmap.reset();
    m_backgroundBitmap.reset();
    m_loadPhotoBitmap.reset();
}

StripLabels Strip::InfoWall() const {
    if (!m_state.IsWallIndex(m_state.CurrentWall))
        return {};
    StripLabels l = SplitWallPath(m_state.Walls[m_state.CurrentWall].Path);
    l.num = std::to_string(m_state.CurrentWall + 1) + "/" + std::to_string(m_state.WallCount());
    return l;
}

void Strip::DrawBackground(int numPreview) {
    if (!m_bufBitmap || !m_backgroundBitmap || !ValidSlot(numPreview))
        return;
    const Rect& r = slotRect(numPreview);
    m_bufBitmap->copyRect(r, *m_backgroundBitmap, r);
}

void Strip::DrawOnMonitor(const Bitmap& b) {
    if (m_bufBitmap)
        m_bufBitmap->draw(MonitorRect.left, MonitorRect.top, b);
}

void Strip::DrawOnPreview(int numPreview, const Bitmap& b) {
    if (!m_bufBitmap || !ValidSlot(numPreview))
        return;
    m_bufBitmap->setBrushColor(0xFFFFFF);
    m_bufBitmap->fillRect(slotRect(numPreview));
    m_bufBitmap->stretchDraw(thumbRect(numPreview), b, StretchMode::ColorOnColor);
}

void Strip::DrawWallSlots() {
    if (m_state.Walls.empty() || !m_bufBitmap || !m_loadPhotoBitmap)
        return;
    for (int k = -2; k <= 2; ++k) {
        const std::int64_t i = std::int64_t(m_state.CurrentWall) + k;
        if (!m_state.IsWallIndex(i)) {
            DrawBackground(k);
            continue;
        }
        if (!m_state.Walls[i].Preview && m_state.CacheIdle)
            m_cache.ThreadDoneCache();
        // The scheduler only starts a job here; it frees no visible preview.
        const TWall& wall = m_state.Walls[i];
        const Bitmap& picture = wall.Preview ? *wall.Preview : *m_loadPhotoBitmap;
        if (k == 0)
            DrawOnMonitor(picture);
        else
            DrawOnPreview(k, picture);
    }
}

StripLabels Strip::ClearInfo() {
    for (int k = -2; k <= 2; ++k)
        DrawBackground(k);
    LoadDesktopWallpaper();
    return {{}, {}, "Please, add wallpapers in the manager >>>"};
}

void Strip::LoadDesktopWallpaper() {
    if (!m_bufBitmap)
        return;
    Bitmap picture;
    if (!File2Bitmap(picture, platform::toFsPath(platform::getWallpaperName())))
        return;
    Bitmap small;
    small.setSize(ThumbWidth, ThumbHeight);
    small.setPixelFormat(PixelFormat::Bits24);
    MyResizeBitmap(picture, small);
    m_bufBitmap->stretchDraw(MonitorRect, small, StretchMode::ColorOnColor);
}
