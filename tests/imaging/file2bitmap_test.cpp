// File2Bitmap: the decoder choice by extension, and failures turned into false.
#include "imaging/codecs.h"
#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include <unistd.h>

namespace {

class File2BitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        jpeg_ = samples::MakeJpeg({.width = 30, .height = 20});
        png_ = samples::MakePng({.width = 7, .height = 5, .colorType = 6});
        bmp_ = samples::MakeBmp(
            {.width = 3, .height = 2, .bpp = 24, .pixelData = samples::Bytes(24, 0x40)});
        marker_.setPixelFormat(PixelFormat::Bits24);
        marker_.setSize(2, 3);
    }
    std::filesystem::path Write(const std::string& name, const samples::Bytes& bytes) {
        samples::WriteFile(dir_.path() / name, bytes);
        return dir_.path() / name;
    }
    // The target keeps its content when File2Bitmap gives false for these.
    void ExpectUntouched(const Bitmap& b) {
        EXPECT_EQ(b.width(), 2);
        EXPECT_EQ(b.height(), 3);
    }
    TempDir dir_;
    samples::Bytes jpeg_, png_, bmp_;
    Bitmap marker_;
};

TEST_F(File2BitmapTest, ChoosesTheDecoderByLowerCasedExtension) {
    Bitmap b = marker_;
    EXPECT_TRUE(File2Bitmap(b, Write("Sea.JPG", jpeg_)));
    EXPECT_EQ(b.width(), 30);
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits24);
    EXPECT_TRUE(File2Bitmap(b, Write("a.Png", png_)));
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits32);
    EXPECT_TRUE(File2Bitmap(b, Write("b.bMp", bmp_)));
    EXPECT_EQ(b.width(), 3);
    EXPECT_TRUE(File2Bitmap(b, Write("dots.in.name.jpg", jpeg_)));
    EXPECT_TRUE(File2Bitmap(b, Write(".jpg", jpeg_))) << "a name that is only the extension";
}

TEST_F(File2BitmapTest, OtherExtensionsGiveFalseAndLeaveTheBitmap) {
    for (const char* name : {"Sea.jpeg", "Sea.gif", "Sea", "Sea.jpg.txt", "Sea.jp", "Sea."}) {
        Bitmap b = marker_;
        EXPECT_FALSE(File2Bitmap(b, Write(name, jpeg_))) << name;
        ExpectUntouched(b);
    }
}

TEST_F(File2BitmapTest, MissingFilesAndFoldersGiveFalse) {
    Bitmap b = marker_;
    EXPECT_FALSE(File2Bitmap(b, dir_.path() / "none.jpg"));
    std::filesystem::create_directory(dir_.path() / "folder.jpg");
    EXPECT_FALSE(File2Bitmap(b, dir_.path() / "folder.jpg"));
    EXPECT_FALSE(File2Bitmap(b, ""));
    ExpectUntouched(b);
}

TEST_F(File2BitmapTest, SymbolicLinkCountsByItsTarget) {
    const auto target = Write("real.png", png_);
    std::filesystem::create_symlink(target, dir_.path() / "link.png");
    std::filesystem::create_symlink(dir_.path() / "gone.png", dir_.path() / "dangling.png");
    Bitmap b;
    EXPECT_TRUE(File2Bitmap(b, dir_.path() / "link.png"));
    EXPECT_FALSE(File2Bitmap(b, dir_.path() / "dangling.png"));
}

TEST_F(File2BitmapTest, DecodingErrorsGiveFalse) {
    Bitmap b = marker_;
    EXPECT_FALSE(File2Bitmap(b, Write("png-inside.jpg", png_)));
    EXPECT_FALSE(File2Bitmap(b, Write("jpeg-inside.png", jpeg_)));
    EXPECT_FALSE(File2Bitmap(b, Write("jpeg-inside.bmp", jpeg_)));
    EXPECT_FALSE(File2Bitmap(b, Write("empty.jpg", {})));
    EXPECT_FALSE(File2Bitmap(
        b, Write("cut.jpg", samples::Bytes(jpeg_.begin(), jpeg_.begin() + jpeg_.size() / 2))));
    ExpectUntouched(b);
}

TEST_F(File2BitmapTest, UnreadableFileGivesFalse) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const auto file = Write("locked.jpg", jpeg_);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    Bitmap b;
    EXPECT_FALSE(File2Bitmap(b, file));
}

TEST_F(File2BitmapTest, CountsEveryDecodeItAttempts) {
    Bitmap b;
    const long before = File2BitmapCount();
    File2Bitmap(b, Write("a.jpg", jpeg_));
    File2Bitmap(b, Write("bad.png", jpeg_));
    File2Bitmap(b, Write("skip.gif", jpeg_));
    File2Bitmap(b, dir_.path() / "missing.bmp");
    EXPECT_EQ(File2BitmapCount() - before, 2);
}

TEST(Decoders, MissingFileDoesNothing) {
    Bitmap b;
    b.setSize(4, 4);
    EXPECT_NO_THROW(Jpeg2Bitmap("/nonexistent/q.jpg", b));
    EXPECT_NO_THROW(PNG2Bitmap("/nonexistent/q.png", b));
    EXPECT_EQ(b.width(), 4);
    EXPECT_THROW(b.LoadFromFile("/nonexistent/q.bmp"), ImageError);
}

TEST(Decoders, DecodeTheSameFileOnSeveralThreadsAtOnce) {
    TempDir dir;
    const auto file = dir.path() / "p.jpg";
    samples::WriteFile(file, samples::MakeJpeg({.width = 300, .height = 200, .progressive = true}));
    Bitmap reference;
    ASSERT_TRUE(File2Bitmap(reference, file));
    std::vector<std::thread> threads;
    std::atomic<int> same{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                Bitmap b;
                if (File2Bitmap(b, file) && std::memcmp(b.scanLine(0), reference.scanLine(0),
                                                        reference.stride() * 200) == 0)
                    ++same;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(same, 20);
}

} // namespace
