// file2Bitmap: the decoder choice by extension, and failures turned into false.
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
        m_jpeg = samples::makeJpeg({.width = 30, .height = 20});
        m_png = samples::makePng({.width = 7, .height = 5, .colorType = 6});
        m_bmp = samples::makeBmp(
            {.width = 3, .height = 2, .bpp = 24, .pixelData = samples::Bytes(24, 0x40)});
        m_marker.setPixelFormat(PixelFormat::Bits24);
        m_marker.setSize(2, 3);
    }
    std::filesystem::path write(const std::string& name, const samples::Bytes& bytes) {
        samples::writeFile(m_dir.path() / name, bytes);
        return m_dir.path() / name;
    }
    // The target keeps its content when file2Bitmap gives false for these.
    void expectUntouched(const Bitmap& b) {
        EXPECT_EQ(b.width(), 2);
        EXPECT_EQ(b.height(), 3);
    }
    TempDir m_dir;
    samples::Bytes m_jpeg, m_png, m_bmp;
    Bitmap m_marker;
};

TEST_F(File2BitmapTest, ChoosesTheDecoderByLowerCasedExtension) {
    Bitmap b = m_marker;
    EXPECT_TRUE(file2Bitmap(b, write("Sea.JPG", m_jpeg)));
    EXPECT_EQ(b.width(), 30);
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits24);
    EXPECT_TRUE(file2Bitmap(b, write("a.Png", m_png)));
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits32);
    EXPECT_TRUE(file2Bitmap(b, write("b.bMp", m_bmp)));
    EXPECT_EQ(b.width(), 3);
    EXPECT_TRUE(file2Bitmap(b, write("dots.in.name.jpg", m_jpeg)));
    EXPECT_TRUE(file2Bitmap(b, write(".jpg", m_jpeg))) << "a name that is only the extension";
}

TEST_F(File2BitmapTest, OtherExtensionsGiveFalseAndLeaveTheBitmap) {
    for (const char* name : {"Sea.pcx", "Sea", "Sea.jpg.txt", "Sea.jp", "Sea.", "Sea.jpegx"}) {
        Bitmap b = m_marker;
        EXPECT_FALSE(file2Bitmap(b, write(name, m_jpeg))) << name;
        expectUntouched(b);
    }
}

TEST_F(File2BitmapTest, MissingFilesAndFoldersGiveFalse) {
    Bitmap b = m_marker;
    EXPECT_FALSE(file2Bitmap(b, m_dir.path() / "none.jpg"));
    std::filesystem::create_directory(m_dir.path() / "folder.jpg");
    EXPECT_FALSE(file2Bitmap(b, m_dir.path() / "folder.jpg"));
    EXPECT_FALSE(file2Bitmap(b, ""));
    expectUntouched(b);
}

TEST_F(File2BitmapTest, SymbolicLinkCountsByItsTarget) {
    const auto target = write("real.png", m_png);
    std::filesystem::create_symlink(target, m_dir.path() / "link.png");
    std::filesystem::create_symlink(m_dir.path() / "gone.png", m_dir.path() / "dangling.png");
    Bitmap b;
    EXPECT_TRUE(file2Bitmap(b, m_dir.path() / "link.png"));
    EXPECT_FALSE(file2Bitmap(b, m_dir.path() / "dangling.png"));
}

TEST_F(File2BitmapTest, DecodingErrorsGiveFalse) {
    Bitmap b = m_marker;
    EXPECT_FALSE(file2Bitmap(b, write("text.jpg", {'h', 'e', 'l', 'l', 'o'})));
    EXPECT_FALSE(file2Bitmap(b, write("empty.jpg", {})));
    EXPECT_FALSE(file2Bitmap(
        b, write("cut.jpg", samples::Bytes(m_jpeg.begin(), m_jpeg.begin() + m_jpeg.size() / 2))));
    expectUntouched(b);
}

TEST_F(File2BitmapTest, UnreadableFileGivesFalse) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const auto file = write("locked.jpg", m_jpeg);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    Bitmap b;
    EXPECT_FALSE(file2Bitmap(b, file));
}

TEST_F(File2BitmapTest, CountsEveryDecodeItAttempts) {
    Bitmap b;
    const long before = file2BitmapCount();
    file2Bitmap(b, write("a.jpg", m_jpeg));
    file2Bitmap(b, write("bad.png", m_jpeg));
    file2Bitmap(b, write("skip.pcx", m_jpeg));
    file2Bitmap(b, m_dir.path() / "missing.bmp");
    EXPECT_EQ(file2BitmapCount() - before, 2);
}

TEST(Decoders, MissingFileDoesNothing) {
    Bitmap b;
    b.setSize(4, 4);
    EXPECT_NO_THROW(jpeg2Bitmap("/nonexistent/q.jpg", b));
    EXPECT_NO_THROW(pnG2Bitmap("/nonexistent/q.png", b));
    EXPECT_EQ(b.width(), 4);
    EXPECT_THROW(b.loadFromFile("/nonexistent/q.bmp"), ImageError);
}

TEST(Decoders, DecodeTheSameFileOnSeveralThreadsAtOnce) {
    TempDir dir;
    const auto file = dir.path() / "p.jpg";
    samples::writeFile(file, samples::makeJpeg({.width = 300, .height = 200, .progressive = true}));
    Bitmap reference;
    ASSERT_TRUE(file2Bitmap(reference, file));
    std::vector<std::thread> threads;
    std::atomic<int> same{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                Bitmap b;
                if (file2Bitmap(b, file) && std::memcmp(b.scanLine(0), reference.scanLine(0),
                                                        reference.stride() * 200) == 0)
                    ++same;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(same, 20);
}

} // namespace
