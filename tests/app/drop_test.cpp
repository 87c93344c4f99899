// Files and folders dropped on the program's windows (the drops synthesised
// as a file manager's would arrive: local file URLs), and adds handed over
// from the command line to the running program, on a real X server.
#include "app/appfixture.h"
#include "app/notices.h"
#include "ui/picturemanager.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <filesystem>
#include <sstream>

namespace {

class Drop : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "no X server";
    }

    /// A small picture of this kind that decodes.
    std::string picture(const std::string& relative, const char* format) {
        const std::string path = m_home + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        QImage img(32, 20, QImage::Format_RGB32);
        img.fill(QColor(40, 120, 200));
        EXPECT_TRUE(img.save(QString::fromStdString(path), format)) << path;
        return path;
    }

    static QMimeData* filesData(const std::vector<std::string>& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const std::string& p : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(p));
        data->setUrls(urls);
        return data;
    }

    /// Drags `data` over `window` and drops it there as a file manager does;
    /// gives whether the window took the drag and the drop.
    static std::pair<bool, bool> dropOn(QWidget* window, QMimeData* data) {
        const QPoint at(window->width() / 2, window->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        if (!enter.isAccepted())
            return {false, false};
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(window, &drop);
        return {true, drop.isAccepted()};
    }

    std::vector<std::string> listFileLines() const {
        std::vector<std::string> lines;
        std::istringstream in(readFile(m_dataFolder + "list.txt"));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                lines.push_back(line);
        }
        return lines;
    }

    bool managerSettled(std::size_t rows) const {
        PictureManager* m = m_app->picManager();
        return m->isVisible() && !m->waiting() && m->rows().size() == rows;
    }
};

TEST_F(Drop, TwoFilesAndAFolderDroppedOnTheMainWindowAreAddedThroughTheManager) {
    startApp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow(), 15000));
    const std::string a = picture("drop/a.jpg", "JPG");
    const std::string b = picture("drop/b.png", "PNG");
    const std::string cc = picture("drop/dir/c.bmp", "BMP");
    const std::string d = picture("drop/dir/sub/d.png", "PNG");
    writeFile("drop/dir/notes.txt", "inside a folder: passed over quietly");
    const std::string readme = writeFile("drop/readme.txt", "not a picture");

    // Text alone is no drop of files.
    auto* text = new QMimeData;
    text->setText(QStringLiteral("/some/path.jpg"));
    EXPECT_EQ(dropOn(&mainWindow(), text), std::make_pair(false, false));
    delete text;
    EXPECT_FALSE(m_app->picManager()->isVisible());

    QString notice;
    answerNextBox(QMessageBox::Ok, &notice);
    QMimeData* files = filesData({a, b, m_home + "/drop/dir", readme});
    EXPECT_EQ(dropOn(&mainWindow(), files), std::make_pair(true, true));
    delete files;
    ASSERT_TRUE(QTest::qWaitFor([this] { return managerSettled(4); }, 15000));
    EXPECT_EQ(m_app->picManager()->rows(), (std::vector<std::string>{a, b, cc, d}));
    ASSERT_TRUE(QTest::qWaitFor([&notice] { return !notice.isEmpty(); }, 5000));
    EXPECT_TRUE(notice.contains(QStringLiteral("readme.txt"))) << notice.toStdString();
    EXPECT_TRUE(notice.startsWith(QStringLiteral("1 item"))) << notice.toStdString();

    // Closing the manager keeps them: the collection and its list file.
    m_app->picManager()->closeWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return c().count() == 4; }, 5000));
    EXPECT_EQ(c().paths(), (std::vector<std::string>{a, b, cc, d}));
    EXPECT_EQ(listFileLines(), (std::vector<std::string>{a, b, cc, d}));
    EXPECT_TRUE(waitIdle());
    EXPECT_EQ(c().count(), 4) << "every dropped picture decodes and stays";
}

TEST_F(Drop, APictureDroppedOnTheOpenManagerJoinsItsList) {
    const std::string first = picture("first.png", "PNG");
    writeFile("Documents/Quorvane/list.txt", first + "\n");
    startApp();
    m_app->runManagerCycle();
    ASSERT_TRUE(QTest::qWaitFor([this] { return managerSettled(1); }, 10000));
    const std::string more = picture("more/x.bmp", "BMP");
    QMimeData* files = filesData({more});
    EXPECT_EQ(dropOn(&mainWindow(), files), std::make_pair(false, false))
        << "the main window behind the manager took a drop";
    EXPECT_EQ(dropOn(m_app->picManager(), files), std::make_pair(true, true));
    delete files;
    ASSERT_TRUE(QTest::qWaitFor([this] { return managerSettled(2); }, 10000));
    EXPECT_EQ(m_app->picManager()->rows(), (std::vector<std::string>{first, more}));
    EXPECT_TRUE(s().listChanged);
    m_app->picManager()->closeWindow();
    EXPECT_EQ(listFileLines(), (std::vector<std::string>{first, more}));
}

TEST_F(Drop, AnAddWithTheManagerClosedIsAppendedWrittenAndWalked) {
    const std::string first = picture("first.png", "PNG");
    writeFile("Documents/Quorvane/list.txt", first + "\n");
    startApp();
    const std::string x = picture("add/x.jpg", "JPG");
    const std::string y = picture("add/deeper/y.png", "PNG");
    const std::string broken = writeFile("add/broken.png", "no picture at all");
    m_app->addPaths({m_home + "/add", m_home + "/missing.jpg"});
    EXPECT_TRUE(m_app->addsPending());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_app->addsPending(); }, 10000));
    // Appended after what was there, in the folder's name order.
    EXPECT_EQ(c().paths(), (std::vector<std::string>{first, broken, y, x}));
    EXPECT_EQ(listFileLines(), (std::vector<std::string>{first, broken, y, x}));
    // The walk made their thumbnails and took out the one that cannot be read.
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return c().count() == 3 && m_app->thumbnails().idle(); }, 20000));
    c().writePendingList();
    EXPECT_EQ(listFileLines(), (std::vector<std::string>{first, y, x}));
    EXPECT_FALSE(m_app->picManager()->isVisible());
}

TEST_F(Drop, WhatTheManagerHadNotTakenWhenItClosedGoesToTheCollection) {
    startApp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow(), 15000));
    const std::string x = picture("late/x.png", "PNG");
    QMimeData* files = filesData({m_home + "/late"});
    EXPECT_EQ(dropOn(&mainWindow(), files), std::make_pair(true, true));
    delete files;
    // Closed at once, before its list was even filled.
    ASSERT_TRUE(m_app->picManager()->isVisible());
    m_app->picManager()->closeWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return c().count() == 1; }, 10000));
    EXPECT_EQ(c().paths(), std::vector<std::string>{x});
    EXPECT_EQ(listFileLines(), std::vector<std::string>{x});
}

TEST_F(Drop, AnAddWhileTheManagerShowsGoesIntoItsList) {
    startApp();
    m_app->runManagerCycle();
    ASSERT_TRUE(QTest::qWaitFor([this] { return managerSettled(0); }, 10000));
    const std::string x = picture("add/x.bmp", "BMP");
    m_app->addPaths({x});
    ASSERT_TRUE(QTest::qWaitFor([this] { return managerSettled(1); }, 10000));
    EXPECT_TRUE(c().empty()) << "the collection waits for the manager to close";
    m_app->picManager()->closeWindow();
    EXPECT_EQ(c().paths(), std::vector<std::string>{x});
}

} // namespace
