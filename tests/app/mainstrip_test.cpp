// The strip in the real main window (offscreen platform): the paint box,
// the empty-collection view, the mouse wheel and the rule that the
// user-interface thread decodes no picture while the collection is shown.
#include "app/appfixture.h"

#include "collection/thumbpath.h"
#include "collection/walls.h"
#include "imaging/codecs.h"
#include "thumbs/thumbfixture.h"

#include <QPointer>
#include <QWheelEvent>
#include <QWindow>

namespace {

// One wheel event as the window system delivers it: first to the window,
// then through the widgets under the pointer.
void wheel(MainWindow& w, int dy, int dx = 0, QPoint at = {400, 200}) {
    QWheelEvent e(at, w.mapToGlobal(at), QPoint(), QPoint(dx, dy), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w.windowHandle(), &e);
}

} // namespace

// Pictures written to the list file, so that the program loads them at
// start-up.
class MainStrip : public AppTest {
protected:
    std::vector<std::string> listPictures(int n) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            paths.push_back(m_home + "/pics/p" + std::to_string(i) + ".bmp");
            writeSolidPicture(paths.back(), 48 + i % 7, 30 + i % 5, colourOf(i));
        }
        writeWallList(m_state, paths);
        return paths;
    }
    bool showAndActivate() {
        mainWindow().trayClick();
        return QTest::qWaitForWindowActive(&mainWindow());
    }
    // The paint box's pixel at (x, y) as it is shown on screen.
    std::uint32_t shown(int x, int y) {
        m_shot = control("pb")->grab().toImage();
        return m_shot.pixel(x, y) & 0xFFFFFF;
    }
    std::vector<std::int32_t> withPreview() const {
        std::vector<std::int32_t> v;
        for (std::int32_t i = 0; i < c().count(); ++i)
            if (c().entries()[i].preview)
                v.push_back(i);
        return v;
    }
    QImage m_shot;
};

TEST_F(MainStrip, WheelMovesOneEntryPerEventAndStopsAtTheStart) {
    listPictures(5);
    startApp();
    MainWindow& w = mainWindow();
    ASSERT_TRUE(showAndActivate());
    ASSERT_EQ(c().count(), 5);

    wheel(w, -120); // towards the user: next
    EXPECT_EQ(c().current(), 1);
    EXPECT_EQ(label("lbNum"), "2/5");
    wheel(w, -360); // a big turn in one event is still one entry
    EXPECT_EQ(c().current(), 2);
    wheel(w, -120, 0, {110, 55}); // over a label: still counted once
    EXPECT_EQ(c().current(), 3);
    wheel(w, 0, -120); // sideways: nothing
    EXPECT_EQ(c().current(), 3);
    wheel(w, -120);
    EXPECT_EQ(c().current(), 4);
    wheel(w, -120); // past the last entry: the first
    EXPECT_EQ(c().current(), 0);
    EXPECT_EQ(label("lbNum"), "1/5");
    wheel(w, 120); // away from the user on the first entry: it stays
    EXPECT_EQ(c().current(), 0);
    EXPECT_EQ(label("lbFile"), "p0.bmp");
}

TEST_F(MainStrip, WheelDoesNothingWhileAnotherWindowIsActive) {
    listPictures(5);
    startApp();
    MainWindow& w = mainWindow();
    ASSERT_TRUE(showAndActivate());
    QWidget other;
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    wheel(w, -120);
    EXPECT_EQ(c().current(), 0);
}

TEST_F(MainStrip, EmptyCollectionShowsTheHintAndTheBareStrip) {
    startApp();
    EXPECT_EQ(label("lbDir"), "Please, add wallpapers in the manager >>>");
    EXPECT_TRUE(label("lbNum").isEmpty());
    EXPECT_TRUE(label("lbFile").isEmpty());
    EXPECT_EQ(control("pb")->geometry(), QRect(0, 119, 800, 180));
    for (int k : {-2, -1, 1, 2}) {
        const Rect& r = m_app->strip().slotRect(k);
        EXPECT_EQ(shown(r.left + 50, r.top + 30),
                  m_app->strip().background()->pixel(r.left + 50, r.top + 30) & 0xFFFFFF);
    }
    EXPECT_TRUE(m_app->thumbnails().idle());
}

TEST_F(MainStrip, FirstThumbnailsDrawTheCollection) {
    listPictures(40);
    startApp();
    EXPECT_TRUE(label("lbNum").isEmpty()) << "nothing is drawn before the first hand-over";
    ASSERT_TRUE(showAndActivate());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(label("lbNum"), "1/40");
    EXPECT_EQ(shown(400, 77), colourOf(0));
    EXPECT_EQ(shown(593, 77), colourOf(1));
    EXPECT_EQ(shown(540, 44), 0xFFFFFFu) << "the white frame";
    EXPECT_EQ(shown(75, 77), m_app->strip().background()->pixel(75, 77) & 0xFFFFFF);
    // 40 thumbnails on disk, 15 in memory.
    EXPECT_EQ(withPreview(), span(0, 14));
}

TEST_F(MainStrip, HiddenInTheTrayItKeepsNoPreviewsAndShowsThemAgain) {
    const std::vector<std::string> paths = listPictures(40);
    startApp();
    ASSERT_TRUE(waitIdle());
    // The walk made every thumbnail file while the window was hidden, and kept none in memory.
    EXPECT_TRUE(withPreview().empty());
    for (const std::string& p : paths)
        EXPECT_FALSE(findThumbnailOnDisk(s().dataFolder, p).empty()) << p;
    // Read back from the thumbnail files (JPEG): the colours within a level or two.
    const auto near = [](std::uint32_t a, std::uint32_t b) {
        for (int shift : {0, 8, 16})
            if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2)
                return false;
        return true;
    };
    ASSERT_TRUE(showAndActivate());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(withPreview(), span(0, 14));
    EXPECT_PRED2(near, shown(400, 77), colourOf(0));
    EXPECT_PRED2(near, shown(593, 77), colourOf(1));
    // Hidden again, the previews go; moving on meanwhile loads none.
    mainWindow().hide();
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(withPreview().empty());
    m_app->collection().jumpTo(20);
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(withPreview().empty());
    // Shown, the window around the new entry comes back from the files, visible slots first.
    std::vector<std::int32_t> jobs;
    QObject::connect(&m_app->thumbnails(), &ThumbnailCache::jobStarted,
                     [&jobs](std::int32_t n) { jobs.push_back(n); });
    ASSERT_TRUE(showAndActivate());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(withPreview(), span(13, 27));
    ASSERT_GE(jobs.size(), 5u);
    EXPECT_EQ(std::vector<std::int32_t>(jobs.begin(), jobs.begin() + 5), span(18, 22));
    EXPECT_PRED2(near, shown(400, 77), colourOf(20));
}

TEST_F(MainStrip, UserInterfaceThreadDecodesNoPictureWhileTheCollectionIsShown) {
    listPictures(40);
    const long decodes = file2BitmapCount();
    startApp();
    ASSERT_TRUE(showAndActivate());
    ASSERT_TRUE(waitIdle());
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(control("edtInput"), Qt::Key_Right);
    ASSERT_TRUE(waitIdle());
    QTest::keyClick(control("edtInput"), Qt::Key_End);
    for (int i = 0; i < 12; ++i)
        wheel(mainWindow(), 120);
    ASSERT_TRUE(waitIdle());
    QTest::keyClick(control("edtInput"), Qt::Key_Home);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(c().current(), 0);
    const ThumbStats& stats = m_app->thumbnails().stats();
    const long byWorkers = stats.cacheReads + stats.pictureDecodes;
    m_app.reset();
    EXPECT_GT(byWorkers, 40) << "moving about made the worker read cached files";
    EXPECT_EQ(file2BitmapCount() - decodes, byWorkers) << "the user-interface thread decoded";
}

TEST_F(MainStrip, ProgramTornDownDuringAJobLeavesNothingBehind) {
    listPictures(3);
    startApp();
    EXPECT_FALSE(m_app->thumbnails().idle());
    QPointer<MainWindow> window = m_app->mainWindow();
    m_app.reset(); // lets the running job end without its hand-over
    EXPECT_TRUE(window.isNull());
    // The worker's queued calls find nothing to reach.
    QTest::qWait(50);
    QCoreApplication::sendPostedEvents();
}
