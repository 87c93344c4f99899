// The skin on the offscreen platform: lighting, switches, presses of every
// mouse button, dragging a window by its background, the rounded outline and
// where a window first shows.
#include "ui/skin.h"

#include "imaging/resources.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace {

// A mouse event as the window system delivers it to a control.
void send(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at,
          Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void enter(QWidget* w) {
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
    QCoreApplication::sendEvent(w, &e);
}

void leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

struct PairCase {
    const char* control;
    const char* pair; ///< "" for the control's own name
    const char* normal;
    const char* lit;
};

class Lighting : public ::testing::TestWithParam<PairCase> {};

TEST_P(Lighting, AnyEnterAndLeaveSequenceEndsWithTheNormalPicture) {
    const PairCase& c = GetParam();
    QWidget parent;
    SkinButton b(c.control, {0, 0, 60, 50}, &parent, QStringLiteral("x"), c.pair);
    EXPECT_EQ(b.pictureName(), c.normal);
    std::mt19937 random(7);
    for (int i = 0; i < 200; ++i) {
        if (random() % 2)
            enter(&b);
        else
            leave(&b);
    }
    enter(&b);
    EXPECT_EQ(b.pictureName(), c.lit);
    leave(&b);
    EXPECT_EQ(b.pictureName(), c.normal);
    EXPECT_EQ(b.cursor().shape(), Qt::PointingHandCursor);
}

INSTANTIATE_TEST_SUITE_P(PicturePairs, Lighting,
                         ::testing::Values(PairCase{"iNext", "", "iNext", "iNext_light"},
                                           PairCase{"iApply", "", "iApply", "iApply_light"},
                                           // Every window's iClose shares one pair.
                                           PairCase{"iClose", "", "iClose", "iClose_light"},
                                           PairCase{"iDecHour", "iMinus", "iMinus", "iMinus_light"},
                                           PairCase{"iIncMin", "iPlus", "iPlus", "iPlus_light"},
                                           PairCase{"iClearmini2", "iClearmini", "iClearmini",
                                                    "iClearmini_light"},
                                           PairCase{"iManager", "", "iManager", "iManager_light"}));

TEST(Lighting, OffWhileItIsOff) {
    QWidget parent;
    SkinButton b("iManager", {0, 0, 78, 32}, &parent, QStringLiteral("Manager"));
    b.setLighting(false);
    enter(&b);
    EXPECT_EQ(b.pictureName(), "iManager");
    b.loadFromRes("iManager_light"); // a blink phase
    leave(&b);
    EXPECT_EQ(b.pictureName(), "iManager_light") << "leaving disturbed the blink";
}

TEST(SkinButtons, EveryPressOfEveryButtonCountsAndAClickIsALeftRelease) {
    QWidget parent;
    SkinButton b("iNext", {0, 0, 57, 49}, &parent, QStringLiteral("Next"));
    QSignalSpy pressed(&b, &SkinButton::pressed);
    QSignalSpy clicked(&b, &SkinButton::clicked);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        send(&b, QEvent::MouseButtonPress, button, {10, 10}, button);
        send(&b, QEvent::MouseButtonRelease, button, {10, 10});
    }
    // A quick double click: the second press comes as a double-click event.
    send(&b, QEvent::MouseButtonDblClick, Qt::LeftButton, {10, 10}, Qt::LeftButton);
    send(&b, QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10});
    ASSERT_EQ(pressed.count(), 4);
    EXPECT_EQ(pressed[1][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(clicked.count(), 2) << "left releases over the button";
    // A release outside the button is no click.
    send(&b, QEvent::MouseButtonPress, Qt::LeftButton, {10, 10}, Qt::LeftButton);
    send(&b, QEvent::MouseButtonRelease, Qt::LeftButton, {200, 10});
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(b.accessibleName(), "Next");
}

TEST(SkinSwitches, ShowTheirStateAndReportPressesOfAnyButton) {
    QWidget parent;
    SkinSwitch s("iAutomaticallyChange", {0, 0, 71, 23}, &parent, QStringLiteral("Auto"));
    EXPECT_EQ(s.pictureName(), "iOff");
    QSignalSpy pressed(&s, &SkinSwitch::pressed);
    send(&s, QEvent::MouseButtonPress, Qt::MiddleButton, {5, 5}, Qt::MiddleButton);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(s.pictureName(), "iOff") << "a switch does not flip itself";
    s.setOn(true);
    EXPECT_EQ(s.pictureName(), "iOn");
    EXPECT_EQ(s.pixmap().size(), QSize(55, 15));
    enter(&s);
    EXPECT_EQ(s.pictureName(), "iOn") << "switches do not light up";
}

// ------------------------------------------------------------ the outline

TEST(Outline, RoundedCornersAndTheLastColumnAndRowOutside) {
    const QSize size(397, 174);
    const QRegion r = roundedWindowRegion(size);
    // The corners are cut ...
    for (QPoint p : {QPoint(0, 0), QPoint(395, 0), QPoint(0, 172), QPoint(395, 172), QPoint(1, 1)})
        EXPECT_FALSE(r.contains(p)) << p.x() << ", " << p.y();
    // ... a pixel just inside each rounded corner is in, and the edges' middles.
    for (QPoint p : {QPoint(4, 4), QPoint(391, 4), QPoint(4, 168), QPoint(391, 168), QPoint(0, 80),
                     QPoint(198, 0), QPoint(395, 80), QPoint(198, 172)})
        EXPECT_TRUE(r.contains(p)) << p.x() << ", " << p.y();
    // The last column and row lie outside, as the system's region has them.
    for (int y = 0; y < size.height(); ++y)
        EXPECT_FALSE(r.contains(QPoint(396, y)));
    for (int x = 0; x < size.width(); ++x)
        EXPECT_FALSE(r.contains(QPoint(x, 173)));
    // Symmetric: every row is cut the same on both sides.
    for (int y = 0; y < 173; ++y) {
        int first = 0;
        while (first < 396 && !r.contains(QPoint(first, y)))
            ++first;
        EXPECT_TRUE(r.contains(QPoint(395 - first, y)));
        EXPECT_FALSE(first > 0 && r.contains(QPoint(396 - first, y))) << y;
        EXPECT_EQ(first,
                  [&] {
                      int f = 0;
                      while (f < 396 && !r.contains(QPoint(f, 172 - y)))
                          ++f;
                      return f;
                  }())
            << "top and bottom corners alike at row " << y;
    }
}

// ---------------------------------------------------------- the window

class Window : public ::testing::Test {
protected:
    SkinWindow m_w{QSize(397, 174), "imgInterfaceHelp", "imgInterfaceHelp"};
};

TEST_F(Window, FixedSizeNoFrameAndItsOutline) {
    EXPECT_EQ(m_w.minimumSize(), QSize(397, 174));
    EXPECT_EQ(m_w.maximumSize(), QSize(397, 174));
    EXPECT_TRUE(m_w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(m_w.mask(), roundedWindowRegion(QSize(397, 174)));
    EXPECT_EQ(m_w.background()->objectName(), "imgInterfaceHelp");
}

// A hidden window holds no decoded pictures; shown again it is drawn as it was, the lit
// button of the last showing back to its normal picture included.
TEST_F(Window, ShownAgainItIsDrawnAsBefore) {
    auto* button = new SkinButton("iClose", QRect(360, 0, 31, 29), &m_w, QStringLiteral("Exit"));
    m_w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_w));
    const QImage first = m_w.grab().toImage();
    EXPECT_EQ(button->pixmap().toImage(), skinPixmap("iClose").toImage());
    enter(button);
    EXPECT_NE(m_w.grab().toImage(), first);
    leave(button);
    m_w.hide();
    m_w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_w));
    EXPECT_EQ(m_w.grab().toImage(), first);
    EXPECT_EQ(m_w.background()->pixmap().toImage(), skinPixmap("imgInterfaceHelp").toImage());
}

TEST_F(Window, DraggingWithTheLeftButtonMovesItAnyReleaseEndsIt) {
    m_w.move(100, 100);
    QWidget* bg = m_w.background();
    // A right-button press and a move: nothing moves.
    send(bg, QEvent::MouseButtonPress, Qt::RightButton, {50, 40}, Qt::RightButton);
    send(bg, QEvent::MouseMove, Qt::NoButton, {80, 70}, Qt::RightButton);
    EXPECT_EQ(m_w.pos(), QPoint(100, 100));
    send(bg, QEvent::MouseButtonRelease, Qt::RightButton, {80, 70});

    // The left button: the window follows the pointer.
    send(bg, QEvent::MouseButtonPress, Qt::LeftButton, {50, 40}, Qt::LeftButton);
    send(bg, QEvent::MouseMove, Qt::NoButton, {60, 35}, Qt::LeftButton);
    EXPECT_EQ(m_w.pos(), QPoint(110, 95));
    send(bg, QEvent::MouseMove, Qt::NoButton, {40, 60}, Qt::LeftButton);
    EXPECT_EQ(m_w.pos(), QPoint(100, 115));
    // Any button's release ends the drag.
    send(bg, QEvent::MouseButtonRelease, Qt::RightButton, {40, 60});
    send(bg, QEvent::MouseMove, Qt::NoButton, {90, 90}, Qt::LeftButton);
    EXPECT_EQ(m_w.pos(), QPoint(100, 115));
}

TEST_F(Window, ControlsDoNotDrag) {
    m_w.move(100, 100);
    SkinButton close("iClose", {146, 144, 103, 30}, &m_w, QStringLiteral("Close"));
    send(&close, QEvent::MouseButtonPress, Qt::LeftButton, {5, 5}, Qt::LeftButton);
    send(&close, QEvent::MouseMove, Qt::NoButton, {50, 20}, Qt::LeftButton);
    EXPECT_EQ(m_w.pos(), QPoint(100, 100));
}

struct CentreCase {
    QRect anchor;
    QSize own;
    QPoint desktop;
    QPoint expected;
};

class Centring : public ::testing::TestWithParam<CentreCase> {};

TEST_P(Centring, OverTheMainWindowKeptOnTheDesktop) {
    const CentreCase& c = GetParam();
    EXPECT_EQ(SkinWindow::centredOver(c.anchor, c.own, c.desktop), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, Centring,
    ::testing::Values(CentreCase{{560, 323, 800, 435}, {397, 300}, {0, 0}, {761, 390}},
                      // Halves rounded toward zero.
                      CentreCase{{0, 0, 800, 435}, {397, 174}, {0, 0}, {201, 130}},
                      CentreCase{{-300, 100, 800, 435}, {570, 389}, {-1280, 0}, {-185, 123}},
                      // Beyond the desktop's left or top edge: raised to it.
                      CentreCase{{-2000, -2000, 800, 435}, {397, 300}, {0, 0}, {0, 0}},
                      CentreCase{{-2000, 500, 800, 435}, {397, 300}, {-1920, 0}, {-1799, 567}}));

TEST(Placement, FirstShowingCentredLaterWhereItWasLeft) {
    QWidget main;
    main.setGeometry(300, 200, 800, 435); // hidden: its place counts all the same
    SkinWindow w(QSize(397, 300), "imgInterfaceParam", "imgInterfaceParam");
    w.setPlacementAnchor(&main);
    // The window opens without waiting and tells when a showing ends.
    QSignalSpy finished(&w, &SkinWindow::finished);
    QTimer::singleShot(0, &w, [&] {
        EXPECT_EQ(w.pos(), QPoint(300 + 201, 200 + 67));
        EXPECT_EQ(QApplication::activeModalWidget(), &w);
        w.move(40, 30); // dragged elsewhere
        w.closeWindow();
    });
    w.showModal();
    EXPECT_TRUE(w.isShowingModally());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isShowingModally(); }));
    EXPECT_FALSE(w.isVisible());
    main.move(900, 600); // the main window moved meanwhile
    QTimer::singleShot(0, &w, [&] {
        EXPECT_EQ(w.pos(), QPoint(40, 30));
        w.close(); // the system's close command hides it too
    });
    w.showModal();
    EXPECT_TRUE(w.isShowingModally());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isShowingModally(); }));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(finished.count(), 2);
    EXPECT_EQ(w.windowModality(), Qt::NonModal);
}

} // namespace

namespace {

TEST(DoubleSizedSkin, EveryPictureHasItsTwinAtTwiceTheSizeAndAboveRatioOneItIsUsed) {
    int twins = 0;
    for (const EmbeddedResource& r : embeddedResources()) {
        const std::string name = r.name;
        const auto at = name.find("@2X");
        if (at == std::string::npos)
            continue;
        ++twins;
        const std::string single = name.substr(0, at);
        const QPixmap one = skinPixmap(single, 1.0);
        const QPixmap two = skinPixmap(single, 2.0);
        // Drawn again at twice the size: the same picture in the same place.
        EXPECT_EQ(two.size(), one.size() * 2) << name;
        EXPECT_EQ(two.devicePixelRatio(), 2.0) << name;
        EXPECT_EQ(two.deviceIndependentSize(), QSizeF(one.size())) << name;
        EXPECT_EQ(skinPixmap(single, 1.5).size(), two.size()) << name;
    }
    // Every button pair, the switches, the four backgrounds, the glare and
    // the strip's background and placeholder; and the switches and the
    // backgrounds in each of the four other languages.
    EXPECT_EQ(twins, 2 * 20 + 2 + 4 + 1 + 2 + 4 * (2 + 4));
    EXPECT_EQ(skinPixmap("loadphoto", 2.0).devicePixelRatio(), 2.0);
}

TEST(SkinKeys, SpaceOrEnterPressAFocusedButtonOrSwitchOtherKeysPassOn) {
    QWidget parent;
    SkinButton b("iNext", {0, 0, 60, 50}, &parent, QStringLiteral("Next"));
    SkinSwitch s("iOnOff", {0, 60, 71, 23}, &parent, QStringLiteral("Switch"));
    QSignalSpy pressed(&b, &SkinButton::pressed);
    QSignalSpy released(&b, &SkinButton::released);
    QSignalSpy clicked(&b, &SkinButton::clicked);
    QSignalSpy flipped(&s, &SkinSwitch::pressed);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyPress(&b, key);
        EXPECT_EQ(clicked.count(), released.count());
        QTest::keyRelease(&b, key);
        QTest::keyClick(&s, key);
    }
    EXPECT_EQ(pressed.count(), 3);
    EXPECT_EQ(released.count(), 3);
    EXPECT_EQ(clicked.count(), 3);
    EXPECT_EQ(flipped.count(), 3);
    QTest::keyClick(&b, Qt::Key_Right);
    QTest::keyClick(&s, Qt::Key_Up);
    EXPECT_EQ(pressed.count(), 3);
    EXPECT_EQ(flipped.count(), 3);
    // A key held down presses once; losing the focus meanwhile lets go without a click.
    QTest::keyPress(&b, Qt::Key_Space);
    QTest::keyPress(&b, Qt::Key_Return); // another key meanwhile is no second press
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(&b, &repeat);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(&b, &out);
    EXPECT_EQ(released.count(), 4);
    EXPECT_EQ(clicked.count(), 3);
}

} // namespace
