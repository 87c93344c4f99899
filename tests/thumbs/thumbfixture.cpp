#include "thumbs/thumbfixture.h"

#include "imaging/codecs.h"

#include <QCoreApplication>
#include <QTest>

#include <cstdlib>
#include <filesystem>

void writeSolidPicture(const std::string& path, int width, int height, std::uint32_t rgb) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const Bitmap b = solidBitmap(width, height, rgb);
    if (path.ends_with(".jpg"))
        bitmap2Jpeg(b, path);
    else
        b.saveToFile(path);
}

std::uint32_t colourOf(int i) {
    return (std::uint32_t(40 + (i * 37) % 160) << 16) | (std::uint32_t(30 + (i * 91) % 170) << 8) |
           std::uint32_t(20 + (i * 53) % 180);
}

Bitmap solidBitmap(int width, int height, std::uint32_t rgb) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setBrushColor(rgb);
    b.setSize(width, height);
    return b;
}

std::vector<std::int32_t> span(std::int32_t first, std::int32_t last) {
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
    m_strip.createBufBitmap();
    m_strip.createLoadPhoto();
    m_strip.computePreviewRect();
    onRedraw([this] { m_strip.drawWallSlots(); });
    m_onThumbnailJob = [this](std::int32_t num) { m_jobs.push_back(num); };
    QObject::connect(&m_cache, &ThumbnailCache::jobStarted, [this](std::int32_t num) {
        if (m_onThumbnailJob)
            m_onThumbnailJob(num);
    });
}

void ThumbTest::TearDown() {
    abandonThumbnailJob();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_onThumbnailJob = nullptr;
    m_collection.dropAllPreviews();
    m_strip.freeStripBitmaps();
    TempHome::TearDown();
}

void ThumbTest::onRedraw(std::function<void()> redraw) {
    QObject::disconnect(m_redraw);
    QObject::disconnect(m_redrawPreview);
    m_redraw = QObject::connect(&m_collection, &Collection::currentChanged, redraw);
    // As the main window does: a thumbnail that arrives for a visible slot.
    m_redrawPreview = QObject::connect(&m_collection, &Collection::previewChanged,
                                       [this, redraw](std::int32_t i) {
                                           if (std::abs(i - currentWall()) <= 2)
                                               redraw();
                                       });
}

std::vector<std::string> ThumbTest::makeCollection(int n, const std::string& folder) {
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) {
        paths.push_back(m_home + "/" + folder + "/p" + std::to_string(i) + ".bmp");
        writeSolidPicture(paths.back(), 48 + i % 7, 30 + i % 5, colourOf(i));
    }
    writeWallList(paths);
    loadFresh(paths);
    return paths;
}

void ThumbTest::loadFresh(const std::vector<std::string>& paths) {
    m_collection.clear();
    m_collection.add(paths);
}

bool ThumbTest::waitIdle(int timeoutMs) {
    return QTest::qWaitFor([this] { return m_cache.idle(); }, timeoutMs);
}

std::vector<std::int32_t> ThumbTest::withPreview() const {
    std::vector<std::int32_t> v;
    for (std::int32_t i = 0; i < wallCount(); ++i)
        if (walls()[i].preview)
            v.push_back(i);
    return v;
}
