// The strip in the real main window on a screen of twice the density
// (QT_SCALE_FACTOR=2 on the offscreen platform).
#include "app/appfixture.h"

#include "platform/paths.h"
#include "thumbs/strip.h"
#include "thumbs/thumbfixture.h"

class HiDpiStrip : public AppTest {};

// The monitor shows the current picture decoded at its pixel size: a
// one-pixel checkerboard, which its thumbnail (an even grey at half the
// size) enlarged could never show. The cached thumbnails keep their size.
TEST_F(HiDpiStrip, MonitorShowsTheCurrentPictureAtTwiceTheDensity) {
    const int width = MonitorRect.width() * 2;
    const int height = MonitorRect.height() * 2;
    Bitmap fine;
    fine.setPixelFormat(PixelFormat::Bits24);
    fine.setSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            fine.setPixel(x, y, (x + y) % 2 ? 0xFF000000u : 0xFFFFFFFFu);
    const std::string checker = m_home + "/pics/checker.bmp";
    const std::string solid = m_home + "/pics/solid.bmp";
    writeSolidPicture(solid, 300, 200, colourOf(1));
    fine.saveToFile(platform::toFsPath(checker));
    writeWallList(m_state, {checker, solid});

    startApp();
    mainWindow().trayClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow()));
    QWidget* pb = control("pb");
    ASSERT_DOUBLE_EQ(pb->devicePixelRatioF(), 2.0);
    c().jumpTo(0);

    QImage shot;
    auto at = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFF; };
    const bool shown = QTest::qWaitFor(
        [&] {
            shot = pb->grab().toImage();
            return shot.size() == QSize(1600, 360) && at(604, 32) == 0xFFFFFF && at(605, 32) == 0 &&
                   at(604, 33) == 0;
        },
        20000);
    ASSERT_TRUE(shown) << "strip of " << shot.width() << " x " << shot.height();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(at(604 + x, 32 + y), (x + y) % 2 ? 0u : 0xFFFFFFu) << x << ", " << y;
    // The next entry stands framed in slot +1 at twice the size: a ten-pixel
    // white frame around the picture.
    ASSERT_TRUE(waitIdle());
    shot = pb->grab().toImage();
    EXPECT_EQ(at(1072, 80), 0xFFFFFFu);
    EXPECT_EQ(at(1081, 89), 0xFFFFFFu);
    EXPECT_EQ(at(1180, 150), colourOf(1));

    ASSERT_TRUE(c().entries()[0].preview);
    EXPECT_EQ(c().entries()[0].preview->width(), 197);
    EXPECT_EQ(c().entries()[0].preview->height(), 123);
}
