#include "ui/previewloader.h"

#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "imaging/uprightthumbs.h"
#include "platform/paths.h"
#include "ui/bitmapimage.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

PreviewLoader::PreviewLoader(QObject* parent) : QObject(parent) {
    m_pool.setMaxThreadCount(1);
}

PreviewLoader::~PreviewLoader() {
    m_pool.waitForDone();
}

QImage PreviewLoader::loadPreview(const std::string& file, const std::string& thumbnail, QSize size,
                                  const std::string& thumbnailFolder) {
    Bitmap picture;
    const bool thumbnailHolds =
        !thumbnail.empty() &&
        (thumbnailFolder.empty() || !thumbnailPredatesOrientationReadOnly(
                                        platform::toFsPath(thumbnailFolder),
                                        platform::toFsPath(thumbnail), platform::toFsPath(file)));
    const bool decoded = (thumbnailHolds && file2Bitmap(picture, platform::toFsPath(thumbnail))) ||
                         file2Bitmap(picture, platform::toFsPath(file));
    if (!decoded || picture.empty() || size.isEmpty())
        return {};
    Bitmap small;
    small.setPixelFormat(PixelFormat::Bits24);
    small.setSize(size.width(), size.height());
    myResizeBitmap(picture, small);
    return bitmapToQImage(small).copy();
}

void PreviewLoader::request(const std::string& file, const std::string& thumbnail, QSize size,
                            const std::string& thumbnailFolder) {
    Job job{file, thumbnail, size, thumbnailFolder, ++m_ticket};
    if (m_running)
        m_waiting = std::move(job);
    else
        start(std::move(job));
}

void PreviewLoader::cancel() {
    ++m_ticket;
    m_waiting.reset();
}

void PreviewLoader::start(Job job) {
    m_running = true;
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, ticket = job.ticket] {
        watcher->deleteLater();
        onJobDone(ticket, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&m_pool, [job = std::move(job)] {
        return loadPreview(job.file, job.thumbnail, job.size, job.thumbnailFolder);
    }));
}

void PreviewLoader::onJobDone(std::uint64_t ticket, const QImage& image) {
    m_running = false;
    if (m_waiting) {
        Job next = std::move(*m_waiting);
        m_waiting.reset();
        start(std::move(next));
        return;
    }
    if (ticket == m_ticket)
        emit loaded(image);
}
