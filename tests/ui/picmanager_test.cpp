// The picture manager and its folder dialog on the offscreen platform, with
// real picture files in a private home.
#include "ui/uPicManager.h"

#include "collection/folderwalk.h"
#include "collection/thumbpath.h"
#include "imaging/codecs.h"
#include "support/modal.h"
#include "support/temphome.h"
#include "thumbs/thumbfixture.h"
#include "ui/pathlist.h"
#include "ui/uFolderSelect.h"

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
        const QString config = QString::fromStdString(home + "/.config");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
        folders = std::make_unique<TfFolderSelect>();
        manager = std::make_unique<TfPicManager>(state);
        manager->setFolderSelect(folders.get());
    }
    void TearDown() override {
        manager.reset();
        folders.reset();
    }

    /// A picture of one colour below the home folder; returns its path.
    std::string picture(const std::string& relative, std::uint32_t rgb, int w = 40, int h = 30) {
        const std::string path = home + "/" + relative;
        WriteSolidPicture(path, w, h, rgb);
        return path;
    }

    /// Shows the manager over a collection of these paths and waits for the fill.
    void open(const std::vector<std::string>& paths) {
        Walls.clear();
        for (const auto& p : paths)
            Walls.push_back(state.MakeWall(p));
        manager->show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !manager->waiting(); }, 10000));
        settle();
    }
    void settle() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !manager->previewLoading(); }, 20000));
        QCoreApplication::processEvents();
    }
    /// The preview's colour in its middle; 0 when it is empty.
    QRgb previewColour() const {
        const QPixmap& p = manager->iPreview->pixmap();
        return p.isNull() ? 0 : p.toImage().pixel(p.width() / 2, p.height() / 2);
    }
    bool previewEmpty() const { return manager->iPreview->pixmap().isNull(); }
    std::vector<std::string> rows() const { return manager->rows(); }

    std::unique_ptr<TfFolderSelect> folders;
    std::unique_ptr<TfPicManager> manager;
    bool& ListChanged = state.ListChanged;
};

// ------------------------------------------------------------------ the window

TEST_F(Manager, OpensWithTheCollectionAndItsFirstRowPreviewed) {
    const std::vector<std::string> paths{picture("p/a.bmp", Red), picture("p/b.bmp", Green),
                                         home + "/p/missing.jpg"};
    ListChanged = true; // left from an earlier showing
    open(paths);
    EXPECT_EQ(rows(), paths);
    EXPECT_EQ(manager->selectedRow(), 0);
    EXPECT_FALSE(ListChanged);
    EXPECT_TRUE(near(previewColour(), Red));
    EXPECT_TRUE(manager->pb->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), manager->lbPic);
    // A view over a model, with rows of one height: no widget per row.
    EXPECT_TRUE(manager->lbPic->uniformItemSizes());
    EXPECT_EQ(manager->Panel1->text(), "Please wait...");
}

TEST_F(Manager, AnEmptyCollectionOpensEmpty) {
    open({});
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(manager->selectedRow(), -1);
    EXPECT_TRUE(previewEmpty());
    EXPECT_FALSE(ListChanged);
}

TEST_F(Manager, TheWaitPanelKeepsEditsOut) {
    Walls.push_back(state.MakeWall(picture("p/a.bmp", Red)));
    manager->show();
    // The fill runs once the window has shown; until it ends the panel is up.
    ASSERT_TRUE(manager->waiting());
    manager->clearAll();
    manager->addFiles();
    manager->addFolder();
    QTest::mouseClick(manager->findChild<QWidget*>("iDel"), Qt::LeftButton);
    EXPECT_FALSE(ListChanged);
    EXPECT_EQ(Walls.size(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !manager->waiting(); }));
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
    EXPECT_EQ(PathRowDelegate::RowFont().pixelSize(), 9);
    EXPECT_TRUE(PathRowDelegate::RowFont().bold());
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
        paths.push_back(picture("p/" + std::to_string(i) + ".bmp", ColourOf(i)));
    const std::string thumbnail = ThumbnailFileName(DataFolder, paths[c.removed]);
    WriteSolidPicture(thumbnail, 197, 123, ColourOf(c.removed));
    open(paths);
    manager->selectRow(c.removed);
    settle();

    manager->DeleteSelected();
    settle();
    EXPECT_TRUE(ListChanged);
    paths.erase(paths.begin() + c.removed);
    EXPECT_EQ(rows(), paths);
    EXPECT_EQ(manager->selectedRow(), c.selectedAfter);
    if (c.selectedAfter < 0)
        EXPECT_TRUE(previewEmpty());
    else
        EXPECT_TRUE(
            near(previewColour(),
                 ColourOf(c.selectedAfter >= c.removed ? c.selectedAfter + 1 : c.selectedAfter)));
    EXPECT_FALSE(fs::exists(thumbnail)) << "the thumbnail file stays";
    EXPECT_TRUE(fs::exists(home + "/p/" + std::to_string(c.removed) + ".bmp"))
        << "the picture itself must stay";
}

INSTANTIATE_TEST_SUITE_P(Rows, Removal,
                         ::testing::Values(RemovalCase{3, 2, 1}, RemovalCase{3, 0, 0},
                                           RemovalCase{3, 1, 1}, RemovalCase{1, 0, -1}));

TEST_F(Manager, TheDeleteKeyRemovesTheRowAndKeepsTheFile) {
    const std::vector<std::string> paths{picture("p/a.bmp", Red), picture("p/b.bmp", Green)};
    open(paths);
    QTest::keyClick(manager->lbPic, Qt::Key_Delete);
    EXPECT_EQ(rows(), std::vector<std::string>{paths[1]});
    EXPECT_TRUE(fs::exists(paths[0]));
    EXPECT_TRUE(ListChanged);
}

class ShiftDelete : public Manager, public ::testing::WithParamInterface<bool> {};

TEST_P(ShiftDelete, AsksThenDeletesTheFileAndItsRowOnOkOnly) {
    const bool ok = GetParam();
    const std::vector<std::string> paths{picture("p/a.bmp", Red), picture("p/b.bmp", Green),
                                         picture("p/c.bmp", Blue)};
    open(paths);
    manager->selectRow(1);
    settle();
    QString text;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
    });
    QTest::keyClick(manager->lbPic, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(text, "Are you sure you want to delete b.bmp?\r\n\r\nWarning: this action will "
                    "delete this file from disk, and cannot be undone!");
    EXPECT_EQ(fs::exists(paths[1]), !ok);
    EXPECT_EQ(ListChanged, ok);
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
    const std::string thumbnail = ThumbnailFileName(DataFolder, paths[0]);
    WriteSolidPicture(thumbnail, 197, 123, Red);
    open(paths);
    // A line of a drive that is away: not shown, yet part of what goes.
    state.UnavailableWalls = {"/media/away/x.jpg"};
    Walls[0].Preview = std::make_unique<Bitmap>(SolidBitmap(4, 4, Red));

    manager->clearAll();
    QMessageBox* box = ShownMessageBox();
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
    ASSERT_TRUE(QTest::qWaitFor([] { return ShownMessageBox() == nullptr; }, 2000));

    EXPECT_EQ(ListChanged, c.cleared);
    EXPECT_EQ(rows().empty(), c.cleared);
    EXPECT_EQ(Walls.empty(), c.cleared);
    EXPECT_EQ(state.UnavailableWalls.empty(), c.cleared);
    EXPECT_EQ(previewEmpty(), c.cleared);
    EXPECT_EQ(fs::exists(DataFolder + "Thumbnail"), !c.cleared);
    EXPECT_EQ(fs::exists(thumbnail), !c.cleared);
    if (!c.cleared) {
        EXPECT_NE(Walls[0].Preview, nullptr);
    }
    EXPECT_TRUE(fs::exists(paths[0]) && fs::exists(paths[1])) << "a picture file went";
}

INSTANTIATE_TEST_SUITE_P(Answers, ClearAll,
                         ::testing::Values(ClearCase{"ok", true}, ClearCase{"cancel", false},
                                           ClearCase{"escape", false},
                                           ClearCase{"closebox", false}));

TEST_F(Manager, ClearOfOnePictureSaysOnePicture) {
    open({picture("p/a.bmp", Red)});
    manager->clearAll();
    QMessageBox* box = ShownMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().startsWith("Remove 1 picture from the collection?"))
        << box->text().toStdString();
    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(rows().empty());
}

TEST_F(Manager, ClearOfAnEmptyListAsksNothingAndStillCountsAsAnEdit) {
    open({});
    manager->clearAll();
    EXPECT_EQ(ShownMessageBox(), nullptr);
    EXPECT_TRUE(ListChanged);
}

// --------------------------------------------------------------------- adding

TEST_F(Manager, AddedFilesComeInTheDialogsOrder) {
    const std::string first = picture("p/z.bmp", Red);
    const std::string second = picture("p/a.png.bmp", Green);
    open({picture("p/old.bmp", Blue)});
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->nameFilters(),
                  QStringList{QStringLiteral(u"Изображения (*.jpg *.png *.bmp)")});
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
        d->findChild<QLineEdit*>("fileNameEdit")
            ->setText(QString::fromStdString("\"" + first + "\" \"" + second + "\""));
        QMetaObject::invokeMethod(d, "accept"); // the Open button
    });
    manager->addFiles();
    settle();
    ASSERT_EQ(rows().size(), 3u);
    EXPECT_EQ(rows()[1], first);
    EXPECT_EQ(rows()[2], second);
    EXPECT_TRUE(ListChanged);
    EXPECT_EQ(manager->selectedRow(), 0);
}

TEST_F(Manager, AddedFolderComesInScanOrderAndTheDialogKeepsItsState) {
    for (const char* name : {"a.jpg", "B.PNG", "skip.gif", "sub/c.bmp", "sub/d.jpeg"})
        picture(std::string("album/") + name, Red);
    const std::string album = home + "/album";
    std::vector<std::string> expected;
    ScanDir(album, true, expected);
    ASSERT_EQ(expected.size(), 3u);
    open({});

    WhenModal<TfFolderSelect>([&](TfFolderSelect* d) {
        EXPECT_TRUE(d->cbWithSubFolders->isChecked()); // ticked at start
        d->selectFolder(QString::fromStdString(album));
        d->Button1->click();
    });
    manager->addFolder();
    EXPECT_EQ(rows(), expected);
    EXPECT_TRUE(ListChanged);
    EXPECT_EQ(manager->selectedRow(), 0);
    EXPECT_FALSE(manager->waiting());

    // Again, without subfolders: the same folder is still selected.
    WhenModal<TfFolderSelect>([&](TfFolderSelect* d) {
        EXPECT_EQ(d->selectedFolder(), album);
        d->cbWithSubFolders->setChecked(false);
        d->Button1->click();
    });
    manager->addFolder();
    const std::vector<std::string> all = rows();
    ASSERT_EQ(all.size(), 5u);
    std::vector<std::string> own(all.begin() + 3, all.end());
    std::sort(own.begin(), own.end());
    EXPECT_EQ(own, (std::vector<std::string>{album + "/B.PNG", album + "/a.jpg"}));
    EXPECT_FALSE(folders->withSubFolders()) << "the tick is kept for the run";
}

TEST_F(Manager, AChosenFileWithALineBreakIsLeftOutWithANotice) {
    const std::string good = picture("p/good.bmp", Red);
    const std::string broken = picture("p/two\nlines.bmp", Green);
    open({});
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>("fileNameEdit")
            ->setText(QString::fromStdString("\"" + broken + "\" \"" + good + "\""));
        QMetaObject::invokeMethod(d, "accept");
    });
    manager->addFiles();
    EXPECT_EQ(rows(), std::vector<std::string>{good});
    QMessageBox* box = ShownMessageBox();
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
    const std::string album = home + "/album";
    open({});
    WhenModal<TfFolderSelect>([&](TfFolderSelect* d) {
        d->selectFolder(QString::fromStdString(album));
        d->Button1->click();
    });
    manager->addFolder();
    std::vector<std::string> added;
    for (const char* name : c.added)
        added.push_back(album + "/" + name);
    EXPECT_EQ(rows(), added);
    EXPECT_TRUE(ListChanged);
    QMessageBox* box = ShownMessageBox();
    if (std::string(c.notice).empty()) {
        EXPECT_EQ(box, nullptr);
        return;
    }
    ASSERT_NE(box, nullptr) << "no notice";
    EXPECT_EQ(box->windowTitle(), "Quorvane");
    EXPECT_EQ(box->text(), c.notice);
    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(QTest::qWaitFor([] { return ShownMessageBox() == nullptr; }, 2000))
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
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(file));
        QMetaObject::invokeMethod(d, "accept");
    });
    manager->addFiles();
    ASSERT_EQ(rows(), std::vector<std::string>{file});
    // The completion list filled in the background comes up after the close.
    QWidget* list = manager->dOpen->findChild<QLineEdit*>("fileNameEdit")->completer()->popup();
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
        manager->DeleteSelected();
    const std::string how = c.how;
    if (how == "file") {
        WhenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
        manager->addFiles();
    } else {
        WhenModal<TfFolderSelect>([&](TfFolderSelect* d) {
            d->selectFolder(QString::fromStdString(home + "/album"));
            if (how == "cancel")
                d->Button2->click();
            else
                d->close(); // the close box
        });
        manager->addFolder();
    }
    EXPECT_EQ(ListChanged, c.editedBefore);
    EXPECT_EQ(rows().size(), c.editedBefore ? 1u : 2u);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, CancelledDialog,
                         ::testing::Values(CancelCase{"file", false}, CancelCase{"file", true},
                                           CancelCase{"cancel", false}, CancelCase{"cancel", true},
                                           CancelCase{"closebox", false}));

TEST_F(Manager, TheFolderDialogIsAFixedFramedTreeOfFolders) {
    TfFolderSelect& d = *folders;
    EXPECT_EQ(d.windowTitle(), "Browse For Folder");
    EXPECT_EQ(d.size(), QSize(321, 371));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_EQ(d.cbWithSubFolders->text(), "Include subfolders");
    // OK, Cancel, the check box, the tree.
    EXPECT_EQ(d.Button1->nextInFocusChain(), d.Button2);
    EXPECT_EQ(d.Button2->nextInFocusChain(), d.cbWithSubFolders);
    EXPECT_EQ(d.cbWithSubFolders->nextInFocusChain(), d.TreeView);
    // The file system's root on top, opened down to the home folder.
    d.fillTree();
    const QModelIndex top = d.TreeView->model()->index(0, 0, d.TreeView->rootIndex());
    EXPECT_EQ(top.data().toString().isEmpty(), false);
    EXPECT_EQ(d.TreeView->currentIndex().data(QFileSystemModel::FilePathRole).toString(),
              QString::fromStdString(home));
    EXPECT_TRUE(d.TreeView->isExpanded(d.TreeView->currentIndex().parent()));
    EXPECT_TRUE(d.selectedFolder().empty());
    EXPECT_FALSE(d.Button1->isEnabled()) << "OK with nothing to take";

    // Escape does nothing; Enter presses the focused button.
    WhenModal<TfFolderSelect>([](TfFolderSelect* dlg) {
        QTest::keyClick(dlg, Qt::Key_Escape);
        EXPECT_TRUE(dlg->isVisible()) << "Escape closed the dialog";
        dlg->selectFolder(QDir::homePath());
        EXPECT_TRUE(dlg->Button1->isEnabled());
        dlg->Button1->setFocus();
        QTest::keyClick(dlg->Button1, Qt::Key_Return);
    });
    EXPECT_EQ(d.exec(), QDialog::Accepted);
}

// -------------------------------------------------------------------- preview

TEST_F(Manager, AMissingFileKeepsThePreviousPreviewAndABrokenOneEmptiesIt) {
    const std::string broken = writeFile("p/broken.jpg", "this is no picture");
    open({picture("p/a.bmp", Red), home + "/p/missing.bmp", broken});
    ASSERT_TRUE(near(previewColour(), Red));
    manager->selectRow(1);
    settle();
    EXPECT_TRUE(near(previewColour(), Red)) << "a missing file changed the preview";
    manager->selectRow(2);
    settle();
    EXPECT_TRUE(previewEmpty());
}

TEST_F(Manager, TheCachedThumbnailIsShownWhenThereIsOne) {
    const std::string path = picture("p/a.jpg", Blue, 640, 480);
    WriteSolidPicture(ThumbnailFileName(DataFolder, path), 197, 123, Green);
    open({path});
    EXPECT_TRUE(near(previewColour(), Green, 12));
}

TEST_F(Manager, HoldingTheArrowKeyDecodesOnlyTheNewestPicture) {
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i)
        paths.push_back(picture("p/" + std::to_string(i) + ".jpg", ColourOf(i), 1600, 1200));
    open(paths);
    const long before = File2BitmapCount();
    for (int i = 1; i < 12; ++i)
        QTest::keyClick(manager->lbPic, Qt::Key_Down);
    // The window decoded nothing itself: at most the worker's one picture so far.
    EXPECT_LE(File2BitmapCount() - before, 1);
    settle();
    EXPECT_EQ(manager->selectedRow(), 11);
    EXPECT_LE(File2BitmapCount() - before, 2) << "requests in between were decoded";
    EXPECT_TRUE(near(previewColour(), ColourOf(11), 12));
}
