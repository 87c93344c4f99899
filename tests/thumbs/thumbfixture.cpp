#include "thumbs/thumbfixture.h"

#include "imaging/codecs.h"

#include <QCoreApplication>
#include <QTest>

#include <filesystem>

void WriteSolidPicture(const std::string& path, int width, int height, std::uint32_t rgb) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const Bitmap b = SolidBitmap(width, height, rgb);
    if (path.ends_with(".jpg"))
        Bitmap2Jpeg(b, path);
    else
        b.SaveToFile(path);
}

std::uint32_t ColourOf(int i) {
    return (std::uint32_t(40 + (i * 37) % 160) << 16) | (std::uint32_t(30 + (i * 91) % 170) << 8) |
           std::uint32_t(20 + (i * 53) % 180);
}

Bitmap SolidBitmap(int width, int height, std::uint32_t rgb) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setBrushColor(rgb);
    b.setSize(width, height);
    return b;
}

std::vector<std::int32_t> Span(std::int32_t first, std::int32_t last) {
    std::vector<std::int32_t> v;
    const int step = first <= last ? 1 : -1;
    for (std::int32_t i = first;; i += step) {
        v.push_back(i);
        if (i == last)
            break;
    }
    return v;
}

void ThumbTest::SetUp() {
    TempHome::SetUp();
    strip.CreateBufBitmap();
    strip.CreateLoadPhoto();
    strip.Get_aRectPreview();
    onRedraw([this] { strip.DrawWallSlots(); });
    OnThumbnailJob = [this](std::int32_t num) { jobs.push_back(num); };
    QObject::connect(&cache, &ThumbnailCache::jobStarted, [this](std::int32_t num) {
        if (OnThumbnailJob)
            OnThumbnailJob(num);
    });
}

void ThumbTest::TearDown() {
    AbandonThumbnailJob();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    OnThumbnailJob = nullptr;
    ClearPreview();
    strip.FreeStripBitmaps();
    TempHome::TearDown();
}

void ThumbTest::onRedraw(std::function<void()> redraw) {
    QObject::disconnect(m_redraw);
    m_redraw = QObject::connect(&collection, &Collection::currentChanged, std::move(redraw));
}

std::vector<std::string> ThumbTest::makeCollection(int n, const std::string& folder) {
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) {
        paths.push_back(home + "/" + folder + "/p" + std::to_string(i) + ".bmp");
        WriteSolidPicture(paths.back(), 48 + i % 7, 30 + i % 5, ColourOf(i));
    }
    WriteWallList(paths);
    loadFresh(paths);
    return paths;
}

void ThumbTest::loadFresh(const std::vector<std::string>& paths) {
    Walls.clear();
    for (const auto& p : paths)
        Walls.push_back(state.MakeWall(p));
}

bool ThumbTest::waitIdle(int timeoutMs) {
    return QTest::qWaitFor([this] { return CacheIdle && !ThumbnailJobRunning(); }, timeoutMs);
}

std::vector<std::int32_t> ThumbTest::withPreview() const {
    std::vector<std::int32_t> v;
    for (std::int32_t i = 0; i < WallCount(); ++i)
        if (Walls[i].Preview)
            v.push_back(i);
    return v;
}
