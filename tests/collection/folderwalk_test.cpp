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
    EXPECT_EQ(HasPictureExt(GetParam().name), GetParam().picture) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, PictureExtension,
                         ::testing::Values(ExtCase{"PHOTO.JPG", true}, ExtCase{"a.Png", true},
                                           ExtCase{"x.bmp", true}, ExtCase{"tar.gz.jpg", true},
                                           ExtCase{".png", true}, ExtCase{"b.jpeg", false},
                                           ExtCase{"c.gif", false}, ExtCase{"noextension", false},
                                           ExtCase{"jpg", false}, ExtCase{"d.jpg.txt", false},
                                           ExtCase{"e.", false}, ExtCase{"f.jp g", false}));

// ------------------------------------------------------------------- the scan

// ------------------------------------------------------------- the name order

struct OrderCase {
    const char* first;
    const char* second; ///< comes after `first`
};

class NameOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NameOrder, OrdersAsFileManagersDo) {
    const OrderCase c = GetParam();
    EXPECT_LT(CompareNames(c.first, c.second), 0) << c.first << " | " << c.second;
    EXPECT_GT(CompareNames(c.second, c.first), 0) << c.second << " | " << c.first;
    EXPECT_EQ(CompareNames(c.first, c.first), 0);
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
        root = fs::path(home) / "pics";
        fs::create_directories(root);
    }

    std::vector<std::string> scan(const fs::path& dir, bool subFolders,
                                  std::size_t* unlistable = nullptr) {
        std::vector<std::string> rows;
        const std::size_t left = ScanDir(dir.string(), subFolders, rows);
        if (unlistable)
            *unlistable = left;
        return rows;
    }
    /// The paths below root, in this order.
    std::vector<std::string> under(std::initializer_list<const char*> names) const {
        std::vector<std::string> paths;
        for (const char* name : names)
            paths.push_back((root / name).string());
        return paths;
    }

    fs::path root;
};

TEST_F(FolderScan, TakesEachFolderInNameOrderDepthFirst) {
    // Made in an order unlike the names', so the listing's own order shows.
    for (const char* name :
         {"img10.jpg", "sub2/four.JPG", "PHOTO.JPG", "b.jpeg", "img2.jpg", "sub1/deeper/skip.tif",
          "c.gif", "noext", "sub2/Three.bmp", "sub1/one.jpg", "a.Png", "empty/.keep",
          "sub1/deeper/two.png", "Img1.jpg", ".h.jpg", "z.bmp"})
        touch(root / name);
    fs::create_directories(root / "folder.jpg"); // a folder is never a picture

    EXPECT_EQ(scan(root, true), under({".h.jpg", "a.Png", "Img1.jpg", "img2.jpg", "img10.jpg",
                                       "PHOTO.JPG", "sub1/deeper/two.png", "sub1/one.jpg",
                                       "sub2/four.JPG", "sub2/Three.bmp", "z.bmp"}));
}

TEST_F(FolderScan, OnlyRegularFilesAndLinksToThemArePictures) {
    touch(root / "real.jpg");
    ASSERT_EQ(::mkfifo((root / "fifo.jpg").c_str(), 0600), 0);
    // A socket bound to a name in the folder.
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (root / "socket.png").string();
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(sock);
    fs::create_symlink(root / "real.jpg", root / "to-real.jpg");
    fs::create_symlink(root / "fifo.jpg", root / "to-fifo.jpg");
    fs::create_symlink(root / "gone.jpg", root / "dangling.jpg");

    EXPECT_EQ(scan(root, true), under({"real.jpg", "to-real.jpg"}));
}

TEST_F(FolderScan, NamesWithLineBreaksAreLeftOutAndCounted) {
    for (const char* name : {"a.jpg", "inj\nyellow.jpg", "cr\r.png", "sub\ndir/in.bmp",
                             "sub\ndir/in2.bmp", "z.jpg", "notes\n.txt"})
        touch(root / name);
    std::size_t unlistable = 0;
    EXPECT_EQ(scan(root, true, &unlistable), under({"a.jpg", "z.jpg"}));
    EXPECT_EQ(unlistable, 4u);
    EXPECT_EQ(scan(root, false, &unlistable), under({"a.jpg", "z.jpg"}));
    EXPECT_EQ(unlistable, 2u);
    // A folder whose own name breaks a line: none of its pictures can be listed.
    EXPECT_TRUE(scan(root / "sub\ndir", true, &unlistable).empty());
    EXPECT_EQ(unlistable, 2u);
}

TEST_F(FolderScan, WithoutSubfoldersOnlyTheFolderItself) {
    touch(root / "c.PNG");
    touch(root / "sub/b.jpg");
    touch(root / "a.jpg");
    EXPECT_EQ(scan(root, false), under({"a.jpg", "c.PNG"}));
}

TEST_F(FolderScan, TheSameFolderTwiceAppendsTwice) {
    touch(root / "a.jpg");
    touch(root / "sub/b.png");
    std::vector<std::string> rows;
    ScanDir(root.string(), true, rows);
    ScanDir(root.string() + "/", true, rows); // a trailing separator is not doubled
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], rows[2]);
    EXPECT_EQ(rows[1], rows[3]);
    EXPECT_EQ(rows[0].find("//"), std::string::npos);
}

TEST_F(FolderScan, NothingFromAMissingOrEmptyPath) {
    EXPECT_TRUE(scan(root / "missing", true).empty());
    touch(root / "plain.jpg");
    EXPECT_TRUE(scan(root / "plain.jpg", true).empty()); // a file is no folder
    std::vector<std::string> rows;
    ScanDir("", true, rows);
    EXPECT_TRUE(rows.empty());
}

TEST_F(FolderScan, ALinkBackUpTheTreeEnds) {
    touch(root / "a.jpg");
    touch(root / "sub/b.jpg");
    fs::create_directory_symlink(root, root / "sub/up");           // to its own parent
    fs::create_directory_symlink(root / "sub", root / "sub/self"); // to itself
    int folders = 0;
    std::vector<std::string> rows;
    ScanDir(root.string(), true, rows, [&] { ++folders; });
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows,
              (std::vector<std::string>{(root / "a.jpg").string(), (root / "sub/b.jpg").string()}));
    EXPECT_EQ(folders, 2); // each folder entered once, and serviced once
}

TEST_F(FolderScan, ALinkToAFolderElsewhereIsFollowedOnce) {
    const fs::path elsewhere = fs::path(home) / "elsewhere";
    touch(elsewhere / "x.png");
    touch(root / "a.jpg");
    fs::create_directory_symlink(elsewhere, root / "link1");
    fs::create_directory_symlink(elsewhere, root / "link2");
    const auto rows = scan(root, true);
    ASSERT_EQ(rows.size(), 2u);
    const auto linked = std::count_if(rows.begin(), rows.end(), [&](const std::string& r) {
        return r == (root / "link1/x.png").string() || r == (root / "link2/x.png").string();
    });
    EXPECT_EQ(linked, 1);
}

// -------------------------------------------------------------- the tree removal

class TreeRemoval : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        tree = fs::path(home) / "Thumbnail";
        outside = fs::path(home) / "outside";
        touch(outside / "keep.jpg");
        touch(outside / "inner/keep2.jpg");
        touch(fs::path(home) / "lonely.jpg");
    }
    void expectOutsideIntact() {
        EXPECT_TRUE(fs::exists(outside / "keep.jpg"));
        EXPECT_TRUE(fs::exists(outside / "inner/keep2.jpg"));
        EXPECT_TRUE(fs::exists(fs::path(home) / "lonely.jpg"));
    }
    fs::path tree;
    fs::path outside;
};

TEST_F(TreeRemoval, RemovesTheTreeAndLinksAsLinks) {
    touch(tree / "home/u/a.jpg.jpg");
    touch(tree / "home/u/deep/er/b.png.jpg");
    touch(tree / ".hidden");
    fs::create_directory_symlink(outside, tree / "home/to-outside");
    fs::create_symlink(fs::path(home) / "lonely.jpg", tree / "file-link.jpg");
    fs::create_directory_symlink(tree, tree / "home/loop");
    RemoveAll(tree.string());
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    expectOutsideIntact();
}

TEST_F(TreeRemoval, AFolderThatIsALinkLosesOnlyTheLink) {
    fs::create_directory_symlink(outside, tree);
    RemoveAll(tree.string() + "/"); // the trailing separator must not look through it
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    expectOutsideIntact();
}
