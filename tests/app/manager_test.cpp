// The manager cycle of the whole program (offscreen platform): the picture
// manager opened from the main window, edited, closed, and what reaches the
// collection and the list file.
#include "app/appfixture.h"

#include "collection/walls.h"
#include "support/modal.h"
#include "thumbs/thumbfixture.h"
#include "ui/folderdialog.h"
#include "ui/picturemanager.h"

#include <QListView>
#include <QPushButton>

#include <filesystem>

namespace fs = std::filesystem;

class ManagerCycle : public AppTest {
protected:
    std::vector<std::string> listPictures(int n, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            paths.push_back(m_home + "/pics/p" + std::to_string(i) + ".bmp");
            writeSolidPicture(paths.back(), 48, 30, colourOf(i));
        }
        std::vector<std::string> lines = paths;
        lines.insert(lines.end(), extra.begin(), extra.end());
        writeWallList(m_state, lines);
        return paths;
    }
    PictureManager& manager() const { return *m_app->picManager(); }

    /// One manager cycle from the main window's button: `edit` runs once
    /// the manager has filled its list, then its Close button is clicked.
    void cycle(std::function<void(PictureManager&)> edit = {}) {
        bool edited = false;
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return manager().isVisible() && !manager().waiting(); }, 10000));
            if (edit)
                edit(manager());
            // A folder being added is walked in the background.
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    return QApplication::activeModalWidget() == &manager() && !manager().waiting();
                },
                10000));
            edited = true;
            QTest::mouseClick(manager().findChild<QWidget*>("iClose"), Qt::LeftButton);
        });
        QTest::mouseClick(control("iManager"), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return edited; }, 20000));
        EXPECT_TRUE(edited) << "the manager did not show modally";
        EXPECT_FALSE(manager().isVisible());
    }
    std::string listFile() const { return readFile(listFileName(m_state)); }
    std::vector<std::string> wallPaths() const { return c().paths(); }
};

TEST_F(ManagerCycle, NoEditLeavesTheListFileAndTheCollectionAlone) {
    const auto paths = listPictures(3);
    startApp();
    ASSERT_TRUE(waitIdle());
    const fs::path list = listFileName(m_state);
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(list, old);
    const std::string bytes = listFile();

    cycle();
    EXPECT_FALSE(s().listChanged);
    EXPECT_EQ(fs::last_write_time(list), old) << "the list file was rewritten";
    EXPECT_EQ(listFile(), bytes);
    EXPECT_EQ(wallPaths(), paths);
    // The manager keeps its list until it opens again.
    EXPECT_EQ(manager().rows(), paths);
}

TEST_F(ManagerCycle, RemovingEveryEntryWritesAnEmptyFileAndShowsTheEmptyView) {
    listPictures(2);
    startApp();
    ASSERT_TRUE(waitIdle());
    cycle([](PictureManager& m) {
        m.deleteSelected();
        QTest::keyClick(m.lbPic, Qt::Key_Delete);
    });
    EXPECT_TRUE(fs::exists(listFileName(m_state)));
    EXPECT_EQ(listFile(), "");
    EXPECT_TRUE(c().entries().empty());
    EXPECT_EQ(label("lbDir"), "Please, add wallpapers in the manager >>>");
    EXPECT_TRUE(mainWindow().managerBlinking());
    EXPECT_TRUE(manager().rows().empty()) << "taken over, the manager's list is emptied";
}

TEST_F(ManagerCycle, AFolderAddedThroughTheDialogReachesTheListFileInOrder) {
    const auto paths = listPictures(1);
    for (const char* name : {"b.jpg", "A.PNG", "no.pcx", "deep/c.bmp"})
        writeSolidPicture(m_home + "/album/" + name, 20, 20, colourOf(7));
    // In name order, whatever order the folder lists them in.
    std::vector<std::string> expected = paths;
    for (const char* name : {"A.PNG", "b.jpg", "deep/c.bmp"})
        expected.push_back(m_home + "/album/" + name);
    startApp();
    ASSERT_TRUE(waitIdle());
    cycle([this](PictureManager& m) {
        whenModal<FolderDialog>([this](FolderDialog* d) {
            d->selectFolder(QString::fromStdString(m_home + "/album"));
            d->button1->click();
        });
        m.addFolder();
    });
    EXPECT_EQ(wallPaths(), expected);
    std::string lines;
    for (const auto& p : expected)
        lines += p + "\r\n";
    EXPECT_EQ(listFile(), lines);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(c().current(), 0);
}

TEST_F(ManagerCycle, ClearDropsTheCacheAndTheLinesOfFoldersThatAreAway) {
    const std::string away = m_home + "/unplugged-drive/x.jpg";
    listPictures(2, {away});
    startApp();
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(c().unavailable(), std::vector<std::string>{away});
    ASSERT_TRUE(fs::exists(s().dataFolder + "Thumbnail"));
    cycle([](PictureManager& m) {
        m.clearAll();
        QMessageBox* question = shownMessageBox();
        ASSERT_NE(question, nullptr);
        question->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(listFile(), "");
    EXPECT_TRUE(c().entries().empty());
    EXPECT_FALSE(fs::exists(s().dataFolder + "Thumbnail"));
}
