// Gathering a folder's pictures and deleting a folder tree, on real folders
// with real links.
#include "collection/folderwalk.h"

#include "support/temphome.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

void touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
}

} // namespace

// ------------------------------------------------------------ the extension rule

struct ExtCase {
    const char* name;
    bool picture;
};

class PictureExtension : public ::testing::TestWithParam<ExtCase> {};

TEST_P(PictureExtension, DecidesByTheLastDotLoweredInCase) {
    EXPECT_EQ(hasPictureExt(GetParam().name), GetParam().picture) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, PictureExtension,
                         ::testing::Values(ExtCase{"PHOTO.JPG", true}, ExtCase{"a.Png", true},
                                           ExtCase{"x.bmp", true}, ExtCase{"tar.gz.jpg", true},
                                           ExtCase{".png", true}, ExtCase{"b.jpeg", true},
                                           ExtCase{"c.pcx", false}, ExtCase{"noextension", false},
                                           ExtCase{"jpg", false}, ExtCase{"d.jpg.txt", false},
                                           ExtCase{"e.", false}, ExtCase{"f.jp g", false},
                                           ExtCase{"g.Jfif", true}, ExtCase{"h.jpe", true},
                                           ExtCase{"i.DIB", true}, ExtCase{"j.jpeg.txt", false}));

// ------------------------------------------------------------------- the scan

// ------------------------------------------------------------- the name order

struct OrderCase {
    const char* first;
    const char* second; ///< comes after `first`
};

class NameOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NameOrder, OrdersAsFileManagersDo) {
    const OrderCase c = GetParam();
    EXPECT_LT(compareNames(c.first, c.second), 0) << c.first << " | " << c.second;
    EXPECT_GT(compareNames(c.second, c.first), 0) << c.second << " | " << c.first;
    EXPECT_EQ(compareNames(c.first, c.first), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, NameOrder,
    ::testing::Values(OrderCase{"img2.jpg", "img10.jpg"}, OrderCase{"img9.jpg", "IMG10.jpg"},
                      OrderCase{"a.jpg", "B.jpg"}, OrderCase{"Apple.jpg", "banana.jpg"},
                      OrderCase{"x2y3.jpg", "x2y10.jpg"}, OrderCase{"x2y10.jpg", "x10y2.jpg"},
                      OrderCase{"img2.jpg", "img2a.jpg"}, OrderCase{"img.jpg", "img1.jpg"},
                      OrderCase{"Ärger.jpg", "ärger2.jpg"}, OrderCase{"f032.jpg", "f314.jpg"},
                      // A number too long for any integer type still compares by value.
                      OrderCase{"99999999999999999999999.jpg", "100000000000000000000000.jpg"},
                      // Equal but for case or leading zeros: still one fixed order.
                      OrderCase{"A.jpg", "a.jpg"}, OrderCase{"img2.jpg", "img02.jpg"},
                      OrderCase{"img02b.jpg", "img2c.jpg"},
                      OrderCase{"n\xFF.jpg", "n\xFE"
                                             "2.jpg"},
                      OrderCase{"n\xFE.jpg", "n\xFF.jpg"}));

// ------------------------------------------------------------------- the scan

class FolderScan : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        m_root = fs::path(m_home) / "pics";
        fs::create_directories(m_root);
    }

    std::vector<std::string> scan(const fs::path& dir, bool subFolders,
                                  std::size_t* unlistable = nullptr) {
        std::vector<std::string> rows;
        const std::size_t left = scanDir(dir.string(), subFolders, rows);
        if (unlistable)
            *unlistable = left;
        return rows;
    }
    /// The paths below root, in this order.
    std::vector<std::string> under(std::initializer_list<const char*> names) const {
        std::vector<std::string> paths;
        for (const char* name : names)
            paths.push_back((m_root / name).string());
        return paths;
    }

    fs::path m_root;
};

TEST_F(FolderScan, TakesEachFolderInNameOrderDepthFirst) {
    // Made in an order unlike the names', so the listing's own order shows.
    for (const char* name :
         {"img10.jpg", "sub2/four.JPG", "PHOTO.JPG", "b.jpeg", "img2.jpg", "sub1/deeper/skip.pcx",
          "c.pcx", "noext", "sub2/Three.bmp", "sub1/one.jpg", "a.Png", "empty/.keep",
          "sub1/deeper/two.png", "Img1.jpg", ".h.jpg", "z.bmp"})
        touch(m_root / name);
    fs::create_directories(m_root / "folder.jpg"); // a folder is never a picture

    EXPECT_EQ(
        scan(m_root, true),
        under({".h.jpg", "a.Png", "b.jpeg", "Img1.jpg", "img2.jpg", "img10.jpg", "PHOTO.JPG",
               "sub1/deeper/two.png", "sub1/one.jpg", "sub2/four.JPG", "sub2/Three.bmp", "z.bmp"}));
}

TEST_F(FolderScan, OnlyRegularFilesAndLinksToThemArePictures) {
    touch(m_root / "real.jpg");
    ASSERT_EQ(::mkfifo((m_root / "fifo.jpg").c_str(), 0600), 0);
    // A socket bound to a name in the folder.
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (m_root / "socket.png").string();
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(sock);
    fs::create_symlink(m_root / "real.jpg", m_root / "to-real.jpg");
    fs::create_symlink(m_root / "fifo.jpg", m_root / "to-fifo.jpg");
    fs::create_symlink(m_root / "gone.jpg", m_root / "dangling.jpg");

    EXPECT_EQ(scan(m_root, true), under({"real.jpg", "to-real.jpg"}));
}

TEST_F(FolderScan, NamesWithLineBreaksAreLeftOutAndCounted) {
    for (const char* name : {"a.jpg", "inj\nyellow.jpg", "cr\r.png", "sub\ndir/in.bmp",
                             "sub\ndir/in2.bmp", "z.jpg", "notes\n.txt"})
        touch(m_root / name);
    std::size_t unlistable = 0;
    EXPECT_EQ(scan(m_root, true, &unlistable), under({"a.jpg", "z.jpg"}));
    EXPECT_EQ(unlistable, 4u);
    EXPECT_EQ(scan(m_root, false, &unlistable), under({"a.jpg", "z.jpg"}));
    EXPECT_EQ(unlistable, 2u);
    // A folder whose own name breaks a line: none of its pictures can be listed.
    EXPECT_TRUE(scan(m_root / "sub\ndir", true, &unlistable).empty());
    EXPECT_EQ(unlistable, 2u);
}

TEST_F(FolderScan, WithoutSubfoldersOnlyTheFolderItself) {
    touch(m_root / "c.PNG");
    touch(m_root / "sub/b.jpg");
    touch(m_root / "a.jpg");
    EXPECT_EQ(scan(m_root, false), under({"a.jpg", "c.PNG"}));
}

TEST_F(FolderScan, TheSameFolderTwiceAppendsTwice) {
    touch(m_root / "a.jpg");
    touch(m_root / "sub/b.png");
    std::vector<std::string> rows;
    scanDir(m_root.string(), true, rows);
    scanDir(m_root.string() + "/", true, rows); // a trailing separator is not doubled
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], rows[2]);
    EXPECT_EQ(rows[1], rows[3]);
    EXPECT_EQ(rows[0].find("//"), std::string::npos);
}

TEST_F(FolderScan, NothingFromAMissingOrEmptyPath) {
    EXPECT_TRUE(scan(m_root / "missing", true).empty());
    touch(m_root / "plain.jpg");
    EXPECT_TRUE(scan(m_root / "plain.jpg", true).empty()); // a file is no folder
    std::vector<std::string> rows;
    scanDir("", true, rows);
    EXPECT_TRUE(rows.empty());
}

TEST_F(FolderScan, ALinkBackUpTheTreeEnds) {
    touch(m_root / "a.jpg");
    touch(m_root / "sub/b.jpg");
    fs::create_directory_symlink(m_root, m_root / "sub/up");           // to its own parent
    fs::create_directory_symlink(m_root / "sub", m_root / "sub/self"); // to itself
    int folders = 0;
    std::vector<std::string> rows;
    scanDir(m_root.string(), true, rows, [&](int) {
        ++folders;
        return true;
    });
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{(m_root / "a.jpg").string(),
                                              (m_root / "sub/b.jpg").string()}));
    EXPECT_EQ(folders, 2); // each folder entered once, and serviced once
}

// The hook sees the walk advance by the share of the first folder's entries
// passed, and can stop it after any folder with what was found so far.
TEST_F(FolderScan, TheHookReportsHowFarTheWalkCameAndCanStopIt) {
    for (const char* name : {"a/1.jpg", "b/2.jpg", "c/3.jpg", "d/4.jpg"})
        touch(m_root / name);
    struct Case {
        int stopAt; ///< the call at which the hook says stop; -1 never
        std::vector<int> percents;
        std::size_t rows;
    };
    for (const Case& c :
         {Case{-1, {25, 50, 75, 100, 100}, 4}, Case{2, {25, 50}, 2}, Case{1, {25}, 1}}) {
        std::vector<int> percents;
        std::vector<std::string> rows;
        scanDir(m_root.string(), true, rows, [&](int percent) {
            percents.push_back(percent);
            return c.stopAt < 0 || static_cast<int>(percents.size()) < c.stopAt;
        });
        EXPECT_EQ(percents, c.percents) << c.stopAt;
        EXPECT_EQ(rows.size(), c.rows) << c.stopAt;
    }
}

TEST_F(FolderScan, ALinkToAFolderElsewhereIsFollowedOnce) {
    const fs::path elsewhere = fs::path(m_home) / "elsewhere";
    touch(elsewhere / "x.png");
    touch(m_root / "a.jpg");
    fs::create_directory_symlink(elsewhere, m_root / "link1");
    fs::create_directory_symlink(elsewhere, m_root / "link2");
    const auto rows = scan(m_root, true);
    ASSERT_EQ(rows.size(), 2u);
    const auto linked = std::count_if(rows.begin(), rows.end(), [&](const std::string& r) {
        return r == (m_root / "link1/x.png").string() || r == (m_root / "link2/x.png").string();
    });
    EXPECT_EQ(linked, 1);
}

// -------------------------------------------------------------- the tree removal

class TreeRemoval : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        m_tree = fs::path(m_home) / "Thumbnail";
        m_outside = fs::path(m_home) / "outside";
        touch(m_outside / "keep.jpg");
        touch(m_outside / "inner/keep2.jpg");
        touch(fs::path(m_home) / "lonely.jpg");
    }
    void expectOutsideIntact() {
        EXPECT_TRUE(fs::exists(m_outside / "keep.jpg"));
        EXPECT_TRUE(fs::exists(m_outside / "inner/keep2.jpg"));
        EXPECT_TRUE(fs::exists(fs::path(m_home) / "lonely.jpg"));
    }
    fs::path m_tree;
    fs::path m_outside;
};

TEST_F(TreeRemoval, RemovesTheTreeAndLinksAsLinks) {
    touch(m_tree / "home/u/a.jpg.jpg");
    touch(m_tree / "home/u/deep/er/b.png.jpg");
    touch(m_tree / ".hidden");
    fs::create_directory_symlink(m_outside, m_tree / "home/to-outside");
    fs::create_symlink(fs::path(m_home) / "lonely.jpg", m_tree / "file-link.jpg");
    fs::create_directory_symlink(m_tree, m_tree / "home/loop");
    removeAll(m_tree.string());
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_tree)));
    expectOutsideIntact();
}

TEST_F(TreeRemoval, AFolderThatIsALinkLosesOnlyTheLink) {
    fs::create_directory_symlink(m_outside, m_tree);
    removeAll(m_tree.string() + "/"); // the trailing separator must not look through it
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_tree)));
    expectOutsideIntact();
}
