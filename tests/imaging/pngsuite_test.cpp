// Conformance: every PngSuite picture decodes to the format of its kind with libpng's own
// pixels, and every deliberately broken one (names starting with x) gives false.
#include "imaging/codecs.h"
#include "png_expect.h"
#include "samples.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::filesystem::path suiteFolder() {
    return std::filesystem::path(QUORVANE_TESTDATA_DIR) / "pngsuite";
}

std::vector<std::filesystem::path> suiteFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(suiteFolder(), ec))
        if (entry.path().extension() == ".png")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(PngSuite, ValidPicturesDecodeToTheirFormatAndPixels) {
    const auto files = suiteFiles();
    if (files.empty())
        GTEST_SKIP() << "PngSuite not found in " << suiteFolder();
    int checked = 0;
    for (const auto& file : files) {
        if (file.filename().string()[0] == 'x')
            continue;
        SCOPED_TRACE(file.filename().string());
        Bitmap b;
        ASSERT_TRUE(file2Bitmap(b, file));
        expectPngDecode(b, samples::readFile(file));
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

TEST(PngSuite, BrokenPicturesGiveFalse) {
    const auto files = suiteFiles();
    if (files.empty())
        GTEST_SKIP() << "PngSuite not found in " << suiteFolder();
    int checked = 0;
    for (const auto& file : files) {
        if (file.filename().string()[0] != 'x')
            continue;
        Bitmap b;
        EXPECT_FALSE(file2Bitmap(b, file)) << file.filename();
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

} // namespace
