// Pictures for a small preview, loaded on a thread of their own so that
// moving through a list of large photos never holds the window up.
#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>

#include <cstdint>
#include <optional>
#include <string>

/// The newest request wins: a request made while a picture loads replaces
/// any request still waiting, so a quick run of requests costs at most two
/// loads, and only the newest request's picture is reported.
class PreviewLoader : public QObject {
    Q_OBJECT
public:
    explicit PreviewLoader(QObject* parent = nullptr);
    /// Waits for a load that runs.
    ~PreviewLoader() override;

    /// Loads the picture `file` shrunk to `size`, or `thumbnail` instead when
    /// it is not empty (the same picture already small); the picture is
    /// decoded only when the thumbnail cannot be, or when the thumbnail (in
    /// `thumbnailFolder`) was cached before pictures were turned upright and
    /// the picture is a turned one.
    void request(const std::string& file, const std::string& thumbnail, QSize size,
                 const std::string& thumbnailFolder = {});
    /// Forgets every request: nothing is reported until the next one.
    void cancel();
    /// True while a load runs or waits.
    bool busy() const { return m_running || m_waiting.has_value(); }

    /// The picture, shrunk to `size` without keeping its proportions; a null
    /// image when neither file can be decoded. Any thread.
    static QImage loadPreview(const std::string& file, const std::string& thumbnail, QSize size,
                              const std::string& thumbnailFolder = {});

signals:
    /// The newest request's picture (null: it could not be loaded).
    void loaded(const QImage& image);

private:
    struct Job {
        std::string file;
        std::string thumbnail;
        QSize size;
        std::string thumbnailFolder;
        std::uint64_t ticket = 0;
    };
    void start(Job job);
    void onJobDone(std::uint64_t ticket, const QImage& image);

    // One thread: a load never waits behind more than the one that runs.
    QThreadPool m_pool;
    std::optional<Job> m_waiting;
    bool m_running = false;
    std::uint64_t m_ticket = 0;
};
