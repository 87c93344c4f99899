// The skinned main window in the whole program (offscreen platform): its
// controls, the presses of every mouse button, the manager button's blink and
// the manager cycle.
#include "app/appfixture.h"

#include "collection/walls.h"
#include "support/modal.h"
#include "support/recording_wallpaper.h"
#include "thumbs/thumbfixture.h"
#include "ui/picturemanager.h"

#include <QAccessible>
#include <QMouseEvent>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

void press(QWidget* w, Qt::MouseButton button) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                      button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                        button, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

void hover(QWidget* w, bool enter) {
    if (enter) {
        QEnterEvent e(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
        QCoreApplication::sendEvent(w, &e);
    } else {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(w, &e);
    }
}

} // namespace

class MainWindowTest : public AppTest {
protected:
    void listPictures(int n) {
        for (int i = 0; i < n; ++i) {
            m_paths.push_back(m_home + "/pics/p" + std::to_string(i) + ".bmp");
            writeSolidPicture(m_paths.back(), 40, 30, colourOf(i));
        }
        writeWallList(m_state, m_paths);
    }
    std::string listBytes() const { return readFile(listFileName(s())); }
    /// Runs `edit` in the manager once its list is filled, then closes it.
    void inManager(std::function<void(PictureManager&)> edit) {
        QTimer::singleShot(0, m_app->picManager(), [this, edit] {
            PictureManager& m = *m_app->picManager();
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return !m.waiting() && m.rows().size() == c().entries().size(); }, 10000));
            edit(m);
            m.closeWindow();
        });
    }
    SkinButton* button(const char* name) const { return control<SkinButton>(name); }
    std::vector<std::string> m_paths;
};

TEST_F(MainWindowTest, EveryControlOfTheLayoutAtItsPlace) {
    startApp();
    struct Place {
        const char* name;
        QRect rect;
    };
    const Place places[] = {
        {"imgInterface", {0, 0, 800, 435}},    {"pb", {0, 119, 800, 180}},
        {"lbNum", {97, 50, 604, 16}},          {"iParam", {326, 382, 41, 53}},
        {"iClose", {747, 0, 31, 29}},          {"iMinimize", {711, 0, 36, 29}},
        {"iNext", {192, 386, 57, 49}},         {"iBack", {76, 386, 60, 49}},
        {"iRandom", {134, 386, 60, 49}},       {"iApply", {366, 381, 71, 53}},
        {"lbFile", {97, 70, 604, 16}},         {"lbDir", {97, 90, 604, 16}},
        {"imgBlick", {91, 42, 370, 50}},       {"lbHour", {520, 382, 16, 13}},
        {"lbMin", {741, 382, 16, 13}},         {"iEnd", {248, 386, 57, 49}},
        {"iBegin", {22, 386, 57, 49}},         {"iHelp", {435, 382, 41, 53}},
        {"iRandomSelect", {640, 378, 71, 23}}, {"iAutomaticallyChange", {566, 378, 71, 23}},
        {"iDecHour", {496, 378, 18, 21}},      {"iDecMin", {717, 378, 18, 21}},
        {"iIncHour", {542, 378, 18, 21}},      {"iIncMin", {763, 378, 18, 21}},
        {"iManager", {714, 67, 78, 32}},       {"edtInput", {316, 8, 0, 21}},
    };
    for (const Place& p : places) {
        QWidget* w = control(p.name);
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(w->geometry(), p.rect) << p.name;
    }
    // Painted in the layout's order: each control lies over the ones before.
    const QObjectList& children = mainWindow().children();
    auto order = [&](const char* name) { return children.indexOf(control(name)); };
    EXPECT_LT(order("imgInterface"), order("pb"));
    EXPECT_LT(order("lbDir"), order("imgBlick"));
    EXPECT_LT(order("iIncMin"), order("iManager"));
    EXPECT_TRUE(control("edtInput")->hasFocus() || !mainWindow().isActiveWindow());
    EXPECT_EQ(button("iManager")->accessibleName(), "Manager");
}

TEST_F(MainWindowTest, NavigationButtonsMoveOnAnyPressAndApplyOnTheRightOne) {
    listPictures(5);
    startApp();
    ASSERT_TRUE(waitIdle());
    // Applies are counted as requested: a quick succession of them may
    // supersede one another on the way to the desktop.
    size_t requested = 0;
    QObject::connect(&m_app->collection(), &Collection::applyStarted, [&] { ++requested; });
    const auto applied = [&] { return requested; };
    press(button("iNext"), Qt::LeftButton);
    EXPECT_EQ(c().current(), 1);
    EXPECT_EQ(applied(), 0u);
    press(button("iNext"), Qt::MiddleButton);
    EXPECT_EQ(c().current(), 2);
    EXPECT_EQ(applied(), 0u);
    press(button("iNext"), Qt::RightButton);
    EXPECT_EQ(c().current(), 3);
    EXPECT_EQ(applied(), 1u);
    press(button("iEnd"), Qt::LeftButton);
    EXPECT_EQ(c().current(), 4);
    press(button("iBegin"), Qt::RightButton);
    EXPECT_EQ(c().current(), 0);
    EXPECT_EQ(applied(), 2u);
    press(button("iBack"), Qt::RightButton); // stays on the first, applied again
    EXPECT_EQ(c().current(), 0);
    EXPECT_EQ(applied(), 3u);
    // Apply with any button.
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton})
        press(button("iApply"), b);
    EXPECT_EQ(applied(), 6u);
    m_app->collection().waitForWallpaperWrite();
    EXPECT_FALSE(recording_wallpaper::applied().empty());
}

TEST_F(MainWindowTest, TabReachesEveryControlInReadingOrderAndMarksIt) {
    listPictures(3);
    startApp();
    MainWindow& w = mainWindow();
    w.trayClick();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_EQ(QApplication::focusWidget(), control("edtInput"));
    EXPECT_FALSE(w.focusMarkShown());
    const char* order[] = {"iMinimize",     "iClose",
                           "iManager",      "iBegin",
                           "iBack",         "iRandom",
                           "iNext",         "iEnd",
                           "iParam",        "iApply",
                           "iHelp",         "iDecHour",
                           "iIncHour",      "iAutomaticallyChange",
                           "iRandomSelect", "iDecMin",
                           "iIncMin",       "iMinimize"};
    for (const char* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), control(next)) << next;
        EXPECT_TRUE(w.focusMarkShown()) << next;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), control("iIncMin"));
    // Hidden and shown again, the window starts without the mark.
    w.hideToTray();
    w.trayClick();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_FALSE(w.focusMarkShown());
}

TEST_F(MainWindowTest, KeysOnAFocusedControlPressItOrStepItOrKeepTheWindowsMeaning) {
    listPictures(5);
    startApp();
    ASSERT_TRUE(waitIdle());
    MainWindow& w = mainWindow();
    w.trayClick();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    size_t requested = 0;
    QObject::connect(&m_app->collection(), &Collection::applyStarted, [&] { ++requested; });

    // Enter and Space on a focused button do what a left click does: Next
    // moves without applying (the window's own Enter and Space apply).
    button("iNext")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button("iNext"), Qt::Key_Return);
    EXPECT_EQ(c().current(), 1);
    QTest::keyClick(button("iNext"), Qt::Key_Space);
    EXPECT_EQ(c().current(), 2);
    EXPECT_EQ(requested, 0u);
    // Every other key of the window keeps its meaning from there.
    QTest::keyClick(button("iNext"), Qt::Key_Right);
    EXPECT_EQ(c().current(), 3);
    QTest::keyClick(button("iNext"), Qt::Key_Home);
    EXPECT_EQ(c().current(), 0);
    QTest::keyClick(button("iNext"), Qt::Key_Down);
    EXPECT_EQ(c().current(), 1);
    EXPECT_EQ(requested, 1u);

    // Up and Down step a focused counter, and leave the collection alone.
    ChangeScheduler& sch = m_app->scheduler();
    const int hours = sch.hourCounter();
    const int minutes = sch.minuteCounter();
    button("iIncHour")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button("iIncHour"), Qt::Key_Up);
    QTest::keyClick(button("iIncHour"), Qt::Key_Up);
    QTest::keyClick(button("iIncHour"), Qt::Key_Down);
    EXPECT_EQ(sch.hourCounter(), hours + 1);
    EXPECT_EQ(control<QLabel>("lbHour")->text(), QString::number(hours + 1));
    button("iDecMin")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button("iDecMin"), Qt::Key_Up);
    EXPECT_EQ(sch.minuteCounter(), minutes + 1);
    EXPECT_EQ(c().current(), 1);
    EXPECT_EQ(requested, 1u);
    // Space on a counter's button is one step, as a click.
    QTest::keyClick(button("iDecMin"), Qt::Key_Space);
    EXPECT_EQ(sch.minuteCounter(), minutes);

    // Space on a focused switch flips it.
    auto* automatic = control<SkinSwitch>("iAutomaticallyChange");
    const bool was = automatic->isOn();
    automatic->setFocus(Qt::TabFocusReason);
    QTest::keyClick(automatic, Qt::Key_Space);
    EXPECT_NE(automatic->isOn(), was);
    QTest::keyClick(automatic, Qt::Key_Enter);
    EXPECT_EQ(automatic->isOn(), was);
}

TEST_F(MainWindowTest, ControlsTellScreenReadersWhatTheyAreAndDo) {
    listPictures(3);
    startApp();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(button("iNext")->toolTip(), "Next picture (Right)");
    EXPECT_EQ(button("iMinimize")->toolTip(), "Hide to the notification area (Esc)");
    // Every button and switch has a tooltip, a name and a description.
    for (QWidget* c : mainWindow().findChildren<QWidget*>()) {
        if (!qobject_cast<SkinButton*>(c) && !qobject_cast<SkinSwitch*>(c))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(c->toolTip().isEmpty()) << c->objectName().toStdString();
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << c->objectName().toStdString();
        EXPECT_FALSE(a->text(QAccessible::Description).isEmpty()) << c->objectName().toStdString();
        EXPECT_TRUE(c->focusPolicy() & Qt::TabFocus) << c->objectName().toStdString();
    }
    QAccessibleInterface* next = QAccessible::queryAccessibleInterface(button("iNext"));
    EXPECT_EQ(next->role(), QAccessible::Button);
    EXPECT_EQ(next->text(QAccessible::Name), "Next");
    ASSERT_NE(next->actionInterface(), nullptr);
    next->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(c().current(), 1);

    auto* random = control<SkinSwitch>("iRandomSelect");
    QAccessibleInterface* sw = QAccessible::queryAccessibleInterface(random);
    EXPECT_EQ(sw->role(), QAccessible::CheckBox);
    EXPECT_TRUE(sw->state().checkable);
    const bool was = sw->state().checked;
    sw->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_NE(sw->state().checked, was);
    EXPECT_EQ(random->isOn(), !was);
}

TEST_F(MainWindowTest, TheManagerButtonBlinksWhileTheCollectionIsEmptyAndIgnoresThePointer) {
    startApp();
    MainWindow& w = mainWindow();
    ASSERT_TRUE(w.managerBlinking());
    SkinButton* manager = button("iManager");
    EXPECT_EQ(manager->pictureName(), "iManager");
    // Blink phases: lit, plain, lit, ...; the pointer changes nothing.
    const char* expected[] = {"iManager_light", "iManager", "iManager_light", "iManager"};
    for (const char* picture : expected) {
        w.managerBlinkTimer.fire();
        hover(manager, true);
        hover(manager, false);
        EXPECT_EQ(manager->pictureName(), picture);
    }
    EXPECT_EQ(w.managerBlinkTimer.interval(), 400);
    // A click stops it; the phase survives the stop.
    w.managerBlinkTimer.fire(); // lit
    QTimer::singleShot(0, m_app->picManager(), [this] { m_app->picManager()->closeWindow(); });
    press(manager, Qt::LeftButton);
    ASSERT_TRUE(untilModalsClosed());
    // The manager closed unchanged with the collection still empty: blinking again.
    EXPECT_TRUE(w.managerBlinking());
    w.stopManagerBlink();
    hover(manager, true);
    EXPECT_EQ(manager->pictureName(), "iManager_light");
    hover(manager, false);
    EXPECT_EQ(manager->pictureName(), "iManager");
}

TEST_F(MainWindowTest, ManagerClosedWithoutAnEditLeavesTheListFileAlone) {
    listPictures(3);
    startApp();
    ASSERT_TRUE(waitIdle());
    const auto before = fs::last_write_time(listFileName(s()));
    const WallEntry* first = &c().entries()[0];
    QTimer::singleShot(0, m_app->picManager(), [this] { m_app->picManager()->closeWindow(); });
    m_app->runManagerCycle();
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_FALSE(s().listChanged);
    EXPECT_EQ(fs::last_write_time(listFileName(s())), before);
    EXPECT_EQ(&c().entries()[0], first) << "the collection was rebuilt";
    EXPECT_FALSE(mainWindow().managerBlinking());
}

TEST_F(MainWindowTest, RemovingEveryEntryWritesAnEmptyListAndShowsTheEmptyView) {
    listPictures(3);
    startApp();
    ASSERT_TRUE(waitIdle());
    inManager([](PictureManager& m) {
        for (int i = 0; i < 3; ++i) {
            m.selectRow(0);
            m.deleteSelected();
        }
    });
    m_app->runManagerCycle();
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_TRUE(c().entries().empty());
    ASSERT_TRUE(fs::exists(listFileName(s())));
    EXPECT_EQ(fs::file_size(listFileName(s())), 0u);
    EXPECT_EQ(label("lbDir"), "Please, add wallpapers in the manager >>>");
    EXPECT_TRUE(mainWindow().managerBlinking());
}

TEST_F(MainWindowTest, AnEditRebuildsTheCollectionAndStartsTheWalkAfresh) {
    listPictures(4);
    startApp();
    ASSERT_TRUE(waitIdle());
    inManager([](PictureManager& m) {
        m.selectRow(2);
        m.deleteSelected();
        m.selectRow(0);
        m.deleteSelected();
    });
    m_app->runManagerCycle();
    ASSERT_TRUE(untilModalsClosed());
    ASSERT_EQ(c().count(), 2);
    EXPECT_EQ(c().entries()[0].path, m_paths[1]);
    EXPECT_FALSE(c().entries()[0].wasLoad);
    EXPECT_EQ(listBytes(), m_paths[1] + "\r\n" + m_paths[3] + "\r\n");
    EXPECT_TRUE(m_app->picManager()->rows().empty()) << "the manager's list was emptied";
    ASSERT_TRUE(waitIdle());
    // The new walk reached both entries (hidden in the tray, it keeps no previews).
    for (const WallEntry& e : c().entries()) {
        EXPECT_TRUE(e.wasLoad || e.fileCached) << e.path;
        EXPECT_FALSE(e.preview) << e.path;
    }
}

TEST_F(MainWindowTest, AListThatCannotBeWrittenLeavesTheRestOfTheCycleUndone) {
    listPictures(3);
    startApp();
    ASSERT_TRUE(waitIdle());
    // A folder where the list file should be: the write fails.
    fs::remove(listFileName(s()));
    fs::create_directory(listFileName(s()));
    QString error;
    answerNextBox(QMessageBox::Ok, &error); // the error box that follows
    inManager([](PictureManager& m) {
        m.clearAll();
        QMessageBox* question = shownMessageBox();
        ASSERT_NE(question, nullptr);
        question->button(QMessageBox::Ok)->click();
    });
    m_app->runManagerCycle();
    ASSERT_TRUE(untilModalsClosed());
    EXPECT_TRUE(error.contains("list.txt")) << error.toStdString();
    EXPECT_TRUE(c().entries().empty()) << "memory already holds the new collection";
    EXPECT_TRUE(m_app->picManager()->rows().empty());
    // No empty view: that step was skipped.
    EXPECT_NE(label("lbDir"), "Please, add wallpapers in the manager >>>");
}
