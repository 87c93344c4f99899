// The program on the offscreen platform: start-up, the deferred close, the
// keyboard and the plain controls of the automatic change.
#include "app/appfixture.h"

#include "collection/walls.h"
#include "support/modal.h"
#include "support/recording_wallpaper.h"
#include "thumbs/thumbfixture.h"
#include "ui/picturemanager.h"

#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QSystemTrayIcon>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

QString settingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Quorvane/Quorvane.conf";
}

/// The questions that open while `request` runs, besides one already open;
/// each is cancelled.
int questionsDuring(const std::function<void()>& request) {
    QWidget* before = QApplication::activeModalWidget();
    int questions = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box != before) {
            ++questions;
            box->button(QMessageBox::Cancel)->click();
        }
    });
    request();
    QTest::qWait(20);
    return questions;
}

} // namespace

using Program = AppTest;

TEST_F(Program, EmptyCollectionShowsTheWindowAndTheHint) {
    startApp();
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_EQ(mainWindow().size(), QSize(800, 435));
    EXPECT_EQ(label("lbDir"), "Please, add wallpapers in the manager >>>");
    EXPECT_TRUE(label("lbNum").isEmpty());
    EXPECT_EQ(label("lbHour"), "0");
    EXPECT_EQ(label("lbMin"), "5");
    // What an earlier run left beside the wallpaper file goes at start-up.
    EXPECT_EQ(recording_wallpaper::tidied(), std::vector<std::string>{s().wallpaperFile});
}

TEST_F(Program, CloseWaitsForTheWorkerThenEndsWithinOneTick) {
    const std::string picture = m_home + "/p.bmp";
    writeSolidPicture(picture, 40, 30, colourOf(0));
    writeWallList(m_state, {picture});
    startApp();
    ASSERT_TRUE(waitIdle());
    // A thumbnail job is out; its end cannot come back while no event runs.
    m_app->thumbnails().browseArray();
    ASSERT_FALSE(m_app->thumbnails().idle());
    m_app->systemClose();
    EXPECT_TRUE(s().appClosing);
    EXPECT_EQ(s().closeStage, CloseStage::WaitingForWorkers);
    EXPECT_TRUE(m_app->closeTimer().enabled());
    // Saved at the request already.
    EXPECT_TRUE(QSettings(settingsFile(), QSettings::IniFormat).contains("param/interval"));
    QFile::remove(settingsFile());
    m_app->closeTimer().fire();
    m_app->closeTimer().fire();
    EXPECT_EQ(s().closeStage, CloseStage::WaitingForWorkers) << "closed while the worker still ran";
    bool ended = false;
    QObject::connect(m_app.get(), &Application::finished, [&] { ended = true; });
    ASSERT_TRUE(waitIdle());
    m_app->closeTimer().fire();
    EXPECT_EQ(s().closeStage, CloseStage::Final);
    EXPECT_TRUE(ended);
    // The final close saved again.
    EXPECT_TRUE(QSettings(settingsFile(), QSettings::IniFormat).contains("param/interval"));
}

TEST_F(Program, CloseWritesTheRemovalsThatWaitForTheList) {
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back(m_home + "/p" + std::to_string(i) + ".bmp");
        writeSolidPicture(paths.back(), 40, 30, colourOf(i));
    }
    writeWallList(m_state, paths);
    startApp();
    ASSERT_TRUE(waitIdle());
    // What the thumbnail walk leaves behind for a moment.
    m_app->collection().removeWallLater({1, c().entries()[1].id});
    ASSERT_EQ(parseListText(readFile(listFileName(m_state))), paths);
    // The close of a signal or of the session, which asks nothing.
    m_app->systemClose();
    m_app->closeTimer().fire();
    EXPECT_EQ(s().closeStage, CloseStage::Final);
    EXPECT_EQ(parseListText(readFile(listFileName(m_state))),
              (std::vector<std::string>{paths[0], paths[2], paths[3]}));
}

TEST_F(Program, TheTimerItselfEndsTheWait) {
    startApp();
    m_app->systemClose();
    EXPECT_EQ(s().closeStage, CloseStage::WaitingForWorkers);
    EXPECT_TRUE(QTest::qWaitFor([this] { return s().closeStage == CloseStage::Final; }, 2000));
}

TEST_F(Program, CancelChangesNothing) {
    startApp();
    QString text;
    answerNextBox(QMessageBox::Cancel, &text);
    mainWindow().requestExit();
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_EQ(text, "Do you realy want to exit?");
    EXPECT_FALSE(s().appClosing);
    EXPECT_EQ(s().closeStage, CloseStage::Running);
    EXPECT_FALSE(m_app->closeTimer().enabled());
    EXPECT_FALSE(QSettings(settingsFile(), QSettings::IniFormat).contains("param/interval"));
}

TEST_F(Program, AnExitRequestAsksNothingWhileAskingOrClosing) {
    startApp();
    int whileAsking = -1;
    answerNextBox(QMessageBox::Cancel, nullptr,
                  [&] { whileAsking = questionsDuring([this] { mainWindow().requestExit(); }); });
    mainWindow().requestExit();
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_EQ(whileAsking, 0) << "a second question opened over the first";

    m_app->systemClose();
    EXPECT_EQ(questionsDuring([this] { mainWindow().requestExit(); }), 0)
        << "asked while the program closes";
}

TEST_F(Program, OkStartsTheDeferredClose) {
    startApp();
    answerNextBox(QMessageBox::Ok);
    mainWindow().requestExit();
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_TRUE(s().appClosing);
    EXPECT_EQ(s().closeStage, CloseStage::WaitingForWorkers);
}

TEST_F(Program, StoredSettingsShowOnTheControls) {
    {
        QSettings s(settingsFile(), QSettings::IniFormat);
        s.setValue("version", "3.2");
        s.setValue("param/interval", "5400000");
        s.setValue("param/AutomaticallyChange", "1");
        s.setValue("param/RandomSelect", "1");
        s.setValue("param/left", "-200");
        s.setValue("param/top", "17");
    }
    startApp();
    EXPECT_EQ(label("lbHour"), "1");
    EXPECT_EQ(label("lbMin"), "30");
    EXPECT_TRUE(control<SkinSwitch>("iAutomaticallyChange")->isOn());
    EXPECT_EQ(control<SkinSwitch>("iAutomaticallyChange")->pictureName(), "iOn");
    EXPECT_TRUE(control<SkinSwitch>("iRandomSelect")->isOn());
    // Partly off the screen: centred on it instead.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(mainWindow().pos(), QPoint(screen.x() + screen.width() / 2 - 400,
                                         screen.y() + screen.height() / 2 - 435 / 2));
    EXPECT_TRUE(m_app->scheduler().quorvaneTimer.enabled());
}

TEST_F(Program, CounterButtonsAndTogglesWork) {
    startApp();
    QTest::mousePress(control("iIncMin"), Qt::LeftButton);
    QTest::mouseRelease(control("iIncMin"), Qt::LeftButton);
    EXPECT_EQ(label("lbMin"), "6");
    QTest::mousePress(control("iIncHour"), Qt::RightButton);
    QTest::mouseRelease(control("iIncHour"), Qt::RightButton);
    EXPECT_EQ(label("lbHour"), "1");
    EXPECT_EQ(m_app->scheduler().changeInterval(), 3600000 + 6 * 60000);
    QTest::mousePress(control("iAutomaticallyChange"), Qt::MiddleButton);
    EXPECT_TRUE(s().automaticallyChange);
    EXPECT_EQ(control<SkinSwitch>("iAutomaticallyChange")->pictureName(), "iOn");
}

TEST_F(Program, KeysReachTheCollection) {
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i)
        paths.push_back(writeFile("p" + std::to_string(i) + ".bmp", "x"));
    writeWallList(m_state, paths);
    startApp();
    mainWindow().trayClick();
    ASSERT_EQ(c().count(), 3);
    QLineEdit* keys = control<QLineEdit>("edtInput");
    QTest::keyClick(keys, Qt::Key_Right);
    EXPECT_EQ(c().current(), 1);
    EXPECT_EQ(label("lbNum"), "2/3");
    EXPECT_EQ(label("lbFile"), "p1.bmp");
    EXPECT_EQ(label("lbDir"), QString::fromStdString(m_home) + "/");
    QTest::keyClick(keys, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(c().current(), 2);
    QTest::keyClick(keys, Qt::Key_Escape);
    // Hidden to the tray, or minimised where there is no tray to come back from.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        EXPECT_FALSE(mainWindow().isVisible());
    else
        EXPECT_TRUE(mainWindow().isMinimized());
}

TEST_F(Program, ShiftDeleteAsksAndDeletesTheFileOnOkOnly) {
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(m_home + "/p" + std::to_string(i) + ".bmp");
        writeSolidPicture(paths.back(), 40, 30, colourOf(i));
    }
    writeWallList(m_state, paths);
    startApp();
    mainWindow().trayClick();
    QLineEdit* keys = control<QLineEdit>("edtInput");
    c().restoreCurrent(2);

    QString text;
    answerNextBox(QMessageBox::Cancel, &text);
    QTest::keyClick(keys, Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_EQ(text, "Are you sure you want to delete p2.bmp?\r\n\r\nWarning: this action will "
                    "delete this file from disk, and cannot be undone!");
    EXPECT_EQ(c().count(), 3);
    EXPECT_TRUE(fs::exists(paths[2]));

    answerNextBox(QMessageBox::Ok);
    QTest::keyClick(keys, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_FALSE(fs::exists(paths[2]));
    EXPECT_EQ(c().count(), 2);
    // The last entry went: the first becomes current.
    EXPECT_EQ(c().current(), 0);

    // Without Shift nothing is asked and the file stays.
    QTest::keyClick(keys, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(c().count(), 1);
    EXPECT_TRUE(fs::exists(paths[0]));
}

TEST_F(Program, APositionOffEveryScreenIsCentredInstead) {
    {
        QSettings s(settingsFile(), QSettings::IniFormat);
        s.setValue("version", "3.2");
        s.setValue("param/left", "-5000");
        s.setValue("param/top", "-5000");
    }
    startApp();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(mainWindow().pos(), QPoint(screen.x() + screen.width() / 2 - 400,
                                         screen.y() + screen.height() / 2 - 217));
}

// The folder the file dialog last took files from is kept in the settings
// at the close and read at the next start; one gone in between gives way to
// the Pictures folder, as in a first run.
class LastFolder : public AppTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LastFolder, OutlivesTheRunUnlessItVanished) {
    const bool vanishes = GetParam();
    const std::string pictures = m_home + "/Pictures";
    const std::string taken = m_home + "/Ferien 2024/été";
    fs::create_directories(pictures);
    fs::create_directories(taken);
    startApp();
    EXPECT_EQ(fileDialogFolder(m_app->picManager()->lastFileFolder()).toStdString(), pictures);
    m_app->picManager()->setLastFileFolder(QString::fromStdString(taken));
    m_app->systemClose();
    EXPECT_EQ(QSettings(settingsFile(), QSettings::IniFormat).value("param/LastFolder").toString(),
              QString::fromStdString(taken));
    m_app.reset();
    if (vanishes)
        fs::remove(taken);
    startApp();
    EXPECT_EQ(m_app->picManager()->lastFileFolder().toStdString(), taken);
    EXPECT_EQ(fileDialogFolder(m_app->picManager()->lastFileFolder()).toStdString(),
              vanishes ? pictures : taken);
    // The other settings were written beside it.
    EXPECT_TRUE(QSettings(settingsFile(), QSettings::IniFormat).contains("param/interval"));
}

INSTANTIATE_TEST_SUITE_P(KeptOrVanished, LastFolder, ::testing::Bool());

// Pictures of their own colours, written to the list file before the start.
class Removal : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        for (int i = 0; i < 5; ++i) {
            m_paths.push_back(m_home + "/pics/p" + std::to_string(i) + ".bmp");
            writeSolidPicture(m_paths.back(), 40, 30, colourOf(i));
        }
        writeWallList(m_state, m_paths);
        startApp();
        mainWindow().trayClick();
        ASSERT_TRUE(waitIdle());
    }
    std::vector<std::string> listed() { return parseListText(readFile(listFileName(s()))); }
    /// Shift+Delete, and the answer to its question.
    void shiftDelete() {
        QTest::keyClick(control("edtInput"), Qt::Key_Delete, Qt::ShiftModifier);
        ASSERT_TRUE(untilModalsClosed());
    }
    std::vector<std::string> m_paths;
};

TEST_F(Removal, AChangeWhileTheQuestionIsOpenRemovesTheEntryThatWasAskedAbout) {
    c().restoreCurrent(0);
    m_app->scheduler().setAutomaticallyChange(true);
    // The change timer fires while the question about p0 is open: p1 becomes
    // current and is applied.
    answerNextBox(QMessageBox::Ok, nullptr, [this] { m_app->scheduler().quorvaneTimer.fire(); });
    shiftDelete();
    EXPECT_FALSE(fs::exists(m_paths[0]));
    EXPECT_TRUE(fs::exists(m_paths[1]));
    EXPECT_EQ(listed(), (std::vector<std::string>{m_paths[1], m_paths[2], m_paths[3], m_paths[4]}));
    // p1 stays the current entry, now at index 0.
    EXPECT_EQ(c().entries()[c().current()].path, m_paths[1]);
    EXPECT_EQ(label("lbNum"), "1/4");
}

TEST_F(Removal, AnEarlierEntryRemovedWhileTheQuestionIsOpenMovesNothingElse) {
    c().restoreCurrent(2);
    // The thumbnail walk removes p0 (undecodable) while the question about p2
    // is open: p2 moves to index 1.
    answerNextBox(QMessageBox::Ok, nullptr, [this] { m_app->collection().removeWall(0); });
    shiftDelete();
    EXPECT_FALSE(fs::exists(m_paths[2]));
    EXPECT_EQ(listed(), (std::vector<std::string>{m_paths[1], m_paths[3], m_paths[4]}));
    // The successor of p2 is current and applied.
    EXPECT_EQ(c().entries()[c().current()].path, m_paths[3]);
    m_app->collection().waitForWallpaperWrite();
    ASSERT_FALSE(recording_wallpaper::applied().empty());
    EXPECT_EQ(recording_wallpaper::applied().back(), s().wallpaperFile);
}

TEST_F(Removal, AnEntryGoneWhileTheQuestionIsOpenLosesOnlyItsFile) {
    c().restoreCurrent(1);
    answerNextBox(QMessageBox::Ok, nullptr, [this] { m_app->collection().removeWall(1); });
    shiftDelete();
    EXPECT_FALSE(fs::exists(m_paths[1]));
    EXPECT_EQ(listed(), (std::vector<std::string>{m_paths[0], m_paths[2], m_paths[3], m_paths[4]}));
}

TEST_F(Program, EveryPressOfADoubleClickCounts) {
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) {
        paths.push_back(m_home + "/p" + std::to_string(i) + ".bmp");
        writeSolidPicture(paths.back(), 40, 30, colourOf(i));
    }
    writeWallList(m_state, paths);
    startApp();
    QWidget* next = control("iNext");
    // Two quick double clicks: press, release, double-click press, release.
    // As the window system delivers them: press, release, double click, release.
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseDClick(next, Qt::LeftButton);
        QTest::mouseRelease(next, Qt::LeftButton);
    }
    EXPECT_EQ(c().current(), 4);
    const QString minutes = label("lbMin");
    QTest::mouseClick(control("iIncMin"), Qt::LeftButton);
    QTest::mouseDClick(control("iIncMin"), Qt::LeftButton);
    QTest::mouseRelease(control("iIncMin"), Qt::LeftButton);
    EXPECT_EQ(label("lbMin").toInt(), minutes.toInt() + 2);
    EXPECT_FALSE(m_app->scheduler().delayTimer.enabled()) << "the repeat stopped at the release";
}

TEST_F(Program, NamesAreShownAsTheyAreNotAsMarkup) {
    const std::string odd = m_home + "/pics/Summer <hr>2019 &amp; <b>x<b>.bmp";
    writeSolidPicture(odd, 40, 30, 0x336699);
    writeWallList(m_state, {odd});
    startApp();
    ASSERT_TRUE(waitIdle());
    auto* file = control<QLabel>("lbFile");
    EXPECT_EQ(file->text(), "Summer <hr>2019 &amp; <b>x<b>.bmp");
    EXPECT_EQ(file->textFormat(), Qt::PlainText);
    QString question;
    Qt::TextFormat format = Qt::AutoText;
    answerNextBox(QMessageBox::Cancel, &question, [&] {
        format = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->textFormat();
    });
    mainWindow().trayClick();
    QTest::keyClick(control("edtInput"), Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_TRUE(question.startsWith("Are you sure you want to delete Summer <hr>2019"));
    EXPECT_EQ(format, Qt::PlainText);
}
