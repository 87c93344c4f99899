// The desktop wallpaper set through the system and read back as the
// preview strip does.
#include "platform/wallpaper.h"
#include "platform/windows/wintest.h"

#include <fstream>

using namespace wintest;

namespace {

const std::wstring Desktop = L"Control Panel\\Desktop";

// A 2 x 2, 24-bit bottom-up BMP; each row is padded to 8 bytes.
void writeBmp(const std::filesystem::path& path) {
    const unsigned char bmp[] = {
        'B', 'M', 70,  0,    0,    0,   0, 0,    0,    0, 54, 0, 0, 0, // file header
        40,  0,   0,   0,    2,    0,   0, 0,    2,    0, 0,  0, 1, 0, 24, 0, 0, 0, 0,
        0,   16, // info header
        0,   0,   0,   0x13, 0x0B, 0,   0, 0x13, 0x0B, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, //
        0,   0,   255, 0,    255,  0,   0, 0,                                          // red, green
        255, 0,   0,   255,  255,  255, 0, 0}; // blue, white
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bmp), sizeof(bmp));
}

class WallpaperTest : public SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        if (!IsSkipped())
            saved_ = readRaw(HKEY_CURRENT_USER, Desktop, L"Wallpaper");
    }
    void TearDown() override {
        if (saved_.found)
            writeRaw(HKEY_CURRENT_USER, Desktop, L"Wallpaper", saved_.type, saved_.data.data(),
                     static_cast<DWORD>(saved_.data.size()));
    }
    RawValue saved_;
};

TEST_F(WallpaperTest, SetWallpaperIsReadBack) {
    TempDir temp;
    const auto first = temp.path() / L"Wallpaper.bmp";
    const auto second = temp.path() / L"Fond d'\u00e9cran.bmp";
    writeBmp(first);
    writeBmp(second);

    platform::setDesktopWallpaper(utf8(first.wstring()));
    EXPECT_EQ(platform::getWallpaperName(), utf8(first.wstring()));
    const RawValue raw = readRaw(HKEY_CURRENT_USER, Desktop, L"Wallpaper");
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));

    platform::setDesktopWallpaper(utf8(second.wstring()));
    EXPECT_EQ(platform::getWallpaperName(), utf8(second.wstring()));
}

TEST_F(WallpaperTest, NameIsEmptyWhenTheDesktopKeepsNone) {
    deleteRaw(HKEY_CURRENT_USER, Desktop, L"Wallpaper");
    EXPECT_EQ(platform::getWallpaperName(), "");
    const DWORD number = 1;
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, Desktop, L"Wallpaper", REG_DWORD, &number, 4),
              ERROR_SUCCESS);
    EXPECT_EQ(platform::getWallpaperName(), "");
}

} // namespace
