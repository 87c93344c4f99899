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

    std::uint32_t BufAt(int x, int y) const { return strip.buffer()->pixel(x, y) & 0xFFFFFF; }
    std::uint32_t BackgroundAt(int x, int y) const {
        return strip.background()->pixel(x, y) & 0xFFFFFF;
    }

    // Every pixel of r in the buffer is the background's.
    ::testing::AssertionResult ShowsBackground(const Rect& r) const {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (BufAt(x, y) != BackgroundAt(x, y))
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") differs";
        return ::testing::AssertionSuccess();
    }

    // Every pixel of r in the buffer is `rgb`.
    ::testing::AssertionResult Filled(const Rect& r, std::uint32_t rgb) const {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (BufAt(x, y) != rgb)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") is " << std::hex << BufAt(x, y);
        return ::testing::AssertionSuccess();
    }

    const Rect& Slot(int k) const { return strip.slotRect(k); }
    const Rect& Inner(int k) const { return strip.thumbRect(k); }

    // The colour shown in the middle of slot k.
    std::uint32_t SlotColour(int k) const {
        const Rect& r = k == 0 ? MonitorRect : Inner(k);
        return BufAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    // Ten entries, each with a preview of its own colour.
    void TenWithPreviews() {
        Walls.clear();
        for (int i = 0; i < 10; ++i) {
            Walls.push_back(state.MakeWall("/pics/p" + std::to_string(i) + ".jpg"));
            Walls.back().Preview = std::make_unique<Bitmap>(SolidBitmap(197, 123, ColourOf(i)));
            Walls.back().WasLoad = true;
        }
    }

    void DrawOnPreview(int k, const Bitmap& b) { strip.DrawOnPreview(k, b); }
    void DrawOnMonitor(const Bitmap& b) { strip.DrawOnMonitor(b); }
    void DrawBackground(int k) { strip.DrawBackground(k); }
    void DrawWallSlots() { strip.DrawWallSlots(); }
    StripLabels InfoWall() const { return strip.InfoWall(); }
    StripLabels ClearInfo() { return strip.ClearInfo(); }
};

TEST_F(StripTest, SlotGeometryComesFromTheMonitor) {
    const std::array<Rect, 5> slotRects{Rect{18, 40, 133, 115}, Rect{150, 40, 265, 115},
                                        Rect{302, 16, 499, 139}, Rect{536, 40, 651, 115},
                                        Rect{668, 40, 783, 115}};
    const std::array<Rect, 5> inner{Rect{23, 45, 127, 109}, Rect{155, 45, 259, 109},
                                    Rect{307, 21, 411, 85}, Rect{541, 45, 645, 109},
                                    Rect{673, 45, 777, 109}};
    for (int k = -2; k <= 2; ++k) {
        EXPECT_EQ(Slot(k), slotRects[static_cast<std::size_t>(k + 2)]) << k;
        EXPECT_EQ(Inner(k), inner[static_cast<std::size_t>(k + 2)]) << k;
    }
}

TEST_F(StripTest, SkinPicturesAndTheFreshBuffer) {
    EXPECT_EQ(strip.background()->width(), 800);
    EXPECT_EQ(strip.background()->height(), 180);
    EXPECT_EQ(strip.background()->bitsPerPixel(), 24);
    EXPECT_EQ(strip.placeholder()->width(), 197);
    EXPECT_EQ(strip.placeholder()->height(), 123);
    EXPECT_EQ(strip.placeholder()->bitsPerPixel(), 24);
    ASSERT_EQ(strip.buffer()->width(), 800);
    ASSERT_EQ(strip.buffer()->height(), 180);
    EXPECT_TRUE(ShowsBackground(Rect{0, 0, 800, 180}));
    // Found whatever the case of the name.
    Bitmap b;
    LoadFromRes("LoadPhoto", b);
    EXPECT_EQ(b.width(), 197);
}

class FramedSlot : public StripTest, public ::testing::WithParamInterface<int> {};

TEST_P(FramedSlot, WhiteFrameWithoutOutlineAroundAPickedThumbnail) {
    const int k = GetParam();
    const Rect s = Slot(k);
    const Rect in = Inner(k);
    // Left half red, right half blue: a picking stretch makes no blend.
    Bitmap picture = SolidBitmap(197, 123, 0xFF0000);
    for (int y = 0; y < 123; ++y)
        for (int x = 99; x < 197; ++x)
            picture.setPixel(x, y, 0xFF0000FF);
    DrawOnPreview(k, picture);

    std::set<std::uint32_t> insideColours;
    for (int y = s.top; y < s.bottom; ++y) {
        for (int x = s.left; x < s.right; ++x) {
            if (x == s.right - 1 || y == s.bottom - 1) {
                ASSERT_EQ(BufAt(x, y), BackgroundAt(x, y)) << "last row and column untouched";
            } else if (x >= in.left && x < in.right && y >= in.top && y < in.bottom) {
                insideColours.insert(BufAt(x, y));
            } else {
                ASSERT_EQ(BufAt(x, y), White) << x << ", " << y;
            }
        }
    }
    EXPECT_EQ(insideColours, (std::set<std::uint32_t>{0xFF0000, 0x0000FF}));
    EXPECT_EQ(BufAt(in.left, in.top), 0xFF0000u);
    EXPECT_EQ(BufAt(in.right - 1, in.bottom - 1), 0x0000FFu);
    // The frame is 5 pixels on every side of the 114 x 74 fill.
    EXPECT_EQ(in.left - s.left, 5);
    EXPECT_EQ((s.right - 1) - in.right, 5);
    EXPECT_EQ((s.bottom - 1) - in.bottom, 5);
    // Nothing outside the slot changes.
    EXPECT_TRUE(ShowsBackground(Rect{s.left - 3, s.top - 3, s.right + 3, s.top}));
    EXPECT_TRUE(ShowsBackground(Rect{s.left - 3, s.bottom, s.right + 3, s.bottom + 3}));
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
    DrawOnMonitor(picture);
    for (int y = 0; y < 123; ++y)
        for (int x = 0; x < 197; ++x)
            ASSERT_EQ(BufAt(302 + x, 16 + y),
                      (std::uint32_t(x) << 16) | (std::uint32_t(y) << 8) | 7);
    EXPECT_TRUE(ShowsBackground(Rect{300, 14, 302, 141}));
    EXPECT_TRUE(ShowsBackground(Rect{499, 14, 501, 141}));
    EXPECT_TRUE(ShowsBackground(Rect{302, 139, 499, 141}));

    DrawBackground(0);
    EXPECT_TRUE(ShowsBackground(MonitorRect));
}

TEST_F(StripTest, OneEntryFillsTheMonitorOnly) {
    Walls.push_back(state.MakeWall("/pics/only.jpg"));
    Walls.back().Preview = std::make_unique<Bitmap>(SolidBitmap(197, 123, 0x123456));
    DrawOnPreview(-1, SolidBitmap(10, 10, 0)); // left over from an earlier view
    JumpToWall(0);
    EXPECT_TRUE(Filled(MonitorRect, 0x123456));
    for (int k : {-2, -1, 1, 2})
        EXPECT_TRUE(ShowsBackground(Slot(k))) << k;
    EXPECT_EQ(InfoWall().num, "1/1");
}

TEST_F(StripTest, FirstAndLastEntryOfTen) {
    TenWithPreviews();
    JumpToWall(0);
    EXPECT_TRUE(ShowsBackground(Slot(-2)));
    EXPECT_TRUE(ShowsBackground(Slot(-1)));
    EXPECT_EQ(SlotColour(0), ColourOf(0));
    EXPECT_EQ(SlotColour(1), ColourOf(1));
    EXPECT_EQ(SlotColour(2), ColourOf(2));

    JumpToWall(9);
    EXPECT_EQ(SlotColour(-2), ColourOf(7));
    EXPECT_EQ(SlotColour(-1), ColourOf(8));
    EXPECT_EQ(SlotColour(0), ColourOf(9));
    EXPECT_TRUE(ShowsBackground(Slot(1)));
    EXPECT_TRUE(ShowsBackground(Slot(2)));

    JumpToWall(5);
    for (int k = -2; k <= 2; ++k)
        EXPECT_EQ(SlotColour(k), ColourOf(5 + k)) << k;
}

TEST_F(StripTest, PlaceholderFirstThenTheThumbnailWhenItArrives) {
    makeCollection(2);
    ASSERT_TRUE(CacheIdle);
    JumpToWall(0);
    // The placeholder on the monitor and in slot +1; one job started.
    for (int y = 0; y < 123; ++y)
        for (int x = 0; x < 197; ++x)
            ASSERT_EQ(BufAt(302 + x, 16 + y), strip.placeholder()->pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(jobs, (std::vector<std::int32_t>{0}));
    EXPECT_FALSE(CacheIdle);
    JumpToWall(0); // a redraw while the job runs starts no other
    EXPECT_EQ(jobs.size(), 1u);

    ASSERT_TRUE(waitIdle());
    // Each hand-over redrew the strip with the new thumbnail.
    EXPECT_TRUE(Filled(MonitorRect, ColourOf(0)));
    EXPECT_EQ(SlotColour(1), ColourOf(1));
    EXPECT_EQ(BufAt(Slot(1).left, Slot(1).top), White);
}

TEST_F(StripTest, NothingIsDrawnForAnEmptyCollection) {
    DrawOnMonitor(SolidBitmap(197, 123, 0xABCDEF));
    JumpToWall(0);
    DrawWallSlots();
    EXPECT_TRUE(Filled(MonitorRect, 0xABCDEF));
    EXPECT_TRUE(CacheIdle);
}

TEST_F(StripTest, EmptyCollectionViewRestoresEverySlotAndGivesTheHint) {
    recording_wallpaper::reset(); // no desktop wallpaper to show
    TenWithPreviews();
    JumpToWall(4);
    Walls.clear();
    const StripLabels l = ClearInfo();
    EXPECT_EQ(l.num, "");
    EXPECT_EQ(l.file, "");
    EXPECT_EQ(l.dir, "Please, add wallpapers in the manager >>>");
    EXPECT_TRUE(ShowsBackground(Rect{0, 0, 800, 180}));
}

TEST_F(StripTest, LabelTexts) {
    for (int i = 0; i < 27; ++i)
        Walls.push_back(state.MakeWall(""));
    Walls[2].Path = "/home/u/Photos/Sea/wave.jpg";
    CurrentWall = 2;
    const StripLabels l = InfoWall();
    EXPECT_EQ(l.num, "3/27");
    EXPECT_EQ(l.file, "wave.jpg");
    EXPECT_EQ(l.dir, "/home/u/Photos/Sea/");

    EXPECT_EQ(SplitWallPath("/x.png").dir, "/");
    EXPECT_EQ(SplitWallPath("/a/b:c.d.e").file, "b:c.d.e");
    CurrentWall = 27;
    EXPECT_EQ(InfoWall().num, "");
}

TEST_F(StripTest, ClearPreviewFreesEveryPreviewAndKeepsWasLoad) {
    TenWithPreviews();
    ClearPreview();
    EXPECT_TRUE(withPreview().empty());
    EXPECT_TRUE(std::all_of(Walls.begin(), Walls.end(), [](const TWall& w) { return w.WasLoad; }));
}
