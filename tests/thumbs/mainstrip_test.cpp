// The strip in the real main window (offscreen platform): the paint box,
// the empty-collection view, the mouse wheel and the rule that the
// user-interface thread decodes no picture while the collection is shown.
#include "thumbfixture.h"

#include "collection/walls.h"
#include "imaging/codecs.h"
#include "imaging/strip.h"
#include "imaging/thumbcache.h"
#include "ui/uMain.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

namespace {

// One wheel event as the window system delivers it: first to the window,
// then through the widgets under the pointer.
void Wheel(TfMain& w, int dy, int dx = 0, QPoint at = {400, 200}) {
    QWheelEvent e(at, w.mapToGlobal(at), QPoint(), QPoint(dx, dy), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w.windowHandle(), &e);
}

// The paint box's pixel at (x, y) as it is shown on screen.
std::uint32_t Shown(TfMain& w, int x, int y) {
    static QImage shot;
    shot = w.pb->grab().toImage();
    return shot.pixel(x, y) & 0xFFFFFF;
}

// Previews in the main window's collection, written to the list file, so
// that the window loads them at start-up.
class MainStrip : public ThumbTest {
protected:
    std::vector<std::string> listPictures(int n) {
        auto paths = makeCollection(n);
        Walls.clear(); // the window loads them itself
        return paths;
    }
    static bool showAndActivate(TfMain& w) {
        w.TrayClick();
        return QTest::qWaitForWindowActive(&w);
    }
};

} // namespace

TEST_F(MainStrip, WheelMovesOneEntryPerEventAndStopsAtTheStart) {
    listPictures(5);
    TfMain w;
    ASSERT_TRUE(showAndActivate(w));
    ASSERT_EQ(WallCount(), 5);

    Wheel(w, -120); // towards the user: next
    EXPECT_EQ(CurrentWall, 1);
    EXPECT_EQ(w.lbNum->text(), "2/5");
    Wheel(w, -360); // a big turn in one event is still one entry
    EXPECT_EQ(CurrentWall, 2);
    Wheel(w, -120, 0, {110, 55}); // over a label: still counted once
    EXPECT_EQ(CurrentWall, 3);
    Wheel(w, 0, -120); // sideways: nothing
    EXPECT_EQ(CurrentWall, 3);
    Wheel(w, -120);
    EXPECT_EQ(CurrentWall, 4);
    Wheel(w, -120); // past the last entry: the first
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(w.lbNum->text(), "1/5");
    Wheel(w, 120); // away from the user on the first entry: it stays
    EXPECT_EQ(CurrentWall, 0);
    EXPECT_EQ(w.lbFile->text(), "p0.bmp");
}

TEST_F(MainStrip, WheelDoesNothingWhileAnotherWindowIsActive) {
    listPictures(5);
    TfMain w;
    ASSERT_TRUE(showAndActivate(w));
    QWidget other;
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    Wheel(w, -120);
    EXPECT_EQ(CurrentWall, 0);
}

TEST_F(MainStrip, EmptyCollectionShowsTheHintAndTheBareStrip) {
    TfMain w;
    EXPECT_EQ(w.lbDir->text(), "Please, add wallpapers in the manager >>>");
    EXPECT_TRUE(w.lbNum->text().isEmpty());
    EXPECT_TRUE(w.lbFile->text().isEmpty());
    EXPECT_EQ(w.pb->geometry(), QRect(0, 119, 800, 180));
    for (int k : {-2, -1, 1, 2}) {
        const Rect& r = aRectPreview[static_cast<std::size_t>(k + 2)];
        EXPECT_EQ(Shown(w, r.left + 50, r.top + 30),
                  BackgroundBitmap->pixel(r.left + 50, r.top + 30) & 0xFFFFFF);
    }
    EXPECT_TRUE(CacheIdle);
}

TEST_F(MainStrip, FirstThumbnailsDrawTheCollection) {
    listPictures(40);
    TfMain w;
    EXPECT_TRUE(w.lbNum->text().isEmpty()) << "nothing is drawn before the first hand-over";
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(w.lbNum->text(), "1/40");
    EXPECT_EQ(Shown(w, 400, 77), ColourOf(0));
    EXPECT_EQ(Shown(w, 593, 77), ColourOf(1));
    EXPECT_EQ(Shown(w, 540, 44), 0xFFFFFFu) << "the white frame";
    EXPECT_EQ(Shown(w, 75, 77), BackgroundBitmap->pixel(75, 77) & 0xFFFFFF);
    // 40 thumbnails on disk, 15 in memory.
    EXPECT_EQ(withPreview(), Span(0, 14));
}

TEST_F(MainStrip, UserInterfaceThreadDecodesNoPictureWhileTheCollectionIsShown) {
    listPictures(40);
    const ThumbStats& stats = ThumbnailStats();
    const long decodes = File2BitmapCount();
    const long workerDecodes = stats.cacheReads + stats.pictureDecodes;
    {
        TfMain w;
        ASSERT_TRUE(showAndActivate(w));
        ASSERT_TRUE(waitIdle());
        for (int i = 0; i < 30; ++i)
            QTest::keyClick(w.edtInput, Qt::Key_Right);
        ASSERT_TRUE(waitIdle());
        QTest::keyClick(w.edtInput, Qt::Key_End);
        for (int i = 0; i < 12; ++i)
            Wheel(w, 120);
        ASSERT_TRUE(waitIdle());
        QTest::keyClick(w.edtInput, Qt::Key_Home);
        ASSERT_TRUE(waitIdle());
        EXPECT_EQ(CurrentWall, 0);
    }
    const long byWorkers = stats.cacheReads + stats.pictureDecodes - workerDecodes;
    EXPECT_GT(byWorkers, 40) << "moving about made the worker read cached files";
    EXPECT_EQ(File2BitmapCount() - decodes, byWorkers) << "the user-interface thread decoded";
}

TEST_F(MainStrip, WindowTornDownDuringAJobLeavesNothingBehind) {
    listPictures(3);
    {
        TfMain w;
        EXPECT_FALSE(CacheIdle);
    }
    EXPECT_FALSE(ThumbnailJobRunning());
    QTest::qWait(50);
    EXPECT_TRUE(withPreview().empty());
    EXPECT_EQ(BufBitmap, nullptr);
}
