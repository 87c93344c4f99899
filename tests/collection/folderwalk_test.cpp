// Gathering a folder's pictures and deleting a folder tree, on real folders
// with real links.
#include "collection/folderwalk.h"

#include "support/temphome.h"

#include <algorithm>
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

class FolderScan : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        root = fs::path(home) / "pics";
        fs::create_directories(root);
    }

    std::vector<std::string> scan(const fs::path& dir, bool subFolders) {
        std::vector<std::string> rows;
        ScanDir(dir.string(), subFolders, rows);
        return rows;
    }

    /// What the scan must give: every folder's entries in the order the file
    /// system lists them, a subfolder's pictures where the subfolder is met.
    static void expected(const fs::path& dir, bool subFolders, std::vector<std::string>& rows) {
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.is_directory()) {
                if (subFolders)
                    expected(e.path(), subFolders, rows);
            } else if (HasPictureExt(e.path().filename().string())) {
                rows.push_back(e.path().string());
            }
        }
    }

    fs::path root;
};

TEST_F(FolderScan, TakesPicturesDepthFirstInListingOrder) {
    for (const char* name : {"PHOTO.JPG", "a.Png", "b.jpeg", "c.gif", "noext", "z.bmp", ".h.jpg"})
        touch(root / name);
    for (const char* name : {"sub1/one.jpg", "sub1/deeper/two.png", "sub1/deeper/skip.tif",
                             "sub2/three.bmp", "sub2/four.JPG", "empty/.keep"})
        touch(root / name);
    fs::create_directories(root / "folder.jpg"); // a folder is never a picture

    const auto rows = scan(root, true);
    std::vector<std::string> want;
    expected(root, true, want);
    EXPECT_EQ(rows, want);
    ASSERT_EQ(rows.size(), 8u);
    for (const char* out : {"b.jpeg", "c.gif", "noext", "skip.tif", "folder.jpg"})
        EXPECT_TRUE(std::none_of(rows.begin(), rows.end(), [&](const std::string& r) {
            return r.ends_with(out);
        })) << out;
    // Each folder's pictures stay together, the deeper folder inside sub1's run.
    auto at = [&](const char* tail) {
        return std::find_if(rows.begin(), rows.end(),
                            [&](const std::string& r) { return r.ends_with(tail); }) -
               rows.begin();
    };
    EXPECT_EQ(std::abs(at("sub2/three.bmp") - at("sub2/four.JPG")), 1);
    EXPECT_EQ(std::abs(at("sub1/one.jpg") - at("deeper/two.png")), 1);
}

TEST_F(FolderScan, WithoutSubfoldersOnlyTheFolderItself) {
    touch(root / "a.jpg");
    touch(root / "sub/b.jpg");
    touch(root / "c.PNG");
    auto rows = scan(root, false);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows,
              (std::vector<std::string>{(root / "a.jpg").string(), (root / "c.PNG").string()}));
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
