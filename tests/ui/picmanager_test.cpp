// The picture manager and its folder dialog on the offscreen platform, with
// real picture files in a private home.
#include "ui/picturemanager.h"

#include "collection/folderwalk.h"
#include "collection/thumbpath.h"
#include "imaging/codecs.h"
#include "support/modal.h"
#include "support/temphome.h"
#include "thumbs/thumbfixture.h"
#include "ui/folderdialog.h"
#include "ui/pathlist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QThreadPool>
#include <QTreeView>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t Red = 0xC81E1E;
constexpr std::uint32_t Green = 0x1EB428;
constexpr std::uint32_t Blue = 0x283CD2;

bool near(QRgb a, std::uint32_t rgb, int tolerance = 6) {
    return std::abs(qRed(a) - int(rgb >> 16)) <= tolerance &&
           std::abs(qGreen(a) - int((rgb >> 8) & 0xFF)) <= tolerance &&
           std::abs(qBlue(a) - int(rgb & 0xFF)) <= tolerance;
}

} // namespace

class Manager : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        // Qt keeps the user settings folder it saw first; the file dialog
        // remembers its folder there, which must be this test's home.
        const QString config = QString::fromStdString(m_home + "/.config");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
        m_folders = std::make_unique<FolderDialog>();
        m_manager = std::make_unique<PictureManager>(m_state, m_collection);
        m_manager->setFolderSelect(m_folders.get());
    }
    void TearDown() override {
        m_manager.reset();
        m_folders.reset();
    }

    /// A picture of one colour below the home folder; returns its path.
    std::string picture(const std::string& relative, std::uint32_t rgb, int w = 40, int h = 30) {
        const std::string path = m_home + "/" + relative;
        writeSolidPicture(path, w, h, rgb);
        return path;
    }

    /// Shows the manager over a collection of these paths and waits for the fill.
    void open(const std::vector<std::string>& paths) {
        m_collection.clear();
        m_collection.add(paths);
        m_manager->show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_manager->waiting(); }, 10000));
        settle();
    }
    /// Adds a folder through the dialog (which opens without waiting) and
    /// waits for the dialog to close and the walk to end.
    void addFolder() {
        m_manager->addFolder();
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !m_folders->isVisible() && !m_manager->waiting(); }, 10000));
    }
    /// Adds files through the file dialog (which opens without waiting) and
    /// waits for the dialog to close.
    void addFiles() {
        m_manager->addFiles();
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return m_manager->dOpen && !m_manager->dOpen->isVisible(); }, 10000));
    }
    void settle() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_manager->previewLoading(); }, 20000));
        QCoreApplication::processEvents();
    }
    /// The preview's colour in its middle; 0 when it is empty.
    QRgb previewColour() const {
        const QPixmap& p = m_manager->iPreview->pixmap();
        return p.isNull() ? 0 : p.toImage().pixel(p.width() / 2, p.height() / 2);
    }
    bool previewEmpty() const { return m_manager->iPreview->pixmap().isNull(); }
    std::vector<std::string> rows() const { return m_manager->rows(); }

    std::unique_ptr<FolderDialog> m_folders;
    std::unique_ptr<PictureManager> m_manager;
    bool& m_listChanged = m_state.listChanged;
};

// ------------------------------------------------------------------ the window

TEST_F(Manager, OpensWithTheCollectionAndItsFirstRowPreviewed) {
    const std::vector<std::string> paths{picture("p/a.bmp", Red), picture("p/b.bmp", Green),
                                         m_home + "/p/missing.jpg"};
    m_listChanged = true; // left from an earlier showing
    open(paths);
    EXPECT_EQ(rows(), paths);
    EXPECT_EQ(m_manager->selectedRow(), 0);
    EXPECT_FALSE(m_listChanged);
    EXPECT_TRUE(near(previewColour(), Red));
    EXPECT_TRUE(m_manager->pb->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), m_manager->lbPic);
    // A view over a model, with rows of one height: no widget per row.
    EXPECT_TRUE(m_manager->lbPic->uniformItemSizes());
    EXPECT_EQ(m_manager->panel1->text(), "Please wait...");
}

TEST_F(Manager, AnEmptyCollectionOpensEmpty) {
    open({});
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(m_manager->selectedRow(), -1);
    EXPECT_TRUE(previewEmpty());
    EXPECT_FALSE(m_listChanged);
}

TEST_F(Manager, TheWaitPanelKeepsEditsOut) {
    m_collection.add({picture("p/a.bmp", Red)});
    m_manager->show();
    // The fill runs once the window has shown; until it ends the panel is up.
    ASSERT_TRUE(m_manager->waiting());
    m_manager->clearAll();
    m_manager->addFiles();
    m_manager->addFolder();
    QTest::mouseClick(m_manager->findChild<QWidget*>("iDel"), Qt::LeftButton);
    EXPECT_FALSE(m_listChanged);
    EXPECT_EQ(walls().size(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_manager->waiting(); }));
    EXPECT_EQ(rows().size(), 1u);
}

// ---------------------------------------------------------------- row drawing

class RowDrawing : public ::testing::Test {
protected:
    QImage render(int row, const std::string& path, QStyle::State state) {
        PathListModel model;
        std::vector<std::string> rows(static_cast<std::size_t>(row + 1), "x");
        rows.back() = path;
        model.setRows(rows);
        PathRowDelegate delegate;
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 546, PathRowDelegate::RowHeight);
        option.state = state;
        QImage image(option.rect.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        delegate.paint(&painter, option, model.index(row));
        return image;
    }
    /// Every colour of the image but the fill is text; the text's brightest
    /// pixel and its leftmost column.
    static void textOf(const QImage& image, QRgb fill, QRgb* brightest, int* left) {
        *brightest = fill;
        *left = image.width();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                if (c == fill)
                    continue;
                *left = std::min(*left, x);
                if (qGray(c) > qGray(*brightest))
                    *brightest = c;
            }
    }
};

TEST_F(RowDrawing, NumberDotPathLightGreyOnBlack) {
    PathListModel model;
    model.setRows({"/p/a.jpg", "/p/b.jpg"});
    EXPECT_EQ(model.data(model.index(1)).toString(), "2. /p/b.jpg");

    const QImage image = render(1, "/p/b.jpg", QStyle::State_Enabled);
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_EQ(image.pixel(0, 0), black);
    EXPECT_EQ(image.pixel(545, 19), black);
    QRgb brightest = 0;
    int left = 0;
    textOf(image, black, &brightest, &left);
    EXPECT_EQ(brightest, qRgb(229, 229, 229));
    EXPECT_GE(left, PathRowDelegate::TextLeft);
    EXPECT_LE(left, PathRowDelegate::TextLeft + 2);
    EXPECT_EQ(PathRowDelegate::rowFont().pixelSize(), 9);
    EXPECT_TRUE(PathRowDelegate::rowFont().bold());
}

TEST_F(RowDrawing, TheSelectedRowOnGreyWithoutAFocusFrame) {
    const QImage selected = render(0, "/p/a.jpg", QStyle::State_Enabled | QStyle::State_Selected);
    const QRgb grey = qRgb(119, 119, 119);
    EXPECT_EQ(selected.pixel(0, 0), grey);
    EXPECT_EQ(selected.pixel(545, 19), grey);
    EXPECT_EQ(selected.pixel(545, 0), grey);
    QRgb brightest = 0;
    int left = 0;
    textOf(selected, grey, &brightest, &left);
    EXPECT_NE(brightest, grey) << "no text drawn";
    // The focus changes nothing: no frame round the focused row.
    const QImage focused = render(
        0, "/p/a.jpg", QStyle::State_Enabled | QStyle::State_Selected | QStyle::State_HasFocus);
    EXPECT_EQ(focused, selected);
}

// ------------------------------------------------------------------- removing

struct RemovalCase {
    int rows;
    int removed;
    int selectedAfter; ///< -1: none, and the preview is empty
};

class Removal : public Manager, public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(Removal, TheNextRowOrTheNewLastIsSelected) {
    const RemovalCase c = GetParam();
    std::vector<std::string> paths;
    for (int i = 0; i < c.rows; ++i)
        paths.push_back(picture("p/" + std::to_string(i) + ".bmp", colourOf(i)));
    const std::string thumbnail = thumbnailFileName(m_dataFolder, paths[c.removed]);
    writeSolidPicture(thumbnail, 197, 123, colourOf(c.removed));
    open(paths);
    m_manager->selectRow(c.removed);
    settle();

    m_manager->deleteSelected();
    settle();
    EXPECT_TRUE(m_listChanged);
    paths.erase(paths.begin() + c.removed);
    EXPECT_EQ(rows(), paths);
    EXPECT_EQ(m_manager->selectedRow(), c.selectedAfter);
    if (c.selectedAfter < 0)
        EXPECT_TRUE(previewEmpty());
    else
        EXPECT_TRUE(
            near(previewColour(),
                 colourOf(c.selectedAfter >= c.removed ? c.selectedAfter + 1 : c.selectedAfter)));
    EXPECT_FALSE(fs::exists(thumbnail)) << "the thumbnail file stays";
    EXPECT_TRUE(fs::exists(m_home + "/p/" + std::to_string(c.removed) + ".bmp"))
        << "the picture itself must stay";
}

INSTANTIATE_TEST_SUITE_P(Rows, Removal,
                         ::testing::Values(RemovalCase{3, 2, 1}, RemovalCase{3, 0, 0},
                                           RemovalCase{3, 1, 1}, RemovalCase{1, 0, -1}));

TEST_F(Manager, TheDeleteKeyRemovesTheRowAndKeepsTheFile) {
    const std::vector<std::string> paths{picture("p/a.bmp", Red), picture("p/b.bmp", Green)};
    open(paths);
    QTest::keyClick(m_manager->lbPic, Qt::Key_Delete);
    EXPECT_EQ(rows(), std::vector<std::string>{paths[1]});
    EXPECT_TRUE(fs::exists(paths[0]));
    EXPECT_TRUE(m_listChanged);
}

class ShiftDelete : public Manager, public ::testing::WithParamInterface<bool> {};

TEST_P(ShiftDelete, AsksThenDeletesTheFileAndItsRowOnOkOnly) {
    const bool ok = GetParam();
    const std::vector<std::string> paths{picture("p/a.bmp", Red), picture("p/b.bmp", Green),
                                         picture("p/c.bmp", Blue)};
    open(paths);
    m_manager->selectRow(1);
    settle();
    QTest::keyClick(m_manager->lbPic, Qt::Key_Delete, Qt::ShiftModifier);
    QMessageBox* box = shownMessageBox();
    ASSERT_NE(box, nullptr) << "Shift+Delete asked nothing";
    EXPECT_EQ(box->text(), "Are you sure you want to delete b.bmp?\r\n\r\nWarning: this action "
                           "will delete this file from disk, and cannot be undone!");
    EXPECT_TRUE(fs::exists(paths[1])) << "deleted before the answer";
    box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
    EXPECT_EQ(fs::exists(paths[1]), !ok);
    EXPECT_EQ(m_listChanged, ok);
    if (ok)
        EXPECT_EQ(rows(), (std::vector<std::string>{paths[0], paths[2]}));
    else
        EXPECT_EQ(rows(), paths);
    EXPECT_TRUE(fs::exists(paths[0]) && fs::exists(paths[2]));
}

INSTANTIATE_TEST_SUITE_P(Answers, ShiftDelete, ::testing::Values(true, false));

// ----------------------------------------------------------------------- clear

struct ClearCase {
    const char* answer; ///< "ok", "cancel", "escape" or "closebox"
    bool cleared;
};

class ClearAll : public Manager, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(ClearAll, AsksNamingTheCountAndClearsOnOkOnly) {
    const ClearCase c = GetParam();
    const std::vector<std::string> paths{picture("p/a.bmp", Red), picture("p/b.bmp", Green)};
    const std::string thumbnail = thumbnailFileName(m_dataFolder, paths[0]);
    writeSolidPicture(thumbnail, 197, 123, Red);
    open(paths);
    // A line of a drive that is away: not shown, yet part of what goes.
    writeWallList(m_state, {m_home + "/media/away/x.jpg"});
    m_collection.loadWall();
    ASSERT_EQ(m_collection.unavailable().size(), 1u);
    m_collection.setPreview(refOf(0), std::make_unique<Bitmap>(solidBitmap(4, 4, Red)));

    m_manager->clearAll();
    QMessageBox* box = shownMessageBox();
    ASSERT_NE(box, nullptr) << "Clear asked nothing";
    EXPECT_EQ(box->windowTitle(), "Quorvane");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_TRUE(box->text().startsWith("Remove all 3 pictures from the collection?"))
        << box->text().toStdString();
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Cancel));
    EXPECT_EQ(rows(), paths) << "cleared before the answer";
    const std::string answer = c.answer;
    if (answer == "ok")
        box->button(QMessageBox::Ok)->click();
    else if (answer == "cancel")
        box->button(QMessageBox::Cancel)->click();
    else if (answer == "escape")
        QTest::keyClick(box, Qt::Key_Escape);
    else
        box->close();
    ASSERT_TRUE(QTest::qWaitFor([] { return shownMessageBox() == nullptr; }, 2000));

    EXPECT_EQ(m_listChanged, c.cleared);
    EXPECT_EQ(rows().empty(), c.cleared);
    EXPECT_EQ(walls().empty(), c.cleared);
    EXPECT_EQ(m_collection.unavailable().empty(), c.cleared);
    EXPECT_EQ(previewEmpty(), c.cleared);
    EXPECT_EQ(fs::exists(m_dataFolder + "Thumbnail"), !c.cleared);
    EXPECT_EQ(fs::exists(thumbnail), !c.cleared);
    if (!c.cleared) {
        EXPECT_NE(walls()[0].preview, nullptr);
    }
    EXPECT_TRUE(fs::exists(paths[0]) && fs::exists(paths[1])) << "a picture file went";
}

INSTANTIATE_TEST_SUITE_P(Answers, ClearAll,
                         ::testing::Values(ClearCase{"ok", true}, ClearCase{"cancel", false},
                                           ClearCase{"escape", false},
                                           ClearCase{"closebox", false}));

TEST_F(Manager, ClearOfOnePictureSaysOnePicture) {
    open({picture("p/a.bmp", Red)});
    m_manager->clearAll();
    QMessageBox* box = shownMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().startsWith("Remove 1 picture from the collection?"))
        << box->text().toStdString();
    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(rows().empty());
}

TEST_F(Manager, ClearOfAnEmptyListAsksNothingAndStillCountsAsAnEdit) {
    open({});
    m_manager->clearAll();
    EXPECT_EQ(shownMessageBox(), nullptr);
    EXPECT_TRUE(m_listChanged);
}

// --------------------------------------------------------------------- adding

TEST_F(Manager, AddedFilesComeInTheDialogsOrder) {
    const std::string first = picture("p/z.bmp", Red);
    const std::string second = picture("p/a.png.bmp", Green);
    open({picture("p/old.bmp", Blue)});
    whenModal<QFileDialog>([&](QFileDialog* d) {
        // Every extension of the format table, JPEG's longer names among them.
        QStringList patterns;
        for (std::string_view ext : pictureExtensions())
            patterns << "*" + QString::fromLatin1(ext.data(), qsizetype(ext.size()));
        EXPECT_EQ(d->nameFilters(), QStringList{"Pictures (" + patterns.join(' ') + ")"});
        EXPECT_TRUE(patterns.contains("*.jpeg") && patterns.contains("*.jfif"));
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
        d->findChild<QLineEdit*>("fileNameEdit")
            ->setText(QString::fromStdString("\"" + first + "\" \"" + second + "\""));
        QMetaObject::invokeMethod(d, "accept"); // the Open button
    });
    addFiles();
    settle();
    ASSERT_EQ(rows().size(), 3u);
    EXPECT_EQ(rows()[1], first);
    EXPECT_EQ(rows()[2], second);
    EXPECT_TRUE(m_listChanged);
    EXPECT_EQ(m_manager->selectedRow(), 0);
}

// The dialog opens without waiting: what it gives once the manager has closed
// (the program ending meanwhile) is not added to a list no one takes.
TEST_F(Manager, FilesChosenAfterTheManagerClosedAreNotAdded) {
    const std::string file = picture("p/late.bmp", Red);
    const std::string old = picture("p/old.bmp", Green);
    open({old});
    whenModal<QFileDialog>([&](QFileDialog* d) {
        m_manager->addFiles(); // a second Add while it shows opens nothing more
        m_manager->closeWindow();
        d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(file));
        QMetaObject::invokeMethod(d, "accept");
    });
    addFiles();
    EXPECT_EQ(rows(), std::vector<std::string>{old});
    EXPECT_FALSE(m_listChanged);
    EXPECT_EQ(shownMessageBox(), nullptr);
}

// The walk runs behind the wait panel and its bar; closing the window before
// it ends drops what it finds.
TEST_F(Manager, AFolderIsWalkedBehindTheWaitPanelAndDroppedOnClose) {
    for (const char* name : {"a.jpg", "sub/b.png"})
        picture(std::string("album/") + name, Red);
    const std::string album = m_home + "/album";
    const std::string old = picture("p/old.bmp", Green);
    for (const bool closeEarly : {true, false}) {
        open({old});
        m_manager->scanFolder(album, true);
        EXPECT_TRUE(m_manager->waiting());
        EXPECT_TRUE(m_manager->pb->isVisibleTo(m_manager.get()));
        if (closeEarly) {
            m_manager->closeWindow(); // before the result can come back
            EXPECT_FALSE(m_manager->waiting());
            QThreadPool::globalInstance()->waitForDone();
            QTest::qWait(50);
            EXPECT_EQ(rows(), std::vector<std::string>{old});
            EXPECT_FALSE(m_listChanged);
        } else {
            ASSERT_TRUE(QTest::qWaitFor([this] { return !m_manager->waiting(); }, 10000));
            EXPECT_EQ(rows(),
                      (std::vector<std::string>{old, album + "/a.jpg", album + "/sub/b.png"}));
            EXPECT_TRUE(m_listChanged);
            EXPECT_EQ(m_manager->pb->value(), 100);
            EXPECT_TRUE(m_manager->pb->isHidden());
            m_manager->closeWindow();
        }
    }
}

TEST_F(Manager, AddedFolderComesInScanOrderAndTheDialogKeepsItsState) {
    for (const char* name : {"a.jpg", "B.PNG", "skip.pcx", "sub/c.bmp", "sub/d.jpeg"})
        picture(std::string("album/") + name, Red);
    const std::string album = m_home + "/album";
    std::vector<std::string> expected;
    scanDir(album, true, expected);
    ASSERT_EQ(expected.size(), 4u);
    open({});

    whenModal<FolderDialog>([&](FolderDialog* d) {
        EXPECT_TRUE(d->cbWithSubFolders->isChecked()); // ticked at start
        d->selectFolder(QString::fromStdString(album));
        d->button1->click();
    });
    addFolder();
    EXPECT_EQ(rows(), expected);
    EXPECT_TRUE(m_listChanged);
    EXPECT_EQ(m_manager->selectedRow(), 0);
    EXPECT_FALSE(m_manager->waiting());

    // Again, without subfolders: the same folder is still selected.
    whenModal<FolderDialog>([&](FolderDialog* d) {
        EXPECT_EQ(d->selectedFolder(), album);
        d->cbWithSubFolders->setChecked(false);
        d->button1->click();
    });
    addFolder();
    const std::vector<std::string> all = rows();
    ASSERT_EQ(all.size(), 6u);
    std::vector<std::string> own(all.begin() + 4, all.end());
    std::sort(own.begin(), own.end());
    EXPECT_EQ(own, (std::vector<std::string>{album + "/B.PNG", album + "/a.jpg"}));
    EXPECT_FALSE(m_folders->withSubFolders()) << "the tick is kept for the run";
}

TEST_F(Manager, AChosenFileWithALineBreakIsLeftOutWithANotice) {
    const std::string good = picture("p/good.bmp", Red);
    const std::string broken = picture("p/two\nlines.bmp", Green);
    open({});
    whenModal<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>("fileNameEdit")
            ->setText(QString::fromStdString("\"" + broken + "\" \"" + good + "\""));
        QMetaObject::invokeMethod(d, "accept");
    });
    addFiles();
    EXPECT_EQ(rows(), std::vector<std::string>{good});
    QMessageBox* box = shownMessageBox();
    ASSERT_NE(box, nullptr) << "no notice";
    EXPECT_EQ(box->text(),
              "One picture was not added because its file name contains a line break.");
    box->button(QMessageBox::Ok)->click();
}

struct UnlistableCase {
    std::vector<const char*> names; ///< made in the album
    std::vector<const char*> added;
    const char* notice; ///< empty: none
};

class UnlistableNames : public Manager, public ::testing::WithParamInterface<UnlistableCase> {};

TEST_P(UnlistableNames, AreLeftOutWithOneNotice) {
    const UnlistableCase c = GetParam();
    for (const char* name : c.names)
        picture(std::string("album/") + name, Red);
    const std::string album = m_home + "/album";
    open({});
    whenModal<FolderDialog>([&](FolderDialog* d) {
        d->selectFolder(QString::fromStdString(album));
        d->button1->click();
    });
    addFolder();
    std::vector<std::string> added;
    for (const char* name : c.added)
        added.push_back(album + "/" + name);
    EXPECT_EQ(rows(), added);
    EXPECT_TRUE(m_listChanged);
    QMessageBox* box = shownMessageBox();
    if (std::string(c.notice).empty()) {
        EXPECT_EQ(box, nullptr);
        return;
    }
    ASSERT_NE(box, nullptr) << "no notice";
    EXPECT_EQ(box->windowTitle(), "Quorvane");
    EXPECT_EQ(box->text(), c.notice);
    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(QTest::qWaitFor([] { return shownMessageBox() == nullptr; }, 2000))
        << "more than one notice";
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UnlistableNames,
    ::testing::Values(
        UnlistableCase{{"img10.jpg", "inj\nyellow.jpg", "img2.jpg", "cr\r.png", "sub\n/x.bmp"},
                       {"img2.jpg", "img10.jpg"},
                       "3 pictures were not added because their file names contain line breaks."},
        UnlistableCase{{"a.jpg", "b\n.jpg"},
                       {"a.jpg"},
                       "One picture was not added because its file name contains a line break."},
        UnlistableCase{{"b.jpg", "a.jpg", "notes\n.txt"}, {"a.jpg", "b.jpg"}, ""}));

TEST_F(Manager, ALateCompletionListNeverOutlivesTheFileDialog) {
    const std::string file = picture("p/typed.bmp", Red);
    open({});
    whenModal<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(file));
        QMetaObject::invokeMethod(d, "accept");
    });
    addFiles();
    ASSERT_EQ(rows(), std::vector<std::string>{file});
    // The completion list filled in the background comes up after the close.
    QWidget* list = m_manager->dOpen->findChild<QLineEdit*>("fileNameEdit")->completer()->popup();
    list->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }, 2000))
        << "the completion list stayed over the manager";
}

struct CancelCase {
    const char* how;
    bool editedBefore;
};

class CancelledDialog : public Manager, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelledDialog, LeavesListChangedAsItWas) {
    const CancelCase c = GetParam();
    picture("album/a.jpg", Red);
    open({picture("p/a.bmp", Red), picture("p/b.bmp", Green)});
    if (c.editedBefore)
        m_manager->deleteSelected();
    const std::string how = c.how;
    if (how == "file") {
        whenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
        addFiles();
    } else {
        whenModal<FolderDialog>([&](FolderDialog* d) {
            d->selectFolder(QString::fromStdString(m_home + "/album"));
            if (how == "cancel")
                d->button2->click();
            else
                d->close(); // the close box
        });
        addFolder();
    }
    EXPECT_EQ(m_listChanged, c.editedBefore);
    EXPECT_EQ(rows().size(), c.editedBefore ? 1u : 2u);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, CancelledDialog,
                         ::testing::Values(CancelCase{"file", false}, CancelCase{"file", true},
                                           CancelCase{"cancel", false}, CancelCase{"cancel", true},
                                           CancelCase{"closebox", false}));

TEST_F(Manager, TheFolderDialogIsAFixedFramedTreeOfFolders) {
    FolderDialog& d = *m_folders;
    EXPECT_EQ(d.windowTitle(), "Browse For Folder");
    EXPECT_EQ(d.size(), QSize(321, 371));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_EQ(d.cbWithSubFolders->text(), "Include subfolders");
    // OK, Cancel, the check box, the tree.
    EXPECT_EQ(d.button1->nextInFocusChain(), d.button2);
    EXPECT_EQ(d.button2->nextInFocusChain(), d.cbWithSubFolders);
    EXPECT_EQ(d.cbWithSubFolders->nextInFocusChain(), d.treeView);
    // The file system's root on top, opened down to the home folder.
    d.fillTree();
    const QModelIndex top = d.treeView->model()->index(0, 0, d.treeView->rootIndex());
    EXPECT_EQ(top.data().toString().isEmpty(), false);
    EXPECT_EQ(d.treeView->currentIndex().data(QFileSystemModel::FilePathRole).toString(),
              QString::fromStdString(m_home));
    EXPECT_TRUE(d.treeView->isExpanded(d.treeView->currentIndex().parent()));
    // The home folder is opened and selected: OK takes it at once.
    EXPECT_TRUE(d.treeView->isExpanded(d.treeView->currentIndex()));
    EXPECT_EQ(d.selectedFolder(), m_home);
    EXPECT_EQ(d.edtPath->text().toStdString(), m_home);
    EXPECT_TRUE(d.button1->isEnabled());

    // Escape does nothing; Enter presses the focused button.
    whenModal<FolderDialog>([](FolderDialog* dlg) {
        QTest::keyClick(dlg, Qt::Key_Escape);
        EXPECT_TRUE(dlg->isVisible()) << "Escape closed the dialog";
        dlg->selectFolder(QDir::homePath());
        EXPECT_TRUE(dlg->button1->isEnabled());
        dlg->button1->setFocus();
        QTest::keyClick(dlg->button1, Qt::Key_Return);
    });
    EXPECT_EQ(d.exec(), QDialog::Accepted);
}

TEST_F(Manager, AFolderTypedIntoTheFolderDialogIsTaken) {
    const std::string target = picture("typed/deep/t.bmp", Red);
    const std::string folder = m_home + "/typed/deep";
    open({});
    whenModal<FolderDialog>([&](FolderDialog* dlg) {
        dlg->edtPath->setFocus();
        dlg->edtPath->clear();
        QTest::keyClicks(dlg->edtPath, QString::fromStdString(m_home + "/typed/nothing-here"));
        EXPECT_FALSE(dlg->button1->isEnabled()) << "OK with a path that is no folder";
        dlg->edtPath->clear();
        QTest::keyClicks(dlg->edtPath, QString::fromStdString(folder));
        EXPECT_EQ(dlg->selectedFolder(), folder);
        EXPECT_TRUE(dlg->button1->isEnabled());
        QTest::keyClick(dlg->edtPath, Qt::Key_Return);
    });
    addFolder();
    EXPECT_EQ(rows(), std::vector<std::string>{target});
}

TEST_F(Manager, TheFileDialogOpensInPicturesThenWhereFilesWereTakenWithAnEmptyName) {
    const std::string pictures = m_home + "/Pictures";
    std::filesystem::create_directories(pictures);
    EXPECT_EQ(fileDialogFolder({}).toStdString(), pictures);
    const std::string first = picture("elsewhere/one.bmp", Red);
    const std::string second = picture("elsewhere/two.bmp", Green);
    open({});
    whenModal<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->directory().absolutePath().toStdString(), pictures);
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        EXPECT_TRUE(name->text().isEmpty());
        name->setText(QString::fromStdString(first));
        QMetaObject::invokeMethod(d, "accept");
    });
    addFiles();
    // The next time: the folder of the last files, and no old name to type after.
    whenModal<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->directory().absolutePath().toStdString(), m_home + "/elsewhere");
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        EXPECT_TRUE(name->text().isEmpty()) << name->text().toStdString();
        name->setText(QStringLiteral("two.bmp"));
        QMetaObject::invokeMethod(d, "accept");
    });
    addFiles();
    EXPECT_EQ(rows(), (std::vector<std::string>{first, second}));
    // Without a Pictures folder: home.
    std::filesystem::remove(pictures);
    EXPECT_EQ(fileDialogFolder({}).toStdString(), m_home);
}

// -------------------------------------------------------------------- preview

TEST_F(Manager, AMissingFileKeepsThePreviousPreviewAndABrokenOneEmptiesIt) {
    const std::string broken = writeFile("p/broken.jpg", "this is no picture");
    open({picture("p/a.bmp", Red), m_home + "/p/missing.bmp", broken});
    ASSERT_TRUE(near(previewColour(), Red));
    m_manager->selectRow(1);
    settle();
    EXPECT_TRUE(near(previewColour(), Red)) << "a missing file changed the preview";
    m_manager->selectRow(2);
    settle();
    EXPECT_TRUE(previewEmpty());
}

TEST_F(Manager, TheCachedThumbnailIsShownWhenThereIsOne) {
    const std::string path = picture("p/a.jpg", Blue, 640, 480);
    writeSolidPicture(thumbnailFileName(m_dataFolder, path), 197, 123, Green);
    open({path});
    EXPECT_TRUE(near(previewColour(), Green, 12));
}

TEST_F(Manager, HoldingTheArrowKeyDecodesOnlyTheNewestPicture) {
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i)
        paths.push_back(picture("p/" + std::to_string(i) + ".jpg", colourOf(i), 1600, 1200));
    open(paths);
    const long before = file2BitmapCount();
    for (int i = 1; i < 12; ++i)
        QTest::keyClick(m_manager->lbPic, Qt::Key_Down);
    // The window decoded nothing itself: at most the worker's one picture so far.
    EXPECT_LE(file2BitmapCount() - before, 1);
    settle();
    EXPECT_EQ(m_manager->selectedRow(), 11);
    EXPECT_LE(file2BitmapCount() - before, 2) << "requests in between were decoded";
    EXPECT_TRUE(near(previewColour(), colourOf(11), 12));
}
