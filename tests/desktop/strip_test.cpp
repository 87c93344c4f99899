// The preview strip of the real program on an X server: the thumbnails of a
// collection of forty pictures as the screen shows them, the mouse wheel, and
// a close that waits for a long thumbnail job.
#include "desktop/desktop.h"

#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <cstdio>

namespace {

constexpr int StripTop = 119; // the strip's place in the main window

QColor colourOf(int i) {
    return QColor(40 + (i * 37) % 160, 30 + (i * 91) % 170, 20 + (i * 53) % 180);
}

// Number of thumbnail files in the cache folder.
int cachedThumbnails(const QString& dataFolder) {
    int n = 0;
    QDirIterator it(dataFolder + "Thumbnail", {"*.jpg"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

// The whole screen as ImageMagick reads the root window.
} // namespace

class StripOnScreen : public DesktopTest {
protected:
    // Writes the pictures and the list file; returns their paths.
    QStringList writeCollection(const QList<QImage>& pictures, const QString& ext = "bmp") {
        QDir().mkpath(dataFolder());
        QDir().mkpath(m_home.path() + "/pics");
        QFile list(dataFolder() + "list.txt");
        EXPECT_TRUE(list.open(QIODevice::WriteOnly));
        QStringList paths;
        for (int i = 0; i < pictures.size(); ++i) {
            const QString path = m_home.path() + QString("/pics/p%1.%2").arg(i).arg(ext);
            EXPECT_TRUE(pictures[i].save(path, ext == "jpg" ? "JPEG" : "BMP", 90));
            list.write(path.toUtf8() + "\r\n");
            paths << path;
        }
        return paths;
    }
    QString thumbnailOf(const QString& picture) const {
        return dataFolder() + "Thumbnail" + picture + ".jpg";
    }
};

TEST_F(StripOnScreen, FortyPicturesShowAroundTheMonitorAndTheWheelMoves) {
    QList<QImage> pictures;
    for (int i = 0; i < 40; ++i) {
        QImage img(320, 200, QImage::Format_RGB32);
        img.fill(colourOf(i));
        pictures << img;
    }
    writeCollection(pictures);
    QProcess* p = nullptr;
    const unsigned long w = startShown(p);
    ASSERT_NE(w, 0u);

    QElapsedTimer t;
    t.start();
    while (cachedThumbnails(dataFolder()) < 40 && t.elapsed() < 60000)
        QThread::msleep(100);
    ASSERT_EQ(cachedThumbnails(dataFolder()), 40) << "not every picture got its cached file";

    // Two turns towards the user: entry 2, with two entries on either side.
    xdotool({"mousemove", "--sync", "--window", QString::number(w), "400", "200"});
    xdotool({"click", "5"});
    QThread::msleep(150);
    xdotool({"click", "5"});
    QThread::msleep(800);

    const WindowGeometry g = windowGeometry(w);
    const QString shotFile = QStringLiteral(QUORVANE_BINARY_DIR "/tests/desktop/strip_screen.png");
    const QImage screen = screenshot(shotFile);
    ASSERT_FALSE(screen.isNull());
    const QImage strip = screen.copy(g.x, g.y + StripTop, 800, 180);
    strip.save(QStringLiteral(QUORVANE_BINARY_DIR "/tests/desktop/strip_after_wheel.png"));

    auto at = [&](int x, int y) { return strip.pixelColor(x, y); };
    EXPECT_TRUE(near(at(400, 77), colourOf(2), 3))
        << "monitor: " << at(400, 77).name().toStdString();
    const int middles[4] = {75, 207, 593, 725};
    const int entries[4] = {0, 1, 3, 4};
    for (int s = 0; s < 4; ++s) {
        EXPECT_TRUE(near(at(middles[s], 77), colourOf(entries[s]), 3))
            << "slot " << s << ": " << at(middles[s], 77).name().toStdString();
        // The white frame around it, 5 pixels wide.
        EXPECT_EQ(at(middles[s] - 55, 42), QColor(Qt::white)) << "slot " << s;
    }
    // One more turn away from the user: entry 1, the far-left slot is bare.
    xdotool({"click", "4"});
    QThread::msleep(800);
    const QImage after = screenshot(shotFile).copy(g.x, g.y + StripTop, 800, 180);
    EXPECT_TRUE(near(after.pixelColor(400, 77), colourOf(1), 3));
    EXPECT_NE(after.pixelColor(20, 42), QColor(Qt::white)) << "no frame: the bare ground";
    EXPECT_TRUE(near(after.pixelColor(207, 77), colourOf(0), 3));
    EXPECT_TRUE(terminate(p));
}

TEST_F(StripOnScreen, CloseDuringALongThumbnailJobWaitsForItThenEnds) {
    // Big, noisy pictures (one file under several names): each decode takes a
    // while, so a job is running whenever the close comes.
    constexpr int Big = 4;
    QImage big(7000, 5000, QImage::Format_RGB32);
    QRandomGenerator rng(5);
    for (int y = 0; y < big.height(); ++y) {
        auto* row = reinterpret_cast<quint32*>(big.scanLine(y));
        for (int x = 0; x < big.width(); ++x)
            row[x] = 0xFF000000u | (rng.generate() & 0xFFFFFF);
    }
    const QStringList paths = writeCollection({big}, "jpg");
    big = QImage();
    QFile list(dataFolder() + "list.txt");
    ASSERT_TRUE(list.open(QIODevice::Append));
    QStringList all = paths;
    for (int i = 1; i < Big; ++i) {
        all << m_home.path() + QString("/pics/same%1.jpg").arg(i);
        ASSERT_TRUE(QFile::link(paths[0], all.back()) || QFile::copy(paths[0], all.back()));
        list.write(all.back().toUtf8() + "\r\n");
    }
    list.close();

    QProcess* p = nullptr;
    ASSERT_NE(startShown(p), 0u);
    // The first thumbnail is on disk: the next job begins its decode.
    QElapsedTimer waited;
    waited.start();
    while (cachedThumbnails(dataFolder()) == 0 && waited.elapsed() < 60000)
        QThread::msleep(5);
    ASSERT_EQ(cachedThumbnails(dataFolder()), 1);
    // The file shows a moment before its job has handed over and the next
    // one begun; a noisy picture's decode takes far longer than this wait.
    QThread::msleep(100);
    const qint64 closeAsked = QDateTime::currentMSecsSinceEpoch();
    ::kill(static_cast<pid_t>(p->processId()), SIGTERM);
    ASSERT_TRUE(p->waitForFinished(120000));
    const qint64 ended = QDateTime::currentMSecsSinceEpoch();

    // The job that ran at the close request wrote its thumbnail after it.
    qint64 lastWritten = 0;
    int written = 0;
    for (const QString& picture : all) {
        const QFileInfo thumb(thumbnailOf(picture));
        if (!thumb.exists())
            continue;
        ++written;
        lastWritten = std::max(lastWritten, thumb.lastModified().toMSecsSinceEpoch());
    }
    ASSERT_GT(written, 0) << "the program ended without finishing the job";
    EXPECT_LT(written, Big) << "the chain went on after the close";
    EXPECT_GT(lastWritten, closeAsked) << "no job was running at the close";
    const qint64 after = ended - lastWritten;
    std::printf("close asked %lld ms before the last thumbnail was written; ended %lld ms after "
                "it\n",
                static_cast<long long>(lastWritten - closeAsked), static_cast<long long>(after));
    // One 200 ms poll, plus the hand-over and the process's own ending.
    EXPECT_LT(after, 200 + 400);
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
}
