// The list file's bytes on Windows: the ANSI code page when it holds every
// path, UTF-8 with a byte-order mark otherwise.
#include "platform/listfile.h"
#include "platform/windows/wintest.h"

#include <fstream>
#include <iterator>

using namespace wintest;

namespace {

const std::string Bom = "\xEF\xBB\xBF";

// The ANSI bytes of `text`, or false when the code page lacks a character.
bool ansiBytes(const std::wstring& text, std::string& out) {
    BOOL usedDefault = FALSE;
    const UINT cp = GetACP();
    const int n =
        WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                            nullptr, 0, nullptr, &usedDefault);
    out.assign(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        out.data(), n, nullptr, &usedDefault);
    return !usedDefault;
}

std::string roundTripThroughFile(const std::string& bytes) {
    TempDir temp;
    const auto file = temp.path() / L"list.txt";
    {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ListFile, PathsTheCodePageHoldsAreWrittenInIt) {
    if (GetACP() == CP_UTF8)
        GTEST_SKIP() << "the system code page is UTF-8";
    // "Café" and "naïve" exist in the Western code pages; elsewhere plain ASCII.
    std::vector<std::wstring> paths = {L"C:\\Bilder\\Caf\u00e9.jpg", L"D:\\na\u00efve \\x.png"};
    std::string check;
    if (!ansiBytes(paths[0] + paths[1], check))
        paths = {L"C:\\Bilder\\Cafe.jpg", L"D:\\naive \\x.png"};

    std::vector<std::string> utf8Paths;
    std::wstring text;
    for (const auto& path : paths) {
        utf8Paths.push_back(utf8(path));
        text += path + L"\r\n";
    }
    std::string expected;
    ASSERT_TRUE(ansiBytes(text, expected));
    if (GetACP() == 1252) {
        EXPECT_EQ(expected, "C:\\Bilder\\Caf\xE9.jpg\r\nD:\\na\xEFve \\x.png\r\n");
    }

    const std::string bytes = roundTripThroughFile(platform::encodeListText(utf8Paths));
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(platform::decodeListTextWithoutBom(bytes), utf8(text));
}

TEST(ListFile, PathOutsideTheCodePageTurnsTheFileIntoUtf8) {
    // Hebrew and CJK together fit no single ANSI code page.
    const std::wstring foreign = L"C:\\\u05e9\u05dc\u05d5\u05dd\\\u65e5\u672c.jpg";
    std::string unused;
    if (GetACP() == CP_UTF8 || ansiBytes(foreign, unused))
        GTEST_SKIP() << "the system code page holds every test character";
    const std::vector<std::string> paths = {"C:\\plain.jpg", utf8(foreign), "C:\\last one.bmp"};

    const std::string bytes = roundTripThroughFile(platform::encodeListText(paths));
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(bytes.substr(0, 3), Bom);
    EXPECT_EQ(bytes.substr(3), "C:\\plain.jpg\r\n" + utf8(foreign) + "\r\nC:\\last one.bmp\r\n");
}

TEST(ListFile, EmptyListAndAsciiEdges) {
    EXPECT_EQ(platform::encodeListText({}), "");
    EXPECT_EQ(platform::encodeListText({"", " C:\\x.jpg "}), "\r\n C:\\x.jpg \r\n");
    EXPECT_EQ(platform::decodeListTextWithoutBom(""), "");
    EXPECT_EQ(platform::decodeListTextWithoutBom("C:\\a.jpg\r\nC:\\b.jpg"),
              "C:\\a.jpg\r\nC:\\b.jpg");
}

} // namespace
