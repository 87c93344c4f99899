// The picture manager of the real program on an X server: a picture added
// by typing its path into the file dialog and a folder added through the
// folder dialog reach the list file and the strip; Delete; Clear and its
// question.
#include "desktop/desktop.h"

#include <QColor>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QThread>

#include <functional>
#include <set>

namespace {

constexpr int StripTop = 119; // the strip's place in the main window
const QPoint ManagerButton(714 + 39, 67 + 16);
// The manager's buttons, in its own coordinates.
const QPoint AddImages(24 + 38, 291 + 18);
const QPoint AddFolders(125 + 38, 291 + 18);
const QPoint Clear(470 + 38, 291 + 18);
const QPoint CloseManager(233 + 51, 361 + 13);
const QPoint FirstRow(11 + 100, 45 + 10);
// The folder dialog's OK button.
const QPoint FolderOk(157 + 37, 338 + 12);

/// Types text into the focused window, as a user at the keyboard does.
void typeText(unsigned long window, const QString& text) {
    xdotool({"windowfocus", "--sync", QString::number(window)});
    QThread::msleep(100);
    xdotool({"type", "--delay", "15", text});
}

/// Waits for a visible window of the process titled like the program's
/// message boxes that is none of `known`; returns it, or 0.
unsigned long waitForMessageBox(qint64 pid, const std::set<unsigned long>& known,
                                int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        const QString out =
            QString::fromStdString(xdotool({"search", "--all", "--onlyvisible", "--pid",
                                            QString::number(pid), "--name", "^Quorvane$"}));
        for (const QString& id : out.split('\n', Qt::SkipEmptyParts))
            if (!known.contains(id.toULong()))
                return id.toULong();
        QThread::msleep(100);
    }
    return 0;
}

/// True once `window` is no longer shown.
bool gone(qint64 pid, unsigned long window) {
    return xdotool({"search", "--all", "--onlyvisible", "--pid", QString::number(pid), "--name",
                    "^Quorvane$"})
               .find(std::to_string(window)) == std::string::npos;
}

/// The screen, saved for a look at what the user sees.
void saveScreen(const QString& home, const QString& name) {
    screenshot(home + "/screen.png")
        .save(QStringLiteral(QUORVANE_BINARY_DIR "/tests/desktop/") + name +
              (underWindowManager() ? "_openbox.png" : ".png"));
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 15000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::msleep(100);
    }
    return true;
}

} // namespace

class ManagerOnScreen : public DesktopTest {
protected:
    QString picture(const QString& relative, const QColor& colour) {
        const QString path = m_home.path() + "/" + relative;
        QDir().mkpath(QFileInfo(path).path());
        QImage img(160, 100, QImage::Format_RGB32);
        img.fill(colour);
        EXPECT_TRUE(img.save(path, "BMP"));
        return path;
    }
    QStringList listFile() const {
        QFile f(dataFolder() + "list.txt");
        if (!f.open(QIODevice::ReadOnly))
            return {"(no list file)"};
        const QString text = QString::fromUtf8(f.readAll());
        return text.split("\r\n", Qt::SkipEmptyParts);
    }
    /// Opens the manager from the main window; returns its window.
    unsigned long openManager(qint64 pid, unsigned long main) {
        clickAt(main, ManagerButton.x(), ManagerButton.y());
        return waitForWindow(pid, "Quorvane", 10000, 570, 389);
    }
    /// Closes the manager and waits until it has gone.
    bool closeManager(qint64 pid, unsigned long manager) {
        clickAt(manager, CloseManager.x(), CloseManager.y());
        return waitUntil([&] { return gone(pid, manager); });
    }
    /// The number of cached thumbnails.
    int thumbnails() const {
        int n = 0;
        for (QDirIterator it(dataFolder() + "Thumbnail", {"*.jpg"}, QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext(); it.next())
            ++n;
        return n;
    }
    /// The monitor's colour in the main window's strip.
    QColor monitor(unsigned long main) {
        const WindowGeometry g = windowGeometry(main);
        const QImage screen = screenshot(m_home.path() + "/screen.png");
        return screen.pixelColor(g.x + 400, g.y + StripTop + 77);
    }
};

TEST_F(ManagerOnScreen, PicturesAndAFolderAddedReachTheListAndTheStrip) {
    const QColor colours[] = {QColor(200, 40, 40),  QColor(40, 170, 60),  QColor(50, 70, 210),
                              QColor(210, 190, 40), QColor(150, 50, 170), QColor(40, 180, 190)};
    const QStringList initial{picture("pics/p0.bmp", colours[0]),
                              picture("pics/p1.bmp", colours[1])};
    QDir().mkpath(dataFolder());
    {
        QFile list(dataFolder() + "list.txt");
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        for (const QString& p : initial)
            list.write(p.toUtf8() + "\r\n");
    }
    const QString extra = picture("elsewhere/extra.bmp", colours[2]);
    // The album in name order, depth first; a name with a line break is left out.
    const QStringList album{picture("album/a.bmp", colours[3]), picture("album/c.bmp", colours[5]),
                            picture("album/deeper/b.bmp", colours[4])};
    picture("album/broken\nname.bmp", colours[0]);
    QFile(m_home.path() + "/album/notes.txt").open(QIODevice::WriteOnly);

    QProcess* p = start({"--show"});
    const qint64 pid = p->processId();
    const unsigned long main = waitForWindow(pid, "Quorvane", 15000, 800, 435);
    ASSERT_NE(main, 0u);
    unsigned long manager = openManager(pid, main);
    ASSERT_NE(manager, 0u) << "the manager button opened no manager";

    // A picture by its full path typed into the file dialog.
    clickAt(manager, AddImages.x(), AddImages.y());
    const unsigned long open = waitForWindow(pid, "Open", 10000);
    ASSERT_NE(open, 0u) << "no file dialog";
    QThread::msleep(500);
    typeText(open, extra);
    pressKeys(open, {"Return"});
    ASSERT_TRUE(waitUntil([&] { return waitForWindow(pid, "Open", 200) == 0; }))
        << "the file dialog stayed open";

    // A folder through the folder dialog: its name typed into the tree,
    // which opens at the home folder.
    clickAt(manager, AddFolders.x(), AddFolders.y());
    const unsigned long folders = waitForWindow(pid, "Browse For Folder", 10000);
    ASSERT_NE(folders, 0u) << "no folder dialog";
    QThread::msleep(800); // the tree lists the home folder in the background
    typeText(folders, "album");
    QThread::msleep(300);
    clickAt(folders, FolderOk.x(), FolderOk.y());
    ASSERT_TRUE(waitUntil([&] { return waitForWindow(pid, "Browse For Folder", 200) == 0; }))
        << "the folder dialog stayed open";

    // One notice for the picture left out; Enter takes it away.
    const unsigned long notice = waitForMessageBox(pid, {main, manager});
    ASSERT_NE(notice, 0u) << "no notice of the picture left out";
    QThread::msleep(300);
    saveScreen(m_home.path(), "manager_notice");
    pressKeys(notice, {"Return"});
    ASSERT_TRUE(waitUntil([&] { return gone(pid, notice); }, 5000));
    EXPECT_EQ(waitForMessageBox(pid, {main, manager}, 500), 0u) << "a second notice";

    // The manager with its collection, as the user sees it.
    QThread::msleep(500);
    const WindowGeometry mg = windowGeometry(manager);
    screenshot(m_home.path() + "/screen.png")
        .copy(mg.x, mg.y, mg.width, mg.height)
        .save(QStringLiteral(QUORVANE_BINARY_DIR "/tests/desktop/manager_with_collection.png"));

    ASSERT_TRUE(closeManager(pid, manager));
    QStringList expected = initial;
    expected << extra << album;
    ASSERT_TRUE(waitUntil([&] { return listFile() == expected; }, 5000))
        << "list file: " << listFile().join(" | ").toStdString();

    // The strip shows them: the third entry is the typed picture, then the album.
    pressKeys(main, {"Right", "Right"});
    EXPECT_TRUE(waitUntil([&] { return near(monitor(main), colours[2], 8); }, 10000))
        << "monitor: " << monitor(main).name().toStdString();
    pressKeys(main, {"Right"});
    const QColor firstOfAlbum = QImage(album[0]).pixelColor(0, 0);
    EXPECT_TRUE(waitUntil([&] { return near(monitor(main), firstOfAlbum, 8); }, 10000))
        << "monitor: " << monitor(main).name().toStdString();

    // Delete removes the selected row and leaves the file on disk.
    manager = openManager(pid, main);
    ASSERT_NE(manager, 0u);
    QThread::msleep(500);
    clickAt(manager, FirstRow.x(), FirstRow.y());
    pressKeys(manager, {"End", "Delete"});
    ASSERT_TRUE(closeManager(pid, manager));
    expected.removeLast();
    EXPECT_TRUE(waitUntil([&] { return listFile() == expected; }, 5000))
        << "list file: " << listFile().join(" | ").toStdString();
    EXPECT_TRUE(QFile::exists(album.last())) << "Delete removed the picture file";
    EXPECT_TRUE(terminate(p));
}

// Clear asks first: Enter (Cancel is the default) and Escape keep the
// collection and its thumbnails; only OK clears them.
TEST_F(ManagerOnScreen, ClearAsksFirstAndOnlyOkClears) {
    writeThreeColourCollection();
    const QByteArray listBefore = [&] {
        QFile f(dataFolder() + "list.txt");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QProcess* p = nullptr;
    const unsigned long main = startShown(p);
    ASSERT_NE(main, 0u);
    const qint64 pid = p->processId();
    ASSERT_TRUE(waitUntil([&] { return thumbnails() == 3; })) << thumbnails() << " thumbnails";

    unsigned long manager = openManager(pid, main);
    ASSERT_NE(manager, 0u);
    QThread::msleep(500);
    for (const char* key : {"Return", "Escape"}) {
        clickAt(manager, Clear.x(), Clear.y());
        const unsigned long question = waitForMessageBox(pid, {main, manager});
        ASSERT_NE(question, 0u) << "Clear asked nothing";
        if (std::string(key) == "Return") {
            QThread::msleep(300);
            saveScreen(m_home.path(), "manager_clear_question");
        }
        pressKeys(question, {key});
        ASSERT_TRUE(waitUntil([&] { return gone(pid, question); }, 5000)) << key;
    }
    ASSERT_TRUE(closeManager(pid, manager));
    QThread::msleep(500);
    EXPECT_EQ(thumbnails(), 3) << "the thumbnail cache was touched";
    {
        QFile f(dataFolder() + "list.txt");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), listBefore);
    }

    // OK, reached from the default Cancel with Tab.
    manager = openManager(pid, main);
    ASSERT_NE(manager, 0u);
    QThread::msleep(500);
    clickAt(manager, Clear.x(), Clear.y());
    const unsigned long question = waitForMessageBox(pid, {main, manager});
    ASSERT_NE(question, 0u);
    pressKeys(question, {"Tab", "space"});
    ASSERT_TRUE(waitUntil([&] { return gone(pid, question); }, 5000));
    ASSERT_TRUE(closeManager(pid, manager));
    EXPECT_TRUE(waitUntil([&] { return listFile().isEmpty(); }, 5000))
        << "list file: " << listFile().join(" | ").toStdString();
    EXPECT_TRUE(QFile::exists(dataFolder() + "list.txt"));
    EXPECT_FALSE(QDir(dataFolder() + "Thumbnail").exists());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(QFile::exists(m_home.path() + QString("/pics/p%1.bmp").arg(i)))
            << "Clear removed a picture file";
    EXPECT_TRUE(terminate(p));
}
