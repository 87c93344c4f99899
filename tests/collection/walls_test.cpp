// The collection's list file: reading every form it may take, removing
// entries, and writes that never leave a damaged list behind.
#include "collection/datafolder.h"
#include "collection/state.h"
#include "collection/thumbpath.h"
#include "collection/walls.h"
#include "support/temphome.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        if (bigEndian) {
            out += '\0';
            out += c;
        } else {
            out += c;
            out += '\0';
        }
    }
    return out;
}

} // namespace

class ListFile : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        m_a = writeFile("pics/a.jpg", "x");
        m_b = writeFile("pics/b b.png", "x");
        m_c = writeFile("pics/c.bmp", "x");
    }
    void writeList(const std::string& bytes) { writeFile("Documents/Quorvane/list.txt", bytes); }
    std::string listBytes() { return readFile(listFileName()); }

    // The list operations on this test's state.
    void loadWall() { m_collection.loadWall(); }
    void writeWallList(const std::vector<std::string>& paths) {
        ::writeWallList(m_state, paths, m_unavailable);
    }
    void deleteWall(int i) { EXPECT_TRUE(m_collection.removeWall(i)); }
    void replaceWalls(const std::vector<std::string>& paths) {
        EXPECT_TRUE(m_collection.replaceWalls(paths));
    }
    std::string listFileName() const { return ::listFileName(m_state); }
    std::string thumbnailFileName(const std::string& p) const {
        return ::thumbnailFileName(m_dataFolder, p);
    }
    std::string findThumbnailOnDisk(const std::string& p) const {
        return ::findThumbnailOnDisk(m_dataFolder, p);
    }
    std::vector<std::string> wallPaths() const { return m_collection.paths(); }

    std::string m_a, m_b, m_c;
    // Lines of folders that are away, written after the paths.
    std::vector<std::string> m_unavailable;
};

TEST_F(ListFile, LineEndsOfEveryKindReadTheSame) {
    for (const std::string sep : {"\r\n", "\n", "\r"}) {
        m_collection.clear();
        writeList(m_a + sep + m_b + sep + m_c + sep);
        loadWall();
        EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_a, m_b, m_c}))
            << "separator size " << sep.size();
    }
}

TEST_F(ListFile, MixedLineEndsAndMissingFinalLineEnd) {
    writeList(m_a + "\r\n" + m_b + "\n" + m_c);
    loadWall();
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_a, m_b, m_c}));
}

TEST_F(ListFile, EmptyAndMissingLinesAreSkippedButStayInTheFile) {
    const std::string text = m_a + "\r\n\r\n" + m_home + "/pics/gone.jpg\r\n" + m_c + "\r\n";
    writeList(text);
    loadWall();
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_a, m_c}));
    EXPECT_EQ(listBytes(), text);
}

TEST_F(ListFile, FoldersAndBlanksAroundPathsNameNoFile) {
    writeList(m_home + "/pics\r\n " + m_a + "\r\n" + m_a + " \r\n" + m_b + "\r\n");
    loadWall();
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_b}));
}

TEST_F(ListFile, BlanksBelongToThePath) {
    const std::string spaced = writeFile("pics/ lead.jpg ", "x");
    writeList(spaced + "\r\n");
    loadWall();
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{spaced}));
}

TEST_F(ListFile, ByteOrderMarksDecideTheEncoding) {
    const std::string lines = m_a + "\r\n" + m_c + "\r\n";
    for (const std::string& bytes :
         {"\xEF\xBB\xBF" + lines, utf16(lines, false), utf16(lines, true)}) {
        m_collection.clear();
        writeList(bytes);
        loadWall();
        EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_a, m_c}));
    }
}

TEST_F(ListFile, NonAsciiPathsRoundTripByteForByte) {
    const std::string greek =
        writeFile("pics/\xCE\xB8\xCE\xAC\xCE\xBB\xCE\xB1\xCF\x83\xCF\x83\xCE\xB1.jpg", "x");
    const std::string latin1 = writeFile("pics/caf\xE9.png", "x"); // not valid UTF-8
    writeList(greek + "\r\n" + latin1 + "\r\n" + m_a + "\r\n");
    const std::string before = listBytes();
    loadWall();
    ASSERT_EQ(wallPaths(), (std::vector<std::string>{greek, latin1, m_a}));
    writeWallList(wallPaths());
    EXPECT_EQ(listBytes(), before);
    EXPECT_FALSE(listBytes().starts_with("\xEF\xBB\xBF"));
}

TEST_F(ListFile, Utf16PathsWithNonAsciiBecomeUtf8Paths) {
    const std::string name = writeFile("pics/\xC3\xA9t\xC3\xA9.jpg", "x"); // été
    // UTF-16 LE of the same path.
    QString q = QString::fromUtf8(name.c_str());
    std::string bytes = "\xFF\xFE";
    for (QChar ch : q + QStringLiteral("\r\n")) {
        bytes += static_cast<char>(ch.unicode() & 0xFF);
        bytes += static_cast<char>(ch.unicode() >> 8);
    }
    writeList(bytes);
    loadWall();
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{name}));
}

// Lines that are not full paths name files in the list file's folder, never
// in the program's current folder; a name broken in two by a line end (as an
// older version wrote it) brings back nothing from elsewhere.
TEST_F(ListFile, RelativeLinesAreTakenInTheListFilesFolder) {
    const std::string listed = writeFile("Documents/Quorvane/mine.jpg", "x");
    const std::string nested = writeFile("Documents/Quorvane/more/deep.png", "x");
    writeFile("yellow.jpg", "x"); // in the current folder only
    writeFile("away.bmp", "x");
    const fs::path before = fs::current_path();
    fs::current_path(m_home);
    writeList(m_a + "\r\n" + m_home + "/pics/inj\r\nyellow.jpg\r\nmine.jpg\r\nmore/deep.png\r\n" +
              "more/../../../away.bmp\r\nnot-there/x.jpg\r\n");
    loadWall();
    fs::current_path(before);
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_a, listed, nested,
                                                     m_dataFolder + "more/../../../away.bmp"}));
    EXPECT_EQ(m_collection.unavailable(),
              std::vector<std::string>{m_dataFolder + "not-there/x.jpg"});
    // Kept as full paths from the next write on.
    writeWallList(wallPaths());
    EXPECT_EQ(listBytes().find("\nmine.jpg"), std::string::npos);
}

TEST_F(ListFile, PathsWithLineBreaksAreNeverWrittenAsLines) {
    const std::vector<std::string> cases{m_home + "/pics/inj\nyellow.jpg",
                                         m_home + "/pics/cr\rx.jpg", m_home + "/pics/both\r\n.jpg",
                                         ""};
    m_unavailable = {m_home + "/away/\nx.jpg", m_home + "/away/y.jpg"};
    std::vector<std::string> paths{m_a};
    paths.insert(paths.end(), cases.begin(), cases.end());
    paths.push_back(m_b);
    writeWallList(paths);
    EXPECT_EQ(listBytes(), m_a + "\r\n" + m_b + "\r\n" + m_home + "/away/y.jpg\r\n");
    for (const std::string& p : cases)
        EXPECT_FALSE(isListablePath(p)) << p;
    EXPECT_TRUE(isListablePath(m_home + "/pics/ tabs\tand blanks .jpg"));
}

TEST_F(ListFile, DuplicatesGiveTwoEntries) {
    writeList(m_a + "\r\n" + m_a + "\r\n");
    loadWall();
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_a, m_a}));
}

TEST_F(ListFile, ParseKeepsEmptyLinesAndDropsOnlyTheFinalLineEnd) {
    EXPECT_EQ(parseListText("x\r\n\r\ny\r\n"), (std::vector<std::string>{"x", "", "y"}));
    EXPECT_EQ(parseListText("x\n\n"), (std::vector<std::string>{"x", ""}));
    EXPECT_EQ(parseListText("\r\r\n"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(parseListText("").empty());
    EXPECT_TRUE(parseListText("\xEF\xBB\xBF").empty());
    EXPECT_EQ(parseListText("\xFF\xFE"
                            "a"),
              std::vector<std::string>{}); // odd byte dropped
}

TEST_F(ListFile, TenThousandEntriesLoadAndWriteInTheListFormat) {
    std::string text;
    std::vector<std::string> expected;
    for (int i = 0; i < 10000; ++i) {
        const std::string p = (i % 3 == 0) ? m_a : (i % 3 == 1 ? m_b : m_c);
        text += p + "\r\n";
        expected.push_back(p);
    }
    writeList(text);
    loadWall();
    ASSERT_EQ(walls().size(), 10000u);
    EXPECT_EQ(wallPaths(), expected);
    writeWallList(wallPaths());
    EXPECT_EQ(listBytes(), text);
}

// A folder holding many listed pictures is read whole instead of looking up
// each picture: what counts as a picture must not change.
TEST_F(ListFile, ManyPicturesOfOneFolderCountAsWhenLookedUpOneByOne) {
    const std::string dir = m_home + "/many";
    std::vector<std::string> lines, expected;
    for (int i = 0; i < 40; ++i) {
        lines.push_back(writeFile("many/p" + std::to_string(i) + ".jpg", "x"));
        expected.push_back(lines.back());
    }
    fs::create_directory(dir + "/sub.jpg");
    fs::create_symlink(dir + "/p0.jpg", dir + "/link.jpg");
    fs::create_symlink(dir + "/nothing.jpg", dir + "/dangling.jpg");
    fs::create_symlink(dir + "/sub.jpg", dir + "/folderlink.jpg");
    const std::string gone = dir + "/gone.jpg";
    const std::string dotted = m_home + "/many/../many/p1.jpg"; // the same file, another name
    const std::string twice = dir + "//p2.jpg";
    const std::string odd = dir + "/p3.jpg/";
    for (const std::string& p : {dir + "/sub.jpg", dir + "/link.jpg", dir + "/dangling.jpg",
                                 dir + "/folderlink.jpg", gone, dotted, twice, odd})
        lines.push_back(p);
    expected.push_back(dir + "/link.jpg");
    expected.push_back(dotted);
    expected.push_back(twice);
    std::string text;
    for (const auto& l : lines)
        text += l + "\n";
    writeList(text);
    loadWall();
    EXPECT_EQ(wallPaths(), expected);
    // Its "folder" is a file: kept aside, as a line whose folder is away.
    EXPECT_EQ(m_collection.unavailable(), std::vector<std::string>{odd});
}

TEST_F(ListFile, NoListFileMeansAnEmptyCollection) {
    loadWall();
    EXPECT_TRUE(walls().empty());
    EXPECT_FALSE(fs::exists(listFileName()));
}

TEST_F(ListFile, WritingCreatesTheDataFolder) {
    fs::remove_all(m_dataFolder);
    writeWallList({m_a, m_b});
    EXPECT_EQ(listBytes(), m_a + "\r\n" + m_b + "\r\n");
}

class DeleteEntry : public ListFile {
protected:
    void loadFive() {
        for (int i = 0; i < 5; ++i)
            m_paths.push_back(writeFile("pics/p" + std::to_string(i) + ".jpg", "x"));
        std::string text;
        for (const auto& p : m_paths)
            text += p + "\r\n";
        writeList(text);
        loadWall();
        ASSERT_EQ(walls().size(), 5u);
    }
    std::vector<std::string> m_paths;
};

TEST_F(DeleteEntry, EntryKOfNKeepsTheOthersInOrderAndRewritesTheList) {
    loadFive();
    m_collection.setPreview(refOf(3), std::make_unique<Bitmap>());
    deleteWall(2);
    const std::vector<std::string> expected{m_paths[0], m_paths[1], m_paths[3], m_paths[4]};
    EXPECT_EQ(wallPaths(), expected);
    EXPECT_NE(walls()[2].preview, nullptr); // the entry that moved up keeps its preview
    EXPECT_TRUE(walls()[2].wasLoad);
    EXPECT_EQ(listBytes(), m_paths[0] + "\r\n" + m_paths[1] + "\r\n" + m_paths[3] + "\r\n" +
                               m_paths[4] + "\r\n");
    EXPECT_TRUE(fs::exists(m_paths[2])); // the picture itself stays
}

TEST_F(DeleteEntry, RemovesTheCachedThumbnailOnly) {
    loadFive();
    const std::string thumb = thumbnailFileName(m_paths[1]);
    fs::create_directories(fs::path(thumb).parent_path());
    std::ofstream(thumb) << "jpg";
    const std::string otherThumb = thumbnailFileName(m_paths[2]);
    std::ofstream(otherThumb) << "jpg";
    ASSERT_EQ(findThumbnailOnDisk(m_paths[1]), thumb);
    deleteWall(1);
    EXPECT_FALSE(fs::exists(thumb));
    EXPECT_TRUE(fs::exists(otherThumb));
    EXPECT_TRUE(findThumbnailOnDisk(m_paths[1]).empty());
}

TEST_F(DeleteEntry, WithoutThumbnailSucceeds) {
    loadFive();
    EXPECT_NO_THROW(deleteWall(4));
    EXPECT_EQ(walls().size(), 4u);
}

TEST_F(DeleteEntry, TheOnlyEntryLeavesAnEmptyListFile) {
    writeList(m_a + "\r\n");
    loadWall();
    deleteWall(0);
    EXPECT_TRUE(walls().empty());
    ASSERT_TRUE(fs::exists(listFileName()));
    EXPECT_EQ(fs::file_size(listFileName()), 0u);
}

TEST_F(DeleteEntry, ReplaceBuildsFreshEntriesAndWritesTheList) {
    loadFive();
    m_collection.setPreview(refOf(0), std::make_unique<Bitmap>());
    replaceWalls({m_c, m_a, m_c});
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_c, m_a, m_c}));
    for (const auto& w : walls()) {
        EXPECT_EQ(w.preview, nullptr);
        EXPECT_FALSE(w.wasLoad);
    }
    EXPECT_EQ(listBytes(), m_c + "\r\n" + m_a + "\r\n" + m_c + "\r\n");
}

TEST_F(ListFile, InterruptedWriteLeavesTheOldListIntact) {
    // A child process whose file-size limit stops the write half way, as a
    // full disk would: the error is reported and the old list stays whole.
    const std::string old = m_a + "\r\n" + m_b + "\r\n";
    writeList(old);
    std::vector<std::string> many(5000, m_c);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        int code = 0;
        try {
            writeWallList(many);
            code = 1;
        } catch (const ListFileError&) {
            code = 0;
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was not reported";
    EXPECT_EQ(listBytes(), old);
    // And nothing half-written is left beside it.
    int files = 0;
    for (const auto& e : fs::directory_iterator(m_dataFolder))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST_F(TempHome, ThumbnailNamesMirrorThePicturePath) {
    EXPECT_EQ(thumbnailRelativePath("/home/u/a.jpg"), "home/u/a.jpg");
    EXPECT_EQ(thumbnailFileName(m_dataFolder, "/home/u/a.jpg"),
              m_dataFolder + "Thumbnail/home/u/a.jpg.jpg");
    EXPECT_EQ(thumbnailRelativePath("/x/C:/a:b.jpg"), "x/C:/a:b.jpg"); // colons are ordinary here
    // Dotted and relative paths never lead out of the thumbnail folder.
    EXPECT_EQ(thumbnailRelativePath("/a/../b/./c.jpg"), "b/c.jpg");
    const std::string rel = thumbnailRelativePath("../../etc/x.jpg");
    EXPECT_FALSE(rel.starts_with(".."));
    EXPECT_EQ(rel.find("/../"), std::string::npos);
}

TEST_F(ListFile, LinesOfAFolderThatIsAwayOutliveRewrites) {
    // A drive that is not mounted now: its folder is missing altogether.
    const std::string away1 = m_home + "/media/usb/photos/one.jpg";
    const std::string away2 = m_home + "/media/usb/photos/two.jpg";
    const std::string gone = m_home + "/pics/deleted.jpg"; // its folder is there
    writeList(m_a + "\r\n" + away1 + "\r\n" + gone + "\r\n" + m_b + "\r\n" + away2 + "\r\n");
    loadWall();
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_a, m_b}));
    EXPECT_EQ(m_collection.unavailable(), (std::vector<std::string>{away1, away2}));

    // A rewrite (a removal) keeps them, after the collection; the gone one goes.
    deleteWall(0);
    EXPECT_EQ(listBytes(), m_b + "\r\n" + away1 + "\r\n" + away2 + "\r\n");

    // The drive is back: the next start loads them.
    writeFile("media/usb/photos/one.jpg", "x");
    writeFile("media/usb/photos/two.jpg", "x");
    m_collection.clear();
    loadWall();
    EXPECT_EQ(wallPaths(), (std::vector<std::string>{m_b, away1, away2}));
    EXPECT_TRUE(m_collection.unavailable().empty());
}

// A run killed during an atomic write leaves its temporary behind; the next
// start removes exactly those, and only those of earlier runs.
TEST_F(TempHome, StaleTemporariesOfEarlierRunsGoAndNothingElse) {
    namespace fs = std::filesystem;
    const auto now = fs::file_time_type::clock::now();
    auto make = [&](const std::string& relative, bool stale) {
        const std::string path = writeFile(relative, "x");
        fs::last_write_time(path, stale ? now - std::chrono::hours(1) : now);
        return path;
    };
    const std::string thumbs = "Documents/Quorvane/Thumbnail/";
    const std::string gone1 = make("Documents/Quorvane/Wallpaper.bmp.tmp-0123456789abcdef", true);
    const std::string gone2 = make(thumbs + "home/u/a.jpg.jpg.tmp-fedcba9876543210", true);
    const std::string fresh = make(thumbs + "home/u/b.jpg.jpg.tmp-00112233445566aa", false);
    const std::string kept1 = make("Documents/Quorvane/list.txt", true);
    const std::string kept2 = make("Documents/Quorvane/notes.tmp-123", true); // not the pattern
    const std::string kept3 = make(thumbs + "home/u/c.jpg.jpg.tmp-0123456789ABCDEF", true);
    // A linked folder inside the cache is not entered: what it holds is not ours.
    const std::string outside = make("elsewhere/x.jpg.tmp-0123456789abcdef", true);
    fs::create_directory_symlink(m_home + "/elsewhere", m_dataFolder + "Thumbnail/link");

    EXPECT_EQ(removeStaleTemporaries(m_dataFolder, false, now), 1);
    EXPECT_EQ(removeStaleTemporaries(m_dataFolder + "Thumbnail/", true, now), 1);
    EXPECT_FALSE(fs::exists(gone1));
    EXPECT_FALSE(fs::exists(gone2));
    for (const std::string& p : {fresh, kept1, kept2, kept3, outside})
        EXPECT_TRUE(fs::exists(p)) << p;
}
