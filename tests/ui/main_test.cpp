// The main window on the offscreen platform: the deferred close, the
// keyboard and the plain controls of the automatic change.
#include "collection/scheduler.h"
#include "collection/state.h"
#include "collection/walls.h"
#include "support/temphome.h"
#include "ui/uMain.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

namespace {

// Answers the next modal message box with `button` once it shows.
void answerNextBox(QMessageBox::StandardButton button, QString* text = nullptr) {
    QTimer::singleShot(0, [=] {
        for (int i = 0; i < 200; ++i) {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                if (text)
                    *text = box->text();
                box->button(button)->click();
                return;
            }
            QTest::qWait(10);
        }
    });
}

QString settingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Quorvane/Quorvane.conf";
}

} // namespace

using MainWindow = TempHome;

TEST_F(MainWindow, EmptyCollectionShowsTheWindowAndTheHint) {
    TfMain w;
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.size(), QSize(800, 435));
    EXPECT_EQ(w.lbDir->text(), "Please, add wallpapers in the manager >>>");
    EXPECT_TRUE(w.lbNum->text().isEmpty());
    EXPECT_EQ(w.lbHour->text(), "0");
    EXPECT_EQ(w.lbMin->text(), "5");
}

TEST_F(MainWindow, CloseWaitsForTheWorkerThenEndsWithinOneTick) {
    TfMain w;
    CacheIdle = false; // a thumbnail job is running
    w.SystemClose();
    EXPECT_TRUE(AppClosing);
    EXPECT_EQ(CloseStage, 1);
    EXPECT_TRUE(w.TimerClose.enabled());
    // Saved at the request already.
    EXPECT_TRUE(QSettings(settingsFile(), QSettings::IniFormat).contains("param/interval"));
    QFile::remove(settingsFile());
    w.TimerClose.fire();
    w.TimerClose.fire();
    EXPECT_EQ(CloseStage, 1) << "closed while the worker still ran";
    CacheIdle = true;
    bool ended = false;
    QObject::connect(&w, &TfMain::finallyClosed, [&] { ended = true; });
    w.TimerClose.fire();
    EXPECT_EQ(CloseStage, 5);
    EXPECT_TRUE(ended);
    // The final close saved again.
    EXPECT_TRUE(QSettings(settingsFile(), QSettings::IniFormat).contains("param/interval"));
}

TEST_F(MainWindow, TheTimerItselfEndsTheWait) {
    TfMain w;
    w.SystemClose();
    EXPECT_EQ(CloseStage, 1);
    EXPECT_TRUE(QTest::qWaitFor([] { return CloseStage == 5; }, 2000));
}

TEST_F(MainWindow, CancelChangesNothing) {
    TfMain w;
    QString text;
    answerNextBox(QMessageBox::Cancel, &text);
    w.iCloseClick();
    EXPECT_EQ(text, "Do you realy want to exit?");
    EXPECT_FALSE(AppClosing);
    EXPECT_EQ(CloseStage, 0);
    EXPECT_FALSE(w.TimerClose.enabled());
    EXPECT_FALSE(QSettings(settingsFile(), QSettings::IniFormat).contains("param/interval"));
}

TEST_F(MainWindow, OkStartsTheDeferredClose) {
    TfMain w;
    answerNextBox(QMessageBox::Ok);
    w.iCloseClick();
    EXPECT_TRUE(AppClosing);
    EXPECT_EQ(CloseStage, 1);
}

TEST_F(MainWindow, StoredSettingsShowOnTheControls) {
    {
        QSettings s(settingsFile(), QSettings::IniFormat);
        s.setValue("version", "3.2");
        s.setValue("param/interval", "5400000");
        s.setValue("param/AutomaticallyChange", "1");
        s.setValue("param/RandomSelect", "1");
        s.setValue("param/left", "-2000");
        s.setValue("param/top", "17");
    }
    TfMain w;
    EXPECT_EQ(w.lbHour->text(), "1");
    EXPECT_EQ(w.lbMin->text(), "30");
    EXPECT_EQ(w.iAutomaticallyChange->text(), "On");
    EXPECT_EQ(w.iRandomSelect->text(), "Random");
    EXPECT_EQ(w.pos(), QPoint(-2000, 17));
    EXPECT_TRUE(w.Timers.QuorvaneTimer.enabled());
}

TEST_F(MainWindow, CounterButtonsAndTogglesWork) {
    TfMain w;
    QTest::mousePress(w.iIncMin, Qt::LeftButton);
    QTest::mouseRelease(w.iIncMin, Qt::LeftButton);
    EXPECT_EQ(w.lbMin->text(), "6");
    QTest::mousePress(w.iIncHour, Qt::RightButton);
    QTest::mouseRelease(w.iIncHour, Qt::RightButton);
    EXPECT_EQ(w.lbHour->text(), "1");
    EXPECT_EQ(ChangeInterval(), 3600000 + 6 * 60000);
    QTest::mousePress(w.iAutomaticallyChange, Qt::MiddleButton);
    EXPECT_TRUE(AutomaticallyChange);
    EXPECT_EQ(w.iAutomaticallyChange->text(), "On");
}

TEST_F(MainWindow, KeysReachTheCollection) {
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i)
        paths.push_back(writeFile("p" + std::to_string(i) + ".bmp", "x"));
    WriteWallList(paths);
    TfMain w;
    w.TrayClick();
    ASSERT_EQ(WallCount(), 3);
    QTest::keyClick(w.edtInput, Qt::Key_Right);
    EXPECT_EQ(CurrentWall, 1);
    EXPECT_EQ(w.lbNum->text(), "2/3");
    EXPECT_EQ(w.lbFile->text(), "p1.bmp");
    EXPECT_EQ(w.lbDir->text(), QString::fromStdString(home) + "/");
    QTest::keyClick(w.edtInput, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(CurrentWall, 2);
    QTest::keyClick(w.edtInput, Qt::Key_Escape);
    // Hidden to the tray, or minimised where there is no tray to come back from.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        EXPECT_FALSE(w.isVisible());
    else
        EXPECT_TRUE(w.isMinimized());
}
