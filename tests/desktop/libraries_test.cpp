// What the running program loads: a program that spends its life in the notification area
// carries none of the libraries it may never need. The decoders of the further picture
// formats, colour profiles and GIO are loaded when something first needs them, and nothing
// links QtNetwork at all.
#include "desktop/desktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

// The file names of the shared libraries mapped into process `pid`.
QStringList mappedLibraries(qint64 pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    QStringList names;
    if (!maps.open(QIODevice::ReadOnly))
        return names;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const int slash = line.indexOf('/');
        if (slash < 0)
            continue;
        const QString name = QFileInfo(QString::fromUtf8(line.mid(slash))).fileName();
        if (name.contains(QStringLiteral(".so")) && !names.contains(name))
            names.append(name);
    }
    return names;
}

bool maps(const QStringList& libraries, const char* stem) {
    for (const QString& name : libraries)
        if (name.startsWith(QLatin1String(stem) + QLatin1Char('.')))
            return true;
    return false;
}

// A GIF of 2 x 2 pixels in one green.
constexpr unsigned char GreenGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02,
                                      0x00, 0x80, 0x00, 0x00, 0x20, 0xa0, 0x40, 0x00, 0x00,
                                      0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02,
                                      0x00, 0x00, 0x02, 0x03, 0x04, 0x00, 0x05, 0x00, 0x3b};
const QColor Green(0x20, 0xa0, 0x40);

} // namespace

using Libraries = ThreeColourDesktopTest;

TEST_F(Libraries, APictureLibraryLoadsWithTheFirstPictureOfItsFormat) {
    QProcess* p = nullptr;
    const unsigned long w = startShown(p);
    ASSERT_NE(w, 0u);
    pressKeys(w, {"Down"});
    ASSERT_TRUE(desktopShows(m_colours[1]));
    const QStringList started = mappedLibraries(p->processId());
    ASSERT_TRUE(maps(started, "libQt6Widgets")) << "no maps read";
    for (const char* unneeded : {"libgif", "libwebp", "libwebpdemux", "libtiff", "libavif",
                                 "libheif", "libjxl", "liblcms2", "libgio-2.0", "libQt6Network"})
        EXPECT_FALSE(maps(started, unneeded)) << unneeded << " loaded at the start";

    const QString gif = m_home.path() + QStringLiteral("/pics/green.gif");
    QFile file(gif);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(GreenGif), sizeof GreenGif);
    file.close();
    QProcess* add = start({QStringLiteral("--add"), gif});
    ASSERT_TRUE(add->waitForFinished(10000));
    ASSERT_EQ(add->exitCode(), 0);
    // The add reaches the collection once its list file names the picture.
    const auto listed = [&] {
        QFile list(dataFolder() + "list.txt");
        return list.open(QIODevice::ReadOnly) && QString::fromUtf8(list.readAll()).contains(gif);
    };
    QElapsedTimer t;
    t.start();
    while (!listed() && t.elapsed() < 10000)
        QThread::msleep(100);
    ASSERT_TRUE(listed());
    pressKeys(w, {"End", "Return"});
    EXPECT_TRUE(desktopShows(Green)) << "the GIF was not applied";
    const QStringList after = mappedLibraries(p->processId());
    EXPECT_TRUE(maps(after, "libgif"));
    EXPECT_FALSE(maps(after, "libheif")) << "only the library the picture needed";
}
