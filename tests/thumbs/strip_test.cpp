// The preview strip, pixel by pixel: the slot geometry, the white frames,
// the monitor, which slot shows what around the current entry, the
// placeholder and the empty-collection view.
#include "thumbs/thumbfixture.h"

#include "imaging/resources.h"
#include "support/recording_wallpaper.h"

#include <set>

class StripTest : public ThumbTest {
protected:
    static constexpr std::uint32_t White = 0xFFFFFF;

    std::uint32_t bufAt(int x, int y) const { return m_strip.buffer()->pixel(x, y) & 0xFFFFFF; }
    std::uint32_t backgroundAt(int x, int y) const {
        return m_strip.background()->pixel(x, y) & 0xFFFFFF;
    }

    // Every pixel of r in the buffer is the background's.
    ::testing::AssertionResult showsBackground(const Rect& r) const {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (bufAt(x, y) != backgroundAt(x, y))
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") differs";
        return ::testing::AssertionSuccess();
    }

    // Every pixel of r in the buffer is `rgb`.
    ::testing::AssertionResult filled(const Rect& r, std::uint32_t rgb) const {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (bufAt(x, y) != rgb)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") is " << std::hex << bufAt(x, y);
        return ::testing::AssertionSuccess();
    }

    const Rect& slot(int k) const { return m_strip.slotRect(k); }
    const Rect& inner(int k) const { return m_strip.thumbRect(k); }

    // The colour shown in the middle of slot k.
    std::uint32_t slotColour(int k) const {
        const Rect& r = k == 0 ? MonitorRect : inner(k);
        return bufAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    // Ten entries, each with a preview of its own colour.
    void tenWithPreviews() {
        m_collection.clear();
        for (int i = 0; i < 10; ++i) {
            m_collection.add({"/pics/p" + std::to_string(i) + ".jpg"});
            m_collection.setPreview(refOf(i),
                                    std::make_unique<Bitmap>(solidBitmap(197, 123, colourOf(i))));
        }
    }

    void drawOnPreview(int k, const Bitmap& b) { m_strip.drawOnPreview(k, b); }
    void drawOnMonitor(const Bitmap& b) { m_strip.drawOnMonitor(b); }
    void drawBackground(int k) { m_strip.drawBackground(k); }
    void drawWallSlots() { m_strip.drawWallSlots(); }
    StripLabels infoWall() const { return m_strip.infoWall(); }
    StripLabels clearInfo() { return m_strip.clearInfo(); }
};

TEST_F(StripTest, SlotGeometryComesFromTheMonitor) {
    const std::array<Rect, 5> slotRects{Rect{18, 40, 133, 115}, Rect{150, 40, 265, 115},
                                        Rect{302, 16, 499, 139}, Rect{536, 40, 651, 115},
                                        Rect{668, 40, 783, 115}};
    const std::array<Rect, 5> innerRects{Rect{23, 45, 127, 109}, Rect{155, 45, 259, 109},
                                         Rect{307, 21, 411, 85}, Rect{541, 45, 645, 109},
                                         Rect{673, 45, 777, 109}};
    for (int k = -2; k <= 2; ++k) {
        EXPECT_EQ(slot(k), slotRects[static_cast<std::size_t>(k + 2)]) << k;
        EXPECT_EQ(inner(k), innerRects[static_cast<std::size_t>(k + 2)]) << k;
    }
}

TEST_F(StripTest, SkinPicturesAndTheFreshBuffer) {
    EXPECT_EQ(m_strip.background()->width(), 800);
    EXPECT_EQ(m_strip.background()->height(), 180);
    EXPECT_EQ(m_strip.background()->bitsPerPixel(), 24);
    EXPECT_EQ(m_strip.placeholder()->width(), 197);
    EXPECT_EQ(m_strip.placeholder()->height(), 123);
    EXPECT_EQ(m_strip.placeholder()->bitsPerPixel(), 24);
    ASSERT_EQ(m_strip.buffer()->width(), 800);
    ASSERT_EQ(m_strip.buffer()->height(), 180);
    EXPECT_TRUE(showsBackground(Rect{0, 0, 800, 180}));
    // Found whatever the case of the name.
    Bitmap b;
    loadFromRes("LoadPhoto", b);
    EXPECT_EQ(b.width(), 197);
}

class FramedSlot : public StripTest, public ::testing::WithParamInterface<int> {};

TEST_P(FramedSlot, WhiteFrameWithoutOutlineAroundAPickedThumbnail) {
    const int k = GetParam();
    const Rect s = slot(k);
    const Rect in = inner(k);
    // Left half red, right half blue: a picking stretch makes no blend.
    Bitmap picture = solidBitmap(197, 123, 0xFF0000);
    for (int y = 0; y < 123; ++y)
        for (int x = 99; x < 197; ++x)
            picture.setPixel(x, y, 0xFF0000FF);
    drawOnPreview(k, picture);

    std::set<std::uint32_t> insideColours;
    for (int y = s.top; y < s.bottom; ++y) {
        for (int x = s.left; x < s.right; ++x) {
            if (x == s.right - 1 || y == s.bottom - 1) {
                ASSERT_EQ(bufAt(x, y), backgroundAt(x, y)) << "last row and column untouched";
            } else if (x >= in.left && x < in.right && y >= in.top && y < in.bottom) {
                insideColours.insert(bufAt(x, y));
            } else {
                ASSERT_EQ(bufAt(x, y), White) << x << ", " << y;
            }
        }
    }
    EXPECT_EQ(insideColours, (std::set<std::uint32_t>{0xFF0000, 0x0000FF}));
    EXPECT_EQ(bufAt(in.left, in.top), 0xFF0000u);
    EXPECT_EQ(bufAt(in.right - 1, in.bottom - 1), 0x0000FFu);
    // The frame is 5 pixels on every side of the 114 x 74 fill.
    EXPECT_EQ(in.left - s.left, 5);
    EXPECT_EQ((s.right - 1) - in.right, 5);
    EXPECT_EQ((s.bottom - 1) - in.bottom, 5);
    // Nothing outside the slot changes.
    EXPECT_TRUE(showsBackground(Rect{s.left - 3, s.top - 3, s.right + 3, s.top}));
    EXPECT_TRUE(showsBackground(Rect{s.left - 3, s.bottom, s.right + 3, s.bottom + 3}));
}

INSTANTIATE_TEST_SUITE_P(SideSlots, FramedSlot, ::testing::Values(-2, -1, 1, 2));

TEST_F(StripTest, MonitorShowsThePictureOneToOne) {
    Bitmap picture;
    picture.setPixelFormat(PixelFormat::Bits24);
    picture.setSize(197, 123);
    for (int y = 0; y < 123; ++y)
        for (int x = 0; x < 197; ++x)
            picture.setPixel(x, y,
                             0xFF000000u | (std::uint32_t(x) << 16) | (std::uint32_t(y) << 8) | 7);
    drawOnMonitor(picture);
    for (int y = 0; y < 123; ++y)
        for (int x = 0; x < 197; ++x)
            ASSERT_EQ(bufAt(302 + x, 16 + y),
                      (std::uint32_t(x) << 16) | (std::uint32_t(y) << 8) | 7);
    EXPECT_TRUE(showsBackground(Rect{300, 14, 302, 141}));
    EXPECT_TRUE(showsBackground(Rect{499, 14, 501, 141}));
    EXPECT_TRUE(showsBackground(Rect{302, 139, 499, 141}));

    drawBackground(0);
    EXPECT_TRUE(showsBackground(MonitorRect));
}

TEST_F(StripTest, OneEntryFillsTheMonitorOnly) {
    m_collection.add({"/pics/only.jpg"});
    m_collection.setPreview(refOf(0), std::make_unique<Bitmap>(solidBitmap(197, 123, 0x123456)));
    drawOnPreview(-1, solidBitmap(10, 10, 0)); // left over from an earlier view
    jumpTo(0);
    EXPECT_TRUE(filled(MonitorRect, 0x123456));
    for (int k : {-2, -1, 1, 2})
        EXPECT_TRUE(showsBackground(slot(k))) << k;
    EXPECT_EQ(infoWall().num, "1/1");
}

TEST_F(StripTest, FirstAndLastEntryOfTen) {
    tenWithPreviews();
    jumpTo(0);
    EXPECT_TRUE(showsBackground(slot(-2)));
    EXPECT_TRUE(showsBackground(slot(-1)));
    EXPECT_EQ(slotColour(0), colourOf(0));
    EXPECT_EQ(slotColour(1), colourOf(1));
    EXPECT_EQ(slotColour(2), colourOf(2));

    jumpTo(9);
    EXPECT_EQ(slotColour(-2), colourOf(7));
    EXPECT_EQ(slotColour(-1), colourOf(8));
    EXPECT_EQ(slotColour(0), colourOf(9));
    EXPECT_TRUE(showsBackground(slot(1)));
    EXPECT_TRUE(showsBackground(slot(2)));

    jumpTo(5);
    for (int k = -2; k <= 2; ++k)
        EXPECT_EQ(slotColour(k), colourOf(5 + k)) << k;
}

TEST_F(StripTest, PlaceholderFirstThenTheThumbnailWhenItArrives) {
    makeCollection(2);
    ASSERT_TRUE(m_cache.idle());
    jumpTo(0);
    // The placeholder on the monitor and in slot +1; one job started.
    for (int y = 0; y < 123; ++y)
        for (int x = 0; x < 197; ++x)
            ASSERT_EQ(bufAt(302 + x, 16 + y), m_strip.placeholder()->pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(m_jobs, (std::vector<std::int32_t>{0}));
    EXPECT_FALSE(m_cache.idle());
    jumpTo(0); // a redraw while the job runs starts no other
    EXPECT_EQ(m_jobs.size(), 1u);

    ASSERT_TRUE(waitIdle());
    // Each hand-over redrew the strip with the new thumbnail.
    EXPECT_TRUE(filled(MonitorRect, colourOf(0)));
    EXPECT_EQ(slotColour(1), colourOf(1));
    EXPECT_EQ(bufAt(slot(1).left, slot(1).top), White);
}

TEST_F(StripTest, NothingIsDrawnForAnEmptyCollection) {
    drawOnMonitor(solidBitmap(197, 123, 0xABCDEF));
    jumpTo(0);
    drawWallSlots();
    EXPECT_TRUE(filled(MonitorRect, 0xABCDEF));
    EXPECT_TRUE(m_cache.idle());
}

TEST_F(StripTest, EmptyCollectionViewRestoresEverySlotAndGivesTheHint) {
    recording_wallpaper::reset(); // no desktop wallpaper to show
    tenWithPreviews();
    jumpTo(4);
    m_collection.clear();
    const StripLabels l = clearInfo();
    EXPECT_EQ(l.num, "");
    EXPECT_EQ(l.file, "");
    EXPECT_EQ(l.dir, "Please, add wallpapers in the manager >>>");
    EXPECT_TRUE(showsBackground(Rect{0, 0, 800, 180}));
}

TEST_F(StripTest, LabelTexts) {
    std::vector<std::string> paths(27);
    paths[2] = "/home/u/Photos/Sea/wave.jpg";
    m_collection.add(paths);
    m_collection.restoreCurrent(2);
    const StripLabels l = infoWall();
    EXPECT_EQ(l.num, "3/27");
    EXPECT_EQ(l.file, "wave.jpg");
    EXPECT_EQ(l.dir, "/home/u/Photos/Sea/");

    EXPECT_EQ(splitWallPath("/x.png").dir, "/");
    EXPECT_EQ(splitWallPath("/a/b:c.d.e").file, "b:c.d.e");
    m_collection.clear();
    EXPECT_EQ(infoWall().num, "");
}

TEST_F(StripTest, ClearPreviewFreesEveryPreviewAndKeepsWasLoad) {
    tenWithPreviews();
    m_collection.dropAllPreviews();
    EXPECT_TRUE(withPreview().empty());
    EXPECT_TRUE(
        std::all_of(walls().begin(), walls().end(), [](const WallEntry& w) { return w.wasLoad; }));
}

// On a screen of twice the density every strip unit is two pixels: the
// background and placeholder of that scale, frames twice as wide, and the
// monitor showing a picture of its own pixel size point for point (a
// one-pixel checkerboard that the enlarged thumbnail could never show).
TEST_F(StripTest, TwiceTheDensityDrawsEveryPixel) {
    tenWithPreviews();
    jumpTo(4);
    const std::vector<std::uint8_t> plain = m_strip.buffer()->saveToData();
    EXPECT_EQ(m_strip.monitorPictureWanted(), ""); // the thumbnail is sharp enough at 1x

    m_strip.setScale(2);
    ASSERT_EQ(m_strip.scale(), 2);
    ASSERT_EQ(m_strip.buffer()->width(), 1600);
    ASSERT_EQ(m_strip.buffer()->height(), 360);
    EXPECT_EQ(m_strip.background()->width(), 1600);
    EXPECT_EQ(m_strip.background()->height(), 360);
    EXPECT_EQ(m_strip.placeholder()->width(), 394);
    EXPECT_EQ(m_strip.placeholder()->height(), 246);

    // The view shown was drawn again at the new scale.
    const Rect monitor{604, 32, 998, 278};
    EXPECT_TRUE(filled(monitor, colourOf(4)));
    EXPECT_TRUE(showsBackground(Rect{600, 28, 604, 282}));
    EXPECT_TRUE(showsBackground(Rect{0, 0, 1600, 32}));
    // Slot +1, (536, 40)-(651, 115): a ten-pixel frame, the last strip
    // unit's two columns and rows left to the background.
    EXPECT_TRUE(filled(Rect{1072, 80, 1300, 90}, White));
    EXPECT_TRUE(filled(Rect{1072, 80, 1082, 228}, White));
    EXPECT_TRUE(filled(Rect{1082, 90, 1290, 218}, colourOf(5)));
    EXPECT_TRUE(showsBackground(Rect{1300, 80, 1302, 230}));
    EXPECT_TRUE(showsBackground(Rect{1072, 228, 1302, 230}));

    EXPECT_EQ(m_strip.monitorPictureWanted(), "/pics/p4.jpg");
    Bitmap fine;
    fine.setPixelFormat(PixelFormat::Bits24);
    fine.setSize(394, 246);
    for (int y = 0; y < 246; ++y)
        for (int x = 0; x < 394; ++x)
            fine.setPixel(x, y, (x + y) % 2 ? 0xFF000000u : 0xFFFFFFFFu);
    // Another file's picture, or one of the wrong size, is not shown.
    EXPECT_FALSE(m_strip.setMonitorPicture("/pics/p5.jpg", fine));
    EXPECT_EQ(m_strip.monitorPictureWanted(), "/pics/p4.jpg");
    EXPECT_FALSE(m_strip.setMonitorPicture("/pics/p4.jpg", solidBitmap(197, 123, 0x123456)));
    EXPECT_TRUE(filled(monitor, colourOf(4)));
    EXPECT_EQ(m_strip.monitorPictureWanted(), ""); // not asked for again

    EXPECT_TRUE(m_strip.setMonitorPicture("/pics/p4.jpg", fine));
    drawWallSlots(); // a thumbnail handed over redraws the strip
    for (int y = 0; y < 246; ++y)
        for (int x = 0; x < 394; ++x)
            ASSERT_EQ(bufAt(604 + x, 32 + y), (x + y) % 2 ? 0u : White) << x << ", " << y;

    jumpTo(5);
    EXPECT_TRUE(filled(monitor, colourOf(5)));
    EXPECT_EQ(m_strip.monitorPictureWanted(), "/pics/p5.jpg");

    // Back at 1x the strip is exactly what it was, and wants nothing more.
    jumpTo(4);
    m_strip.setScale(1);
    ASSERT_EQ(m_strip.buffer()->width(), 800);
    EXPECT_EQ(m_strip.buffer()->saveToData(), plain);
    EXPECT_EQ(m_strip.monitorPictureWanted(), "");
}

TEST_F(StripTest, EmptyCollectionViewAtTwiceTheDensity) {
    recording_wallpaper::reset(); // no desktop wallpaper to show
    clearInfo();
    m_strip.setScale(2);
    EXPECT_TRUE(showsBackground(Rect{0, 0, 1600, 360}));
    EXPECT_EQ(m_strip.monitorPictureWanted(), "");
}

// The main window lets the strip's bitmaps go while it is hidden; asked for again they hold
// the view that was current meanwhile, drawn as it would have been: the slots after moves
// made while they were gone, and the empty-collection view.
TEST_F(StripTest, BitmapsMadeAgainHoldTheViewOfTheirAbsence) {
    tenWithPreviews();
    jumpTo(4);
    m_strip.freeStripBitmaps();
    jumpTo(6); // drawn into nothing
    const std::vector<std::uint8_t> remade = m_strip.buffer()->saveToData();
    EXPECT_EQ(slotColour(0), colourOf(6));
    EXPECT_EQ(slotColour(-2), colourOf(4));
    EXPECT_EQ(slotColour(2), colourOf(8));
    m_strip.freeStripBitmaps();
    jumpTo(4);
    jumpTo(6);
    EXPECT_EQ(m_strip.buffer()->saveToData(), remade) << "drawn while there, or made afresh";

    recording_wallpaper::reset();
    m_collection.clear();
    m_strip.freeStripBitmaps();
    clearInfo();
    EXPECT_TRUE(showsBackground(Rect{0, 0, StripWidth, StripHeight}));
}
