#include "imaging/strip.h"

#include "collection/state.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "imaging/resources.h"
#include "imaging/thumbcache.h"
#include "platform/paths.h"
#include "platform/wallpaper.h"

#include <string_view>

std::unique_ptr<Bitmap> BufBitmap;
std::unique_ptr<Bitmap> BackgroundBitmap;
std::unique_ptr<Bitmap> LoadPhotoBitmap;
std::array<Rect, 5> aRectPreview;
std::array<Rect, 5> aRectThumb;

namespace {

bool ValidSlot(int numPreview) {
    return numPreview >= -2 && numPreview <= 2;
}

std::size_t SlotIndex(int numPreview) {
    return static_cast<std::size_t>(numPreview + 2);
}

} // namespace

void CreateBufBitmap() {
    auto buf = std::make_unique<Bitmap>();
    buf->setSize(StripWidth, StripHeight);
    auto background = std::make_unique<Bitmap>();
    LoadFromRes("background", *background);
    buf->draw(0, 0, *background);
    BufBitmap = std::move(buf);
    BackgroundBitmap = std::move(background);
}

void CreateLoadPhoto() {
    auto placeholder = std::make_unique<Bitmap>();
    LoadFromRes("loadphoto", *placeholder);
    LoadPhotoBitmap = std::move(placeholder);
}

void Get_aRectPreview() {
    const Rect& M = MonitorRect;
    const int q = M.left / 4;
    const int h = q / 2;
    const int top = M.top + 24;
    const int lefts[5] = {q - 57, M.left - 115 - h, M.left, M.right + h, StripWidth - q - 57};
    for (std::size_t k = 0; k < 5; ++k) {
        aRectPreview[k] = Rect{lefts[k], top, lefts[k] + 115, top + 75};
        aRectThumb[k] = Rect{lefts[k] + 5, top + 5, lefts[k] + 5 + 104, top + 5 + 64};
    }
    aRectPreview[2] = M;
    aRectThumb[2] = Rect{M.left + 5, M.top + 5, M.left + 5 + 104, M.top + 5 + 64};
}

void FreeStripBitmaps() {
    BufBitmap.reset();
    BackgroundBitmap.reset();
    LoadPhotoBitmap.reset();
}

StripLabels SplitWallPath(const std::string& path) {
    // Windows paths may end their drive part with a colon ("C:wave.jpg").
    const std::string_view separators = platform::pathSeparator() == '\\' ? "\\:" : "/";
    const std::size_t cut = path.find_last_of(separators);
    if (cut == std::string::npos)
        return {{}, path, {}};
    return {{}, path.substr(cut + 1), path.substr(0, cut + 1)};
}

StripLabels InfoWall() {
    if (CurrentWall < 0 || CurrentWall >= WallCount())
        return {};
    StripLabels l = SplitWallPath(Walls[CurrentWall].Path);
    l.num = std::to_string(CurrentWall + 1) + "/" + std::to_string(WallCount());
    return l;
}

void DrawBackground(int numPreview) {
    if (!BufBitmap || !BackgroundBitmap || !ValidSlot(numPreview))
        return;
    const Rect& r = aRectPreview[SlotIndex(numPreview)];
    BufBitmap->copyRect(r, *BackgroundBitmap, r);
}

void DrawOnMonitor(const Bitmap& b) {
    if (BufBitmap)
        BufBitmap->draw(MonitorRect.left, MonitorRect.top, b);
}

void DrawOnPreview(int numPreview, const Bitmap& b) {
    if (!BufBitmap || !ValidSlot(numPreview))
        return;
    BufBitmap->setBrushColor(0xFFFFFF);
    BufBitmap->fillRect(aRectPreview[SlotIndex(numPreview)]);
    BufBitmap->stretchDraw(aRectThumb[SlotIndex(numPreview)], b, StretchMode::ColorOnColor);
}

void DrawWallSlots() {
    if (Walls.empty() || !BufBitmap || !LoadPhotoBitmap)
        return;
    for (int k = -2; k <= 2; ++k) {
        const std::int64_t i = std::int64_t(CurrentWall) + k;
        if (i < 0 || i >= WallCount()) {
            DrawBackground(k);
            continue;
        }
        if (!Walls[i].Preview && CacheIdle)
            ThreadDoneCache();
        // The scheduler only starts a job here; it frees no visible preview.
        const Bitmap& picture = Walls[i].Preview ? *Walls[i].Preview : *LoadPhotoBitmap;
        if (k == 0)
            DrawOnMonitor(picture);
        else
            DrawOnPreview(k, picture);
    }
}

StripLabels ClearInfo() {
    for (int k = -2; k <= 2; ++k)
        DrawBackground(k);
    LoadDesktopWallpaper();
    return {{}, {}, "Please, add wallpapers in the manager >>>"};
}

void LoadDesktopWallpaper() {
    if (!BufBitmap)
        return;
    Bitmap picture;
    if (!File2Bitmap(picture, platform::toFsPath(platform::getWallpaperName())))
        return;
    Bitmap small;
    small.setSize(ThumbWidth, ThumbHeight);
    small.setPixelFormat(PixelFormat::Bits24);
    MyResizeBitmap(picture, small);
    BufBitmap->stretchDraw(MonitorRect, small, StretchMode::ColorOnColor);
}

void ClearPreview() {
    for (TWall& w : Walls)
        w.Preview.reset();
}
