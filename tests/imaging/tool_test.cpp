// quorvane-img on its documented terms: commands, outputs and exit codes.
#include "imaging/codecs.h"
#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>

namespace {

int runTool(const std::string& args, std::string* output = nullptr) {
    const std::string command = std::string(QUORVANE_IMG_TOOL) + " " + args + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[256];
    std::string text;
    while (std::fgets(buffer, sizeof buffer, pipe))
        text += buffer;
    const int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        samples::writeFile(m_dir.path() / "in.jpg",
                           samples::makeJpeg({.width = 320, .height = 200}));
        samples::writeFile(m_dir.path() / "in.png",
                           samples::makePng({.width = 9, .height = 4, .colorType = 6}));
        samples::writeFile(m_dir.path() / "bad.jpg", samples::Bytes(100, 1));
    }
    std::string in(const char* name) const { return "'" + (m_dir.path() / name).string() + "'"; }
    TempDir m_dir;
};

TEST_F(Tool, InfoPrintsWidthHeightAndBits) {
    std::string out;
    EXPECT_EQ(runTool("info " + in("in.jpg"), &out), 0);
    EXPECT_EQ(out, "320 200 24\n");
    EXPECT_EQ(runTool("info " + in("in.png"), &out), 0);
    EXPECT_EQ(out, "9 4 32\n");
    EXPECT_EQ(runTool("info " + in("bad.jpg")), 1);
    EXPECT_EQ(runTool("info " + in("missing.jpg")), 1);
}

TEST_F(Tool, DecodeWritesTheBmpOfTheApplyPath) {
    EXPECT_EQ(runTool("decode " + in("in.jpg") + " " + in("out.bmp")), 0);
    Bitmap bmp, jpeg;
    bmp.loadFromFile(m_dir.path() / "out.bmp");
    ASSERT_TRUE(file2Bitmap(jpeg, m_dir.path() / "in.jpg"));
    EXPECT_EQ(bmp.bitsPerPixel(), 24);
    EXPECT_EQ(std::memcmp(bmp.scanLine(0), jpeg.scanLine(0), jpeg.stride() * 200), 0);
    EXPECT_EQ(runTool("decode " + in("bad.jpg") + " " + in("out2.bmp")), 1);
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "out2.bmp"));
    EXPECT_EQ(runTool("decode " + in("in.jpg") + " " + in("no/such/folder.bmp")), 2);
}

TEST_F(Tool, ThumbWritesA197By123Jpeg) {
    EXPECT_EQ(runTool("thumb " + in("in.png") + " " + in("t.jpg")), 0);
    Bitmap thumb;
    ASSERT_TRUE(file2Bitmap(thumb, m_dir.path() / "t.jpg"));
    EXPECT_EQ(thumb.width(), 197);
    EXPECT_EQ(thumb.height(), 123);
    EXPECT_EQ(runTool("thumb " + in("bad.jpg") + " " + in("t2.jpg")), 1);
    EXPECT_EQ(runTool("thumb " + in("in.jpg") + " " + in("no/such/t.jpg")), 2);
}

// The format table as text: one line per format, its name and its extensions.
std::string tableLines() {
    std::string text;
    for (const PictureFormatInfo& format : pictureFormats()) {
        text += format.name;
        for (std::string_view ext : format.extensions)
            text += " " + std::string(ext);
        text += "\n";
    }
    return text;
}

TEST_F(Tool, FormatsPrintsTheFormatTable) {
    std::string out;
    EXPECT_EQ(runTool("formats", &out), 0);
    EXPECT_EQ(out, tableLines());
    EXPECT_NE(out.find("JPEG .jpg .jpeg .jpe .jfif\n"), std::string::npos);
    EXPECT_NE(out.find("BMP .bmp .dib\n"), std::string::npos);
}

// The README's list of picture formats names every format of this build with the
// extensions of its row ("| JPEG | .jpg .jpeg ... | libjpeg-turbo |"); it may list formats
// whose libraries this build lacks.
TEST(Readme, ListsTheExtensionsOfTheFormatTable) {
    std::ifstream readme(std::string(QUORVANE_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme);
    std::string line;
    bool inSection = false;
    std::string listed;
    while (std::getline(readme, line)) {
        if (line.starts_with("## "))
            inSection = line == "## Picture formats";
        else if (inSection && line.starts_with("| ") && line.find(" .") != std::string::npos) {
            std::istringstream cells(line);
            std::string cell, name, exts;
            std::getline(cells, cell, '|');
            std::getline(cells, name, '|');
            std::getline(cells, exts, '|');
            auto trim = [](std::string s) {
                s.erase(0, s.find_first_not_of(' '));
                s.erase(s.find_last_not_of(' ') + 1);
                return s;
            };
            for (const PictureFormatInfo& format : pictureFormats())
                if (trim(name) == format.name)
                    listed += trim(name) + " " + trim(exts) + "\n";
        }
    }
    EXPECT_EQ(listed, tableLines());
}

TEST_F(Tool, WrongArgumentsAreAUsageError) {
    EXPECT_EQ(runTool(""), 64);
    EXPECT_EQ(runTool("decode " + in("in.jpg")), 64);
    EXPECT_EQ(runTool("resize " + in("in.jpg") + " x"), 64);
}

} // namespace
